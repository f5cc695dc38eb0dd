#include "media/FolderArchive.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Messages.h"

namespace fs = std::filesystem;

namespace {
// Whether `path` (canonical) lies below `root` (canonical).
bool IsInside(const std::string& root, const std::string& path) {
    return !root.empty() && path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
           (root.back() == '/' || path[root.size()] == '/');
}
}  // namespace

FolderArchive::FolderArchive() : Archive(true) {}

bool FolderArchive::Open(const std::string& folder) {
    ClearEntries();
    ClearProblems();
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return false;
    }
    SetPath(folder);
    prefix_ = !folder.empty() && folder.back() == '/' ? folder : folder + "/";
    const std::string canonicalRoot = fs::canonical(folder, error).string();

    struct Found {
        std::string name;
        std::uint64_t size;
    };
    std::vector<Found> files;
    bool tooMany = false;
    // Links to folders are not descended into (the default), so the walk cannot loop.
    for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        const fs::file_status status = it->symlink_status(ignored);
        if (fs::is_symlink(status)) {
            const fs::path target = fs::canonical(it->path(), ignored);
            if (ignored || !fs::is_regular_file(target, ignored) || !IsInside(canonicalRoot, target.string())) {
                continue;
            }
        } else if (!fs::is_regular_file(status)) {
            continue;
        }
        const std::string path = it->path().string();
        if (path.compare(0, prefix_.size(), prefix_) != 0) {
            continue;
        }
        if (files.size() == kMaxFiles) {
            tooMany = true;
            break;
        }
        const std::uintmax_t size = it->file_size(ignored);
        if (!ignored) {
            files.push_back(Found{path.substr(prefix_.size()), size});
        }
    }
    if (tooMany) {
        NoteProblem(msg::kFolderTooLarge);
    }

    // The file system's order is no order at all: sort as file lists are shown.
    std::sort(files.begin(), files.end(),
              [](const Found& a, const Found& b) { return fs_util::LessIgnoreCase(a.name, b.name); });
    ReserveEntries(files.size());
    for (Found& file : files) {
        if (file.size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
            NoteProblem(msg::kFileTooLarge, file.name);
            continue;
        }
        const int position = EntryCount();
        AddEntry(PakEntry{std::move(file.name), 0, static_cast<std::int32_t>(file.size), position});
    }
    return true;
}

std::string FolderArchive::FileOf(const PakEntry& entry) const { return prefix_ + entry.name; }

std::optional<ByteBuffer> FolderArchive::ReadEntry(const PakEntry& entry) {
    if (!PositionOf(entry)) {
        return std::nullopt;
    }
    auto bytes = ReadWholeFile(FileOf(entry));
    if (!bytes) {
        NoteProblem(msg::kEntryUnreadable, entry.name);
    }
    return bytes;
}

std::optional<ByteBuffer> FolderArchive::ReadEntryHead(const PakEntry& entry, std::size_t count) {
    if (!PositionOf(entry)) {
        return std::nullopt;
    }
    const std::string file = FileOf(entry);
    const auto size = FileSize(file);
    auto bytes = size ? ReadFileRange(file, 0, std::min<std::uint64_t>(count, *size)) : std::nullopt;
    if (!bytes) {
        NoteProblem(msg::kEntryUnreadable, entry.name);
    }
    return bytes;
}
