#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "media/COGLImage.h"
#include "media/CPakFile.h"
#include "media/FolderArchive.h"
#include "media/GameFolder.h"
#include "media/OpenArchive.h"
#include "media/Palette.h"
#include "media/WadArchive.h"
#include "media/ZipArchive.h"
#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"

using fixtures::FolderBuilder;
using fixtures::PakBuilder;
using fixtures::WadBuilder;
using fixtures::ZipBuilder;

namespace {
ByteBuffer Text(const std::string& text) { return ByteBuffer(text.begin(), text.end()); }


WadBuilder::Colours Grey() {
    WadBuilder::Colours colours(256);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        colours[i] = {v, v, v};
    }
    return colours;
}

class GameFolderTest : public HostFixture {
protected:
    std::string Root() const { return dir_.Path(); }
    std::string At(const std::string& relative) const { return dir_.File(relative); }
    void Write(const FolderBuilder& builder) { ASSERT_TRUE(builder.Write(Root())); }

    // "<file name of the source>" for each origin, to say where entries come from.
    static std::vector<std::string> Sources(const std::vector<Archive::Origin>& origins) {
        std::vector<std::string> names;
        for (const auto& origin : origins) {
            names.push_back(std::filesystem::path(origin.source->Path()).filename().string());
        }
        return names;
    }
    static std::string SourceOf(const Archive& archive, const std::string& name) {
        const PakEntry* entry = archive.FindEntry(name);
        return entry == nullptr ? "(none)" : Sources({archive.OriginOf(*entry)})[0];
    }
    static std::string Read(Archive& archive, const std::string& name) {
        const PakEntry* entry = archive.FindEntry(name);
        const auto bytes = entry != nullptr ? archive.ReadEntry(*entry) : std::nullopt;
        return bytes ? std::string(bytes->begin(), bytes->end()) : "(unread)";
    }

    TempDir dir_;
};
}  // namespace

