#include "media/WadArchive.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "media/COGLImage.h"
#include "media/Palette.h"
#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"

namespace {
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kDirectoryEntrySize = 32;
constexpr std::size_t kNameSize = 16;
constexpr std::size_t kMipHeaderSize = 40;
constexpr int kMipLevels = 4;
constexpr int kMaxColours = 256;
constexpr int kTransparentIndex = 255;
}  // namespace

WadArchive::WadArchive() : Archive(true) {}

bool WadArchive::Open(const std::string& path) {
    ClearEntries();
    ClearProblems();
    pictures_.clear();
    bytes_.reset();
    const auto fileSize = FileSize(path);
    if (!fileSize) {
        return false;
    }
    SetPath(path);
    // One handle for the directory and the heads of the lumps it has to look into.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const bool ok = Parse(*fileSize, [&](std::uint64_t offset, std::size_t length) -> std::optional<ByteBuffer> {
        ByteBuffer bytes(length);
        if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0 ||
            (length != 0 && std::fread(bytes.data(), 1, length, file) != length)) {
            return std::nullopt;
        }
        return bytes;
    });
    std::fclose(file);
    return ok;
}

bool WadArchive::OpenBytes(const std::string& path, ByteBuffer bytes) {
    ClearEntries();
    ClearProblems();
    pictures_.clear();
    SetPath(path);
    bytes_ = std::move(bytes);
    if (!Parse(bytes_->size(), [&](std::uint64_t offset, std::size_t length) { return ReadRange(offset, length); })) {
        bytes_.reset();
        return false;
    }
    return true;
}

std::optional<ByteBuffer> WadArchive::ReadRange(std::uint64_t offset, std::size_t length) const {
    if (bytes_) {
        if (offset > bytes_->size() || length > bytes_->size() - offset) {
            return std::nullopt;
        }
        const auto* from = bytes_->data() + offset;
        return ByteBuffer(from, from + length);
    }
    return ReadFileRange(Path(), offset, length);
}

template <typename Read>
bool WadArchive::Parse(std::uint64_t fileSize, Read read) {
    const auto refuse = [&]() {
        ClearEntries();
        pictures_.clear();
        WriteErrorLog(Path() + msg::kNotValidWad.text);
        return false;
    };

    const auto header = read(0, kHeaderSize);
    if (!header || header->size() != kHeaderSize) {
        return refuse();
    }
    BinaryReader in(*header);
    const std::uint8_t* magic = in.ReadSpan(4);
    if (std::memcmp(magic, "WAD2", 4) == 0) {
        halfLife_ = false;
    } else if (std::memcmp(magic, "WAD3", 4) == 0) {
        halfLife_ = true;
    } else {
        return refuse();
    }
    const std::int64_t count = in.ReadI32();
    const std::int64_t dirOffset = in.ReadI32();
    // The directory must lie inside the file before anything is allocated for it.
    if (count < 0 || count > kMaxLumps || dirOffset < 0 ||
        static_cast<std::uint64_t>(dirOffset) + static_cast<std::uint64_t>(count) * kDirectoryEntrySize > fileSize) {
        return refuse();
    }
    const std::size_t directorySize = static_cast<std::size_t>(count) * kDirectoryEntrySize;
    const auto directory = read(static_cast<std::uint64_t>(dirOffset), directorySize);
    if (!directory || directory->size() != directorySize) {
        return refuse();
    }

    // A WAD3 lump of type 0x40 is a decal when it is laid out as a mip texture
    // whose levels fit in it, and a bare palette otherwise.
    const auto isDecal = [&](std::int64_t offset, std::int64_t size) {
        if (!halfLife_ || size < static_cast<std::int64_t>(kMipHeaderSize)) {
            return false;
        }
        const auto head = read(static_cast<std::uint64_t>(offset), kMipHeaderSize);
        if (!head || head->size() != kMipHeaderSize) {
            return false;
        }
        BinaryReader mip(*head);
        mip.Seek(kNameSize);
        const std::uint64_t width = mip.ReadU32();
        const std::uint64_t height = mip.ReadU32();
        if (width == 0 || height == 0 || width * height > static_cast<std::uint64_t>(size)) {
            return false;
        }
        for (int level = 0; level < kMipLevels; ++level) {
            const std::uint64_t at = mip.ReadU32();
            if (at < kMipHeaderSize || at + (width >> level) * (height >> level) > static_cast<std::uint64_t>(size)) {
                return false;
            }
        }
        return true;
    };

    ReserveEntries(static_cast<std::size_t>(count));
    pictures_.reserve(static_cast<std::size_t>(count));
    BinaryReader lumps(*directory);
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t offset = lumps.ReadI32();
        const std::int64_t diskSize = lumps.ReadI32();
        lumps.Skip(4);  // uncompressed size
        const std::uint8_t type = lumps.ReadU8();
        const std::uint8_t compression = lumps.ReadU8();
        lumps.Skip(2);
        const std::string name = lumps.ReadText(kNameSize);
        if (name.empty()) {
            NoteProblem(msg::kLumpWithoutName, std::to_string(i));
            continue;
        }
        if (offset < 0 || diskSize < 0 || static_cast<std::uint64_t>(offset + diskSize) > fileSize) {
            NoteProblem(msg::kLumpOutsideFile, name);
            continue;
        }
        if (compression != 0) {
            NoteProblem(msg::kEntryCompression, name);
            continue;
        }
        Picture picture = Picture::None;
        if (type == kTypeQpic) {
            picture = Picture::Qpic;
        } else if (halfLife_ && (type == kTypeMipWad3 || type == kTypeMipWad2)) {
            picture = Picture::Mip;
        } else if (!halfLife_ && type == kTypeMipWad2 && !fs_util::EqualsIgnoreCase(name, "conchars")) {
            picture = Picture::Mip;  // Quake's console font is stored as a mip texture but holds bare pixels
        } else if (type == kTypePalette && isDecal(offset, diskSize)) {
            picture = Picture::Decal;
        }
        AddEntryNotingDuplicate(PakEntry{name, static_cast<std::int32_t>(offset), static_cast<std::int32_t>(diskSize),
                                         static_cast<int>(i)});
        pictures_.push_back(picture);
    }
    return true;
}

