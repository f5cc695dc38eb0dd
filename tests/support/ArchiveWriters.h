#pragma once

// Writers for the archives beside paks: zips (through libzip, as a modder's tool
// writes them), WAD2 and WAD3 texture files, and folder trees of game files. Like
// MediaWriters.h, header-only and free of the test framework, so benchmarks, fuzz
// seed tools and tests all use them.

#include <zip.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/BinaryIO.h"

namespace fixtures {

// A zip written by libzip. Entries keep the order added; deflated unless asked
// otherwise. The patch helpers then break what libzip would not write: two entries
// of one name, a stated size that lies, a compression method nobody reads.
class ZipBuilder {
public:
    ZipBuilder& Add(const std::string& name, const ByteBuffer& bytes, bool deflate = true) {
        files_.push_back(File{name, bytes, deflate, false});
        return *this;
    }
    ZipBuilder& Add(const std::string& name, const std::string& text, bool deflate = true) {
        return Add(name, ByteBuffer(text.begin(), text.end()), deflate);
    }
    ZipBuilder& AddDirectory(const std::string& name) {
        files_.push_back(File{name, {}, false, true});
        return *this;
    }

    // The zip's bytes; empty when libzip refused to write it.
    ByteBuffer Build() const {
        std::string path = (std::filesystem::temp_directory_path() / "marovin-zip-XXXXXX").string();
        const int fd = ::mkstemp(path.data());
        if (fd < 0) {
            return {};
        }
        ::close(fd);
        int error = 0;
        zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        bool ok = archive != nullptr;
        for (const File& file : files_) {
            if (!ok) {
                break;
            }
            if (file.directory) {
                const zip_int64_t index = zip_dir_add(archive, file.name.c_str(), ZIP_FL_ENC_UTF_8);
                ok = index >= 0 && zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), kFixedTime, 0) == 0;
                continue;
            }
            zip_source_t* source = zip_source_buffer(archive, file.bytes.data(), file.bytes.size(), 0);
            const zip_int64_t index =
                source != nullptr ? zip_file_add(archive, file.name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
            if (index < 0) {
                zip_source_free(source);
                ok = false;
                break;
            }
            ok = zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                          file.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0) == 0 &&
                 zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), kFixedTime, 0) == 0;
        }
        // zip_close writes the file; the buffers above must live until then.
        if (archive != nullptr && (!ok || zip_close(archive) != 0)) {
            zip_discard(archive);
            ok = false;
        }
        auto bytes = ok ? ReadWholeFile(path) : std::nullopt;
        std::filesystem::remove(path);
        return bytes ? *bytes : ByteBuffer{};
    }

    // Renames every stored copy of a name (local header and directory) to another
    // of the same length.
    static void RenameEntry(ByteBuffer& zip, const std::string& from, const std::string& to) {
        for (std::size_t at : Find(zip, from)) {
            std::copy(to.begin(), to.end(), zip.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    // Makes both headers of an entry state `size` as its inflated size.
    static void SetStatedSize(ByteBuffer& zip, const std::string& name, std::uint32_t size) {
        PatchHeaders(zip, name, 22, 24, size, 4);
    }
    // Makes both headers of an entry name a compression `method`.
    static void SetMethod(ByteBuffer& zip, const std::string& name, std::uint16_t method) {
        PatchHeaders(zip, name, 8, 10, method, 2);
    }

private:
    // Every entry is dated the same, so the same entries make the same bytes.
    static constexpr time_t kFixedTime = 946684800;  // 2000-01-01

    struct File {
        std::string name;
        ByteBuffer bytes;
        bool deflate;
        bool directory;
    };

    static std::vector<std::size_t> Find(const ByteBuffer& zip, const std::string& text) {
        std::vector<std::size_t> found;
        for (auto it = zip.begin(); (it = std::search(it, zip.end(), text.begin(), text.end())) != zip.end(); ++it) {
            found.push_back(static_cast<std::size_t>(it - zip.begin()));
        }
        return found;
    }
    static void Put(ByteBuffer& zip, std::size_t at, std::uint32_t value, std::size_t bytes) {
        for (std::size_t i = 0; i < bytes; ++i) {
            zip[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    // Local headers hold their name at 30, central ones at 46; the field is patched
    // in each header whose name is `name`.
    static void PatchHeaders(ByteBuffer& zip, const std::string& name, std::size_t localField,
                             std::size_t centralField, std::uint32_t value, std::size_t bytes) {
        for (std::size_t at : Find(zip, name)) {
            if (at >= 30 && std::memcmp(zip.data() + at - 30, "PK\x03\x04", 4) == 0) {
                Put(zip, at - 30 + localField, value, bytes);
            } else if (at >= 46 && std::memcmp(zip.data() + at - 46, "PK\x01\x02", 4) == 0) {
                Put(zip, at - 46 + centralField, value, bytes);
            }
        }
    }

    std::vector<File> files_;
};

// A WAD2 (Quake 1) or WAD3 (Half-Life) texture file. Lumps keep the order added;
// raw lumps let a test write any directory fields.
class WadBuilder {
public:
    using Colours = std::vector<std::array<std::uint8_t, 3>>;

    explicit WadBuilder(bool halfLife) : halfLife_(halfLife) {}

    // A qpic; WAD3 pictures carry `colours` after their pixels.
    WadBuilder& AddQpic(const std::string& name, int width, int height, const std::vector<std::uint8_t>& indices,
                        const Colours& colours = {}) {
        BinaryWriter lump;
        lump.WriteI32(width);
        lump.WriteI32(height);
        lump.WriteBytes(indices.data(), indices.size());
        WritePalette(lump, colours);
        return AddLump(name, 0x42, lump.Bytes());
    }
    // A mip texture of four levels, level 0 given and the others filled with its
    // first index; WAD3 pictures carry `colours` after the last level.
    WadBuilder& AddMip(const std::string& name, int width, int height, const std::vector<std::uint8_t>& indices,
                       const Colours& colours = {}) {
        return AddLump(name, halfLife_ ? 0x43 : 0x44, MipLump(name, width, height, indices, colours));
    }
    // A lump of any type and bytes.
    WadBuilder& AddLump(const std::string& name, std::uint8_t type, const ByteBuffer& bytes,
                        std::uint8_t compression = 0) {
        lumps_.push_back(Lump{name, type, compression, bytes, false, 0, 0});
        return *this;
    }
    // A directory entry with the given fields and no bytes of its own.
    WadBuilder& AddRaw(const std::string& name, std::uint8_t type, std::int32_t offset, std::int32_t size) {
        lumps_.push_back(Lump{name, type, 0, {}, true, offset, size});
        return *this;
    }

    ByteBuffer Build() const {
        BinaryWriter out;
        out.WriteBytes(halfLife_ ? "WAD3" : "WAD2", 4);
        out.WriteI32(static_cast<std::int32_t>(lumps_.size()));
        out.WriteI32(0);
        std::vector<std::int32_t> offsets;
        for (const Lump& lump : lumps_) {
            offsets.push_back(static_cast<std::int32_t>(out.Size()));
            out.WriteBytes(lump.bytes.data(), lump.bytes.size());
        }
        out.PatchI32(8, static_cast<std::int32_t>(out.Size()));
        for (std::size_t i = 0; i < lumps_.size(); ++i) {
            const Lump& lump = lumps_[i];
            const auto size = static_cast<std::int32_t>(lump.bytes.size());
            out.WriteI32(lump.raw ? lump.offset : offsets[i]);
            out.WriteI32(lump.raw ? lump.size : size);
            out.WriteI32(lump.raw ? lump.size : size);
            out.WriteU8(lump.type);
            out.WriteU8(lump.compression);
            out.WriteU16(0);
            // A 16-character name fills its field without a terminator.
            std::string field = lump.name.substr(0, 16);
            field.resize(16, '\0');
            out.WriteBytes(field.data(), field.size());
        }
        return out.Bytes();
    }

    // A mip texture lump as the builder writes it, for tests that break one.
    ByteBuffer MipLump(const std::string& name, int width, int height, const std::vector<std::uint8_t>& indices,
                       const Colours& colours) const {
        BinaryWriter lump;
        lump.WriteText(name, 16);
        lump.WriteU32(static_cast<std::uint32_t>(width));
        lump.WriteU32(static_cast<std::uint32_t>(height));
        std::uint32_t at = 40;
        for (int level = 0; level < 4; ++level) {
            lump.WriteU32(at);
            at += static_cast<std::uint32_t>((width >> level) * (height >> level));
        }
        lump.WriteBytes(indices.data(), indices.size());
        const std::uint8_t fill = indices.empty() ? 0 : indices[0];
        for (int level = 1; level < 4; ++level) {
            lump.Bytes().insert(lump.Bytes().end(), static_cast<std::size_t>((width >> level) * (height >> level)),
                                fill);
        }
        WritePalette(lump, colours);
        return lump.Bytes();
    }

private:
    struct Lump {
        std::string name;
        std::uint8_t type;
        std::uint8_t compression;
        ByteBuffer bytes;
        bool raw;
        std::int32_t offset;
        std::int32_t size;
    };

    void WritePalette(BinaryWriter& lump, const Colours& colours) const {
        if (!halfLife_) {
            return;
        }
        lump.WriteU16(static_cast<std::uint16_t>(colours.size()));
        for (const auto& colour : colours) {
            lump.WriteBytes(colour.data(), colour.size());
        }
    }

    bool halfLife_;
    std::vector<Lump> lumps_;
};

// A tree of files to write below a folder: a game installation in miniature.
class FolderBuilder {
public:
    FolderBuilder& Add(const std::string& path, const ByteBuffer& bytes) {
        files_.emplace_back(path, bytes);
        return *this;
    }
    FolderBuilder& Add(const std::string& path, const std::string& text) {
        return Add(path, ByteBuffer(text.begin(), text.end()));
    }

    // Writes every file below `root`, making folders as needed.
    bool Write(const std::string& root) const {
        for (const auto& [path, bytes] : files_) {
            const std::filesystem::path target = std::filesystem::path(root) / path;
            std::error_code error;
            std::filesystem::create_directories(target.parent_path(), error);
            if (error || !WriteFileAtomically(target.string(), bytes)) {
                return false;
            }
        }
        return true;
    }

private:
    std::vector<std::pair<std::string, ByteBuffer>> files_;
};

}  // namespace fixtures