TEST_F(GameFolderTest, AFolderListsEveryFileBelowItByItsRelativePath) {
    Write(FolderBuilder()
              .Add("loose/Models/Box/tris.md2", "box")
              .Add("loose/models/box/skin.pcx", "skin")
              .Add("loose/deep/a/b/c.txt", "deep")
              .Add("loose/Zeta.txt", "z")
              .Add("outside.txt", "not below the folder"));
    namespace fs = std::filesystem;
    fs::create_symlink(At("loose/Zeta.txt"), At("loose/link-inside.txt"));
    fs::create_symlink(At("outside.txt"), At("loose/link-outside.txt"));
    fs::create_directory_symlink(At("loose/deep"), At("loose/link-folder"));

    FolderArchive folder;
    ASSERT_TRUE(folder.Open(At("loose")));
    EXPECT_EQ(folder.Kind(), ArchiveKind::Folder);
    std::vector<std::string> names;
    for (int i = 0; i < folder.EntryCount(); ++i) {
        names.push_back(folder.Entry(i).name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"deep/a/b/c.txt", "link-inside.txt", "models/box/skin.pcx",
                                               "Models/Box/tris.md2", "Zeta.txt"}));
    const PakEntry* box = folder.FindEntry("MODELS\\BOX\\TRIS.MD2");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->length, 3);
    EXPECT_EQ(Read(folder, "models/Box/Skin.pcx"), "skin");
    EXPECT_EQ(Read(folder, "link-inside.txt"), "z");
    EXPECT_EQ(folder.ReadEntryHead(*box, 2), Text("bo"));
    EXPECT_EQ(folder.ReadEntryHead(*box, 12), Text("box"));
    PakTreeNode root;
    folder.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root), "Models\n  Box[Models/Box/tris.md2]\n");

    FolderArchive missing;
    EXPECT_FALSE(missing.Open(At("missing")));
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(GameFolderTest, KnowsTheGameByItsFolderAModBesideItOrAnInstallHoldingIt) {
    Write(FolderBuilder()
              .Add("quake2/BaseQ2/pak0.pak", PakBuilder().Build())
              .Add("quake2/mymod/readme.txt", "mod")
              .Add("quake/id1/readme.txt", "q1")
              .Add("hl/valve/readme.txt", "hl")
              .Add("hl/cstrike/readme.txt", "cs")
              .Add("sin/base/pak0.sin", PakBuilder(true).Add("readme.txt", "sin").Build())
              // A folder called "base" that is no SiN install: its pak is Quake 2's kind.
              .Add("home/base/pak0.pak", PakBuilder().Add("readme.txt", "not sin").Build())
              .Add("home/projects/readme.txt", "beside a base")
              .Add("plain/base/readme.txt", "no pak at all")
              .Add("elsewhere/readme.txt", "none"));
    const auto layout = [&](const std::string& folder) { return GameFolder::Detect(At(folder)); };
    ASSERT_TRUE(layout("quake2/BaseQ2"));
    EXPECT_EQ(layout("quake2/BaseQ2")->game, GameKind::Quake2);
    EXPECT_EQ(layout("quake2/BaseQ2")->baseFolder, At("quake2/BaseQ2"));
    EXPECT_EQ(layout("quake2/BaseQ2")->modFolder, "");
    ASSERT_TRUE(layout("quake2/mymod"));
    EXPECT_EQ(layout("quake2/mymod")->baseFolder, At("quake2/BaseQ2"));
    EXPECT_EQ(layout("quake2/mymod")->modFolder, At("quake2/mymod"));
    ASSERT_TRUE(layout("quake2"));  // the install root opens its game folder
    EXPECT_EQ(layout("quake2")->baseFolder, At("quake2/BaseQ2"));
    EXPECT_EQ(layout("quake2")->modFolder, "");
    EXPECT_EQ(layout("quake/id1/")->game, GameKind::Quake1);
    EXPECT_EQ(layout("quake/id1/")->baseFolder, At("quake/id1"));
    EXPECT_EQ(layout("hl/cstrike")->game, GameKind::HalfLife);
    ASSERT_TRUE(layout("sin/base"));
    EXPECT_EQ(layout("sin/base")->game, GameKind::Sin);  // its pak is SiN's "SPAK"
    ASSERT_TRUE(layout("sin"));
    EXPECT_EQ(layout("sin")->baseFolder, At("sin/base"));
    for (const char* notSin : {"home/base", "home/projects", "home", "plain/base", "plain"}) {
        EXPECT_FALSE(layout(notSin)) << notSin;
    }
    EXPECT_EQ(OpenArchive(At("home/base"))->Kind(), ArchiveKind::Folder);
    EXPECT_FALSE(layout("elsewhere"));
    EXPECT_FALSE(layout("missing"));

    EXPECT_EQ(OpenArchive(At("quake2/mymod"))->Kind(), ArchiveKind::Game);
    EXPECT_EQ(OpenArchive(At("elsewhere"))->Kind(), ArchiveKind::Folder);
    GameFolder none;
    EXPECT_FALSE(none.Open(At("elsewhere")));
}

