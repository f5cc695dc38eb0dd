#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "media/Archive.h"
#include "platform/BinaryIO.h"

// Read access to a Quake 2 ("PACK") or SiN ("SPAK") archive.
class CPakFile : public Archive {
public:
    CPakFile();
    ~CPakFile() override;

    // Reads the header and the directory. A missing file fails silently; a file that
    // is not an archive, or whose directory lies outside it, fails with a message.
    bool Open(const std::string& path);
    ArchiveKind Kind() const override { return ArchiveKind::Pak; }

    // The shared handle: opened on first use, counted, closed when the last user
    // closes it. Its position is not reset for a second user.
    std::FILE* OpenStream();
    void CloseStream(std::FILE* stream);

    // Reads a whole entry through the shared stream, restoring the stream's position.
    std::optional<ByteBuffer> ReadEntry(const PakEntry& entry) override;
    std::optional<ByteBuffer> ReadEntryHead(const PakEntry& entry, std::size_t count) override;

    int NameLength() const { return nameLength_; }
    int OpenCount() const { return openCount_; }

protected:
    // The tree reads through one stream held open across it.
    void BeginBatch() override { batchStream_ = OpenStream(); }
    void EndBatch() override { CloseStream(batchStream_); }

private:
    // Reads `size` bytes at `offset` through the shared stream, leaving its position as it was.
    bool ReadAt(std::int64_t offset, void* out, std::size_t size);

    int nameLength_ = 0;
    std::FILE* stream_ = nullptr;
    std::FILE* batchStream_ = nullptr;
    int openCount_ = 0;
};
