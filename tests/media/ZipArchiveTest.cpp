#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/COGLImage.h"
#include "media/PngFile.h"
#include "media/ZipArchive.h"
#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"

using fixtures::ZipBuilder;

namespace {
ByteBuffer Pattern(std::size_t size) {
    ByteBuffer bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) % 256);
    }
    return bytes;
}


class ZipArchiveTest : public HostFixture {
protected:
    std::string Write(const ByteBuffer& bytes, const std::string& name = "test.pk3") {
        EXPECT_FALSE(bytes.empty()) << "libzip did not write " << name;
        return dir_.Write(name, bytes);
    }

    TempDir dir_;
};
}  // namespace

TEST_F(ZipArchiveTest, ReadsStoredAndDeflatedEntriesFoundWithoutRegardToCase) {
    const ByteBuffer model = Pattern(5000);
    const std::string path = Write(ZipBuilder()
                                       .Add("Models/Box/tris.md2", model)
                                       .Add("pics/readme.txt", "stored text", false)
                                       .AddDirectory("maps/")
                                       .Add("maps/e1m1.bsp", "bsp")
                                       .Build());
    ZipArchive zip;
    ASSERT_TRUE(zip.Open(path));
    EXPECT_EQ(zip.Kind(), ArchiveKind::Zip);
    EXPECT_EQ(zip.Path(), path);
    ASSERT_EQ(zip.EntryCount(), 3);  // the directory is no entry
    const PakEntry* entry = zip.FindEntry("models/box/TRIS.MD2");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, "Models/Box/tris.md2");
    EXPECT_EQ(entry->length, 5000);
    EXPECT_EQ(zip.FindEntry("models\\box\\tris.md2"), entry);
    EXPECT_EQ(zip.ReadEntry(*entry), model);
    EXPECT_EQ(zip.ReadEntryHead(*entry, 12), ByteBuffer(model.begin(), model.begin() + 12));
    EXPECT_EQ(zip.ReadEntry(*zip.FindEntry("PICS/README.TXT")), ByteBuffer({'s', 't', 'o', 'r', 'e', 'd', ' ', 't',
                                                                             'e', 'x', 't'}));
    EXPECT_EQ(zip.ReadEntryHead(*zip.FindEntry("maps/e1m1.bsp"), 12)->size(), 3u);
    EXPECT_EQ(zip.FindEntry("maps"), nullptr);
    EXPECT_EQ(zip.FindEntry("maps/"), nullptr);

    // An entry of another archive object, even of the same file, is not read here.
    ZipArchive other;
    ASSERT_TRUE(other.Open(path));
    EXPECT_FALSE(zip.ReadEntry(other.Entry(0)));
    EXPECT_TRUE(zip.Problems().empty());
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ZipArchiveTest, TreeListsAPk3ByThePakRulesAndPicturesLoadByExtension) {
    BinaryWriter quake;
    quake.WriteBytes("IDPO", 4);
    quake.WriteZeros(100);
    const std::string path = Write(ZipBuilder()
                                       .Add("players/male/tris.md2", "m")
                                       .Add("players/male/weapon.md2", "w")
                                       .Add("players/male/skin.pcx",
                                            fixtures::WritePcx(2, 2, {1, 2, 3, 4}, fixtures::DistinctPalette()))
                                       .Add("progs/ogre.mdl", quake.Bytes())
                                       .Add("hl/scientistT.mdl", fixtures::StudioHead(0))
                                       .Add("hl/scientist.mdl", fixtures::StudioHead(10), false)
                                       .Add("sprites/s_bubble.sp2", "sp2")
                                       .Add("sound/x.wav", "skipped")
                                       .Build());
    ZipArchive zip;
    ASSERT_TRUE(zip.Open(path));
    PakTreeNode root;
    zip.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root),
              "hl\n"
              "  scientist[hl/scientist.mdl]\n"
              "players\n"
              "  male[players/male/tris.md2]\n"
              "    weapon[players/male/weapon.md2]\n"
              "progs\n"
              "  ogre[progs/ogre.mdl]\n"
              "sprites\n"
              "  s_bubble[sprites/s_bubble.sp2]\n");
    EXPECT_EQ(host_.progressTexts, std::vector<std::string>{"Building Directory Tree"});

    COGLImage image;
    ASSERT_TRUE(image.LoadFromArchive(zip, *zip.FindEntry("players/male/skin.pcx"), false, false, false));
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Path(), "players/male/skin.pcx");
    EXPECT_FALSE(image.LoadFromArchive(zip, *zip.FindEntry("sound/x.wav"), false, false, false));
    EXPECT_TRUE(host_.HasMessage("Invalid Image file format."));
}

