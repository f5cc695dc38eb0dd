#pragma once

// Shared set-up of the fuzz targets: a quiet headless host whose message list does
// not grow, and logs that have nowhere to go, so no run touches the disk for them;
// scratch files for the readers that work on files; and one walk over everything
// an archive offers.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "media/Archive.h"
#include "media/COGLImage.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"

inline void PrepareFuzzRun() {
    static HeadlessHost host;
    static bool once = [] {
        host.quiet = true;
        SetHost(&host);
        paths::SetProgramDirectoryForTesting("/dev/null/marovin-fuzz");
        paths::SetUserDirectoriesForTesting("/dev/null/marovin-fuzz", "/dev/null/marovin-fuzz");
        return true;
    }();
    (void)once;
    host.Clear();
}

// A file or folder of this process's own in /tmp, made once and removed when the
// process ends, so that runs over the seeds leave nothing behind.
class Scratch {
public:
    enum class Kind { File, Folder };
    Scratch(const std::string& tag, Kind kind) {
        std::string pattern = "/tmp/marovin-fuzz-" + tag + "-XXXXXX";
        if (kind == Kind::Folder) {
            if (::mkdtemp(pattern.data()) != nullptr) {
                path_ = pattern;
            }
        } else if (const int fd = ::mkstemp(pattern.data()); fd >= 0) {
            ::close(fd);
            path_ = pattern;
        }
    }
    ~Scratch() {
        if (!path_.empty()) {
            std::error_code error;
            std::filesystem::remove_all(path_, error);
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // Empty when it could not be made.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

inline bool WriteScratchFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// Finds, reads and lists every entry, decodes every picture and asks where each
// entry comes from, as the scene page, the texture store and the CLI do.
inline void ExerciseArchive(Archive& archive) {
    for (int i = 0; i < archive.EntryCount(); ++i) {
        const PakEntry& entry = archive.Entry(i);
        archive.FindEntry(entry.name);
        archive.ReadEntry(entry);
        archive.ReadEntryHead(entry, 12);
        archive.IsSelectableMdl(entry);
        archive.OriginOf(entry);
        archive.HiddenBy(entry);
        ExtractionPath(entry.name);
        if (archive.IsPicture(entry)) {
            COGLImage image;
            image.LoadFromArchive(archive, entry, true, false, false);
        }
    }
    PakTreeNode root;
    archive.BuildDirectoryTree(root);
    archive.Problems();
    archive.Description();
}

// Writes the input to a scratch file and, when `Kind` opens it, exercises it.
template <typename Kind>
int FuzzArchiveFile(const std::string& tag, const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    // The archive readers work on files: each input is written to one scratch file.
    static const Scratch scratch(tag, Scratch::Kind::File);
    const std::string& path = scratch.Path();
    if (path.empty() || !WriteScratchFile(path, data, size)) {
        return 0;
    }
    Kind archive;
    if (archive.Open(path)) {
        ExerciseArchive(archive);
    }
    return 0;
}
