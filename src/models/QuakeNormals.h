#pragma once

#include <array>

#include "math/Vector3.h"

// The standard Quake vertex-normal table: 162 unit vectors in model space,
// indexed by the normal byte of each vertex of an MD2 frame.
inline constexpr int kQuakeNormalCount = 162;
extern const std::array<Vector3, kQuakeNormalCount> kQuakeNormals;
