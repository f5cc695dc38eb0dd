#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/COGLImage.h"
#include "media/Palette.h"
#include "media/WadArchive.h"
#include "support/ArchiveWriters.h"
#include "support/TestSupport.h"

using fixtures::WadBuilder;

namespace {
// 256 colours that all differ, so a wrong index shows as a wrong colour.
WadBuilder::Colours OwnColours(std::size_t count = 256) {
    WadBuilder::Colours colours(count);
    for (std::size_t i = 0; i < count; ++i) {
        colours[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i / 2)};
    }
    return colours;
}

RawPalette Flatten(const WadBuilder::Colours& colours) {
    RawPalette raw{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        std::copy(colours[i].begin(), colours[i].end(), raw.begin() + static_cast<std::ptrdiff_t>(i * 3));
    }
    return raw;
}

// The colour a converted table gives an index, as R, G, B.
std::vector<std::uint8_t> Colour(const PaletteTable& table, std::uint8_t index) {
    return {table[index * 4u], table[index * 4u + 1], table[index * 4u + 2]};
}

std::vector<std::uint8_t> PixelAt(const COGLImage& image, int x, int row) {
    const std::size_t bpp = static_cast<std::size_t>(image.BytesPerPixel());
    const std::size_t at = (std::size_t(row) * std::size_t(image.Width()) + std::size_t(x)) * bpp;
    return std::vector<std::uint8_t>(image.Pixels().begin() + static_cast<std::ptrdiff_t>(at),
                                     image.Pixels().begin() + static_cast<std::ptrdiff_t>(at + bpp));
}

class WadArchiveTest : public HostFixture {
protected:
    std::string Write(const WadBuilder& builder, const std::string& name = "test.wad") {
        return dir_.Write(name, builder.Build());
    }

    TempDir dir_;
};
}  // namespace

TEST_F(WadArchiveTest, Wad2PicturesUseTheQuake1Palette) {
    const std::string path = Write(WadBuilder(false)
                                       .AddMip("WALL1_1", 4, 2, {0, 1, 2, 3, 16, 17, 255, 254})
                                       .AddQpic("conback", 2, 1, {15, 200})
                                       .AddLump("palette", WadArchive::kTypePalette, ByteBuffer(768, 7))
                                       .AddLump("conchars", WadArchive::kTypeMipWad2, ByteBuffer(128 * 128, 1)));
    WadArchive wad;
    ASSERT_TRUE(wad.Open(path));
    EXPECT_EQ(wad.Kind(), ArchiveKind::Wad);
    EXPECT_FALSE(wad.IsHalfLife());
    ASSERT_EQ(wad.EntryCount(), 4);
    const PakEntry* wall = wad.FindEntry("wall1_1");
    ASSERT_NE(wall, nullptr);
    EXPECT_TRUE(wad.IsPicture(*wall));
    EXPECT_TRUE(wad.IsPicture(*wad.FindEntry("CONBACK")));
    EXPECT_FALSE(wad.IsPicture(*wad.FindEntry("palette")));
    EXPECT_FALSE(wad.IsPicture(*wad.FindEntry("conchars")));  // the console font: bare pixels
    EXPECT_EQ(wad.ReadEntry(*wad.FindEntry("palette")), ByteBuffer(768, 7));

    const PaletteTable& quake = Quake1Palette().rgb;
    COGLImage image;
    ASSERT_TRUE(image.LoadFromArchive(wad, *wall, false, false, false));
    EXPECT_EQ(image.Path(), "WALL1_1");
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_FALSE(image.HasAlpha());  // index 255 is a colour in Quake
    EXPECT_EQ(PixelAt(image, 0, 0), Colour(quake, 16));  // the bottom row comes first
    EXPECT_EQ(PixelAt(image, 2, 0), Colour(quake, 255));
    EXPECT_EQ(PixelAt(image, 3, 1), Colour(quake, 3));

    ASSERT_TRUE(image.LoadFromArchive(wad, *wad.FindEntry("conback"), true, false, false));
    EXPECT_EQ(image.Width(), 2);  // resized as other textures are
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(PixelAt(image, 1, 0), Colour(quake, 200));
    EXPECT_FALSE(image.LoadFromArchive(wad, *wad.FindEntry("palette"), false, false, false));
    EXPECT_TRUE(host_.HasMessage("Invalid Image file format."));
}

