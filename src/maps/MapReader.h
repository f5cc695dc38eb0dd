#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "maps/MapData.h"
#include "platform/BinaryIO.h"

// Layouts of the three compiled maps. Little-endian; every offset and length is a
// claim of the file, checked against its size before anything is read.
namespace map_format {
// Header, Quake 2: char[4] "IBSP", int32 version 38, then 19 lumps of {int32
// offset, int32 length}. Quake 1 and Half-Life: int32 version 29 or 30, then 15
// lumps. Half-Life maps of one expansion store the entity and plane lumps the other
// way round; the one that reads as text is the entity lump.
inline constexpr std::uint32_t kQuake2Ident = 0x50534249;  // "IBSP"
inline constexpr std::int32_t kQuake2Version = 38;
inline constexpr std::int32_t kQuake1Version = 29;
inline constexpr std::int32_t kHalfLifeVersion = 30;
inline constexpr int kQuake2LumpCount = 19;
inline constexpr int kQuake1LumpCount = 15;

// The lumps read, by their position in each header (-1: the game has none).
struct LumpPositions {
    int entities, planes, textures, vertices, textureInfo, faces, lighting, edges, surfaceEdges, models;
};
inline constexpr LumpPositions kQuake2Lumps{0, 1, -1, 2, 5, 6, 7, 11, 12, 13};
inline constexpr LumpPositions kQuake1Lumps{0, 1, 2, 3, 6, 7, 8, 12, 13, 14};

// plane: float normal[3], float distance, int32 type (not used).
inline constexpr std::size_t kPlaneSize = 20;
// vertex: float x, y, z.
inline constexpr std::size_t kVertexSize = 12;
// edge: uint16 first vertex, uint16 second vertex.
inline constexpr std::size_t kEdgeSize = 4;
// surface edge: int32 edge; -e walks edge e backwards (its second vertex first).
inline constexpr std::size_t kSurfaceEdgeSize = 4;
// face: uint16 plane, int16 side (non-zero: the face looks against the plane's
// normal), int32 first surface edge, int16 edge count, int16 texture info,
// uint8 styles[4] (255 none), int32 lighting offset in bytes (-1 unlit). The
// polygon takes the first vertex of each directed edge in turn.
inline constexpr std::size_t kFaceSize = 20;
// texture info, Quake 2: float s[4], t[4] (s = dot(v, s.xyz) + s.w, in texels),
// int32 flags, int32 value, char[32] texture name (textures/NAME.wal), int32 next
// (the animation chain; the first frame is drawn).
inline constexpr std::size_t kQuake2TextureInfoSize = 76;
inline constexpr std::size_t kQuake2TextureNameSize = 32;
inline constexpr std::int32_t kQuake2Light = 0x1;
inline constexpr std::int32_t kQuake2Sky = 0x4;
inline constexpr std::int32_t kQuake2Warp = 0x8;
inline constexpr std::int32_t kQuake2Translucent33 = 0x10;
inline constexpr std::int32_t kQuake2Translucent66 = 0x20;
inline constexpr std::int32_t kQuake2Flowing = 0x40;
inline constexpr std::int32_t kQuake2NoDraw = 0x80;
// texture info, Quake 1 and Half-Life: float s[4], t[4], int32 mip texture index,
// int32 flags (kQuake1NoLightmap: sky or liquid, which have no lightmap).
inline constexpr std::size_t kQuake1TextureInfoSize = 40;
inline constexpr std::int32_t kQuake1NoLightmap = 0x1;
// mip texture lump: int32 count, int32 offset[count] from the lump's start (-1 no
// texture); each texture char[16] name, uint32 width, height, uint32 offsets of
// the levels w x h, w/2 x h/2, w/4 x h/4, w/8 x h/8 from the texture's start (all
// 0 when the picture lives in a WAD). Half-Life follows the last level with int16
// colour count (256) and count x R, G, B.
inline constexpr std::size_t kMipTextureHeaderSize = 40;
inline constexpr std::size_t kMipNameSize = 16;
inline constexpr int kMipLevels = 4;
inline constexpr std::uint32_t kMaxTextureSide = 4096;
inline constexpr int kPaletteColours = 256;
// model, Quake 2: float mins[3], maxs[3], origin[3], int32 head node, first face,
// face count. Quake 1 and Half-Life: the same floats, int32 head nodes[4], int32
// visible leaves, first face, face count.
inline constexpr std::size_t kQuake2ModelSize = 48;
inline constexpr std::size_t kQuake1ModelSize = 64;

// Lighting: a face's luxels are 16 texels apart; the games refuse a face whose
// lightmap is larger than 18 luxels along either axis, and so do we (the face).
inline constexpr int kLuxelTexels = 16;
inline constexpr int kMaxLuxels = 18;
// Compilers split faces long before this many edges; more is a damaged face.
inline constexpr int kMaxFaceEdges = 256;
}  // namespace map_format

// Reads a Quake 2 (IBSP 38), Quake 1 (29) or Half-Life (30) map. `name` is what
// the messages call it (a path, or an archive's entry). A face that does not
// check (an index outside its lump, a lightmap past the lighting or larger than
// the games allow, no texture) is left out and counted; a header or lump that
// does not check refuses the whole map with its message.
MapReadResult ReadMap(ByteBuffer bytes, const std::string& name);
