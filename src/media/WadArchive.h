#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "media/Archive.h"

// Read access to a texture archive of Quake 1 ("WAD2") or Half-Life ("WAD3").
// Every lump is an entry named by its directory name; its qpics, mip textures and
// (WAD3) decals are pictures the archive decodes itself (LoadPicture) and the only
// entries the tree lists, each by its whole name. A name stored twice is noted as a
// problem; lookups find the first, as the engine's own search does.
//
// Layout (little-endian):
//   header, 12 bytes:
//     0  char[4] magic       "WAD2" or "WAD3"
//     4  int32   lumpCount   directory entries; count x 32 bytes must fit in the file
//     8  int32   dirOffset   where the directory starts
//   directory entry, 32 bytes:
//     0  int32   offset      of the lump's bytes in the file
//     4  int32   diskSize    bytes the lump takes in the file; the lump must lie inside it
//     8  int32   size        bytes once uncompressed (not used: nothing is compressed)
//     12 uint8   type        see kType* below
//     13 uint8   compression 0 none; 1 LZSS, which no tool reads: refused
//     14 int16   padding
//     16 char[16] name       NUL-terminated unless it takes all 16; empty names are skipped
//   qpic lump:
//     0  int32   width, 4 int32 height, 8 width x height indexes, top row first
//   mip texture lump:
//     0  char[16] name (the directory's is used), 16 uint32 width, 20 uint32 height,
//     24 uint32[4] offsets from the lump's start of the levels w x h, w/2 x h/2,
//        w/4 x h/4, w/8 x h/8; only level 0 is drawn, but every level must fit
//   WAD3 pictures carry their palette after their pixels (a qpic) or after their last
//   level (a mip texture): uint16 colour count (at most 256), then count x R, G, B.
//   WAD2 pictures use the Quake 1 palette. In WAD3 a name starting with "{" makes
//   index 255 transparent.
//   decal (WAD3 type 0x40 laid out as a mip texture, as in Half-Life's decals.wad):
//     one colour, the last of its palette (index 255), tints the whole picture and
//     each pixel's index is its opacity (0 clear, 255 solid), as the engine draws
//     decals. A type 0x40 lump that is not laid out so (a bare palette) is no picture.
class WadArchive : public Archive {
public:
    static constexpr std::uint8_t kTypePalette = 0x40;      // WAD3: a palette or a decal
    static constexpr std::uint8_t kTypeQpic = 0x42;
    static constexpr std::uint8_t kTypeMipWad3 = 0x43;
    static constexpr std::uint8_t kTypeMipWad2 = 0x44;      // a few WAD3 tools write it too
    static constexpr std::uint8_t kTypeFont = 0x46;
    static constexpr std::int64_t kMaxLumps = 1 << 20;

    WadArchive();

    // A missing file fails silently; a bad header or directory fails with a message.
    bool Open(const std::string& path);
    // Opens a WAD held in memory (one read out of another archive: Quake's gfx.wad
    // inside pak0.pak), known as `path` in lists and messages. Fails with the
    // message when the bytes are not a WAD.
    bool OpenBytes(const std::string& path, ByteBuffer bytes);
    ArchiveKind Kind() const override { return ArchiveKind::Wad; }
    bool IsHalfLife() const { return halfLife_; }

    std::optional<ByteBuffer> ReadEntry(const PakEntry& entry) override;
    std::optional<ByteBuffer> ReadEntryHead(const PakEntry& entry, std::size_t count) override;

    bool IsPicture(const PakEntry& entry) const override;
    bool LoadPicture(const PakEntry& entry, COGLImage& image, bool resize, bool bgrOrder) override;

protected:
    Listing ListingOf(const PakEntry& entry) override;

private:
    // How a lump is drawn, found as the archive opens.
    enum class Picture : std::uint8_t { None, Qpic, Mip, Decal };

    // Reads the header and directory through `read` (offset, length -> bytes).
    template <typename Read>
    bool Parse(std::uint64_t fileSize, Read read);
    std::optional<ByteBuffer> ReadRange(std::uint64_t offset, std::size_t length) const;

    bool halfLife_ = false;
    std::vector<Picture> pictures_;  // per entry position
    std::optional<ByteBuffer> bytes_;  // the whole WAD when it is held in memory
};
