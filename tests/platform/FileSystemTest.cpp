#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using namespace fs_util;

TEST(FileSystem, PathPieces) {
    EXPECT_EQ(DirectoryOf("players/male/tris.md2"), "players/male/");
    EXPECT_EQ(DirectoryOf("C:\\quake2\\baseq2\\pak0.pak"), "C:\\quake2\\baseq2\\");
    EXPECT_EQ(DirectoryOf("tris.md2"), "");
    EXPECT_EQ(FileNameOf("a/b\\c.pcx"), "c.pcx");
    EXPECT_EQ(FileTitleOf("models/x.y/skin.PCX"), "skin");
    EXPECT_EQ(ExtensionOf("a.b/file"), "");
    EXPECT_EQ(ExtensionOf("scene.DV"), "DV");
    EXPECT_TRUE(EqualsIgnoreCase("Players/Male", "players/MALE"));
}

TEST(FileSystem, GlobMatchesWithoutRegardToCase) {
    EXPECT_TRUE(GlobMatchIgnoreCase("*.pcx", "Male.PCX"));
    EXPECT_TRUE(GlobMatchIgnoreCase("w_*.md2", "W_Blaster.md2"));
    EXPECT_FALSE(GlobMatchIgnoreCase("w_*.md2", "a_grenades.md2"));
    EXPECT_TRUE(GlobMatchIgnoreCase("*", ""));
    EXPECT_TRUE(GlobMatchIgnoreCase("a?c*", "abcdef"));
    EXPECT_FALSE(GlobMatchIgnoreCase("*.md2", "tris.md2x"));
}

TEST(FileSystem, FindFilesSortsByNameIgnoringCase) {
    TempDir dir;
    for (const char* name : {"b.pcx", "A.PCX", "c.Pcx", "weapon.md2", "Z_i.pcx"}) {
        dir.Write(name, std::string("x"));
    }
    ::mkdir(dir.File("d.pcx").c_str(), 0755);  // directories are not files
    const auto files = FindFiles(dir.Path(), "*.pcx");
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(FileNameOf(files[0]), "A.PCX");
    EXPECT_EQ(FileNameOf(files[1]), "b.pcx");
    EXPECT_EQ(FileNameOf(files[2]), "c.Pcx");
    EXPECT_EQ(FileNameOf(files[3]), "Z_i.pcx");
    EXPECT_TRUE(FindFiles(dir.File("missing"), "*").empty());
}

TEST(FileSystem, ResolvesPathsWrittenInAnotherCase) {
    TempDir dir;
    const std::string real = dir.Write("baseq2/Players/Male/Tris.MD2", std::string("x"));
    EXPECT_EQ(ResolvePath(dir.Path() + "/baseq2/players/male/tris.md2"), real);
    EXPECT_EQ(ResolvePath(dir.Path() + "\\baseq2\\PLAYERS\\male\\TRIS.md2"), real);
    const std::string missing = dir.Path() + "/baseq2/players/female/tris.md2";
    EXPECT_EQ(ResolvePath(missing), missing);
    EXPECT_EQ(ResolvePath(real), real);
}

TEST(FileSystem, LogDirectoryFallsBackToUserStateDirectory) {
    TempDir dir;
    const std::string program = dir.Path() + "/program";
    ::mkdir(program.c_str(), 0555);
    paths::SetProgramDirectoryForTesting(program);
    paths::SetUserDirectoriesForTesting(dir.Path() + "/state/marovin", dir.Path() + "/data/marovin");
    if (::access(program.c_str(), W_OK) == 0) {
        // Running as root: nothing is read-only, so the program directory serves.
        EXPECT_EQ(paths::LogDirectory(), program + "/");
    } else {
        EXPECT_EQ(paths::LogDirectory(), dir.Path() + "/state/marovin/");
        EXPECT_TRUE(DirectoryExists(dir.Path() + "/state/marovin"));
    }
    paths::SetProgramDirectoryForTesting(dir.Path() + "/no/such/dir");
    EXPECT_EQ(paths::LogDirectory(), dir.Path() + "/state/marovin/");
    paths::SetProgramDirectoryForTesting("");
    paths::SetUserDirectoriesForTesting("", "");
    EXPECT_FALSE(paths::ProgramDirectory().empty());
}
