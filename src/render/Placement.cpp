#include "render/Placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::optional<float> RayEntersBox(const PointerRay& ray, const WorldBox& box) {
    float enter = 0.0f;
    float leave = std::numeric_limits<float>::max();
    const float origin[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const float direction[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    const float lo[3] = {box.lo.x, box.lo.y, box.lo.z};
    const float hi[3] = {box.hi.x, box.hi.y, box.hi.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (direction[axis] == 0.0f) {
            if (origin[axis] < lo[axis] || origin[axis] > hi[axis]) {
                return std::nullopt;
            }
            continue;
        }
        float near = (lo[axis] - origin[axis]) / direction[axis];
        float far = (hi[axis] - origin[axis]) / direction[axis];
        if (near > far) {
            std::swap(near, far);
        }
        enter = std::max(enter, near);
        leave = std::min(leave, far);
        if (enter > leave) {
            return std::nullopt;
        }
    }
    return enter;
}

Vector3 BesideOffset(const WorldBox& last, const WorldBox& added, const Vector3& right) {
    // Level, and snapped to the nearer of the two floor axes, so that rows of
    // models line up however the camera happens to be turned.
    Vector3 along{1.0f, 0.0f, 0.0f};
    if (std::fabs(right.z) > std::fabs(right.x)) {
        along = {0.0f, 0.0f, right.z < 0.0f ? -1.0f : 1.0f};
    } else if (right.x < 0.0f) {
        along = {-1.0f, 0.0f, 0.0f};
    }
    const Vector3 lastSize = last.hi - last.lo;
    const Vector3 addedSize = added.hi - added.lo;
    const float gap = 0.1f * std::max({lastSize.x, lastSize.z, addedSize.x, addedSize.z});
    const Vector3 lastCentre = last.Center();
    const Vector3 addedCentre = added.Center();
    Vector3 offset{lastCentre.x - addedCentre.x, 0.0f, lastCentre.z - addedCentre.z};
    const float apart = along.x != 0.0f ? 0.5f * (lastSize.x + addedSize.x) : 0.5f * (lastSize.z + addedSize.z);
    offset += along * (apart + gap);
    return offset;
}

LandingPoint LandAt(const PointerRay& ray, const std::optional<WorldBox>& hit, float floorY, float farthest,
                    const Vector3& centre) {
    if (hit) {
        if (const auto t = RayEntersBox(ray, *hit)) {
            const Vector3 on = ray.origin + ray.direction * *t;
            return {{on.x, hit->hi.y, on.z}, true};
        }
    }
    const float length = ray.direction.Length();
    if (ray.direction.y < 0.0f && length > 0.0f) {
        const float t = (floorY - ray.origin.y) / ray.direction.y;
        if (t >= 0.0f && t * length <= farthest) {
            return {ray.origin + ray.direction * t, true};
        }
    }
    const float squared = ray.direction.Dot(ray.direction);
    const float t = squared > 0.0f ? std::max(0.0f, (centre - ray.origin).Dot(ray.direction) / squared) : 0.0f;
    return {ray.origin + ray.direction * t, false};
}

Vector3 LandingOffset(const LandingPoint& landing, const WorldBox& added) {
    const Vector3 centre = added.Center();
    const Vector3 anchor = landing.standing ? Vector3{centre.x, added.lo.y, centre.z} : centre;
    return landing.point - anchor;
}