// A port's pk3 holds PNG and TGA textures: they list as textures and decode from
// the bytes the zip inflates, as a bitmap does.
TEST_F(ZipArchiveTest, APortsPngTgaAndBmpTexturesReadFromThePk3) {
    PngImage png;
    png.width = 2;
    png.height = 2;
    png.channels = 4;
    png.pixels = {10, 20, 30, 255, 40, 50, 60, 0,  // top row
                  70, 80, 90, 128, 1, 2, 3, 255};
    // 32-bit TGA, stored bottom row first as B, G, R, A.
    const ByteBuffer tga = fixtures::WriteTga(2, 1, {30, 20, 10, 255, 60, 50, 40, 7}, fixtures::TgaOptions{2, 32});
    const std::string path = Write(ZipBuilder()
                                       .Add("textures/base/floor.png", *EncodePng(png))
                                       .Add("Textures/Base/WALL.TGA", tga, false)
                                       .Add("textures/base/sign.bmp", fixtures::WriteBmp24(1, 1, {5, 6, 7}))
                                       .Add("textures/base/broken.png", "\x89PNG not really")
                                       .Build());
    ZipArchive zip;
    ASSERT_TRUE(zip.Open(path));
    PakTreeNode root;
    zip.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root),
              "textures\n"
              "  base\n"
              "    broken[textures/base/broken.png]\n"
              "    floor[textures/base/floor.png]\n"
              "    sign[textures/base/sign.bmp]\n"
              "Textures\n"
              "  Base\n"
              "    WALL[Textures/Base/WALL.TGA]\n");
    for (const char* name : {"textures/base/floor.png", "TEXTURES/BASE/WALL.TGA", "textures/base/sign.bmp"}) {
        EXPECT_TRUE(COGLImage::IsArchivePicture(zip, name)) << name;
    }

    COGLImage image;
    ASSERT_TRUE(image.LoadFromArchive(zip, *zip.FindEntry("textures/base/floor.png"), false, false, false));
    ASSERT_EQ(image.Width(), 2);
    ASSERT_TRUE(image.HasAlpha());
    ASSERT_TRUE(image.FileAlpha());
    // Bottom row first: the PNG's second row, then its first.
    EXPECT_EQ(ByteBuffer(image.Pixels().begin(), image.Pixels().end()),
              (ByteBuffer{70, 80, 90, 128, 1, 2, 3, 255, 10, 20, 30, 255, 40, 50, 60, 0}));
    ASSERT_TRUE(image.LoadFromArchive(zip, *zip.FindEntry("textures/base/wall.tga"), false, false, false));
    EXPECT_EQ(ByteBuffer(image.Pixels().begin(), image.Pixels().end()), (ByteBuffer{10, 20, 30, 255, 40, 50, 60, 7}));
    ASSERT_TRUE(image.LoadFromArchive(zip, *zip.FindEntry("textures/base/sign.bmp"), false, false, false));
    EXPECT_EQ(ByteBuffer(image.Pixels().begin(), image.Pixels().end()), (ByteBuffer{5, 6, 7}));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_FALSE(image.LoadFromArchive(zip, *zip.FindEntry("textures/base/broken.png"), false, false, false));
    EXPECT_TRUE(host_.HasMessage("Could not load Bitmap."));
    EXPECT_FALSE(image.HasPixels());
}

