#pragma once

#include <cstddef>
#include <cstdint>

#include "math/ColorRGBA.h"
#include "math/Vector3.h"
#include "platform/BinaryIO.h"

// The scene file (".dv"): little-endian throughout, reals are IEEE singles, text
// fields are fixed, NUL-terminated and zero-filled, and no record carries a length:
// each layout follows from the counts and type codes before it.
//
//   header            magic "DUV2", int32 version (6 written; 5 and later read)
//   settings block    95 bytes: VWep byte, background RGB, ambient RGBA, light,
//                     object and texture counts, shadows byte, 8 shadow light and
//                     4 shadow plane indices (-1 when unused or shadows are off),
//                     shadow blending byte, shadow opacity
//   pak list          int32 count, then a 260-byte path per pak
//   background        byte; when 1, one texture record
//   view record       field of view (version 6 and later), 13 camera reals
//   textures          texture records (int32 pak position or -1, option byte, 260-byte path)
//   lights            int32 kind (0 point, else spot), the light record
//   objects           int32 type code, the object's record
namespace scene_format {
// "DUV2" read as one little-endian int32.
inline constexpr std::uint32_t kMagic = 0x32565544u;
inline constexpr int kVersion = 6;
// Versions up to this one are refused.
inline constexpr int kNewestRefusedVersion = 4;
inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kSettingsBlockSize = 95;
inline constexpr std::size_t kPathFieldSize = 260;
inline constexpr int kPointLightKind = 0;
inline constexpr int kSpotLightKind = 1;

// A colour is four reals red, green, blue, alpha; a vector three reals x, y, z.
void WriteColor(BinaryWriter& out, const ColorRGBA& c);
ColorRGBA ReadColor(BinaryReader& in);
void WriteVector(BinaryWriter& out, const Vector3& v);
Vector3 ReadVector(BinaryReader& in);
}  // namespace scene_format
