#pragma once

#include <optional>

#include "math/Vector3.h"
#include "render/Framing.h"

// Where objects added in the window go, so that a new model neither hides inside
// the one before it nor lands out of sight. Plain geometry; the view supplies the
// rays and boxes.

// A line through a pane's pixel, from the near plane on.
struct PointerRay {
    Vector3 origin;
    Vector3 direction;  // not necessarily of unit length
};

// The distance along `ray` (in units of its direction) at which it enters `box`,
// 0 when it starts inside; nothing when it misses the box or meets it only behind.
std::optional<float> RayEntersBox(const PointerRay& ray, const WorldBox& box);

// How far an added object at `added` moves to stand beside `last`, clear of it by
// a tenth of the larger of the two, along the level direction closest to
// `right` (the pane's right), keeping its height.
Vector3 BesideOffset(const WorldBox& last, const WorldBox& added, const Vector3& right);

// The point under a pointer: on top of `hit` (the box of the object it is over)
// where the ray enters it, else on the floor at height `floorY` when the ray comes
// down onto it no farther than `farthest` away, else where the ray passes `centre`
// (the camera's point of interest) most closely.
struct LandingPoint {
    Vector3 point;
    bool standing = false;  // the object stands on the point, rather than around it
};
LandingPoint LandAt(const PointerRay& ray, const std::optional<WorldBox>& hit, float floorY, float farthest,
                    const Vector3& centre);

// How far an object whose box is `added` moves so that it lands on `landing`: its
// bottom's centre on a standing point, its centre on any other.
Vector3 LandingOffset(const LandingPoint& landing, const WorldBox& added);