TEST_F(GameFolderTest, Quake2AsksOtherArchivesThenLaterPaksThenLooseFiles) {
    Write(FolderBuilder()
              .Add("baseq2/pak0.pak", PakBuilder()
                                          .Add("a.txt", "pak0")
                                          .Add("b.txt", "pak0")
                                          .Add("c.txt", "pak0")
                                          .Add("models/x/tris.md2", "x")
                                          .Build())
              .Add("baseq2/pak2.pak", PakBuilder().Add("A.TXT", "pak2").Build())  // pak1 is missing: skipped
              .Add("baseq2/aa.pk3", ZipBuilder().Add("c.txt", "aa").Build())
              .Add("baseq2/zz.pk3", ZipBuilder().Add("b.txt", "zz").Add("c.txt", "zz").Build())
              .Add("baseq2/a.txt", "loose")
              .Add("baseq2/d.txt", "loose")
              .Add("baseq2/Models/Y/tris.md2", "y"));
    GameFolder game;
    ASSERT_TRUE(game.Open(At("baseq2")));
    EXPECT_EQ(game.Kind(), ArchiveKind::Game);
    EXPECT_EQ(game.Path(), At("baseq2"));
    std::vector<std::string> stack;
    for (int i = 0; i < game.SourceCount(); ++i) {
        stack.push_back(std::filesystem::path(game.Source(i).Path()).filename().string());
    }
    EXPECT_EQ(stack, (std::vector<std::string>{"zz.pk3", "aa.pk3", "pak2.pak", "pak0.pak", "baseq2"}));

    EXPECT_EQ(Read(game, "a.txt"), "pak2");  // a pak over a loose file, pak2 over pak0
    EXPECT_EQ(SourceOf(game, "A.txt"), "pak2.pak");
    EXPECT_EQ(Sources(game.HiddenBy(*game.FindEntry("a.txt"))), (std::vector<std::string>{"pak0.pak", "baseq2"}));
    EXPECT_EQ(Read(game, "b.txt"), "zz");  // other archives over numbered ones
    EXPECT_EQ(Read(game, "c.txt"), "zz");  // the last by name asked first
    EXPECT_EQ(Sources(game.HiddenBy(*game.FindEntry("c.txt"))), (std::vector<std::string>{"aa.pk3", "pak0.pak"}));
    EXPECT_EQ(Read(game, "D.TXT"), "loose");
    EXPECT_EQ(game.OriginOf(*game.FindEntry("d.txt")).source->Kind(), ArchiveKind::Folder);
    EXPECT_TRUE(game.HiddenBy(*game.FindEntry("d.txt")).empty());
    EXPECT_EQ(Read(game, "models\\y\\TRIS.md2"), "y");
    EXPECT_EQ(game.FindEntry("pak1.pak"), nullptr);
    EXPECT_NE(game.FindEntry("pak0.pak"), nullptr);  // the engine can open it as a loose file too
    EXPECT_TRUE(game.Problems().empty());
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(GameFolderTest, AModStacksOverItsBaseAndDescribesTheStack) {
    Write(FolderBuilder()
              .Add("quake2/baseq2/pak0.pak", PakBuilder().Add("a.txt", "base").Add("b.txt", "base").Build())
              .Add("quake2/mymod/pak0.pak", PakBuilder().Add("a.txt", "mod").Build())
              .Add("quake2/mymod/e.txt", "mod loose"));
    GameFolder game;
    ASSERT_TRUE(game.Open(At("quake2/mymod")));
    EXPECT_EQ(Read(game, "a.txt"), "mod");
    EXPECT_EQ(Sources(game.HiddenBy(*game.FindEntry("a.txt"))), std::vector<std::string>{"pak0.pak"});
    EXPECT_EQ(game.HiddenBy(*game.FindEntry("a.txt"))[0].source->Path(), At("quake2/baseq2/pak0.pak"));
    EXPECT_EQ(Read(game, "b.txt"), "base");
    EXPECT_EQ(Read(game, "e.txt"), "mod loose");
    EXPECT_EQ(game.Description(), "Quake 2 game: mymod over baseq2, 4 entries\n"
                                  "  1. " + At("quake2/mymod/pak0.pak") + " (pak, 1 entry)\n"
                                  "  2. " + At("quake2/mymod") + " (folder, 2 entries)\n"
                                  "  3. " + At("quake2/baseq2/pak0.pak") + " (pak, 2 entries)\n"
                                  "  4. " + At("quake2/baseq2") + " (folder, 1 entry)\n");
}

// Quake's engines read pak0.pak, pak1.pak, ... up to the first missing number and no
// other archive; the gfx.wad in a pak is the one the engine loads, and its pictures
// are found and listed as a loose WAD's are.
TEST_F(GameFolderTest, QuakeStacksNumberedPaksToAGapAndOpensTheWadsInThem) {
    const ByteBuffer gfx = WadBuilder(false)
                               .AddQpic("conback", 2, 1, {7, 8})
                               .AddMip("conchars", 2, 2, {1, 1, 1, 1})  // bare pixels: no picture
                               .AddLump("palette", 0x40, ByteBuffer(768, 0))
                               .Build();
    Write(FolderBuilder()
              .Add("quake/id1/pak0.pak", PakBuilder().Add("a.txt", "pak0").Add("gfx.wad", gfx).Build())
              .Add("quake/id1/PAK1.PAK", PakBuilder().Add("a.txt", "pak1").Add("b.txt", "pak1").Build())
              .Add("quake/id1/pak3.pak", PakBuilder().Add("a.txt", "pak3").Build())     // after the gap
              .Add("quake/id1/pak02.pak", PakBuilder().Add("a.txt", "pak02").Build())   // no "pak%i.pak"
              .Add("quake/id1/zz.pak", PakBuilder().Add("b.txt", "other pak").Build())  // not numbered
              .Add("quake/id1/extra.pk3", ZipBuilder().Add("a.txt", "zip").Build())     // Quake reads no zip
              .Add("quake/id1/c.txt", "loose"));
    GameFolder quake;
    ASSERT_TRUE(quake.Open(At("quake")));
    std::vector<std::string> stack;
    for (int i = 0; i < quake.SourceCount(); ++i) {
        stack.push_back(std::filesystem::path(quake.Source(i).Path()).filename().string());
    }
    EXPECT_EQ(stack, (std::vector<std::string>{"PAK1.PAK", "pak0.pak", "id1", "gfx.wad"}));
    EXPECT_EQ(quake.Source(3).Path(), At("quake/id1/pak0.pak") + "/gfx.wad");
    EXPECT_EQ(Read(quake, "a.txt"), "pak1");
    EXPECT_EQ(Read(quake, "b.txt"), "pak1");
    EXPECT_EQ(Read(quake, "extra.pk3").substr(0, 2), "PK");  // a loose file to Quake, not an archive
    EXPECT_EQ(quake.Problems(), std::vector<std::string>{At("quake") + ": \"pak3.pak\" is not read: a pak before it "
                                                                       "is missing."});

    const PakEntry* conback = quake.FindEntry("CONBACK");
    ASSERT_NE(conback, nullptr);
    EXPECT_EQ(SourceOf(quake, "conback"), "gfx.wad");
    EXPECT_TRUE(quake.IsPicture(*conback));
    EXPECT_FALSE(quake.IsPicture(*quake.FindEntry("conchars")));
    EXPECT_FALSE(quake.IsPicture(*quake.FindEntry("palette")));
    COGLImage image;
    ASSERT_TRUE(image.LoadFromArchive(quake, *conback, false, false, false));
    EXPECT_EQ(image.Width(), 2);
    const auto& q1 = BuiltInQuake1Palette();
    EXPECT_EQ(image.Pixels()[0], GammaTable()[q1[7 * 3]]);
    PakTreeNode root;
    quake.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root), "gfx.wad\n  conback[conback]\n");

    // Quake 2 keeps reading every archive of its folder.
    Write(FolderBuilder()
              .Add("quake2/baseq2/pak0.pak", PakBuilder().Add("a.txt", "pak0").Build())
              .Add("quake2/baseq2/extra.pk3", ZipBuilder().Add("a.txt", "zip").Build()));
    GameFolder quake2;
    ASSERT_TRUE(quake2.Open(At("quake2")));
    EXPECT_EQ(Read(quake2, "a.txt"), "zip");

    Write(FolderBuilder()
              .Add("sin/base/pak0.sin", PakBuilder(true).Add("a.txt", "pak0").Add("b.txt", "pak0").Build())
              .Add("sin/base/pak1.sin", PakBuilder(true).Add("a.txt", "pak1").Build())
              .Add("sin/base/extra.sin", PakBuilder(true).Add("b.txt", "extra").Build()));
    GameFolder sin;
    ASSERT_TRUE(sin.Open(At("sin/base")));
    EXPECT_EQ(sin.GameLayout().game, GameKind::Sin);
    EXPECT_EQ(Read(sin, "a.txt"), "pak1");
    EXPECT_EQ(Read(sin, "b.txt"), "extra");
}

