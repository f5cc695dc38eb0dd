#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <jpeglib.h>

#include "media/PngFile.h"
#include "platform/BinaryIO.h"
#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"
#include "render/ImageOutput.h"
#include "support/TestSupport.h"
#include "support/WriteFailure.h"

namespace {
// A picture whose every pixel differs: blue = x, green = y, red = 200 - x - y,
// alpha 0 on the left column and 128 elsewhere.
CapturedImage Pattern(int width, int height, int bytesPerPixel) {
    CapturedImage image;
    image.width = width;
    image.height = height;
    image.bytesPerPixel = bytesPerPixel;
    image.pixels.assign(image.Stride() * std::size_t(height), 0xEE);  // padding shows up if written as pixels
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.Row(y) + x * bytesPerPixel;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(200 - x - y);
            if (bytesPerPixel == 4) {
                p[3] = x == 0 ? 0 : 128;
            }
        }
    }
    return image;
}

// Big flat blocks survive JPEG at high quality nearly unchanged.
CapturedImage Blocks(int width, int height) {
    CapturedImage image;
    image.width = width;
    image.height = height;
    image.bytesPerPixel = 3;
    image.pixels.assign(image.Stride() * std::size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.Row(y) + x * 3;
            const bool top = y >= height / 2;
            const bool right = x >= width / 2;
            p[0] = top ? 230 : 10;     // blue
            p[1] = right ? 220 : 20;   // green
            p[2] = top ? 15 : 240;     // red
        }
    }
    return image;
}

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first
};

Decoded DecodeJpeg(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    Decoded out;
    if (!bytes) {
        return out;
    }
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes->data(), static_cast<unsigned long>(bytes->size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.rgb.resize(std::size_t(out.width) * out.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() + std::size_t(cinfo.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

std::size_t FilesIn(const std::string& dir) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) {
        ++count;
    }
    return count;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

class ImageOutput : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        paths::SetProgramDirectoryForTesting(logs_.Path());
        ResetLogsForTesting();
    }
    void TearDown() override {
        paths::SetProgramDirectoryForTesting("");
        ResetLogsForTesting();
        HostFixture::TearDown();
    }
    TempDir dir_;
    TempDir logs_;
};

TEST_F(ImageOutput, BmpHeadersDescribePaddedBottomUpRows) {
    for (int bytesPerPixel : {3, 4}) {
        const CapturedImage image = Pattern(5, 3, bytesPerPixel);
        const std::string path = dir_.File("picture.bmp");
        ASSERT_TRUE(WriteBmp(image, path));
        const auto bytes = ReadWholeFile(path);
        ASSERT_TRUE(bytes);
        const std::size_t stride = bytesPerPixel == 3 ? 16 : 20;
        ASSERT_EQ(bytes->size(), 54 + stride * 3);
        BinaryReader in(*bytes);
        EXPECT_EQ(in.ReadU8(), 'B');
        EXPECT_EQ(in.ReadU8(), 'M');
        EXPECT_EQ(in.ReadU32(), bytes->size());
        EXPECT_EQ(in.ReadU32(), 0u);
        EXPECT_EQ(in.ReadU32(), 54u);
        EXPECT_EQ(in.ReadU32(), 40u);
        EXPECT_EQ(in.ReadI32(), 5);
        EXPECT_EQ(in.ReadI32(), 3);
        EXPECT_EQ(in.ReadU16(), 1);
        EXPECT_EQ(in.ReadU16(), bytesPerPixel * 8);
        EXPECT_EQ(in.ReadU32(), 0u);
        EXPECT_EQ(in.ReadU32(), stride * 3);
        in.Seek(54);
        EXPECT_EQ(in.ReadBytes(stride * 3), image.pixels);
    }
}

TEST_F(ImageOutput, PngIsLosslessTopRowFirstWithOptionalTransparency) {
    const CapturedImage image = Pattern(7, 4, 4);
    const std::string path = dir_.File("picture.png");
    ASSERT_TRUE(WritePngImage(image, path));
    auto png = ReadPng(path);
    ASSERT_TRUE(png);
    ASSERT_EQ(png->channels, 3);
    ASSERT_EQ(png->width, 7);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 7; ++x) {
            const std::uint8_t* p = png->pixels.data() + (std::size_t(y) * 7 + x) * 3;
            const int fromBottom = 3 - y;
            EXPECT_EQ(p[0], 200 - x - fromBottom);
            EXPECT_EQ(p[1], fromBottom);
            EXPECT_EQ(p[2], x);
        }
    }

    ASSERT_TRUE(WritePngImage(image, path, true));
    png = ReadPng(path);
    ASSERT_TRUE(png);
    ASSERT_EQ(png->channels, 4);
    EXPECT_EQ(png->pixels[3], 0);    // left column: background
    EXPECT_EQ(png->pixels[7], 255);  // anything drawn is fully opaque
    EXPECT_EQ(png->pixels[4], 196);  // colour kept as captured
    EXPECT_EQ(png->pixels[6], 1);

    // Without a captured alpha channel there is nothing to make transparent.
    EXPECT_FALSE(WritePngImage(Pattern(7, 4, 3), dir_.File("rgb.png"), true));
    EXPECT_FALSE(fs_util::FileExists(dir_.File("rgb.png")));
}

