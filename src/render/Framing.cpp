#include "render/Framing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "math/Matrix4.h"
#include "render/COGLViewport.h"
#include "render/ViewLayout.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"

namespace {

// A box this thin still gets a size, so framing a plane or a point gives a sane zoom.
constexpr float kSmallestHalfSize = 0.05f;

bool IsFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::array<Vector3, 8> Corners(const Vector3& lo, const Vector3& hi) {
    std::array<Vector3, 8> corners;
    for (int i = 0; i < 8; ++i) {
        corners[static_cast<std::size_t>(i)] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
    }
    return corners;
}

// The box grown to the smallest size about its centre.
WorldBox Padded(const WorldBox& box) {
    const Vector3 c = box.Center();
    WorldBox out = box;
    const auto pad = [](float& lo, float& hi, float centre) {
        lo = std::min(lo, centre - kSmallestHalfSize);
        hi = std::max(hi, centre + kSmallestHalfSize);
    };
    pad(out.lo.x, out.hi.x, c.x);
    pad(out.lo.y, out.hi.y, c.y);
    pad(out.lo.z, out.hi.z, c.z);
    return out;
}

// The orbit camera's turn, as its Apply makes it: roll about z, then yaw about y,
// then pitch about x.
Vector3 TurnAsCamera(const COGLCamera3D& camera, const Vector3& v) {
    const auto turn = [](float& a, float& b, float degrees) {
        const float r = degrees * std::numbers::pi_v<float> / 180.0f;
        const float c = std::cos(r);
        const float s = std::sin(r);
        const float na = c * a - s * b;
        const float nb = s * a + c * b;
        a = na;
        b = nb;
    };
    Vector3 p = v;
    turn(p.x, p.y, camera.roll);
    turn(p.z, p.x, camera.yaw);
    turn(p.y, p.z, camera.pitch);
    return p;
}

void FramePerspective(COGLViewport3D& viewport, const WorldBox& box) {
    COGLCamera3D& camera = viewport.Camera3D();
    const PaneRect& pane = viewport.Rect();
    const float aspect = pane.height > 0 ? static_cast<float>(pane.width) / static_cast<float>(pane.height) : 1.0f;
    const float tanY =
        std::tan(viewport.FieldOfView() * 0.5f * std::numbers::pi_v<float> / 180.0f) * kFrameFill;
    const float tanX = tanY * aspect;
    const Vector3 centre = box.Center();
    float distance = 0.0f;
    for (const Vector3& corner : Corners(box.lo, box.hi)) {
        // The camera looks down -z from `distance` along +z of its turned frame.
        const Vector3 q = TurnAsCamera(camera, corner - centre);
        distance = std::max({distance, q.z + std::fabs(q.x) / tanX, q.z + std::fabs(q.y) / tanY,
                             q.z + static_cast<float>(COGLViewport3D::kNearPlane) * 2.0f});
    }
    camera.center = -centre;
    camera.distance = distance;
    camera.dirty = true;
}

void FrameOrthographic(COGLViewport2D& viewport, const WorldBox& box) {
    COGLCamera2D& camera = viewport.Camera2D();
    const Vector3 right = viewport.ScreenRight();
    const Vector3 up = viewport.ScreenUp();
    const Vector3 towards = viewport.TowardsViewer();
    const Vector3 centre = box.Center();
    float halfWidth = 0.0f;
    float halfHeight = 0.0f;
    for (const Vector3& corner : Corners(box.lo, box.hi)) {
        halfWidth = std::max(halfWidth, std::fabs((corner - centre).Dot(right)));
        halfHeight = std::max(halfHeight, std::fabs((corner - centre).Dot(up)));
    }
    const PaneRect& pane = viewport.Rect();
    const OrthoExtents extents = OrthographicExtents(std::max(pane.width, 1), std::max(pane.height, 1));
    const float scale = std::min({static_cast<float>(extents.right) / halfWidth * kFrameFill,
                                  static_cast<float>(extents.top) / halfHeight * kFrameFill,
                                  COGLCamera2D::kMaximumScale});
    // The camera scales the world about its origin after looking: it looks at the
    // scaled centre, from as far along its direction as before.
    const float eyeDistance = (camera.eye - camera.center).Length();
    const Vector3 scaled = centre * scale;
    camera.center = right * scaled.Dot(right) + up * scaled.Dot(up);
    camera.eye = camera.center + towards * (eyeDistance > 0.0f ? eyeDistance : COGLCamera2D::kUnscaledDistance);
    camera.scale = scale;
    camera.distance = COGLCamera2D::kUnscaledDistance / scale;
}

}  // namespace

void WorldBox::Grow(const WorldBox& other) {
    lo = {std::min(lo.x, other.lo.x), std::min(lo.y, other.lo.y), std::min(lo.z, other.lo.z)};
    hi = {std::max(hi.x, other.hi.x), std::max(hi.y, other.hi.y), std::max(hi.z, other.hi.z)};
}

std::optional<WorldBox> WorldBoundsOf(const COGLObject& object) {
    Vector3 lo;
    Vector3 hi;
    if (!object.IsVisible() || !object.LocalBounds(lo, hi)) {
        return std::nullopt;
    }
    const Matrix4 turn = object.Orientation().ToMatrix();
    const Vector3& scale = object.Scale();
    std::optional<WorldBox> box;
    for (const Vector3& corner : Corners(lo, hi)) {
        const Vector3 p =
            object.Position() + turn.TransformVector({corner.x * scale.x, corner.y * scale.y, corner.z * scale.z});
        if (!IsFinite(p)) {
            return std::nullopt;
        }
        if (!box) {
            box = WorldBox{p, p};
        } else {
            box->Grow({p, p});
        }
    }
    return box;
}

std::optional<WorldBox> SceneBounds(const COGLScene& scene) {
    std::optional<WorldBox> all;
    for (const auto& object : scene.Objects()) {
        if (const auto box = WorldBoundsOf(*object)) {
            if (!all) {
                all = box;
            } else {
                all->Grow(*box);
            }
        }
    }
    return all;
}

void FrameBox(COGLViewport& viewport, const WorldBox& box) {
    const WorldBox padded = Padded(box);
    if (viewport.IsPerspective()) {
        FramePerspective(static_cast<COGLViewport3D&>(viewport), padded);
    } else {
        FrameOrthographic(static_cast<COGLViewport2D&>(viewport), padded);
    }
}