// A player folder kept elsewhere and linked into players/ is listed as if it lay
// there; links that lead back up the tree or into a folder already listed are not
// walked again, so nothing loops or shows twice.
TEST_F(GameFolderTest, LinkedFoldersAreFollowedOnceAndLinkLoopsEnd) {
    namespace fs = std::filesystem;
    Write(FolderBuilder()
              .Add("quake2/baseq2/players/male/tris.md2", "male")
              .Add("quake2/baseq2/players/male/grunt.pcx", "skin")
              .Add("models/duke/tris.md2", "duke, kept outside the game")
              .Add("models/duke/duke.pcx", "skin")
              .Add("models/duke/secret.txt", "a file link out of the walked folders")
              .Add("private.txt", "outside everything"));
    fs::create_directory_symlink(At("models/duke"), At("quake2/baseq2/players/duke"));
    fs::create_directory_symlink(At("models/duke"), At("quake2/baseq2/players/duke-again"));  // listed once
    fs::create_directory_symlink(At("quake2/baseq2/players/male"), At("quake2/baseq2/players/alias"));
    fs::create_directory_symlink(At("quake2/baseq2"), At("quake2/baseq2/players/loop"));   // back up the tree
    fs::create_directory_symlink(At("quake2"), At("quake2/baseq2/players/install"));      // above the folder
    fs::create_directory_symlink(At("quake2/baseq2/players"), At("models/duke/up"));       // loops through duke
    fs::create_symlink(At("private.txt"), At("models/duke/private.txt"));
    fs::create_symlink(At("models/duke/duke.pcx"), At("quake2/baseq2/players/male/linked.pcx"));
    fs::create_symlink(At("quake2/baseq2/players/loop"), At("quake2/baseq2/self"));  // a link to a link

    GameFolder game;
    ASSERT_TRUE(game.Open(At("quake2/baseq2")));
    std::vector<std::string> names;
    for (int i = 0; i < game.EntryCount(); ++i) {
        names.push_back(game.Entry(i).name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"players/duke/duke.pcx", "players/duke/secret.txt",
                                               "players/duke/tris.md2", "players/male/grunt.pcx",
                                               "players/male/linked.pcx", "players/male/tris.md2"}));
    EXPECT_EQ(Read(game, "players/duke/tris.md2"), "duke, kept outside the game");
    EXPECT_EQ(Read(game, "players/male/linked.pcx"), "skin");  // it leads into a folder walked
    PakTreeNode root;
    game.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root), "players\n  duke[players/duke/tris.md2]\n  male[players/male/tris.md2]\n");
}

