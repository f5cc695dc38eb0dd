#include "media/ZipArchive.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/Diagnostics.h"
#include "platform/Messages.h"

namespace {
// What the problem list shows of a name too long to be kept.
constexpr std::size_t kShownNameLength = 64;
// The first buffer an entry is inflated into (a whole entry of up to this size is
// read into one allocation).
constexpr std::size_t kFirstChunk = 1 << 20;
}  // namespace

ZipArchive::ZipArchive() : Archive(true) {}

ZipArchive::~ZipArchive() { Close(); }

void ZipArchive::Close() {
    if (zip_ != nullptr) {
        zip_discard(zip_);
        zip_ = nullptr;
    }
}

bool ZipArchive::IsZipExtension(const std::string& extension) {
    return extension == "pk3" || extension == "pkz" || extension == "kpf" || extension == "zip";
}

void ZipArchive::PinTimeZone() {
    if (std::getenv("TZ") == nullptr) {
        // The same zone the C library reads when TZ is unset, named, so that it is
        // read once and not again for every conversion.
        setenv("TZ", ":/etc/localtime", 0);
        tzset();
    }
}

bool ZipArchive::Open(const std::string& path) {
    Close();
    ClearEntries();
    ClearProblems();
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
        return false;
    }
    std::fclose(probe);
    SetPath(path);

    int error = 0;
    zip_ = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (zip_ == nullptr) {
        WriteErrorLog(path + msg::kNotValidZip.text);
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(zip_, 0);
    if (count < 0 || count > kMaxEntries) {
        Close();
        WriteErrorLog(path + msg::kTooManyEntries.text);
        return false;
    }

    ReserveEntries(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip_, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || (stat.valid & ZIP_STAT_NAME) == 0) {
            NoteProblem(msg::kEntryUnreadable, "#" + std::to_string(i));
            continue;
        }
        const std::string name = stat.name;
        if (!name.empty() && (name.back() == '/' || name.back() == '\\')) {
            continue;  // a directory: its files are entries of their own
        }
        if (name.size() > kMaxNameLength) {
            NoteProblem(msg::kEntryNameTooLong, name.substr(0, kShownNameLength));
            continue;
        }
        if (!ExtractionPath(name)) {
            NoteProblem(msg::kEntryUnsafeName, name);
            continue;
        }
        const zip_uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
        if ((stat.valid & needed) != needed) {
            NoteProblem(msg::kEntryUnreadable, name);
            continue;
        }
        if (stat.encryption_method != ZIP_EM_NONE) {
            NoteProblem(msg::kEntryEncrypted, name);
            continue;
        }
        if (stat.comp_method != ZIP_CM_STORE && stat.comp_method != ZIP_CM_DEFLATE) {
            NoteProblem(msg::kEntryCompression, name);
            continue;
        }
        if (stat.size > kMaxEntrySize) {
            NoteProblem(msg::kEntryTooLarge, name);
            continue;
        }
        if (FindPosition(name) >= 0) {
            NoteProblem(msg::kEntryDuplicate, name);
            continue;
        }
        AddEntry(PakEntry{name, 0, static_cast<std::int32_t>(stat.size), static_cast<int>(i)});
    }
    return true;
}

bool ZipArchive::Inflate(std::size_t position, std::size_t limit, ByteBuffer& out) {
    NoteFileRead(Path());
    const PakEntry& entry = Entry(static_cast<int>(position));
    zip_file_t* file = zip_fopen_index(zip_, static_cast<zip_uint64_t>(entry.index), 0);
    if (file == nullptr) {
        NoteProblem(msg::kEntryUnreadable, entry.name);
        return false;
    }
    // The buffer grows with what arrives: a directory stating 256 MB for a few
    // bytes of stream costs no more than those bytes.
    out.assign(std::min(limit, kFirstChunk), 0);
    std::size_t done = 0;
    bool ok = true;
    while (done < limit) {
        if (done == out.size()) {
            out.resize(std::min(limit, out.size() * 2));
        }
        const zip_int64_t got = zip_fread(file, out.data() + done, out.size() - done);
        if (got < 0) {
            ok = false;  // a damaged stream or a wrong checksum
            break;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    zip_fclose(file);
    if (!ok) {
        NoteProblem(msg::kEntryUnreadable, entry.name);
        return false;
    }
    out.resize(done);
    return true;
}

std::optional<ByteBuffer> ZipArchive::ReadEntry(const PakEntry& entry) {
    const auto position = PositionOf(entry);
    if (!position || zip_ == nullptr) {
        return std::nullopt;
    }
    // One byte more than stated: a stream that inflates past its stated size (a zip
    // bomb whose directory lies) is caught after that byte, not after all of it.
    const std::size_t stated = static_cast<std::size_t>(entry.length);
    ByteBuffer bytes;
    if (!Inflate(*position, stated + 1, bytes)) {
        return std::nullopt;
    }
    if (bytes.size() != stated) {
        NoteProblem(msg::kEntrySizeMismatch, entry.name);
        return std::nullopt;
    }
    return bytes;
}

std::optional<ByteBuffer> ZipArchive::ReadEntryHead(const PakEntry& entry, std::size_t count) {
    const auto position = PositionOf(entry);
    if (!position || zip_ == nullptr) {
        return std::nullopt;
    }
    ByteBuffer bytes;
    if (!Inflate(*position, std::min(count, static_cast<std::size_t>(entry.length)), bytes)) {
        return std::nullopt;
    }
    return bytes;
}
