#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"

// Layout of a Quake 1 model (".mdl" starting "IDPO"). Little-endian; the parts
// follow each other without offsets, so each one's size comes from the header's
// counts and is checked against the bytes that are left.
namespace mdl_format {
inline constexpr std::uint32_t kIdent = 0x4f504449;  // "IDPO"
inline constexpr std::int32_t kVersion = 6;
inline constexpr std::size_t kHeaderSize = 84;  // 21 four-byte fields:
// 0 ident, 1 version,
// 2-4 scale x, y, z: a vertex byte times the scale ...
// 5-7 scale origin x, y, z: ... plus the origin is its position,
// 8 bounding radius (not used),
// 9-11 eye position x, y, z: subtracted from the origin so the model stands on it,
// 12 skin count, 13 skin width, 14 skin height,
// 15 vertex count, 16 triangle count, 17 frame count (entries: frames or groups),
// 18 sync type, 19 flags, 20 size (not used).
inline constexpr std::size_t kHeaderFields = kHeaderSize / 4;
// Skins: an int32 group flag (only single skins, 0, are read), then width x
// height palette indexes, top row first.
inline constexpr std::int32_t kSingleSkin = 0;
// Skin coordinates: int32 on-seam flag, int32 s, int32 t.
inline constexpr std::size_t kTexCoordSize = 12;
// Triangles: int32 faces-front flag, three int32 vertex indexes.
inline constexpr std::size_t kTriangleSize = 16;
// Frame entries: an int32 type, 0 one simple frame, anything else a group.
// A simple frame: two bounding vertices (4 bytes each), a 16-byte name, then
// the vertices. A group: int32 frame count n, two bounding vertices, n float
// intervals, then n simple frames (each without the type).
inline constexpr std::int32_t kSimpleFrame = 0;
inline constexpr std::size_t kBoundsSize = 8;
inline constexpr std::size_t kFrameNameSize = 16;
// A vertex: x, y, z bytes and the index of its normal in the Quake normal table.
inline constexpr std::size_t kVertexSize = 4;
}  // namespace mdl_format

struct MdlTexCoord {
    std::int32_t onSeam = 0;
    std::int32_t s = 0;
    std::int32_t t = 0;
};

struct MdlTriangle {
    std::int32_t facesFront = 0;
    std::int32_t vertex[3] = {0, 0, 0};  // each below the vertex count
};

struct MdlFrame {
    std::string name;
    ByteBuffer vertices;  // vertex count x 4 bytes
};

// A whole model as the file holds it, every index checked.
struct MdlData {
    Vector3 scale;
    Vector3 origin;  // the header's origin minus its eye position
    int skinWidth = 0;
    int skinHeight = 0;
    int vertexCount = 0;
    std::vector<ByteBuffer> skins;  // skinWidth x skinHeight palette indexes each
    std::vector<MdlTexCoord> texCoords;
    std::vector<MdlTriangle> triangles;
    std::vector<MdlFrame> frames;  // simple frames and the frames of groups, in file order
};

// Reads a model from the reader's current position to the last frame; bytes
// after it (some editors append their own block) are ignored. A file that is
// not a sound model throws ReadError; the caller shows the message.
MdlData ReadMdlData(BinaryReader& in);