TEST_F(WadArchiveTest, Wad3PicturesUseTheirOwnPaletteAndBraceNamesKeyOutIndex255) {
    const std::vector<std::uint8_t> indices = {0, 9, 255, 128};
    const std::string path = Write(WadBuilder(true)
                                       .AddMip("BRICK", 2, 2, indices, OwnColours())
                                       .AddMip("{GRATE", 2, 2, indices, OwnColours())
                                       .AddQpic("few", 2, 2, {0, 2, 3, 5}, OwnColours(3))
                                       .AddLump("decal", WadArchive::kTypePalette, ByteBuffer(10, 0))
                                       .AddLump("font", WadArchive::kTypeFont, ByteBuffer(10, 0))
                                       .AddLump("MIP44", WadArchive::kTypeMipWad2,
                                                WadBuilder(true).MipLump("MIP44", 2, 2, indices, OwnColours())));
    WadArchive wad;
    ASSERT_TRUE(wad.Open(path));
    EXPECT_TRUE(wad.IsHalfLife());
    EXPECT_FALSE(wad.IsPicture(*wad.FindEntry("decal")));
    EXPECT_FALSE(wad.IsPicture(*wad.FindEntry("font")));
    EXPECT_TRUE(wad.IsPicture(*wad.FindEntry("mip44")));  // a few tools write the WAD2 type

    const PaletteTable own = ConvertPalette(Flatten(OwnColours()).data(), 3).rgb;
    COGLImage brick;
    ASSERT_TRUE(brick.LoadFromArchive(wad, *wad.FindEntry("brick"), false, false, false));
    EXPECT_FALSE(brick.HasAlpha());
    EXPECT_EQ(PixelAt(brick, 0, 1), Colour(own, 0));
    EXPECT_EQ(PixelAt(brick, 1, 1), Colour(own, 9));
    EXPECT_EQ(PixelAt(brick, 0, 0), Colour(own, 255));

    COGLImage grate;
    ASSERT_TRUE(grate.LoadFromArchive(wad, *wad.FindEntry("{grate"), false, false, false));
    ASSERT_TRUE(grate.HasAlpha());
    EXPECT_EQ(PixelAt(grate, 0, 0)[3], 0);  // index 255
    EXPECT_EQ(PixelAt(grate, 1, 0)[3], 255);
    EXPECT_EQ(PixelAt(grate, 1, 1)[3], 255);

    // A palette of three colours: the colours it has, black for the rest.
    COGLImage few;
    ASSERT_TRUE(few.LoadFromArchive(wad, *wad.FindEntry("few"), false, false, false));
    EXPECT_EQ(PixelAt(few, 1, 1), Colour(own, 2));
    EXPECT_EQ(PixelAt(few, 1, 0), std::vector<std::uint8_t>({0, 0, 0}));
    EXPECT_TRUE(host_.messages.empty());
}

// Half-Life's decals.wad: lumps of type 0x40 laid out as mip textures, drawn in the
// last colour of their palette with each index the pixel's opacity. A name stored
// twice is the archive's problem; lookups and the tree give the first.
TEST_F(WadArchiveTest, Wad3DecalsAreTintedByTheirLastColourAndDuplicatesAreReported) {
    WadBuilder::Colours grey = OwnColours();
    grey.back() = {200, 30, 10};  // the decal's colour
    const std::vector<std::uint8_t> opacity = {0, 64, 255, 128};
    const WadBuilder builder(true);
    ByteBuffer cut = builder.MipLump("cut", 8, 8, ByteBuffer(64, 1), grey);
    cut.resize(60);  // the header and a little of level 0
    const std::string path =
        Write(WadBuilder(true)
                  .AddLump("{shot1", WadArchive::kTypePalette, builder.MipLump("{shot1", 2, 2, opacity, grey))
                  .AddLump("palette", WadArchive::kTypePalette, ByteBuffer(768, 3))  // a bare palette
                  .AddLump("cut", WadArchive::kTypePalette, cut)
                  .AddMip("BRICK", 2, 2, {1, 1, 1, 1}, OwnColours())
                  .AddMip("brick", 2, 2, {2, 2, 2, 2}, OwnColours()));
    WadArchive wad;
    ASSERT_TRUE(wad.Open(path));
    const PakEntry* decal = wad.FindEntry("{SHOT1");
    ASSERT_NE(decal, nullptr);
    EXPECT_TRUE(wad.IsPicture(*decal));
    EXPECT_FALSE(wad.IsPicture(*wad.FindEntry("palette")));
    EXPECT_FALSE(wad.IsPicture(*wad.FindEntry("cut")));  // its levels do not fit in it

    COGLImage image;
    ASSERT_TRUE(image.LoadFromArchive(wad, *decal, false, false, false));
    ASSERT_TRUE(image.HasAlpha());
    const std::vector<std::uint8_t> tint = Colour(ConvertPalette(Flatten(grey).data(), 3).rgb, 255);
    for (int x = 0; x < 2; ++x) {
        for (int row = 0; row < 2; ++row) {
            const std::vector<std::uint8_t> pixel = PixelAt(image, x, row);
            EXPECT_EQ(std::vector<std::uint8_t>(pixel.begin(), pixel.begin() + 3), tint);
            EXPECT_EQ(pixel[3], opacity[std::size_t((1 - row) * 2 + x)]) << x << "," << row;  // bottom row first
        }
    }
    COGLImage shown;  // as a window shows it: B, G, R
    ASSERT_TRUE(shown.LoadFromArchive(wad, *decal, false, false, true));
    EXPECT_EQ(PixelAt(shown, 0, 0)[0], tint[2]);

    EXPECT_EQ(wad.FindEntry("brick"), &wad.Entry(3));
    EXPECT_FALSE(wad.IsFoundByName(wad.Entry(4)));
    EXPECT_EQ(wad.Problems(),
              std::vector<std::string>{path + ": \"brick\" is stored more than once; the first one is used."});
    PakTreeNode root;
    wad.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root), "BRICK[BRICK]\n{shot1[{shot1]\n");
    EXPECT_TRUE(host_.messages.empty());

    // The same WAD read out of another archive's bytes.
    WadArchive inMemory;
    ASSERT_TRUE(inMemory.OpenBytes("pak0.pak/decals.wad", *ReadWholeFile(path)));
    EXPECT_EQ(inMemory.Path(), "pak0.pak/decals.wad");
    ASSERT_TRUE(image.LoadFromArchive(inMemory, *inMemory.FindEntry("{shot1"), false, false, false));
    EXPECT_EQ(PixelAt(image, 1, 1)[3], 64);
    EXPECT_EQ(inMemory.ReadEntry(*inMemory.FindEntry("palette")), ByteBuffer(768, 3));
    WadArchive notAWad;
    EXPECT_FALSE(notAWad.OpenBytes("pak0.pak/junk.wad", ByteBuffer(40, 'x')));
    EXPECT_EQ(notAWad.EntryCount(), 0);
}

