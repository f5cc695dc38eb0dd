#include <gtest/gtest.h>

#include "media/PngFile.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

TEST(PngFile, RoundTripsRgbAndRgba) {
    TempDir dir;
    for (int channels : {3, 4}) {
        PngImage image{3, 2, channels, {}};
        for (int i = 0; i < 3 * 2 * channels; ++i) {
            image.pixels.push_back(static_cast<std::uint8_t>(i * 11));
        }
        const std::string path = dir.File("out" + std::to_string(channels) + ".png");
        ASSERT_TRUE(WritePng(path, image));
        const auto back = ReadPng(path);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->width, 3);
        EXPECT_EQ(back->channels, channels);
        EXPECT_EQ(back->pixels, image.pixels);
    }
}

TEST(PngFile, BadInputsFailWithoutLeavingFiles) {
    TempDir dir;
    EXPECT_FALSE(WritePng(dir.File("bad.png"), PngImage{2, 2, 3, {1, 2, 3}}));  // too few pixels
    EXPECT_FALSE(fs_util::FileExists(dir.File("bad.png")));
    const std::string junk = dir.Write("junk.png", std::string("\x89PNG\r\n\x1a\n-truncated", 18));
    EXPECT_FALSE(ReadPng(junk));
    EXPECT_FALSE(ReadPng(dir.File("missing.png")));
}
