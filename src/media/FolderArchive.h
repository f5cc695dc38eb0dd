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
// Symbolic links are followed only where they stay inside the folder: a link to a
// file inside is an entry, a link that leads out of it, and any link to a folder,
// are left out (so no listing can loop or leave the folder). More than kMaxFiles
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
