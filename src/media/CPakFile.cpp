#include "media/CPakFile.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/Diagnostics.h"
#include "platform/Messages.h"

// Archive layout (little-endian):
//   header, 12 bytes:
//     0  char[4] magic      "PACK" (Quake 2, 56-byte names) or "SPAK" (SiN, 120-byte names)
//     4  int32   dirOffset  where the directory starts, from the start of the file
//     8  int32   dirLength  size of the directory in bytes; entries = dirLength / entry size,
//                           a remainder is ignored
//   directory entry, name length + 8 bytes:
//     0            char[nameLength] name    NUL-terminated, "/" separators
//     nameLength   int32            offset  of the file's bytes in the archive
//     nameLength+4 int32            length  of the file's bytes
//
// A bad header (too short, unknown magic, a directory outside the file) refuses the
// whole archive: Open fails and nothing of it is kept. A bad entry (a name without
// its terminator, a negative offset or length, bytes past the end of the file) only
// refuses that entry: it is left out of the entry list, so it can be neither found
// nor listed, and the rest of the archive stays usable. A name stored twice (without
// regard to case) is noted as a problem of the archive: lookups find the first, as
// the engines' own searches of a pak's directory do.
namespace {
constexpr std::size_t kHeaderSize = 12;
constexpr int kQuake2NameLength = 56;
constexpr int kSinNameLength = 120;

std::int32_t ReadI32At(const std::uint8_t* p) {
    return static_cast<std::int32_t>(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                                     (std::uint32_t(p[3]) << 24));
}
}  // namespace

CPakFile::CPakFile() : Archive(false) {}

CPakFile::~CPakFile() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
}

bool CPakFile::Open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    SetPath(path);
    ClearEntries();
    ClearProblems();
    nameLength_ = 0;

    const auto refuse = [&]() {
        std::fclose(file);
        WriteErrorLog(path + msg::kNotValidPak.text);
        return false;
    };

    std::array<std::uint8_t, kHeaderSize> header{};
    if (std::fread(header.data(), 1, header.size(), file) != header.size()) {
        return refuse();
    }
    int nameLength = 0;
    if (std::memcmp(header.data(), "PACK", 4) == 0) {
        nameLength = kQuake2NameLength;
    } else if (std::memcmp(header.data(), "SPAK", 4) == 0) {
        nameLength = kSinNameLength;
    } else {
        return refuse();
    }
    const std::int64_t dirOffset = ReadI32At(header.data() + 4);
    const std::int64_t dirLength = ReadI32At(header.data() + 8);

    // The directory must lie inside the file before anything is allocated for it.
    const auto fileSize = FileSize(path);
    if (!fileSize || dirOffset < 0 || dirLength < 0 ||
        static_cast<std::uint64_t>(dirOffset + dirLength) > *fileSize) {
        return refuse();
    }
    const std::size_t entrySize = static_cast<std::size_t>(nameLength) + 8;
    const std::size_t count = static_cast<std::size_t>(dirLength) / entrySize;
    ByteBuffer directory(count * entrySize);
    if (fseeko(file, static_cast<off_t>(dirOffset), SEEK_SET) != 0 ||
        (!directory.empty() && std::fread(directory.data(), 1, directory.size(), file) != directory.size())) {
        return refuse();
    }
    std::fclose(file);

    nameLength_ = nameLength;
    ReserveEntries(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = directory.data() + i * entrySize;
        const void* nul = std::memchr(p, 0, static_cast<std::size_t>(nameLength));
        if (nul == nullptr) {
            continue;
        }
        const std::int64_t offset = ReadI32At(p + nameLength);
        const std::int64_t length = ReadI32At(p + nameLength + 4);
        if (offset < 0 || length < 0 || static_cast<std::uint64_t>(offset + length) > *fileSize) {
            continue;
        }
        PakEntry entry;
        entry.name.assign(reinterpret_cast<const char*>(p),
                          static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - p));
        entry.offset = static_cast<std::int32_t>(offset);
        entry.length = static_cast<std::int32_t>(length);
        entry.index = static_cast<int>(i);
        // Both stay in the entry list; lookups find the first, as the engines do.
        AddEntryNotingDuplicate(std::move(entry));
    }
    return true;
}

std::FILE* CPakFile::OpenStream() {
    if (stream_ != nullptr) {
        ++openCount_;
        return stream_;
    }
    stream_ = std::fopen(Path().c_str(), "rb");
    openCount_ = stream_ != nullptr ? 1 : 0;
    return stream_;
}

void CPakFile::CloseStream(std::FILE* stream) {
    if (stream == nullptr || stream != stream_) {
        return;
    }
    if (--openCount_ <= 0) {
        std::fclose(stream_);
        stream_ = nullptr;
        openCount_ = 0;
    }
}

bool CPakFile::ReadAt(std::int64_t offset, void* out, std::size_t size) {
    NoteFileRead(Path());
    std::FILE* stream = OpenStream();
    if (stream == nullptr) {
        return false;
    }
    const off_t saved = ftello(stream);
    bool ok = fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
    if (ok && size != 0) {
        ok = std::fread(out, 1, size, stream) == size;
    }
    if (saved >= 0) {
        fseeko(stream, saved, SEEK_SET);
    }
    CloseStream(stream);
    return ok;
}

std::optional<ByteBuffer> CPakFile::ReadEntry(const PakEntry& entry) {
    return ReadEntryHead(entry, static_cast<std::size_t>(entry.length));
}

std::optional<ByteBuffer> CPakFile::ReadEntryHead(const PakEntry& entry, std::size_t count) {
    ByteBuffer bytes(std::min(count, static_cast<std::size_t>(entry.length)));
    if (!ReadAt(entry.offset, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}
