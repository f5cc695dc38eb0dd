#include <gtest/gtest.h>

#include "media/Palette.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {
// Gamma and the default palette are process-wide: every test leaves them as the
// program starts (gamma 1.0, no palette file).
class PaletteTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        paths::SetProgramDirectoryForTesting(program_.Path());
        paths::SetUserDirectoriesForTesting(state_.Path(), data_.Path());
    }
    void TearDown() override {
        BuildGammaTable(1.0f);
        ResetDefaultPalette();
        paths::SetProgramDirectoryForTesting("");
        paths::SetUserDirectoriesForTesting("", "");
        HostFixture::TearDown();
    }

    static std::string Jasc(int version, int count, int entries = 256) {
        std::string text = "JASC-PAL\r\n" + std::string(version == 100 ? "0100" : std::to_string(version)) + "\r\n" +
                           std::to_string(count) + "\r\n";
        for (int i = 0; i < entries; ++i) {
            text += std::to_string(i) + " " + std::to_string(255 - i) + " " + std::to_string(i / 2) + "\r\n";
        }
        return text;
    }

    static ByteBuffer Riff(std::uint16_t version = 768, std::uint16_t count = 256, const char* type = "PAL ") {
        BinaryWriter w;
        w.WriteBytes("RIFF", 4);
        w.WriteU32(4 + 8 + 4 + 1024);
        w.WriteBytes(type, 4);
        w.WriteBytes("data", 4);
        w.WriteU32(4 + 1024);
        w.WriteU16(version);
        w.WriteU16(count);
        for (int i = 0; i < 256; ++i) {
            w.WriteU8(static_cast<std::uint8_t>(255 - i));
            w.WriteU8(static_cast<std::uint8_t>(i));
            w.WriteU8(static_cast<std::uint8_t>(i ^ 0x55));
            w.WriteU8(static_cast<std::uint8_t>(i & 3));  // flags
        }
        return w.Bytes();
    }

    static std::array<int, 3> Entry(const PaletteTable& table, int i) {
        return {table[std::size_t(i) * 4], table[std::size_t(i) * 4 + 1], table[std::size_t(i) * 4 + 2]};
    }

    TempDir program_;
    TempDir state_;
    TempDir data_;
};

std::array<int, 3> Raw(const RawPalette& palette, int i) {
    return {palette[std::size_t(i) * 3], palette[std::size_t(i) * 3 + 1], palette[std::size_t(i) * 3 + 2]};
}
}  // namespace