TEST_F(WadArchiveTest, TreeListsEveryPictureByItsWholeName) {
    const std::string path = Write(WadBuilder(true)
                                       .AddMip("{grate", 2, 2, {1, 2, 3, 4}, OwnColours())
                                       .AddMip("+0button", 2, 2, {1, 2, 3, 4}, OwnColours())
                                       .AddQpic("lamp.2/x", 1, 1, {1}, OwnColours())
                                       .AddLump("font", WadArchive::kTypeFont, ByteBuffer(10, 0)));
    WadArchive wad;
    ASSERT_TRUE(wad.Open(path));
    PakTreeNode root;
    wad.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root),
              "+0button[+0button]\n"
              "lamp.2/x[lamp.2/x]\n"
              "{grate[{grate]\n");
}

TEST_F(WadArchiveTest, RefusesADamagedHeaderOrDirectoryWithTheMessage) {
    WadArchive missing;
    EXPECT_FALSE(missing.Open(dir_.File("missing.wad")));
    EXPECT_TRUE(host_.messages.empty());

    const ByteBuffer good = WadBuilder(false).AddQpic("a", 1, 1, {1}).Build();
    ByteBuffer magic = good;
    magic[3] = '4';
    ByteBuffer negative = good;
    negative[7] = 0x80;  // lump count below zero
    ByteBuffer tooMany = good;
    tooMany[4] = 2;  // two directory entries, one of them past the end of the file
    ByteBuffer dirPastEnd = good;
    dirPastEnd[8] = static_cast<std::uint8_t>(dirPastEnd[8] + 1);
    ByteBuffer dirNegative = good;
    dirNegative[11] = 0x80;
    const ByteBuffer shortHeader = {'W', 'A', 'D', '2', 1, 0};
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, ByteBuffer>>{
             {"magic.wad", magic},
             {"negative.wad", negative},
             {"too-many.wad", tooMany},
             {"dir-past-end.wad", dirPastEnd},
             {"dir-negative.wad", dirNegative},
             {"short.wad", shortHeader}}) {
        host_.Clear();
        const std::string path = dir_.Write(name, bytes);
        WadArchive wad;
        EXPECT_FALSE(wad.Open(path)) << name;
        EXPECT_EQ(wad.EntryCount(), 0) << name;
        ASSERT_EQ(host_.messages.size(), 1u) << name;
        EXPECT_EQ(host_.messages[0].text, path + " is not a valid WAD file.");
    }
}

