#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "media/Archive.h"

struct zip;

// Read access to a zip archive: ".pk3" (also ".pkz", ".kpf", ".zip"), stored or
// deflated entries, "/" separators, names matched without regard to case. One entry
// is inflated when it is read; nothing is inflated to open or list the archive.
//
// libzip does no locking of its own: an archive object may be used from one thread
// at a time.
//
// What it refuses, entry by entry (each noted in Problems(), the rest stay usable):
// names that are empty, absolute, or step out with ".." (see ExtractionPath), names
// longer than kMaxNameLength, entries stated larger than kMaxEntrySize (checked
// before anything is inflated), encrypted entries and compressions other than
// stored and deflated. Of two entries of the same name (without regard to case)
// the first is kept and the second left out. Directories are skipped. An archive
// of more than kMaxEntries entries is refused whole.
class ZipArchive : public Archive {
public:
    static constexpr std::int64_t kMaxEntries = 1 << 20;
    static constexpr std::size_t kMaxNameLength = 1024;
    static constexpr std::uint64_t kMaxEntrySize = 256u << 20;

    ZipArchive();
    ~ZipArchive() override;

    // A missing file fails silently; one that is not a zip fails with a message.
    bool Open(const std::string& path);
    ArchiveKind Kind() const override { return ArchiveKind::Zip; }

    // Inflates the entry and checks that it comes to its stated size.
    std::optional<ByteBuffer> ReadEntry(const PakEntry& entry) override;
    // Inflates only as much as the first `count` bytes need.
    std::optional<ByteBuffer> ReadEntryHead(const PakEntry& entry, std::size_t count) override;

    // The extensions of zips that game folders stack ("pk3", "pkz", "kpf", "zip"),
    // in lower case, without the dot.
    static bool IsZipExtension(const std::string& extension);

    // libzip converts every entry's date to local time as it opens an archive, and
    // the C library reads the time-zone file again for each conversion unless TZ
    // is set. Called once at start-up, before other threads run, this sets TZ to
    // the zone in use when it is unset (the time shown stays the same), which makes
    // opening a large archive several times faster.
    static void PinTimeZone();

private:
    // Reads at most `limit` bytes of the entry at `position` into `out`; false
    // (with a problem noted) when libzip reports an error.
    bool Inflate(std::size_t position, std::size_t limit, ByteBuffer& out);
    void Close();

    zip* zip_ = nullptr;
};
