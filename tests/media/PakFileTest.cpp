#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "media/CPakFile.h"
#include "platform/Messages.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"

using fixtures::PakBuilder;

namespace {
class PakFileTest : public HostFixture {
protected:
    std::string WritePak(const PakBuilder& builder, const std::string& name = "test.pak") {
        return dir_.Write(name, builder.Build());
    }

    TempDir dir_;
};

}  // namespace

TEST_F(PakFileTest, OpensQuake2AndSinArchivesAndFindsEntriesWithoutRegardToCase) {
    const std::string path = WritePak(PakBuilder()
                                          .Add("Players/Male/tris.md2", "first")
                                          .Add("players/male/TRIS.MD2", "second")
                                          .Add("pics/odd name #1.pcx", "odd"));
    CPakFile pak;
    ASSERT_TRUE(pak.Open(path));
    EXPECT_EQ(pak.NameLength(), 56);
    EXPECT_EQ(pak.EntryCount(), 3);
    EXPECT_EQ(pak.Path(), path);
    const PakEntry* found = pak.FindEntry("players/male/TRIS.MD2");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name, "Players/Male/tris.md2");  // the first of the two equal names
    EXPECT_EQ(found->index, 0);
    EXPECT_EQ(pak.ReadEntry(*found), ByteBuffer({'f', 'i', 'r', 's', 't'}));
    ASSERT_NE(pak.FindEntry("PICS/ODD NAME #1.PCX"), nullptr);
    EXPECT_EQ(pak.FindEntry("pics\\odd name #1.pcx"), nullptr);  // separators are not normalised
    EXPECT_EQ(pak.FindEntry("players/male"), nullptr);
    // The second of the two stays an entry but is never found: the archive says so.
    EXPECT_FALSE(pak.IsFoundByName(pak.Entry(1)));
    EXPECT_TRUE(pak.IsFoundByName(pak.Entry(0)));
    EXPECT_EQ(pak.Problems(), std::vector<std::string>{path + ": \"players/male/TRIS.MD2\" is stored more than once; "
                                                              "the first one is used."});

    const std::string longName = "models/" + std::string(112, 'n');  // 119 characters
    CPakFile sin;
    ASSERT_TRUE(sin.Open(WritePak(PakBuilder(true).Add(longName, "sin"), "test.sin")));
    EXPECT_EQ(sin.NameLength(), 120);
    ASSERT_EQ(sin.EntryCount(), 1);
    EXPECT_EQ(sin.Entry(0).name, longName);
    EXPECT_EQ(sin.Entry(0).length, 3);
    EXPECT_TRUE(sin.Problems().empty());
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(PakFileTest, RefusesArchivesWithABadHeaderWithTheMessage) {
    CPakFile missing;
    EXPECT_FALSE(missing.Open(dir_.File("missing.pak")));
    EXPECT_TRUE(host_.messages.empty());  // a missing file fails silently

    ByteBuffer wrongMagic = PakBuilder().Add("a.txt", "x").Build();
    wrongMagic[0] = 'Q';
    ByteBuffer pastEnd = PakBuilder().Add("a.txt", "x").Build();
    pastEnd[8] = 200;  // directory length runs past the end of the file
    ByteBuffer negative = PakBuilder().Add("a.txt", "x").Build();
    negative[7] = 0x80;  // negative directory offset
    const ByteBuffer shortHeader = {'P', 'A', 'C', 'K', 0, 0};
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, ByteBuffer>>{
             {"magic.pak", wrongMagic}, {"past.pak", pastEnd}, {"negative.pak", negative}, {"short.pak", shortHeader}}) {
        host_.Clear();
        const std::string path = dir_.Write(name, bytes);
        CPakFile pak;
        EXPECT_FALSE(pak.Open(path)) << name;
        EXPECT_EQ(pak.EntryCount(), 0) << name;
        ASSERT_EQ(host_.messages.size(), 1u) << name;
        EXPECT_EQ(host_.messages[0].text, path + " is not a valid Quake2 Pak file.");
    }
}

TEST_F(PakFileTest, RefusesBadEntriesAndKeepsTheRest) {
    PakBuilder builder;
    builder.Add("good/one.txt", "one")
        .AddRaw("past/end.txt", 12, 1 << 20)
        .AddRaw("negative/length.txt", 12, -1)
        .AddRaw("negative/offset.txt", -5, 1)
        .AddRaw("unterminated", 12, 1, false)
        .Add("good/two.txt", "two");
    ByteBuffer bytes = builder.Build();
    bytes.insert(bytes.end(), {1, 2, 3});  // a partial entry after the last one is ignored
    bytes[8] = static_cast<std::uint8_t>(bytes[8] + 3);
    CPakFile pak;
    ASSERT_TRUE(pak.Open(dir_.Write("bad-entries.pak", bytes)));
    ASSERT_EQ(pak.EntryCount(), 2);
    EXPECT_EQ(pak.Entry(0).name, "good/one.txt");
    EXPECT_EQ(pak.Entry(1).name, "good/two.txt");
    EXPECT_EQ(pak.Entry(1).index, 5);  // its place in the directory as stored
    EXPECT_EQ(pak.FindEntry("past/end.txt"), nullptr);
    EXPECT_EQ(pak.ReadEntry(pak.Entry(1)), ByteBuffer({'t', 'w', 'o'}));
}

