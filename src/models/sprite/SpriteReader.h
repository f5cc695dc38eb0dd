#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "media/Palette.h"
#include "platform/BinaryIO.h"
#include "platform/Messages.h"

// Layouts of the three sprite files. Little-endian; parts follow each other.
namespace sprite_format {
// Quake 2 (".sp2"): int32 ident, int32 version, int32 frame count; then per
// frame int32 width, int32 height (the quad's size), int32 origin x, int32
// origin y (the pixel standing at the sprite's position, x from the left, y from
// the top) and char[64] the game path of the PCX picture. No pixels.
inline constexpr std::uint32_t kQuake2Ident = 0x32534449;  // "IDS2"
inline constexpr std::int32_t kQuake2Version = 2;
inline constexpr std::size_t kQuake2HeaderSize = 12;
inline constexpr std::size_t kQuake2FrameSize = 80;
inline constexpr std::size_t kQuake2NameSize = 64;

// Quake 1 and Half-Life (".spr"): int32 ident, int32 version (1 Quake, 2
// Half-Life), int32 type (how it faces the viewer; kept, not used: the sprite
// always faces the camera), Half-Life only int32 texture format, then float
// bounding radius, int32 width, int32 height, int32 frame count, float beam
// length, int32 sync type. Half-Life then has int16 colour count (at most 256)
// and that many RGB triples.
// Each frame: int32 type, 0 one picture, 1 a group. A picture: int32 origin x
// (its left edge, usually negative), int32 origin y (its top edge, usually
// positive), int32 width, int32 height, width x height palette indexes (top row
// first). A group: int32 picture count n, n floats of timing (each picture's
// end time, growing; some files store equal steps instead), n pictures.
inline constexpr std::uint32_t kSpriteIdent = 0x50534449;  // "IDSP"
inline constexpr std::int32_t kQuake1Version = 1;
inline constexpr std::int32_t kHalfLifeVersion = 2;
inline constexpr int kTypeCount = 5;
inline constexpr std::int32_t kSinglePicture = 0;
inline constexpr std::int32_t kPictureGroup = 1;
inline constexpr std::size_t kPictureHeaderSize = 16;
inline constexpr int kPaletteColours = 256;
// Seconds of one clock frame: a picture of a single frame lasts one.
inline constexpr float kSecondsPerFrame = 0.1f;
// A group picture lasts at most this many clock frames.
inline constexpr float kLongestPicture = 1000.0f;
}  // namespace sprite_format

enum class SpriteFormat { Quake2, Quake1, HalfLife };

// How a Half-Life sprite's pictures are drawn (Quake 1 pictures are alpha-test).
enum class SpriteTextureFormat { Normal = 0, Additive = 1, IndexAlpha = 2, AlphaTest = 3 };

struct SpritePicture {
    int width = 0;
    int height = 0;
    int originX = 0;  // as the file holds it
    int originY = 0;
    std::string imageName;  // Quake 2: the PCX picture's game path
    ByteBuffer indexes;     // Quake 1 and Half-Life: width x height palette indexes
    float duration = 1.0f;  // clock frames the picture stands
    // The quad in sprite units, x to the right and y up from the sprite's position.
    float Left(SpriteFormat format) const;
    float Top() const { return static_cast<float>(originY); }
};

struct SpriteData {
    SpriteFormat format = SpriteFormat::Quake2;
    int type = 0;
    SpriteTextureFormat textureFormat = SpriteTextureFormat::AlphaTest;
    PaletteTable palette{};  // 256 x 4 bytes (Quake 1 and Half-Life)
    std::vector<SpritePicture> pictures;  // single pictures and group pictures in file order
};

// Reads a sprite; the format comes from its first bytes. A file that is not a
// sound sprite gives the message to show: "Error reading sprite." for one that
// ends early, "Not a valid Quake 2 sprite." or "Invalid sprite file format." for
// a wrong ident, version or value (`quake2` says which the caller expected),
// "There are no textures for this sprite." for one without pictures.
struct SpriteReadResult {
    std::optional<SpriteData> data;
    MessageText error{0, ""};
};
SpriteReadResult ReadSpriteData(const ByteBuffer& bytes, bool quake2);
