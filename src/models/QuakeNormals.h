#pragma once

#include <array>

#include "math/Vector3.h"

// The standard Quake vertex-normal table: 162 unit vectors in model space,
// indexed by the normal byte of each vertex of an MD2 frame.
inline constexpr int kQuakeNormalCount = 162;
extern const std::array<Vector3, kQuakeNormalCount> kQuakeNormals;

// Quake model space to the space the scene draws models in: (x, y, z) -> (y, -z, -x).
// With the models' default half turn about X a model stands upright facing +Z.
inline Vector3 QuakeToDrawing(const Vector3& p) { return {p.y, -p.z, -p.x}; }

// The table in drawing space with one more entry, kQuakeNormalCount, for a normal
// index past the table's end: straight up in model space, so a vertex with a broken
// normal is lit like level ground. `inverted` gives every vector negated.
const Vector3* QuakeDrawingNormals(bool inverted);
