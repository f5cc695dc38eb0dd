#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/BinaryIO.h"
#include "support/TestSupport.h"
#include "support/WriteFailure.h"

namespace {
const ByteBuffer kOld = {'o', 'l', 'd'};
const ByteBuffer kBig(4096, 0x5A);

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::span<const std::uint8_t> Bytes(const ByteBuffer& bytes) { return bytes; }
}  // namespace

TEST(FileWrite, AFullDiskKeepsTheOldFileAndSaysWhy) {
    TempDir dir;
    const std::string path = dir.Write("scene.dv", kOld);
    const auto before = FolderContents(dir.Path());
    std::string error;
    {
        FileSizeLimit limit(1024);
        EXPECT_FALSE(WriteFileAtomically(path, kBig, &error));
        // Beneath the limit the same call goes through.
        EXPECT_TRUE(WriteFileAtomically(dir.File("small.dv"), ByteBuffer(100, 1)));
    }
    EXPECT_EQ(error, "cannot write '" + path + "': File too large");
    auto after = FolderContents(dir.Path());
    EXPECT_EQ(after.erase("small.dv"), 1u);
    EXPECT_EQ(after, before);  // the old bytes, and no temporary beside them

    // Where no file can be made: a folder that is a file (root is stopped too).
    EXPECT_FALSE(WriteFileAtomically(dir.File("scene.dv/inside.dv"), kBig, &error));
    EXPECT_NE(error.find("Not a directory"), std::string::npos) << error;
    EXPECT_EQ(FolderContents(dir.Path()).size(), before.size() + 1);
}

TEST(FileWrite, AReplacedFileKeepsItsPermissionsAndANewOneGetsTheUsualOnes) {
    TempDir dir;
    const std::string kept = dir.Write("private.dv", kOld);
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(kept, kBig));
    EXPECT_EQ(ModeOf(kept), 0640u);
    EXPECT_EQ(*ReadWholeFile(kept), kBig);

    const mode_t mask = ::umask(022);
    ASSERT_TRUE(WriteFileAtomically(dir.File("new.dv"), kOld));
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.File("new.dv")), 0644u);
}

TEST(FileWrite, ASetGoesInWholeOrNotAtAll) {
    TempDir dir;
    dir.Write("a.gltf", kOld);
    dir.Write("a.bin", kOld);
    const auto before = FolderContents(dir.Path());
    std::string error;
    {
        // The picture is too large: neither the document nor its .bin changes.
        FileSizeLimit limit(1024);
        EXPECT_FALSE(WriteFilesAtomically({{dir.File("a.bin"), Bytes(kOld)},
                                           {dir.File("a_0.png"), Bytes(kBig)},
                                           {dir.File("a.gltf"), Bytes(kOld)}},
                                          &error));
    }
    EXPECT_EQ(error, "cannot write '" + dir.File("a_0.png") + "': File too large");
    EXPECT_EQ(FolderContents(dir.Path()), before);

    const ByteBuffer fresh = {'n', 'e', 'w'};
    ASSERT_TRUE(WriteFilesAtomically(
        {{dir.File("a.bin"), Bytes(fresh)}, {dir.File("a_0.png"), Bytes(fresh)}, {dir.File("a.gltf"), Bytes(fresh)}}));
    for (const char* name : {"a.bin", "a_0.png", "a.gltf"}) {
        EXPECT_EQ(*ReadWholeFile(dir.File(name)), fresh) << name;
    }
}

TEST(FileWrite, ARenameThatFailsPartWayTakesBackOnlyWhatReplacedNothing) {
    TempDir dir;
    // A folder where the last file should go: its rename is the one that fails.
    std::filesystem::create_directory(dir.File("b.gltf"));
    const auto before = FolderContents(dir.Path());
    std::string error;
    EXPECT_FALSE(WriteFilesAtomically({{dir.File("b.bin"), Bytes(kBig)}, {dir.File("b.gltf"), Bytes(kBig)}}, &error));
    EXPECT_EQ(error.rfind("cannot replace '" + dir.File("b.gltf") + "': ", 0), 0u) << error;
    // b.bin took a free name: taken back, the folder is as it was.
    EXPECT_EQ(FolderContents(dir.Path()), before);

    // c.bin replaced a file: the old bytes are gone either way, so the new ones
    // stay rather than neither; no temporary is left.
    dir.Write("c.bin", kOld);
    std::filesystem::create_directory(dir.File("c.gltf"));
    EXPECT_FALSE(WriteFilesAtomically({{dir.File("c.bin"), Bytes(kBig)}, {dir.File("c.gltf"), Bytes(kBig)}}, &error));
    auto after = FolderContents(dir.Path());
    EXPECT_EQ(after["c.bin"], kBig);
    after.erase("c.bin");
    after.erase("c.gltf/");
    EXPECT_EQ(after, before);
}

