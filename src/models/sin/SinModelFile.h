#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/BinaryIO.h"

// Layout of a SiN base model (".sbm"): the mesh without its frames. All integers
// are little-endian; offsets are in bytes.
namespace sbm_format {
inline constexpr std::uint32_t kIdent = 0x204d4253;  // "SBM "
inline constexpr std::int32_t kVersion = 1;
// Header, 28 bytes:
//   0 ident, 4 version,
//   8 num_xyz: vertices per frame (every animation of the model has as many),
//  12 num_st: texture coordinates (more than num_xyz where seams split vertices),
//  16 num_groups: mesh group records, directly after the header,
//  20 ofs_st: texture coordinates, from the start of the file,
//  24 ofs_end: end of the data (not used).
inline constexpr std::size_t kHeaderSize = 28;
// Group record, 24 bytes, group i at 28 + 24 i; offsets count from the start of
// the record itself:
//   0 id: the group's number (definitions name groups by it),
//   4 num_tris: triangles,
//   8 num_glcmds, 12 ofs_glcmds: a strip and fan command list (not used: the
//     triangles alone draw the group, so nothing is read through these),
//  16 ofs_tris: the triangles,
//  20 ofs_end: end of the group's data (not used).
inline constexpr std::size_t kGroupSize = 24;
// Triangle, 16 bytes: int16 index_xyz[3], int16 index_st[3], int32 id (not used).
inline constexpr std::size_t kTriangleSize = 16;
// Texture coordinate, 8 bytes: float s, t, 0..1 from the skin's top left.
inline constexpr std::size_t kStSize = 8;
}  // namespace sbm_format

struct SbmTriangle {
    std::array<std::uint16_t, 3> xyz{};  // below num_xyz (stored as int16)
    std::array<std::uint16_t, 3> st{};   // below num_st
};

struct SbmGroup {
    int id = 0;
    std::vector<SbmTriangle> triangles;
};

// A base model as read, every index checked.
struct SbmModel {
    int vertexCount = 0;
    std::vector<std::array<float, 2>> st;
    std::vector<SbmGroup> groups;
};

// Reads a base model from all the bytes of `in`. Throws ReadError when the ident
// or version is wrong or any count, offset or index leaves the bytes there.
SbmModel ReadSbm(BinaryReader in);