TEST_F(ZipArchiveTest, RefusesHostileEntriesOneByOneAndKeepsTheRest) {
    const std::string longName(2000, 'n');
    ByteBuffer bytes = ZipBuilder()
                           .Add("good.txt", "good")
                           .Add("../evil.txt", "climbs out")
                           .Add("/etc/abs.txt", "absolute")
                           .Add("", "no name")
                           .Add("c:/drive.txt", "a drive")
                           .Add("dir//twice.txt", "an empty component")
                           .Add("dup1.txt", "first")
                           .Add("dup2.txt", "second")
                           .Add("DUP3.TXT", "third")
                           .Add("huge.bin", Pattern(64))
                           .Add("bzip.bin", Pattern(64))
                           .Add(longName, "long")
                           .Build();
    ASSERT_FALSE(bytes.empty());
    ZipBuilder::RenameEntry(bytes, "dup2.txt", "dup1.txt");
    ZipBuilder::RenameEntry(bytes, "DUP3.TXT", "Dup1.txt");  // the same name in another case
    ZipBuilder::SetStatedSize(bytes, "huge.bin", 300u << 20);
    ZipBuilder::SetMethod(bytes, "bzip.bin", 12);
    const std::string path = Write(bytes);
    ZipArchive zip;
    ASSERT_TRUE(zip.Open(path));
    ASSERT_EQ(zip.EntryCount(), 2);
    EXPECT_EQ(zip.Entry(0).name, "good.txt");
    EXPECT_EQ(zip.ReadEntry(*zip.FindEntry("dup1.txt")), ByteBuffer({'f', 'i', 'r', 's', 't'}));
    EXPECT_EQ(zip.FindEntry("huge.bin"), nullptr);
    const std::string unsafe =
        "\" is refused: a name must not be empty, start with \"/\" or a drive, or step out with \"..\".";
    EXPECT_EQ(zip.Problems(), (std::vector<std::string>{
                                  path + ": \"../evil.txt" + unsafe,
                                  path + ": \"/etc/abs.txt" + unsafe,
                                  path + ": \"" + unsafe,
                                  path + ": \"c:/drive.txt" + unsafe,
                                  path + ": \"dir//twice.txt" + unsafe,
                                  path + ": \"dup1.txt\" is stored more than once; the first one is used.",
                                  path + ": \"Dup1.txt\" is stored more than once; the first one is used.",
                                  path + ": \"huge.bin\" is refused: it would take more than 256 MB.",
                                  path + ": \"bzip.bin\" uses an unsupported compression.",
                                  path + ": \"" + longName.substr(0, 64) + "...\" is refused: its name is too long.",
                              }));
    EXPECT_TRUE(host_.messages.empty());  // listed, not shown one box each
}

TEST_F(ZipArchiveTest, AnEntryThatDoesNotInflateToItsStatedSizeIsNotRead) {
    // A megabyte of zeros deflates to about a kilobyte: a directory that understates
    // it must not make the reader inflate all of it, nor one that overstates it
    // pass for whole.
    const ByteBuffer zeros(1 << 20, 0);
    ByteBuffer bytes = ZipBuilder().Add("bomb.bin", zeros).Add("short.bin", zeros).Add("fine.bin", zeros).Build();
    ASSERT_FALSE(bytes.empty());
    ZipBuilder::SetStatedSize(bytes, "bomb.bin", 100);
    ZipBuilder::SetStatedSize(bytes, "short.bin", 2u << 20);
    const std::string path = Write(bytes);
    ZipArchive zip;
    ASSERT_TRUE(zip.Open(path));
    const PakEntry& bomb = *zip.FindEntry("bomb.bin");
    EXPECT_EQ(bomb.length, 100);
    EXPECT_FALSE(zip.ReadEntry(bomb));
    EXPECT_EQ(zip.ReadEntryHead(bomb, 12), ByteBuffer(12, 0));  // the start is still there
    EXPECT_FALSE(zip.ReadEntry(*zip.FindEntry("short.bin")));
    EXPECT_EQ(zip.ReadEntry(*zip.FindEntry("fine.bin")), zeros);
    EXPECT_EQ(zip.Problems(), (std::vector<std::string>{path + ": \"bomb.bin\" does not inflate to its stated size.",
                                                        path + ": \"short.bin\" does not inflate to its stated size."}));
}

TEST_F(ZipArchiveTest, RefusesFilesThatAreNoZipWithTheMessage) {
    ZipArchive missing;
    EXPECT_FALSE(missing.Open(dir_.File("missing.pk3")));
    EXPECT_TRUE(host_.messages.empty());  // a missing file fails silently

    ByteBuffer zip = ZipBuilder().Add("a.txt", "a").Build();
    const ByteBuffer cut(zip.begin(), zip.begin() + static_cast<std::ptrdiff_t>(zip.size() / 2));
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, ByteBuffer>>{
             {"text.pk3", ByteBuffer{'n', 'o', 't', ' ', 'a', ' ', 'z', 'i', 'p'}}, {"cut.pk3", cut}, {"empty.pk3", {}}}) {
        host_.Clear();
        const std::string path = dir_.Write(name, bytes);
        ZipArchive archive;
        EXPECT_FALSE(archive.Open(path)) << name;
        EXPECT_EQ(archive.EntryCount(), 0) << name;
        ASSERT_EQ(host_.messages.size(), 1u) << name;
        EXPECT_EQ(host_.messages[0].text, path + " is not a valid zip archive.");
    }
}
