#pragma once

#include <optional>

#include "math/Vector3.h"

class COGLObject;
class COGLScene;
class COGLViewport;

// An axis-aligned box in world units.
struct WorldBox {
    Vector3 lo;
    Vector3 hi;

    Vector3 Center() const { return (lo + hi) * 0.5f; }
    void Grow(const WorldBox& other);
};

// The world box of an object's own box (its selection box) after its position,
// orientation and scale; nothing for a hidden object or one with no box yet (a
// model that was never drawn) or with coordinates that are not finite.
std::optional<WorldBox> WorldBoundsOf(const COGLObject& object);
// Every visible object's box together; nothing for a scene with none.
std::optional<WorldBox> SceneBounds(const COGLScene& scene);

// The share of the pane a framed box fills along its tighter side.
inline constexpr float kFrameFill = 0.9f;

// Sets the pane's camera so that the box fills it: a perspective camera keeps its
// angles and orbits the box's centre at the distance that shows every corner; an
// orthographic one keeps its direction, centres the box and scales it to fit.
void FrameBox(COGLViewport& viewport, const WorldBox& box);