TEST_F(ImageOutput, JpegKeepsOrientationAndColoursAndMapsQuality) {
    const CapturedImage image = Blocks(32, 16);
    const std::string path = dir_.File("picture.jpg");
    ASSERT_TRUE(WriteJpeg(image, path, 3));
    const Decoded decoded = DecodeJpeg(path);
    ASSERT_EQ(decoded.width, 32);
    ASSERT_EQ(decoded.height, 16);
    auto expectPixel = [&](int x, int yFromTop, int r, int g, int b) {
        const std::uint8_t* p = decoded.rgb.data() + (std::size_t(yFromTop) * 32 + x) * 3;
        EXPECT_NEAR(p[0], r, 6) << x << "," << yFromTop;
        EXPECT_NEAR(p[1], g, 6) << x << "," << yFromTop;
        EXPECT_NEAR(p[2], b, 6) << x << "," << yFromTop;
    };
    expectPixel(3, 3, 15, 20, 230);     // top left
    expectPixel(28, 3, 15, 220, 230);   // top right
    expectPixel(3, 12, 240, 20, 10);    // bottom left
    expectPixel(28, 12, 240, 220, 10);  // bottom right

    // A 4-byte capture skips its fourth byte.
    CapturedImage wide = Pattern(16, 16, 4);
    ASSERT_TRUE(WriteJpeg(wide, dir_.File("bgra.jpg"), 3));
    EXPECT_EQ(DecodeJpeg(dir_.File("bgra.jpg")).width, 16);

    EXPECT_EQ(JpegQualityForIndex(-4), 20);
    EXPECT_EQ(JpegQualityForIndex(0), 20);
    EXPECT_EQ(JpegQualityForIndex(1), 40);
    EXPECT_EQ(JpegQualityForIndex(2), 70);
    EXPECT_EQ(JpegQualityForIndex(3), 99);
    EXPECT_EQ(JpegQualityForIndex(9), 99);
    const CapturedImage noisy = Pattern(64, 64, 3);
    ASSERT_TRUE(WriteJpeg(noisy, dir_.File("low.jpg"), 0));
    ASSERT_TRUE(WriteJpeg(noisy, dir_.File("high.jpg"), 3));
    EXPECT_LT(*FileSize(dir_.File("low.jpg")), *FileSize(dir_.File("high.jpg")));
}

TEST_F(ImageOutput, FailuresLeaveNoFileAndKeepTheOldOne) {
    const CapturedImage empty;
    for (const char* name : {"empty.bmp", "empty.jpg", "empty.png"}) {
        const std::string path = dir_.File(name);
        EXPECT_FALSE(WriteImage(empty, path, *ImageFormatForPath(path), 1)) << name;
        EXPECT_FALSE(fs_util::FileExists(path)) << name;
    }
    CapturedImage inconsistent = Pattern(4, 4, 3);
    inconsistent.pixels.pop_back();
    EXPECT_FALSE(WriteBmp(inconsistent, dir_.File("short.bmp")));

    // libjpeg refuses pictures wider than 65500 pixels: its message reaches the
    // error log and the file that was there stays as it was.
    const std::string path = dir_.File("old.jpg");
    ASSERT_FALSE(dir_.Write("old.jpg", std::string("previous")).empty());
    const CapturedImage tooWide = Pattern(70000, 1, 3);
    EXPECT_FALSE(WriteJpeg(tooWide, path, 2));
    EXPECT_EQ(ReadText(path), "previous");
    EXPECT_EQ(FilesIn(dir_.Path()), 1u);  // no temporary left beside it
    EXPECT_NE(ReadText(logs_.File("errors.txt")).find("65500"), std::string::npos);
    ASSERT_EQ(host_.messages.size(), 1u);
}

