#pragma once

#include <cstdint>
#include <optional>

#include "maps/MapData.h"
#include "math/Vector3.h"

// Where a ray meets a map's faces, in the game's coordinates: for lowering a
// model onto the floor below it and for taking a shadow plane from a face.

struct MapHit {
    float distance = 0.0f;  // along the ray, in map units
    Vector3 point;
    Vector3 normal;  // of the face hit, facing the ray
    int face = -1;   // into MapData::faces
};

struct MapTraceOptions {
    // Faces with any of these surface bits are passed through.
    std::uint32_t skipFlags = map_surface::kNoDraw;
    // Whether the faces of brush models (doors, platforms, where they stand) stop
    // the ray as the world's do.
    bool brushModels = true;
};

// The nearest face the ray from `origin` along `direction` (any length but zero)
// meets within `maxDistance`, from the side the face looks at, as the game draws
// it; a face seen from behind lets the ray through.
std::optional<MapHit> Trace(const MapData& map, const Vector3& origin, const Vector3& direction, float maxDistance,
                            const MapTraceOptions& options = {});