TEST_F(PaletteTest, BuiltInPalettesAreTheStandardGameTables) {
    const RawPalette& q2 = BuiltInQuake2Palette();
    EXPECT_EQ(Raw(q2, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(Raw(q2, 1), (std::array<int, 3>{15, 15, 15}));
    EXPECT_EQ(Raw(q2, 16), (std::array<int, 3>{99, 75, 35}));
    EXPECT_EQ(Raw(q2, 255), (std::array<int, 3>{159, 91, 83}));
    const RawPalette& q1 = BuiltInQuake1Palette();
    EXPECT_EQ(Raw(q1, 16), (std::array<int, 3>{15, 11, 7}));
    EXPECT_EQ(Raw(q1, 255), (std::array<int, 3>{159, 91, 83}));
    // The two games share their grey ramp and differ after it.
    EXPECT_TRUE(std::equal(q1.begin(), q1.begin() + 48, q2.begin()));
    EXPECT_FALSE(std::equal(q1.begin() + 48, q1.end(), q2.begin() + 48));
}

TEST_F(PaletteTest, GammaTableAndConvertedTables) {
    BuildGammaTable(1.0f);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(GammaTable()[std::size_t(i)], i);
    }
    for (int i = 0; i < 256; ++i) {
        const auto raw = Raw(BuiltInQuake2Palette(), i);
        EXPECT_EQ(Entry(Quake2Palette().rgb, i), raw);
        EXPECT_EQ(Entry(Quake2Palette().bgr, i), (std::array<int, 3>{raw[2], raw[1], raw[0]}));
        EXPECT_EQ(Quake2Palette().rgb[std::size_t(i) * 4 + 3], 0);
        EXPECT_EQ(Entry(Quake1Palette().rgb, i), Raw(BuiltInQuake1Palette(), i));
    }

    BuildGammaTable(0.5f);
    EXPECT_EQ(GammaTable()[0], 11);
    EXPECT_EQ(GammaTable()[255], 255);
    EXPECT_EQ(GammaTable()[128], 181);  // trunc(sqrt(128.5 / 255.5) * 255 + 0.5)
    for (int i = 1; i < 256; ++i) {
        EXPECT_GE(GammaTable()[std::size_t(i)], GammaTable()[std::size_t(i - 1)]);
    }
    // The built-in tables follow the new gamma at once.
    EXPECT_EQ(Entry(Quake2Palette().rgb, 16), (std::array<int, 3>{GammaTable()[99], GammaTable()[75], GammaTable()[35]}));
    EXPECT_EQ(Entry(Quake1Palette().bgr, 16), (std::array<int, 3>{GammaTable()[7], GammaTable()[11], GammaTable()[15]}));
    BuildGammaTable(2.0f);
    EXPECT_EQ(GammaTable()[0], 0);
    EXPECT_EQ(GammaTable()[255], 255);
}

TEST_F(PaletteTest, DefaultPaletteFromJascOrRiffFiles) {
    program_.Write("quake2.pal", Jasc(100, 256));
    BuildGammaTable(0.5f);
    ASSERT_TRUE(LoadDefaultPalette());
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(Entry(DefaultPalette().rgb, 10), (std::array<int, 3>{GammaTable()[10], GammaTable()[245], GammaTable()[5]}));
    EXPECT_EQ(Entry(DefaultPalette().bgr, 10), (std::array<int, 3>{GammaTable()[5], GammaTable()[245], GammaTable()[10]}));
    EXPECT_EQ(DefaultPalette().rgb[10 * 4 + 3], 0);
    // Tables made earlier keep their gamma.
    const std::uint8_t before = DefaultPalette().rgb[40];
    BuildGammaTable(1.0f);
    EXPECT_EQ(DefaultPalette().rgb[40], before);

    // The per-user data directory serves when the program's directory has none.
    std::remove(program_.File("quake2.pal").c_str());
    data_.Write("quake2.pal", Riff());
    ASSERT_TRUE(LoadDefaultPalette());
    EXPECT_EQ(Entry(DefaultPalette().rgb, 3), (std::array<int, 3>{252, 3, 3 ^ 0x55}));
    EXPECT_EQ(DefaultPalette().rgb[3 * 4 + 3], 3);  // the file's flags byte is kept
    EXPECT_EQ(DefaultPalette().bgr[3 * 4 + 3], 3);
}

TEST_F(PaletteTest, ABadOrMissingPaletteFallsBackToQuake2WithTheMessage) {
    const std::string message =
        "Could not load/find the default palette (quake2.pal). \nUsing the default Quake2 palette.";
    const std::vector<std::pair<std::string, ByteBuffer>> bad = {
        {"count 255", [] { const std::string t = Jasc(100, 255); return ByteBuffer(t.begin(), t.end()); }()},
        {"version 200", [] { const std::string t = Jasc(200, 256); return ByteBuffer(t.begin(), t.end()); }()},
        {"short JASC", [] { const std::string t = Jasc(100, 256, 200); return ByteBuffer(t.begin(), t.end()); }()},
        {"JASC value 300", [] { std::string t = Jasc(100, 256); t.replace(t.rfind("255 0 127"), 3, "300"); return ByteBuffer(t.begin(), t.end()); }()},
        {"JASC without the rest of its name", ByteBuffer{'J', 'A', 'S', 'C', '\n', '1'}},
        {"RIFF version", Riff(767)},
        {"RIFF count", Riff(768, 255)},
        {"RIFF type", Riff(768, 256, "WAVE")},
        {"RIFF truncated", [] { ByteBuffer b = Riff(); b.resize(b.size() - 1); return b; }()},
        {"neither", ByteBuffer{'P', 'A', 'L', '!'}},
    };
    for (const auto& [label, bytes] : bad) {
        host_.Clear();
        program_.Write("quake2.pal", bytes);
        EXPECT_FALSE(LoadDefaultPalette()) << label;
        ASSERT_EQ(host_.messages.size(), 1u) << label;
        EXPECT_EQ(host_.messages[0].text, message);
        EXPECT_EQ(DefaultPalette().rgb, Quake2Palette().rgb) << label;
    }
    host_.Clear();
    std::remove(program_.File("quake2.pal").c_str());
    EXPECT_FALSE(LoadDefaultPalette());
    EXPECT_TRUE(host_.HasMessage(message));
}