TEST_F(GameFolderTest, HalfLifeAsksTheModItsDownloadsThenValveAndAddsTheirWads) {
    Write(FolderBuilder()
              .Add("hl/valve/models/a.mdl", fixtures::StudioHead(10))
              .Add("hl/valve/x.txt", "valve")
              .Add("hl/valve/halflife.wad",
                   WadBuilder(true).AddMip("BRICK", 2, 2, {1, 2, 3, 4}, Grey()).AddMip("sky", 2, 2, {5, 5, 5, 5}, Grey())
                       .Build())
              .Add("hl/valve_downloads/y.txt", "valve downloads")
              .Add("hl/valve_downloads/x.txt", "valve downloads")
              .Add("hl/cstrike/models/a.mdl", fixtures::StudioHead(10))
              .Add("hl/cstrike/cs.wad", WadBuilder(true).AddMip("brick", 2, 2, {9, 9, 9, 9}, Grey()).Build())
              .Add("hl/cstrike_downloads/y.txt", "cs downloads"));
    GameFolder game;
    ASSERT_TRUE(game.Open(At("hl/cstrike")));
    EXPECT_EQ(SourceOf(game, "models/a.mdl"), "cstrike");
    EXPECT_EQ(Sources(game.HiddenBy(*game.FindEntry("models/a.mdl"))), std::vector<std::string>{"valve"});
    EXPECT_EQ(Read(game, "y.txt"), "cs downloads");
    EXPECT_EQ(Read(game, "x.txt"), "valve");  // loose files of valve over its downloads
    EXPECT_EQ(SourceOf(game, "brick"), "cs.wad");
    EXPECT_EQ(Sources(game.HiddenBy(*game.FindEntry("brick"))), std::vector<std::string>{"halflife.wad"});

    const PakEntry& brick = *game.FindEntry("BRICK");
    EXPECT_TRUE(game.IsPicture(brick));
    EXPECT_FALSE(game.IsPicture(*game.FindEntry("x.txt")));
    COGLImage image;
    ASSERT_TRUE(image.LoadFromArchive(game, brick, false, false, false));
    EXPECT_EQ(image.Pixels()[0], GammaTable()[9]);  // cs.wad's brick, grey 9

    PakTreeNode root;
    game.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root),
              "cs.wad\n"
              "  brick[brick]\n"
              "halflife.wad\n"
              "  sky[sky]\n"
              "models\n"
              "  a[models/a.mdl]\n");
    EXPECT_EQ(host_.progressSteps, 1);
    EXPECT_EQ(host_.progressDepth, 0);
}

TEST_F(GameFolderTest, TreeListsEachWinnerAsItsOwnSourceListsIt) {
    Write(FolderBuilder()
              .Add("baseq2/pak0.pak", PakBuilder()
                                          .Add("players/male/tris.md2", "m")
                                          .Add("players/male/weapon.md2", "w")
                                          .Add("sound/x.wav", "s")
                                          .Build())
              .Add("baseq2/mods.pk3", ZipBuilder().Add("models/ogre/tris.md2", "o").Build())
              .Add("baseq2/players/male/cape.md2", "loose")
              .Add("baseq2/players/male/weapon.md2", "hidden by the pak")
              .Add("baseq2/walls.wad", WadBuilder(false).AddMip("wall", 2, 2, {1, 2, 3, 4}).Build()));
    GameFolder game;
    ASSERT_TRUE(game.Open(At("baseq2")));
    PakTreeNode root;
    game.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root),
              "models\n"
              "  ogre[models/ogre/tris.md2]\n"
              "players\n"
              "  male[players/male/tris.md2]\n"
              "    cape[players/male/cape.md2]\n"
              "    weapon[players/male/weapon.md2]\n"
              "walls.wad\n"
              "  wall[wall]\n");
    EXPECT_EQ(SourceOf(game, "players/male/weapon.md2"), "pak0.pak");
}

