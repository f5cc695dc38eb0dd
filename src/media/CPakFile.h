#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/BinaryIO.h"

// One file inside an archive. Entries live as long as their archive.
struct PakEntry {
    std::string name;     // as stored, "/" separators
    std::int32_t offset;  // from the start of the archive file
    std::int32_t length;
    int index;            // position in the directory
};

// A node of the directory tree shown on the scene page: a directory, or a file
// that can be put into a scene (a directory carries its tris.md2 as its entry).
struct PakTreeNode {
    std::string text;
    const PakEntry* entry = nullptr;
    std::vector<std::unique_ptr<PakTreeNode>> children;  // sorted by text
};

// Read access to a Quake 2 ("PACK") or SiN ("SPAK") archive.
class CPakFile {
public:
    CPakFile() = default;
    virtual ~CPakFile();
    CPakFile(const CPakFile&) = delete;
    CPakFile& operator=(const CPakFile&) = delete;

    // Reads the header and the directory. A missing file fails silently; a file that
    // is not an archive, or whose directory lies outside it, fails with a message.
    bool Open(const std::string& path);
    // First entry whose name equals `name` without regard to case, or nullptr.
    const PakEntry* FindEntry(const std::string& name) const;

    // The shared handle: opened on first use, counted, closed when the last user
    // closes it. Its position is not reset for a second user.
    std::FILE* OpenStream();
    void CloseStream(std::FILE* stream);

    // Reads a whole entry through the shared stream, restoring the stream's position.
    std::optional<ByteBuffer> ReadEntry(const PakEntry& entry);

    // Adds the files that can be put into a scene below `root`, by directory,
    // with every level sorted by text.
    void BuildDirectoryTree(PakTreeNode& root);
    // A ".mdl" entry is worth listing when it holds a Quake model or a studio model
    // with a model of its own (not a texture or sequence-group file).
    bool IsSelectableMdl(const PakEntry& entry);

    // Entries that were accepted; a refused entry is not counted.
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    const PakEntry& Entry(int index) const { return entries_[static_cast<std::size_t>(index)]; }
    int NameLength() const { return nameLength_; }
    const std::string& Path() const { return path_; }
    int OpenCount() const { return openCount_; }

private:
    // Reads `size` bytes at `offset` through the shared stream, leaving its position as it was.
    bool ReadAt(std::int64_t offset, void* out, std::size_t size);

    int nameLength_ = 0;
    std::FILE* stream_ = nullptr;
    int openCount_ = 0;
    std::vector<PakEntry> entries_;
    std::unordered_map<std::string, int> index_;  // lower-cased name -> first entry
    std::string path_;
};