TEST_F(ImageOutput, AFullDiskKeepsTheOldPictureOfEveryFormatAndSaysWhy) {
    CapturedImage picture = Pattern(64, 48, 4);
    std::uint32_t noise = 1;
    for (std::uint8_t& byte : picture.pixels) {  // no encoder makes it small
        noise = noise * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(noise >> 24);
    }
    for (const char* name : {"old.bmp", "old.jpg", "old.png"}) {
        dir_.Write(name, std::string("previous"));
    }
    const auto before = FolderContents(dir_.Path());
    for (const char* name : {"old.bmp", "old.jpg", "old.png"}) {
        const std::string path = dir_.File(name);
        std::string error;
        {
            FileSizeLimit limit(200);  // less than any of the three pictures
            EXPECT_FALSE(WriteImage(picture, path, *ImageFormatForPath(path), 2, true, &error)) << name;
        }
        EXPECT_EQ(error, "cannot write '" + path + "': File too large");
    }
    EXPECT_EQ(FolderContents(dir_.Path()), before);
    EXPECT_TRUE(host_.messages.empty());  // the window says it, not the writer

    // What the writers refuse before touching the disk says so as well.
    std::string error;
    EXPECT_FALSE(WriteImage(CapturedImage{}, dir_.File("none.png"), ImageFormat::Png, 1, false, &error));
    EXPECT_EQ(error, "cannot write '" + dir_.File("none.png") + "': there is no complete picture to write");
    EXPECT_FALSE(WriteJpeg(Pattern(70000, 1, 3), dir_.File("wide.jpg"), 2, &error));
    EXPECT_NE(error.find("the JPEG library refused the picture"), std::string::npos) << error;
    EXPECT_EQ(FolderContents(dir_.Path()), before);
}

TEST(ImageFormat, ChosenByExtensionIgnoringCase) {
    EXPECT_EQ(ImageFormatForPath("/a/b/shot.BMP"), ImageFormat::Bmp);
    EXPECT_EQ(ImageFormatForPath("shot.JPG"), ImageFormat::Jpeg);
    EXPECT_EQ(ImageFormatForPath("shot.jpeg"), ImageFormat::Jpeg);
    EXPECT_EQ(ImageFormatForPath("shot.Png"), ImageFormat::Png);
    EXPECT_FALSE(ImageFormatForPath("shot.gif"));
    EXPECT_FALSE(ImageFormatForPath("shot"));
    EXPECT_FALSE(ImageFormatForPath("dir.png/shot"));
}

class CaptureGL : public GLFixture {
protected:
    TempDir dir_;
};

TEST_F(CaptureGL, ReadsBottomUpBgrRowsThatWriteBackUnchanged) {
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0, 0, 1, 0);  // blue, alpha 0
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 0, 0, 1);
    glRecti(0, 0, kWidth, 10);  // a red band along the bottom
    glFinish();

    CapturedImage image;
    ASSERT_TRUE(CaptureFramebuffer(0, 0, 51, 20, 3, image));
    ASSERT_EQ(image.Stride(), 156u);
    EXPECT_EQ(image.Row(0)[0], 0);
    EXPECT_EQ(image.Row(0)[2], 255);   // bottom row red, stored B, G, R
    EXPECT_EQ(image.Row(19)[0], 255);  // top row blue
    EXPECT_EQ(image.Row(19)[2], 0);

    const std::string bmp = dir_.File("shot.bmp");
    ASSERT_TRUE(WriteBmp(image, bmp));
    EXPECT_EQ(ReadFileRange(bmp, 54, image.pixels.size()), image.pixels);

    CapturedImage withAlpha;
    ASSERT_TRUE(CaptureFramebuffer(0, 0, 51, 20, 4, withAlpha));
    const std::string png = dir_.File("shot.png");
    ASSERT_TRUE(WritePngImage(withAlpha, png, true));
    const auto read = ReadPng(png);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->pixels[3], 0);  // top left: cleared background
    const std::uint8_t* bottomLeft = read->pixels.data() + std::size_t(19) * 51 * 4;
    EXPECT_EQ(bottomLeft[0], 255);
    EXPECT_EQ(bottomLeft[3], 255);

    EXPECT_FALSE(CaptureFramebuffer(0, 0, 0, 20, 3, image));
    EXPECT_TRUE(image.Empty());
    EXPECT_FALSE(CaptureFramebuffer(0, 0, 8, 8, 2, image));
}
