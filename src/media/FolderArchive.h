#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "media/Archive.h"

// The loose files of a folder as an archive: every regular file below it, at any
// depth, is an entry named by its path relative to the folder ("/" separators),
// found without regard to case (game folders mix "Models/" and "models/"). Entries
// are sorted by name without regard to case; files are read when asked for.
//
// Symbolic links: a link to a folder is followed once, after the folder's own files
// (a player folder kept elsewhere and linked into players/ is listed as if it lay
// there), unless it leads into a folder already walked or back up over the whole
// folder, which would list files twice or never end; its files are named by the
// link's path. A link to a file is an entry where it leads to a file inside a
// folder walked, and left out where it leads anywhere else. More than kMaxFiles
// files, and files over 2 GB, are left out with a problem noted.
class FolderArchive : public Archive {
public:
    static constexpr std::size_t kMaxFiles = 1 << 20;

    FolderArchive();

    // A missing folder fails silently.
    bool Open(const std::string& folder);
    ArchiveKind Kind() const override { return ArchiveKind::Folder; }

    std::optional<ByteBuffer> ReadEntry(const PakEntry& entry) override;
    std::optional<ByteBuffer> ReadEntryHead(const PakEntry& entry, std::size_t count) override;

private:
    std::string FileOf(const PakEntry& entry) const;

    std::string prefix_;  // the folder with one separator after it
};