TEST_F(GameFolderTest, AnArchiveThatFailsToOpenIsLeftOutWithItsMessage) {
    Write(FolderBuilder()
              .Add("baseq2/pak0.pak", PakBuilder().Add("a.txt", "pak0").Build())
              .Add("baseq2/pak1.pak", "not a pak")
              .Add("baseq2/broken.pk3", "not a zip either"));
    GameFolder game;
    ASSERT_TRUE(game.Open(At("baseq2")));
    EXPECT_EQ(Read(game, "a.txt"), "pak0");
    ASSERT_EQ(host_.messages.size(), 2u);
    EXPECT_EQ(host_.messages[0].text, At("baseq2/broken.pk3") + " is not a valid zip archive.");
    EXPECT_EQ(host_.messages[1].text, At("baseq2/pak1.pak") + " is not a valid Quake2 Pak file.");
    EXPECT_EQ(game.Problems(),
              (std::vector<std::string>{
                  At("baseq2") + ": \"" + At("baseq2/broken.pk3") + "\" could not be opened and is left out of the game.",
                  At("baseq2") + ": \"" + At("baseq2/pak1.pak") + "\" could not be opened and is left out of the game.",
              }));
}

TEST_F(GameFolderTest, OpenArchiveChoosesByMagicBeforeExtension) {
    Write(FolderBuilder()
              .Add("pak-named.pk3", PakBuilder().Add("a.txt", "a").Build())
              .Add("zip-named.pak", ZipBuilder().Add("a.txt", "a").Build())
              .Add("wad-named.dat", WadBuilder(false).AddQpic("a", 1, 1, {1}).Build())
              .Add("unknown.pak", "neither")
              .Add("unknown.wad", "neither")
              .Add("unknown.bin", "neither"));
    EXPECT_EQ(OpenArchive(At("pak-named.pk3"))->Kind(), ArchiveKind::Pak);
    EXPECT_EQ(OpenArchive(At("zip-named.pak"))->Kind(), ArchiveKind::Zip);
    EXPECT_EQ(OpenArchive(At("wad-named.dat"))->Kind(), ArchiveKind::Wad);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(OpenArchive(At("missing.pak")), nullptr);
    EXPECT_TRUE(host_.messages.empty());  // a missing file fails silently

    // A file of no known magic is reported by the kind its extension names.
    EXPECT_EQ(OpenArchive(At("unknown.pak")), nullptr);
    EXPECT_EQ(OpenArchive(At("unknown.wad")), nullptr);
    EXPECT_EQ(OpenArchive(At("unknown.bin")), nullptr);
    ASSERT_EQ(host_.messages.size(), 3u);
    EXPECT_EQ(host_.messages[0].text, At("unknown.pak") + " is not a valid Quake2 Pak file.");
    EXPECT_EQ(host_.messages[1].text, At("unknown.wad") + " is not a valid WAD file.");
    EXPECT_EQ(host_.messages[2].text, At("unknown.bin") + " is not an archive: neither a pak, a zip nor a WAD file.");
}

TEST_F(GameFolderTest, ExtractionPathKeepsEntriesInsideTheTargetFolder) {
    EXPECT_EQ(ExtractionPath("models/box/tris.md2"), "models/box/tris.md2");
    EXPECT_EQ(ExtractionPath("models\\box\\tris.md2"), "models/box/tris.md2");
    EXPECT_EQ(ExtractionPath("{grate"), "{grate");
    EXPECT_EQ(ExtractionPath("a..b/c"), "a..b/c");  // dots inside a name climb nowhere
    for (const char* refused : {"", "/etc/passwd", "\\server\\share", "../up", "a/../../up", "a/..", "..\\up",
                                "./here", "a//b", "a/", "c:/windows", "c:x", "stream.txt:hidden", "bell\a", "tab\tname"}) {
        EXPECT_FALSE(ExtractionPath(refused)) << refused;
    }
}