std::optional<ByteBuffer> WadArchive::ReadEntryHead(const PakEntry& entry, std::size_t count) {
    if (!PositionOf(entry)) {
        return std::nullopt;
    }
    const std::size_t wanted = std::min(count, static_cast<std::size_t>(entry.length));
    auto bytes = ReadRange(static_cast<std::uint64_t>(entry.offset), wanted);
    if (!bytes || bytes->size() != wanted) {
        NoteProblem(msg::kEntryUnreadable, entry.name);
        return std::nullopt;
    }
    return bytes;
}

std::optional<ByteBuffer> WadArchive::ReadEntry(const PakEntry& entry) {
    return ReadEntryHead(entry, static_cast<std::size_t>(entry.length));
}

bool WadArchive::IsPicture(const PakEntry& entry) const {
    const auto position = PositionOf(entry);
    return position && pictures_[*position] != Picture::None;
}

Archive::Listing WadArchive::ListingOf(const PakEntry& entry) {
    return IsPicture(entry) ? Listing::AsPicture : Listing::Skip;
}

bool WadArchive::LoadPicture(const PakEntry& entry, COGLImage& image, bool resize, bool bgrOrder) {
    if (!IsPicture(entry)) {
        return false;
    }
    const auto refuse = [&](const MessageText& message) {
        GetHost().ShowMessage(Path() + ": " + FormatMessage(message, entry.name));
        return false;
    };
    const Picture picture = pictures_[*PositionOf(entry)];
    const auto bytes = ReadEntry(entry);
    if (!bytes) {
        return refuse(msg::kEntryUnreadable);
    }
    const std::size_t size = bytes->size();
    BinaryReader in(*bytes);
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::size_t pixelsAt = 0;
    std::uint64_t paletteAt = 0;
    try {
        if (picture == Picture::Qpic) {
            const std::int32_t w = in.ReadI32();
            const std::int32_t h = in.ReadI32();
            if (w <= 0 || h <= 0) {
                return refuse(msg::kPictureBadSize);
            }
            width = static_cast<std::uint64_t>(w);
            height = static_cast<std::uint64_t>(h);
            pixelsAt = in.Tell();
            paletteAt = pixelsAt + width * height;
        } else {
            in.Seek(kNameSize);
            width = in.ReadU32();
            height = in.ReadU32();
            if (width == 0 || height == 0) {
                return refuse(msg::kPictureBadSize);
            }
            if (width * height > size) {
                return refuse(msg::kPictureTruncated);
            }
            std::array<std::uint64_t, kMipLevels> offsets{};
            for (auto& offset : offsets) {
                offset = in.ReadU32();
            }
            // Only level 0 is drawn, but a picture whose smaller levels are cut off
            // is a damaged one, and a WAD3 palette follows the last level.
            for (int level = 0; level < kMipLevels; ++level) {
                const std::uint64_t levelSize = (width >> level) * (height >> level);
                if (offsets[std::size_t(level)] < kMipHeaderSize || offsets[std::size_t(level)] + levelSize > size) {
                    return refuse(msg::kPictureTruncated);
                }
            }
            pixelsAt = static_cast<std::size_t>(offsets[0]);
            paletteAt = offsets[kMipLevels - 1] + (width >> (kMipLevels - 1)) * (height >> (kMipLevels - 1));
        }
    } catch (const ReadError&) {
        return refuse(msg::kPictureTruncated);
    }
    if (pixelsAt + width * height > size) {
        return refuse(msg::kPictureTruncated);
    }

    ConvertedPalette palette;
    if (halfLife_) {
        // The colour count is trusted only as far as the bytes go; a short palette
        // leaves the colours after it black.
        if (paletteAt + 2 > size) {
            return refuse(msg::kPictureBadPalette);
        }
        BinaryReader colours(*bytes);
        colours.Seek(static_cast<std::size_t>(paletteAt));
        const int count = colours.ReadU16();
        if (count > kMaxColours || colours.Remaining() < std::size_t(count) * 3) {
            return refuse(msg::kPictureBadPalette);
        }
        RawPalette raw{};
        std::copy_n(colours.ReadSpan(std::size_t(count) * 3), std::size_t(count) * 3, raw.begin());
        palette = ConvertPalette(raw.data(), 3);
    } else {
        palette = Quake1Palette();
    }
    if (picture == Picture::Decal) {
        return image.LoadTinted(bytes->data() + pixelsAt, static_cast<int>(width), static_cast<int>(height), palette,
                                kTransparentIndex, resize, bgrOrder);
    }
    const bool keyed = halfLife_ && !entry.name.empty() && entry.name[0] == '{';
    return image.LoadPaletted(bytes->data() + pixelsAt, static_cast<int>(width), static_cast<int>(height), palette,
                              keyed ? kTransparentIndex : -1, resize, bgrOrder);
}