TEST_F(PakFileTest, SharesOneCountedStreamAndKeepsItsPosition) {
    CPakFile pak;
    ASSERT_TRUE(pak.Open(WritePak(PakBuilder().Add("a.bin", "abcdef").Add("b.bin", "XYZ"))));
    std::FILE* first = pak.OpenStream();
    ASSERT_NE(first, nullptr);
    std::fseek(first, 5, SEEK_SET);
    std::FILE* second = pak.OpenStream();
    EXPECT_EQ(second, first);
    EXPECT_EQ(pak.OpenCount(), 2);
    EXPECT_EQ(std::ftell(second), 5);  // a second user does not reset the position

    EXPECT_EQ(pak.ReadEntry(*pak.FindEntry("b.bin")), ByteBuffer({'X', 'Y', 'Z'}));
    EXPECT_EQ(std::ftell(first), 5);
    EXPECT_EQ(pak.OpenCount(), 2);

    pak.CloseStream(nullptr);  // not the shared handle: ignored
    pak.CloseStream(second);
    EXPECT_EQ(pak.OpenCount(), 1);
    pak.CloseStream(first);
    EXPECT_EQ(pak.OpenCount(), 0);
    EXPECT_EQ(pak.ReadEntry(*pak.FindEntry("a.bin")), ByteBuffer({'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(pak.OpenCount(), 0);
}

// Mending the Part, whose rules are case-sensitive but for "mdl": game data comes in
// any case, and the engines find MODELS/X.MD2 as they find models/x.md2.
TEST_F(PakFileTest, TreeListsWhatCanBePutIntoASceneWhateverTheCase) {
    BinaryWriter quake;
    quake.WriteBytes("IDPO", 4);
    const ByteBuffer studio = fixtures::StudioHead(10);
    const ByteBuffer textures = fixtures::StudioHead(0);
    const std::string path = WritePak(PakBuilder()
                                          .Add("players/male/tris.md2", "m")
                                          .Add("players/male/weapon.md2", "w")
                                          .Add("players/male/weapon.pcx", "skin")
                                          .Add("PLAYERS/MALE/WEAPON.MD2", "the same name again: not listed")
                                          .Add("Players/Ogre/TRIS.MD2", "folded whatever its case")
                                          .Add("MODELS/X.MD2", "upper case is listed")
                                          .Add("models/y.Md2", "and so is a mixed-case extension")
                                          .Add("env/unit1_up.tga", "sky")
                                          .Add("ENV/UNIT1_DN.TGA", "sky")
                                          .Add("env/unit1_up.pcx", "not tga")
                                          .Add("gfx/env/sky.tga", "sky")
                                          .Add("GFX/ENV/SKY2.Tga", "sky")
                                          .Add("gfx/other.tga", "not env")
                                          .Add("textures/e1u1/wall.wal", "tex")
                                          .Add("textures/e1u1/wall.tga", "tex, same base name")
                                          .Add("Textures/E1U1/SKIN.PCX", "tex in upper case")
                                          .Add("sin/models/thing.def", "def")
                                          .Add("sin/models/OTHER.DEF", "def")
                                          .Add("progs/ogre.MDL", quake.Bytes())
                                          .Add("hl/scientist.mdl", studio)
                                          .Add("hl/scientistT.mdl", textures)
                                          .Add("hl/seq01.mdl", "IDSQ....")
                                          .Add("hl/short.mdl", "ID")
                                          .Add("sprites/s_bubble.sp2", "sp2")
                                          .Add("sprites/hl.spr", "spr")
                                          .Add("SPRITES/FLAME.SPR", "spr")
                                          .Add("sound/x.wav", "skipped")
                                          .Add("SOUND/Y.WAV", "skipped")
                                          .Add("top.md2", "top level")
                                          .Add("v1.2/odd.md2", "dotted directory"));
    CPakFile pak;
    ASSERT_TRUE(pak.Open(path));
    PakTreeNode root;
    pak.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root),
              "2\n"
              "  odd[v1.2/odd.md2]\n"  // a directory component ends at a dot as well
              "env\n"  // of texts alike but for case, the first in directory order first
              "  unit1_up[env/unit1_up.tga]\n"
              "ENV\n"
              "  UNIT1_DN[ENV/UNIT1_DN.TGA]\n"
              "gfx\n"
              "  env\n"
              "    sky[gfx/env/sky.tga]\n"
              "GFX\n"
              "  ENV\n"
              "    SKY2[GFX/ENV/SKY2.Tga]\n"
              "hl\n"
              "  scientist[hl/scientist.mdl]\n"
              "MODELS\n"
              "  X[MODELS/X.MD2]\n"
              "models\n"
              "  y[models/y.Md2]\n"
              "players\n"
              "  male[players/male/tris.md2]\n"
              "    weapon[players/male/weapon.md2]\n"
              "Players\n"
              "  Ogre[Players/Ogre/TRIS.MD2]\n"
              "progs\n"
              "  ogre[progs/ogre.MDL]\n"
              "sin\n"
              "  models\n"
              "    OTHER[sin/models/OTHER.DEF]\n"
              "    thing[sin/models/thing.def]\n"
              "sprites\n"
              "  hl[sprites/hl.spr]\n"
              "  s_bubble[sprites/s_bubble.sp2]\n"
              "SPRITES\n"
              "  FLAME[SPRITES/FLAME.SPR]\n"
              "textures\n"
              "  e1u1\n"
              "    wall[textures/e1u1/wall.wal]\n"
              "    wall[textures/e1u1/wall.tga]\n"
              "Textures\n"
              "  E1U1\n"
              "    SKIN[Textures/E1U1/SKIN.PCX]\n"
              "top[top.md2]\n");
    EXPECT_EQ(pak.OpenCount(), 0);
    EXPECT_EQ(host_.progressTexts, std::vector<std::string>{"Building Directory Tree"});
    EXPECT_EQ(host_.progressSteps, 1);  // after entry 0 only
    EXPECT_EQ(host_.progressDepth, 0);
}

TEST_F(PakFileTest, TreeFoldsTrisIntoItsDirectoryAndSortsEveryLevel) {
    PakBuilder builder;
    builder.Add("models/zeta/tris.md2", "z")
        .Add("models/Alpha/tris.md2", "a")
        .Add("models/beta.md2", "b")
        .Add("tris.md2", "top-level tris has no directory to fold into");
    for (int i = 0; i < 250; ++i) {
        builder.Add("sound/" + std::to_string(i) + ".wav", "s");
    }
    CPakFile pak;
    ASSERT_TRUE(pak.Open(WritePak(builder)));
    PakTreeNode root;
    pak.BuildDirectoryTree(root);
    EXPECT_EQ(DescribeTree(root),
              "models\n"
              "  Alpha[models/Alpha/tris.md2]\n"
              "  beta[models/beta.md2]\n"
              "  zeta[models/zeta/tris.md2]\n"
              "tris[tris.md2]\n");
    EXPECT_EQ(host_.progressSteps, 3);  // entries 0, 100 and 200

    CPakFile empty;
    ASSERT_TRUE(empty.Open(WritePak(PakBuilder().Add("sound/a.wav", "s"), "empty.pak")));
    PakTreeNode none;
    empty.BuildDirectoryTree(none);
    EXPECT_TRUE(none.children.empty());
    EXPECT_EQ(none.entry, nullptr);
}

TEST_F(PakFileTest, SelectableMdlReadsOnlyInsideItsEntry) {
    const ByteBuffer studio = fixtures::StudioHead(10);
    CPakFile pak;
    ASSERT_TRUE(pak.Open(WritePak(PakBuilder()
                                      .Add("a.mdl", "IDPO")
                                      .Add("b.mdl", studio)
                                      .Add("c.mdl", ByteBuffer(studio.begin(), studio.begin() + 8))
                                      .Add("d.mdl", "IDSQ")
                                      .Add("e.mdl", "IDP")
                                      .Add("f.mdl", fixtures::StudioHead(0)))));
    const auto selectable = [&](const char* name) { return pak.IsSelectableMdl(*pak.FindEntry(name)); };
    EXPECT_TRUE(selectable("a.mdl"));
    EXPECT_TRUE(selectable("b.mdl"));
    EXPECT_FALSE(selectable("c.mdl"));  // the version field lies beyond this entry
    EXPECT_FALSE(selectable("d.mdl"));
    EXPECT_FALSE(selectable("e.mdl"));
    EXPECT_FALSE(selectable("f.mdl"));
}

TEST_F(PakFileTest, LookupsFoldOnlyAsciiLettersOverNamesOfAnyLength) {
    const std::vector<std::string> names = {"@x", "`x", "[x", "{x", "\xC1x", "\xE1x", "Zz", "a\\b",
                                            "MODELS/Monsters/Soldier/Tris.MD2", "models/monsters/soldier/tris.md2x"};
    PakBuilder builder;
    for (const auto& name : names) {
        builder.Add(name, name);
    }
    CPakFile pak;
    ASSERT_TRUE(pak.Open(WritePak(builder)));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const PakEntry* entry = pak.FindEntry(names[i]);
        ASSERT_NE(entry, nullptr) << names[i];
        EXPECT_EQ(entry->index, static_cast<int>(i)) << names[i];  // no other name stands for it
    }
    EXPECT_EQ(pak.FindEntry("zZ"), &pak.Entry(6));
    EXPECT_EQ(pak.FindEntry("models/monsters/soldier/tris.md2"), &pak.Entry(8));
    EXPECT_EQ(pak.FindEntry("models/monsters/soldier/tris.md"), nullptr);
    EXPECT_EQ(pak.FindEntry("a/b"), nullptr);
}
