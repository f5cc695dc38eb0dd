#include "maps/MapTrace.h"

#include <cmath>

namespace {

// Inside a convex polygon when the point lies on the same side of every edge; the
// edges are taken in either winding.
bool Inside(std::span<const MapVertex> polygon, const Vector3& normal, const Vector3& point) {
    constexpr float kTolerance = 1e-3f;
    bool positive = false;
    bool negative = false;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector3& a = polygon[i].position;
        const Vector3& b = polygon[(i + 1) % polygon.size()].position;
        const Vector3 edge = b - a;
        const float side = edge.Cross(point - a).Dot(normal);
        const float scale = edge.Length();
        positive = positive || side > kTolerance * scale;
        negative = negative || side < -kTolerance * scale;
        if (positive && negative) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<MapHit> Trace(const MapData& map, const Vector3& origin, const Vector3& direction, float maxDistance,
                            const MapTraceOptions& options) {
    Vector3 ray = direction;
    if (!ray.Normalize() || !(maxDistance > 0.0f)) {
        return std::nullopt;
    }
    std::optional<MapHit> nearest;
    for (std::size_t i = 0; i < map.faces.size(); ++i) {
        const MapFace& face = map.faces[i];
        if ((face.flags & options.skipFlags) != 0 || (face.model != 0 && !options.brushModels)) {
            continue;
        }
        const float facing = face.normal.Dot(ray);
        if (!(facing < 0.0f)) {
            continue;  // seen from behind or edge on
        }
        const float distance = (face.distance - face.normal.Dot(origin)) / facing;
        const float limit = nearest ? nearest->distance : maxDistance;
        if (!(distance >= 0.0f) || distance > limit) {
            continue;
        }
        const Vector3 point = origin + ray * distance;
        if (!Inside(map.Vertices(face), face.normal, point)) {
            continue;
        }
        nearest = MapHit{distance, point, face.normal, static_cast<int>(i)};
    }
    return nearest;
}
