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

bool IsInsideOrSame(const std::string& root, const std::string& path) { return path == root || IsInside(root, path); }
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
    struct FileLink {
        Found file;
        std::string target;  // canonical
    };
    struct FolderLink {
        std::string path;    // the link, below the folder
        std::string target;  // canonical
    };
    std::vector<Found> files;
    std::vector<FileLink> fileLinks;  // kept when their target lies in a folder walked
    std::vector<std::string> walked{canonicalRoot};  // canonical; each walked whole
    bool tooMany = false;

    // Walks `start` (the folder, or a link to a folder below it) without following
    // links; the links to folders it meets are returned, to be walked after it.
    const auto walk = [&](const std::string& start, const std::string& canonicalStart) {
        std::vector<FolderLink> links;
        const std::size_t startLength = !start.empty() && start.back() == '/' ? start.size() - 1 : start.size();
        for (auto it = fs::recursive_directory_iterator(start, fs::directory_options::skip_permission_denied, error);
             !error && it != fs::recursive_directory_iterator() && !tooMany; it.increment(error)) {
            std::error_code ignored;
            const std::string path = it->path().string();
            if (path.compare(0, prefix_.size(), prefix_) != 0) {
                continue;
            }
            const fs::file_status status = it->symlink_status(ignored);
            const bool link = fs::is_symlink(status);
            if (!link && fs::is_directory(status)) {
                // A folder already walked from a link before: listed there, not again.
                const std::string canonical = canonicalStart + path.substr(startLength);
                if (std::find(walked.begin(), walked.end(), canonical) != walked.end()) {
                    it.disable_recursion_pending();
                }
                continue;
            }
            if (link) {
                const fs::path target = fs::canonical(it->path(), ignored);
                if (ignored) {
                    continue;  // dangling, or a loop of links
                }
                if (fs::is_directory(target, ignored)) {
                    links.push_back(FolderLink{path, target.string()});
                    continue;
                }
                if (!fs::is_regular_file(target, ignored)) {
                    continue;
                }
            } else if (!fs::is_regular_file(status)) {
                continue;
            }
            if (files.size() + fileLinks.size() == kMaxFiles) {
                tooMany = true;
                break;
            }
            const std::uintmax_t size = it->file_size(ignored);
            if (ignored) {
                continue;
            }
            Found found{path.substr(prefix_.size()), size};
            if (link) {
                fileLinks.push_back(FileLink{std::move(found), fs::canonical(it->path(), ignored).string()});
            } else {
                files.push_back(std::move(found));
            }
        }
        error.clear();
        return links;
    };

    // The folder itself first, then the folders its links lead to, each once: a
    // folder already walked (the link leads inside one, or back up over the whole
    // folder) is not walked again, so no walk can loop or list a file twice.
    std::vector<FolderLink> pending = walk(folder, canonicalRoot);
    for (std::size_t next = 0; next < pending.size() && !tooMany; ++next) {
        const FolderLink link = pending[next];
        const bool listed = std::any_of(walked.begin(), walked.end(), [&](const std::string& root) {
            return IsInsideOrSame(root, link.target);
        });
        if (listed || IsInside(link.target, canonicalRoot)) {
            continue;
        }
        walked.push_back(link.target);
        std::vector<FolderLink> more = walk(link.path, link.target);
        pending.insert(pending.end(), more.begin(), more.end());
    }
    // A link to a file is kept where it stays inside what was walked.
    for (FileLink& link : fileLinks) {
        if (std::any_of(walked.begin(), walked.end(),
                        [&](const std::string& root) { return IsInside(root, link.target); })) {
            files.push_back(std::move(link.file));
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
