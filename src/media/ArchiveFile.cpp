#include "media/ArchiveFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "media/CPakFile.h"
#include "media/WadArchive.h"
#include "media/ZipArchive.h"
#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"

namespace {
enum class FileKind { Pak, Zip, Wad, Unknown };

FileKind KindFromMagic(const std::array<std::uint8_t, 4>& magic) {
    const auto is = [&](const char* text) { return std::memcmp(magic.data(), text, 4) == 0; };
    if (is("PACK") || is("SPAK")) {
        return FileKind::Pak;
    }
    if (is("WAD2") || is("WAD3")) {
        return FileKind::Wad;
    }
    // A local file header, a central directory (a zip whose first file was removed
    // in place) or the end record of an empty zip.
    if (is("PK\x03\x04") || is("PK\x01\x02") || is("PK\x05\x06")) {
        return FileKind::Zip;
    }
    return FileKind::Unknown;
}

FileKind KindFromExtension(const std::string& path) {
    const std::string ext = fs_util::ToLower(fs_util::ExtensionOf(path));
    if (ext == "pak" || ext == "sin") {
        return FileKind::Pak;
    }
    if (ext == "wad") {
        return FileKind::Wad;
    }
    if (ZipArchive::IsZipExtension(ext)) {
        return FileKind::Zip;
    }
    return FileKind::Unknown;
}
}  // namespace

std::unique_ptr<Archive> OpenArchiveFile(const std::string& path) {
    std::array<std::uint8_t, 4> magic{};
    const auto head = ReadFileRange(path, 0, magic.size());
    if (!head) {
        return nullptr;  // unreadable: as silent as a missing pak
    }
    std::copy(head->begin(), head->end(), magic.begin());
    FileKind kind = head->size() == magic.size() ? KindFromMagic(magic) : FileKind::Unknown;
    if (kind == FileKind::Unknown) {
        kind = KindFromExtension(path);
    }
    switch (kind) {
        case FileKind::Pak: return OpenArchiveAs<CPakFile>(path);
        case FileKind::Zip: return OpenArchiveAs<ZipArchive>(path);
        case FileKind::Wad: return OpenArchiveAs<WadArchive>(path);
        case FileKind::Unknown: break;
    }
    WriteErrorLog(path + msg::kNotAnArchive.text);
    return nullptr;
}

bool IsArchiveExtension(const std::string& extension) {
    return KindFromExtension("x." + extension) != FileKind::Unknown;
}
