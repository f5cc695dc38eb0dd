#include "media/CPakFile.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/Diagnostics.h"
#include "platform/Host.h"
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
// nor listed, and the rest of the archive stays usable.
namespace {
constexpr std::size_t kHeaderSize = 12;
constexpr int kQuake2NameLength = 56;
constexpr int kSinNameLength = 120;

std::string LowerAscii(const std::string& s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::int32_t ReadI32At(const std::uint8_t* p) {
    return static_cast<std::int32_t>(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                                     (std::uint32_t(p[3]) << 24));
}

bool StartsWith(const std::string& s, const char* head) { return s.rfind(head, 0) == 0; }

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

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
    path_ = path;
    entries_.clear();
    index_.clear();
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
    entries_.reserve(count);
    index_.reserve(count);
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
        // emplace keeps the first entry of a name, which is the one lookups must find.
        index_.emplace(LowerAscii(entry.name), static_cast<int>(entries_.size()));
        entries_.push_back(std::move(entry));
    }
    return true;
}

const PakEntry* CPakFile::FindEntry(const std::string& name) const {
    const auto it = index_.find(LowerAscii(name));
    return it == index_.end() ? nullptr : &entries_[static_cast<std::size_t>(it->second)];
}

std::FILE* CPakFile::OpenStream() {
    if (stream_ != nullptr) {
        ++openCount_;
        return stream_;
    }
    stream_ = std::fopen(path_.c_str(), "rb");
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
    ByteBuffer bytes(static_cast<std::size_t>(entry.length));
    if (!ReadAt(entry.offset, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

bool CPakFile::IsSelectableMdl(const PakEntry& entry) {
    std::array<std::uint8_t, 12> head{};
    const std::size_t available = std::min<std::size_t>(head.size(), static_cast<std::size_t>(entry.length));
    if (available < 4 || !ReadAt(entry.offset, head.data(), available)) {
        return false;
    }
    if (std::memcmp(head.data(), "IDPO", 4) == 0) {
        return true;
    }
    // A studio model is selectable unless it is a texture or sequence-group file,
    // which carries no model of its own (its version field reads zero).
    if (std::memcmp(head.data(), "IDST", 4) == 0) {
        return available == head.size() && ReadI32At(head.data() + 8) != 0;
    }
    return false;
}

void CPakFile::BuildDirectoryTree(PakTreeNode& root) {
    std::FILE* stream = OpenStream();
    ProgressScope progress(msg::kBuildingDirectoryTree.text, EntryCount() / 100 + 2);

    // Children are collected unsorted and sorted once at the end (stably, so files
    // of the same text keep directory order); the lookup of a directory among a
    // node's children goes through a hash of their texts instead of a scan.
    std::unordered_map<const PakTreeNode*, std::unordered_map<std::string, PakTreeNode*>> childByText;
    const auto findChild = [&](PakTreeNode& parent, const std::string& text) -> PakTreeNode* {
        auto [it, added] = childByText.try_emplace(&parent);
        if (added) {
            for (const auto& child : parent.children) {
                it->second.emplace(child->text, child.get());
            }
        }
        const auto found = it->second.find(text);
        return found == it->second.end() ? nullptr : found->second;
    };
    const auto addChild = [&](PakTreeNode& parent, const std::string& text, const PakEntry* entry) {
        parent.children.push_back(std::make_unique<PakTreeNode>());
        PakTreeNode* node = parent.children.back().get();
        node->text = text;
        node->entry = entry;
        const auto it = childByText.find(&parent);
        if (it != childByText.end()) {
            it->second.emplace(text, node);
        }
        return node;
    };

    std::string cachedDirectory;
    PakTreeNode* cachedNode = &root;
    for (int i = 0; i < EntryCount(); ++i) {
        const PakEntry& entry = entries_[static_cast<std::size_t>(i)];
        const std::string& name = entry.name;
        const std::string ext = name.size() >= 3 ? name.substr(name.size() - 3) : name;
        bool add = false;
        // Every test but the one for "mdl" is case-sensitive.
        if (ext == "md2") {
            add = true;
        } else if (StartsWith(name, "env") && ext == "tga") {
            add = true;
        } else if (StartsWith(name, "gfx/env") && ext == "tga") {
            add = true;
        } else if (StartsWith(name, "tex")) {
            add = true;
        } else if (ext == "def") {
            add = true;
        } else if (strcasecmp(ext.c_str(), "mdl") == 0) {
            add = IsSelectableMdl(entry);
        } else if (ext == "sp2" || ext == "spr") {
            add = true;
        }

        if (add) {
            std::size_t split = name.size();
            while (split > 0 && !IsSeparator(name[split - 1])) {
                --split;
            }
            const std::string directory = name.substr(0, split);  // with its separator
            const std::string file = name.substr(split);
            const std::string text = file.substr(0, file.find('.'));

            PakTreeNode* parent = nullptr;
            if (directory == cachedDirectory) {
                parent = cachedNode;
            } else {
                // A component ends at a separator, a dot or the end; only those that
                // end at a separator are directories.
                parent = &root;
                std::size_t start = 0;
                for (std::size_t pos = 0; pos < split; ++pos) {
                    const char c = name[pos];
                    if (c != '.' && !IsSeparator(c)) {
                        continue;
                    }
                    if (IsSeparator(c)) {
                        const std::string component = name.substr(start, pos - start);
                        PakTreeNode* child = findChild(*parent, component);
                        parent = child != nullptr ? child : addChild(*parent, component, nullptr);
                    }
                    start = pos + 1;
                }
                cachedDirectory = directory;
                cachedNode = parent;
            }
            // A model directory stands for its tris.md2. At the top level there is
            // no directory node to carry it, so it is listed as an item.
            if (text == "tris" && parent != &root) {
                parent->entry = &entry;
            } else {
                addChild(*parent, text, &entry);
            }
        }
        if (i % 100 == 0) {
            progress.Step();
        }
    }

    // Sort every level by text without regard to case, as file lists are shown.
    std::vector<PakTreeNode*> pending{&root};
    while (!pending.empty()) {
        PakTreeNode* node = pending.back();
        pending.pop_back();
        std::stable_sort(node->children.begin(), node->children.end(),
                         [](const std::unique_ptr<PakTreeNode>& a, const std::unique_ptr<PakTreeNode>& b) {
                             return strcasecmp(a->text.c_str(), b->text.c_str()) < 0;
                         });
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    CloseStream(stream);
}