// Saving over a link writes the file it leads to: the temporary goes beside that
// file, is renamed over it, and the link stays a link (through a chain of links,
// relative or absolute, and to a file not made yet).
TEST(FileWrite, ALinkKeepsBeingALinkAndItsFileTakesTheBytes) {
    namespace fs = std::filesystem;
    TempDir dir;
    fs::create_directories(dir.File("elsewhere"));
    fs::create_directories(dir.File("scenes"));
    const std::string target = dir.Write("elsewhere/real.dv", kOld);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    fs::create_symlink("../elsewhere/real.dv", dir.File("scenes/link.dv"));  // relative to the link's folder
    fs::create_symlink(dir.File("scenes/link.dv"), dir.File("scenes/chain.dv"));
    fs::create_symlink("../elsewhere/new.dv", dir.File("scenes/dangling.dv"));

    const ByteBuffer fresh = {'n', 'e', 'w'};
    ASSERT_TRUE(WriteFileAtomically(dir.File("scenes/link.dv"), fresh));
    EXPECT_TRUE(fs::is_symlink(dir.File("scenes/link.dv")));
    EXPECT_EQ(*ReadWholeFile(target), fresh);
    EXPECT_EQ(ModeOf(target), 0640u);
    ASSERT_TRUE(WriteFileAtomically(dir.File("scenes/chain.dv"), kBig));
    EXPECT_TRUE(fs::is_symlink(dir.File("scenes/chain.dv")));
    EXPECT_TRUE(fs::is_symlink(dir.File("scenes/link.dv")));
    EXPECT_EQ(*ReadWholeFile(target), kBig);
    ASSERT_TRUE(WriteFileAtomically(dir.File("scenes/dangling.dv"), fresh));
    EXPECT_EQ(*ReadWholeFile(dir.File("elsewhere/new.dv")), fresh);
    // Nothing but the links in the link's folder: no temporary was made there.
    for (const auto& entry : fs::directory_iterator(dir.File("scenes"))) {
        EXPECT_TRUE(fs::is_symlink(entry.symlink_status())) << entry.path();
    }
    EXPECT_EQ(FolderContents(dir.File("elsewhere")).size(), 2u);

    // A set through links: each file where its link leads.
    ASSERT_TRUE(WriteFilesAtomically({{dir.File("scenes/link.dv"), Bytes(kOld)}, {dir.File("scenes/b.bin"), Bytes(kOld)}}));
    EXPECT_EQ(*ReadWholeFile(target), kOld);
    EXPECT_EQ(*ReadWholeFile(dir.File("scenes/b.bin")), kOld);

    // A loop of links names no file.
    fs::create_symlink(dir.File("scenes/loop-b"), dir.File("scenes/loop-a"));
    fs::create_symlink(dir.File("scenes/loop-a"), dir.File("scenes/loop-b"));
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.File("scenes/loop-a"), fresh, &error));
    EXPECT_EQ(error.rfind("cannot write '" + dir.File("scenes/loop-a") + "': ", 0), 0u) << error;
    EXPECT_TRUE(fs::is_symlink(dir.File("scenes/loop-a")));
}

// A read-only file is refused, not replaced, though its folder would let a rename
// take its name; through a link too. (Checked by its mode, so it holds for root.)
TEST(FileWrite, AReadOnlyFileIsRefusedAndLeftUntouched) {
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string locked = dir.Write("locked.dv", kOld);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    fs::create_symlink(locked, dir.File("link.dv"));
    const auto before = FolderContents(dir.Path());
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(locked, kBig, &error));
    EXPECT_EQ(error, "cannot write '" + locked + "': the file is read-only");
    EXPECT_FALSE(WriteFileAtomically(dir.File("link.dv"), kBig, &error));
    EXPECT_EQ(error, "cannot write '" + dir.File("link.dv") + "': the file is read-only");
    // In a set, nothing of it is written.
    EXPECT_FALSE(WriteFilesAtomically({{dir.File("a.bin"), Bytes(kBig)}, {locked, Bytes(kBig)}}, &error));
    EXPECT_EQ(FolderContents(dir.Path()), before);
    EXPECT_EQ(ModeOf(locked), 0444u);
    EXPECT_TRUE(fs::is_symlink(dir.File("link.dv")));
}
