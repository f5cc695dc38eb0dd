#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sys/stat.h>

#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

TEST(BinaryIO, WriterAndReaderAgreeOnLittleEndianLayout) {
    BinaryWriter w;
    w.WriteU8(0xAB);
    w.WriteI16(-2);
    w.WriteI32(0x01020304);
    w.WriteF32(1.5f);
    w.WriteText("name", 8);
    const ByteBuffer& b = w.Bytes();
    ASSERT_EQ(b.size(), 1u + 2 + 4 + 4 + 8);
    EXPECT_EQ(b[3], 0x04);  // least significant byte first
    EXPECT_EQ(b[6], 0x01);
    EXPECT_EQ(b[15], 0);    // text zero-filled

    BinaryReader r(b);
    EXPECT_EQ(r.ReadU8(), 0xAB);
    EXPECT_EQ(r.ReadI16(), -2);
    EXPECT_EQ(r.ReadI32(), 0x01020304);
    EXPECT_EQ(r.ReadF32(), 1.5f);
    EXPECT_EQ(r.ReadText(8), "name");
    EXPECT_EQ(r.Remaining(), 0u);
}

TEST(BinaryIO, TextFieldsAreCutAndZeroFilled) {
    BinaryWriter w;
    w.WriteText(std::string(150, 'x'), 100);
    ASSERT_EQ(w.Size(), 100u);
    EXPECT_EQ(w.Bytes()[98], 'x');
    EXPECT_EQ(w.Bytes()[99], 0);  // at most 99 characters
    BinaryReader r(w.Bytes());
    EXPECT_EQ(r.ReadText(100).size(), 99u);
}

TEST(BinaryIO, ShortReadsThrowAndNeverReadPastTheEnd) {
    const ByteBuffer bytes{1, 2, 3};
    BinaryReader r(bytes);
    EXPECT_THROW(r.ReadU32(), ReadError);
    EXPECT_EQ(r.Tell(), 0u);  // a failed read does not move
    EXPECT_EQ(r.ReadU16(), 0x0201);
    EXPECT_THROW(r.ReadU16(), ReadError);
    EXPECT_THROW(r.Skip(2), ReadError);
    EXPECT_THROW(r.Seek(4), ReadError);
    EXPECT_NO_THROW(r.Seek(3));  // the end itself is a valid position
    EXPECT_THROW(r.ReadU8(), ReadError);
    EXPECT_THROW(r.ReadText(1), ReadError);
    EXPECT_THROW(r.ReadBytes(std::numeric_limits<std::size_t>::max()), ReadError);
    EXPECT_THROW(r.SeekSigned(-1), ReadError);
}

TEST(BinaryIO, HostileCountsAreRefusedBeforeAnyAllocation) {
    const ByteBuffer bytes(16, 0);
    BinaryReader r(bytes);
    EXPECT_EQ(r.CheckCount(4, 4), 4u);
    EXPECT_THROW(r.CheckCount(5, 4), ReadError);
    EXPECT_THROW(r.CheckCount(-1, 1), ReadError);
    EXPECT_THROW(r.CheckCount(std::numeric_limits<std::int32_t>::max(), 64), ReadError);
    EXPECT_THROW(r.CheckCount(std::numeric_limits<std::int64_t>::max(), 1u << 20), ReadError);
    EXPECT_EQ(r.CheckCount(1000, 0), 1000u);
}

TEST(BinaryIO, UnterminatedTextIsReadSafelyOrRefused) {
    const ByteBuffer bytes{'a', 'b', 'c', 'd'};
    BinaryReader lenient(bytes);
    EXPECT_EQ(lenient.ReadText(4), "abcd");
    BinaryReader strict(bytes);
    EXPECT_THROW(strict.ReadTerminatedText(4), ReadError);
    EXPECT_EQ(strict.Tell(), 0u);
    const ByteBuffer terminated{'a', 0, 'z', 'z'};
    BinaryReader ok(terminated);
    EXPECT_EQ(ok.ReadTerminatedText(4), "a");
}

TEST(BinaryIO, WindowsAreBoundedByTheirParent) {
    ByteBuffer bytes(32);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    BinaryReader r(bytes);
    BinaryReader w = r.Window(8, 4);
    EXPECT_EQ(w.Size(), 4u);
    EXPECT_EQ(w.ReadU8(), 8);
    w.Seek(3);
    EXPECT_EQ(w.ReadU8(), 11);
    EXPECT_THROW(w.ReadU8(), ReadError);  // byte 12 exists in the parent, not in the window
    EXPECT_THROW(r.Window(30, 4), ReadError);
    EXPECT_THROW(r.Window(std::numeric_limits<std::size_t>::max(), 2), ReadError);
    EXPECT_THROW(r.WindowSigned(-4, 4), ReadError);
    EXPECT_THROW(r.WindowSigned(4, -4), ReadError);
}

TEST(BinaryIO, ReaderSurvivesEveryTruncationOfARecord) {
    BinaryWriter w;
    w.WriteI32(3);
    for (int i = 0; i < 3; ++i) {
        w.WriteText("entry", 16);
        w.WriteF32(float(i));
    }
    const ByteBuffer full = w.Bytes();
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        BinaryReader r(full.data(), cut);
        EXPECT_THROW(
            {
                const std::size_t n = r.CheckCount(r.ReadI32(), 20);
                for (std::size_t i = 0; i < n; ++i) {
                    r.ReadText(16);
                    r.ReadF32();
                }
                if (n != 3) {
                    throw ReadError("short");
                }
            },
            ReadError)
            << "cut at " << cut;
    }
}

TEST(BinaryIO, FilesRoundTripAndAtomicWriteKeepsOldFileOnFailure) {
    TempDir dir;
    const std::string path = dir.File("scene.dv");
    ASSERT_TRUE(WriteFileAtomically(path, ByteBuffer{1, 2, 3, 4, 5}));
    auto all = ReadWholeFile(path);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 5u);
    auto range = ReadFileRange(path, 1, 3);
    ASSERT_TRUE(range);
    EXPECT_EQ((*range)[0], 2);
    EXPECT_FALSE(ReadFileRange(path, 4, 2));
    EXPECT_FALSE(ReadWholeFile(dir.File("missing")));

    // A save into a directory that cannot take the temporary file fails, and
    // leaves nothing half-written behind.
    EXPECT_FALSE(WriteFileAtomically(dir.File("no/such/dir/x.dv"), ByteBuffer{1}));
    EXPECT_EQ(ReadWholeFile(path)->size(), 5u);
    EXPECT_EQ(fs_util::FindFiles(dir.Path(), "*").size(), 1u);
}
