#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using ByteBuffer = std::vector<std::uint8_t>;

// Raised by BinaryReader when a read would leave the bytes that exist, or when a
// count or field read from a file cannot be right. Loaders catch it and turn it
// into the message of their file kind.
class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Little-endian reads over bytes held elsewhere (a whole file, or a window of it).
// Every read checks that its bytes exist before touching them; this is the one
// guard between hostile files and memory.
class BinaryReader {
public:
    BinaryReader() = default;
    BinaryReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit BinaryReader(const ByteBuffer& bytes) : data_(bytes.data()), size_(bytes.size()) {}

    std::size_t Size() const { return size_; }
    std::size_t Tell() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }
    const std::uint8_t* Data() const { return data_; }

    void Seek(std::size_t pos);
    // For positions computed from signed header fields: negative is an error.
    void SeekSigned(std::int64_t pos);
    void Skip(std::size_t count);

    std::uint8_t ReadU8();
    std::int8_t ReadI8() { return static_cast<std::int8_t>(ReadU8()); }
    std::uint16_t ReadU16();
    std::int16_t ReadI16() { return static_cast<std::int16_t>(ReadU16()); }
    std::uint32_t ReadU32();
    std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
    float ReadF32();

    void ReadInto(void* out, std::size_t count);
    ByteBuffer ReadBytes(std::size_t count);
    // A pointer to the next `count` bytes, which stay owned by the buffer.
    const std::uint8_t* ReadSpan(std::size_t count);

    // A fixed text field of `width` bytes: the text up to the first NUL (or the
    // whole field when it has none); the position always moves by `width`.
    std::string ReadText(std::size_t width);
    // The same, but a field without its NUL terminator is an error.
    std::string ReadTerminatedText(std::size_t width);

    // A reader over [offset, offset + length) of this one; positions in it start at 0.
    BinaryReader Window(std::size_t offset, std::size_t length) const;
    BinaryReader WindowSigned(std::int64_t offset, std::int64_t length) const;

    // Checks a count read from the file against the bytes left at the current
    // position (each element `elementSize` bytes) and returns it as a size.
    std::size_t CheckCount(std::int64_t count, std::size_t elementSize) const;

private:
    void Require(std::size_t count) const;

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
};

// Little-endian writes into a growing buffer, written to disk in one piece.
class BinaryWriter {
public:
    void WriteU8(std::uint8_t v) { bytes_.push_back(v); }
    void WriteI8(std::int8_t v) { WriteU8(static_cast<std::uint8_t>(v)); }
    void WriteU16(std::uint16_t v);
    void WriteI16(std::int16_t v) { WriteU16(static_cast<std::uint16_t>(v)); }
    void WriteU32(std::uint32_t v);
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
    void WriteF32(float v);
    void WriteBytes(const void* data, std::size_t count);
    void WriteZeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    // A fixed field of `width` bytes: at most width - 1 characters, then NULs.
    void WriteText(std::string_view text, std::size_t width);

    std::size_t Size() const { return bytes_.size(); }
    const ByteBuffer& Bytes() const { return bytes_; }
    ByteBuffer& Bytes() { return bytes_; }
    // Overwrites an int32 already written (for sizes known only afterwards).
    void PatchI32(std::size_t offset, std::int32_t v);

private:
    ByteBuffer bytes_;
};

// Whole-file helpers. Reads return nothing when the file cannot be opened or read.
std::optional<ByteBuffer> ReadWholeFile(const std::string& path);
std::optional<ByteBuffer> ReadFileRange(const std::string& path, std::uint64_t offset, std::uint64_t length);
std::optional<std::uint64_t> FileSize(const std::string& path);

// The files read on this thread while one lives: what a thumbnail was drawn from,
// to tell later whether it must be drawn again. Logs nest; the innermost one takes
// the notes.
class FileReadLog {
public:
    FileReadLog();
    ~FileReadLog();
    FileReadLog(const FileReadLog&) = delete;
    FileReadLog& operator=(const FileReadLog&) = delete;

    const std::set<std::string>& Paths() const { return paths_; }
    void Note(const std::string& path) { paths_.insert(path); }

private:
    FileReadLog* outer_;
    std::set<std::string> paths_;
};
// Notes a file read in this thread's log, when one lives. ReadFileRange notes its
// own; archives that keep their file open note it on each read. `withFolder`: the
// file's folder too (noted with its trailing "/"), for a loose file, whose folder
// changes when a file joins it that would now be found in its place.
void NoteFileRead(const std::string& path, bool withFolder = false);

// The new contents of one file of a set written together.
struct FileContents {
    std::string path;
    std::span<const std::uint8_t> bytes;
};

// The one way the program writes a file. Each file goes to a temporary file beside
// it (the same directory, so the rename never crosses file systems); every write,
// the flush to disk and the close are checked, and only then is it renamed over its
// name. A full disk, a size limit or a folder that takes no files makes it fail,
// keeps what was there byte for byte and leaves no temporary behind; `error`, when
// given, then says which file and why ("cannot write 'PATH': REASON"). A file that
// is replaced keeps its permissions. Once renamed, each folder written to is synced,
// so that the new name survives a crash as the bytes do.
//
// A name that is a symbolic link (or a chain of them) is written where it leads: the
// temporary goes beside the file pointed to and is renamed over it, so the link
// stays a link. A file that is read-only (no write permission for anyone, or none
// for this user, whoever may rename in its folder) is refused with "cannot write
// 'PATH': the file is read-only" and left as it was.
//
// A set (an export with its companions) is written whole beside before anything is
// renamed, then renamed in the order given: callers list the file that refers to
// the others last, so it is the last to change. Should a rename still fail part-way
// (the bytes are all on disk by then, so only the rename itself can), the files
// already renamed are removed again when every one of them took a name that was
// free, which leaves the folder exactly as it was. When one of them replaced an
// earlier file, that file is gone whichever way, so the renamed ones stay rather
// than leave neither the old nor the new; the failure is reported all the same.
bool WriteFilesAtomically(const std::vector<FileContents>& files, std::string* error = nullptr);
inline bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                std::string* error = nullptr) {
    return WriteFilesAtomically({FileContents{path, bytes}}, error);
}

// The same promise for a file too large to hold in memory (a moving picture),
// written piece by piece: the pieces go to a temporary file beside `path`, and
// only Commit, once every write, the flush and the close succeeded, renames it
// over the target (through links, a read-only file refused, as above). Abandoning it (or destroying it uncommitted, or any failure)
// removes the temporary and keeps what was there.
class AtomicFileStream {
public:
    AtomicFileStream() = default;
    ~AtomicFileStream();
    AtomicFileStream(const AtomicFileStream&) = delete;
    AtomicFileStream& operator=(const AtomicFileStream&) = delete;

    bool Open(const std::string& path, std::string* error = nullptr);
    // False once any write failed; the failure is told by Close or Commit.
    bool Write(const void* data, std::size_t size);
    // Puts the temporary on disk and closes it, leaving it unrenamed (a set of
    // files renamed together at the end).
    bool Close(std::string* error = nullptr);
    bool Commit(std::string* error = nullptr);
    void Abandon();

    // Where the bytes go until Commit (a program that writes the file itself).
    const std::string& TemporaryPath() const { return temporary_; }
    // The file the bytes end in: the name opened, or the file a link there leads to.
    const std::string& Path() const { return path_; }

private:
    std::string shown_;  // the name opened, as messages give it
    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    int failure_ = 0;
};