TEST_F(WadArchiveTest, RefusesDamagedLumpsOneByOneAndKeepsTheRest) {
    const std::string path = Write(WadBuilder(false)
                                       .AddQpic("good", 1, 1, {1})
                                       .AddLump("", WadArchive::kTypeQpic, ByteBuffer(9, 1))
                                       .AddRaw("outside", WadArchive::kTypeQpic, 12, 1 << 20)
                                       .AddRaw("negative", WadArchive::kTypeQpic, -4, 8)
                                       .AddLump("packed", WadArchive::kTypeMipWad2, ByteBuffer(50, 1), 1)
                                       .AddQpic("sixteen_chars_ab", 1, 1, {2}));
    WadArchive wad;
    ASSERT_TRUE(wad.Open(path));
    ASSERT_EQ(wad.EntryCount(), 2);
    EXPECT_EQ(wad.Entry(0).name, "good");
    EXPECT_EQ(wad.Entry(1).name, "sixteen_chars_ab");  // a name of 16 has no terminator
    EXPECT_EQ(wad.Entry(1).index, 5);
    EXPECT_EQ(wad.Problems(), (std::vector<std::string>{
                                  path + ": Lump 1 has no name and is skipped.",
                                  path + ": \"outside\" lies outside the file.",
                                  path + ": \"negative\" lies outside the file.",
                                  path + ": \"packed\" uses an unsupported compression.",
                              }));
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(WadArchiveTest, RefusesDamagedPicturesWithTheirMessage) {
    WadBuilder builder(true);
    ByteBuffer cutLevels = builder.MipLump("cut", 16, 16, std::vector<std::uint8_t>(256, 1), OwnColours());
    cutLevels.resize(40 + 256 + 64 + 10);  // the third level and the palette are cut off
    ByteBuffer levelOutside = builder.MipLump("far", 2, 2, {1, 2, 3, 4}, OwnColours());
    levelOutside[25] = 0x40;  // level 0 starts past the lump's end
    ByteBuffer levelInHeader = builder.MipLump("head", 2, 2, {1, 2, 3, 4}, OwnColours());
    levelInHeader[24] = 8;  // level 0 would be read from the header
    BinaryWriter manyColours;
    manyColours.WriteI32(1);
    manyColours.WriteI32(1);
    manyColours.WriteU8(0);
    manyColours.WriteU16(300);
    manyColours.WriteZeros(900);
    BinaryWriter shortPalette;
    shortPalette.WriteI32(1);
    shortPalette.WriteI32(1);
    shortPalette.WriteU8(0);
    shortPalette.WriteU16(256);
    shortPalette.WriteZeros(30);  // ten colours of the 256 stated
    BinaryWriter noPalette;
    noPalette.WriteI32(2);
    noPalette.WriteI32(1);
    noPalette.WriteU8(0);
    noPalette.WriteU8(0);
    BinaryWriter tooWide;
    tooWide.WriteI32(100);
    tooWide.WriteI32(100);
    tooWide.WriteZeros(50);
    BinaryWriter noPixels;
    noPixels.WriteI32(0);
    noPixels.WriteI32(4);
    const std::string path = Write(builder.AddLump("cut", 0x43, cutLevels)
                                       .AddLump("far", 0x43, levelOutside)
                                       .AddLump("head", 0x43, levelInHeader)
                                       .AddLump("many", 0x42, manyColours.Bytes())
                                       .AddLump("short", 0x42, shortPalette.Bytes())
                                       .AddLump("none", 0x42, noPalette.Bytes())
                                       .AddLump("wide", 0x42, tooWide.Bytes())
                                       .AddLump("empty", 0x42, noPixels.Bytes())
                                       .AddLump("tiny", 0x43, ByteBuffer(20, 0)));
    WadArchive wad;
    ASSERT_TRUE(wad.Open(path));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"cut", "its picture does not fit in its lump."},  {"far", "its picture does not fit in its lump."},
        {"head", "its picture does not fit in its lump."}, {"many", "its palette is damaged."},
        {"short", "its palette is damaged."},              {"none", "its palette is damaged."},
        {"wide", "its picture does not fit in its lump."}, {"empty", "its picture has no pixels."},
        {"tiny", "its picture does not fit in its lump."},
    };
    for (const auto& [name, reason] : expected) {
        host_.Clear();
        COGLImage image;
        EXPECT_FALSE(image.LoadFromArchive(wad, *wad.FindEntry(name), false, false, false)) << name;
        EXPECT_FALSE(image.HasPixels()) << name;
        ASSERT_EQ(host_.messages.size(), 1u) << name;
        EXPECT_EQ(host_.messages[0].text, path + ": \"" + name + "\" is refused: " + reason);
    }
}

TEST_F(WadArchiveTest, PicturesLargerThan1024AreReadAndResizedAsOtherTextures) {
    const std::string path = Write(WadBuilder(false).AddMip("huge", 2048, 16, std::vector<std::uint8_t>(2048 * 16, 7)));
    WadArchive wad;
    ASSERT_TRUE(wad.Open(path));
    COGLImage image;
    ASSERT_TRUE(image.LoadFromArchive(wad, *wad.FindEntry("huge"), false, false, false));
    EXPECT_EQ(image.Width(), 2048);
    ASSERT_TRUE(image.LoadFromArchive(wad, *wad.FindEntry("huge"), true, false, false));
    EXPECT_EQ(image.Width(), 1024);
    EXPECT_EQ(image.Height(), 16);
}
