#pragma once

#include <bit>
#include <cstdint>

// Four bones' numbers side by side in the compiler's vector types (SSE on x86,
// NEON on ARM, plain code elsewhere): bone set-up does the same trigonometry and
// interpolation for every bone, so it does four at once.
namespace studio_lanes {

using Lanes = float __attribute__((vector_size(16)));
using Mask = std::int32_t __attribute__((vector_size(16)));  // all ones where true

inline Lanes Splat(float x) { return Lanes{x, x, x, x}; }
inline Mask Bits(Lanes v) { return std::bit_cast<Mask>(v); }
inline Lanes FromBits(Mask m) { return std::bit_cast<Lanes>(m); }
inline Lanes Select(Mask where, Lanes yes, Lanes no) { return FromBits((where & Bits(yes)) | (~where & Bits(no))); }
inline bool Any(Mask m) { return (m[0] | m[1] | m[2] | m[3]) != 0; }
inline bool All(Mask m) { return (m[0] & m[1] & m[2] & m[3]) != 0; }

struct QuaternionLanes {
    Lanes x, y, z, w;
};

// Sine and cosine of each lane within a few units in the last place.
void SinCosLanes(Lanes x, Lanes& sine, Lanes& cosine);
// Rotations from angles in radians about x, y and z (applied z, then y, then x).
QuaternionLanes AngleQuaternionLanes(Lanes x, Lanes y, Lanes z);
// Spherical interpolation of each lane from p (t = 0) to q (t = 1) along the shorter arc.
QuaternionLanes SlerpLanes(const QuaternionLanes& p, const QuaternionLanes& q, float t);

}  // namespace studio_lanes
