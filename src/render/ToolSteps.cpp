#include "render/ToolSteps.h"

#include <algorithm>

#include "render/COGLViewport.h"
#include "render/StatusText.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"

namespace {
// The Scale tools' factor for a horizontal step: a drag across the whole window
// doubles (or, leftwards, empties) the size.
float ScaleFactor(int dx, int clientWidth) {
    return static_cast<float>(dx) / static_cast<float>(std::max(clientWidth, 1)) + 1.0f;
}

Vector3 ScaledAlong(Vector3 v, AxisFlags axes, float factor) {
    if (axes.x) {
        v.x *= factor;
    }
    if (axes.y) {
        v.y *= factor;
    }
    if (axes.z) {
        v.z *= factor;
    }
    return v;
}

// Hands a drag to along(axis, amount): with the left button across the screen as x and
// up it as y (down where `yDown`), each only where its axis is on; with the right
// button dx + dy as z. The amounts are in pixels times `factor`.
template <typename Along>
void ForDragAxes(const ToolStep& step, float factor, bool yDown, Along&& along) {
    if (!step.rightButton) {
        if (step.axes.x) {
            along(0, static_cast<float>(step.dx) * factor);
        }
        if (step.axes.y) {
            along(1, static_cast<float>(yDown ? step.dy : -step.dy) * factor);
        }
    } else if (step.axes.z) {
        along(2, static_cast<float>(step.dx + step.dy) * factor);
    }
}
}  // namespace

std::array<Vector3, 3> PointerAxes(const COGLViewport& viewport) {
    const COGLCamera& camera = viewport.Camera();
    if (viewport.IsPerspective()) {
        return {camera.dvRight, camera.dvUp, camera.dvFace};
    }
    const auto& flat = static_cast<const COGLViewport2D&>(viewport);
    return {flat.ScreenRight(), flat.ScreenUp(), flat.TowardsViewer()};
}

std::optional<std::string> ApplyObjectTool(const ToolStep& step, const COGLViewport& viewport, COGLObject& object,
                                           COGLLight* markedLight, float& rotateAngle) {
    const AxisFlags axes = step.axes;
    const int dx = step.dx;
    const int dy = step.dy;
    switch (step.tool) {
        case MouseTool::Move: {
            const float factor = ToolFactor(MouseTool::Move, step.sensitivity);
            const std::array<Vector3, 3> pointer = PointerAxes(viewport);
            Vector3 move;
            ForDragAxes(step, factor, false,
                        [&](int axis, float amount) { move += pointer[static_cast<std::size_t>(axis)] * amount; });
            object.MoveBy(move.x, move.y, move.z);
            const Vector3& p = object.Position();
            return FormatStatusXYZ(p.x, p.y, p.z);
        }
        case MouseTool::Rotate: {
            const float turn = ClampRotateStep(static_cast<float>(dx + dy));
            rotateAngle = WrapDegrees(rotateAngle + turn);
            if (!viewport.IsPerspective()) {
                object.Rotate(static_cast<const COGLViewport2D&>(viewport).TowardsViewer(), turn);
            } else {
                if (axes.x) {
                    object.RotateX(-turn);
                }
                if (axes.y) {
                    object.RotateY(turn);
                }
                if (axes.z) {
                    object.RotateZ(turn);
                }
            }
            // A spot light shines the way its marker points.
            if (markedLight != nullptr && markedLight->IsSpot()) {
                static_cast<COGLSpotLight*>(markedLight)->ComputeDirection();
            }
            return FormatStatusAngle(rotateAngle);
        }
        case MouseTool::Scale: {
            const float factor = ScaleFactor(dx, step.clientWidth);
            if (!(factor > 0.0f)) {
                return std::nullopt;
            }
            const Vector3 scale = ScaledAlong(object.GetScale(), axes, factor);
            object.SetScale(scale.x, scale.y, scale.z);
            const Vector3 now = object.GetScale();
            return FormatStatusXYZ(now.x, now.y, now.z);
        }
        default:
            return std::nullopt;
    }
}

std::optional<std::string> ApplyCameraTool(const ToolStep& step, COGLViewport& viewport) {
    const int dx = step.dx;
    COGLCamera& camera = viewport.Camera();
    const float factor = ToolFactor(step.tool, step.sensitivity);
    switch (step.tool) {
        case MouseTool::Pan:
            ForDragAxes(step, factor, false, [&](int axis, float amount) {
                switch (axis) {
                    case 0: camera.MoveRight(amount); break;
                    case 1: camera.MoveUp(amount); break;
                    default: camera.MoveFace(amount); break;
                }
            });
            if (viewport.IsPerspective()) {
                return FormatStatusXYZ(camera.center.x, camera.center.y, camera.center.z);
            }
            return FormatStatusXY(camera.eye.x, camera.eye.y);
        case MouseTool::Orbit: {
            if (!viewport.IsPerspective()) {
                return std::nullopt;
            }
            COGLCamera3D& orbit = static_cast<COGLViewport3D&>(viewport).Camera3D();
            ForDragAxes(step, factor, true, [&](int axis, float amount) {
                switch (axis) {
                    case 0: orbit.AddYaw(amount); break;
                    case 1: orbit.AddPitch(amount); break;
                    default: orbit.AddRoll(amount); break;
                }
            });
            return FormatStatusOrbit(orbit.yaw, orbit.pitch, orbit.roll);
        }
        case MouseTool::Zoom:
            camera.AddDistance(static_cast<float>(-dx) * factor);
            return FormatStatusZoom(camera.GetZoomPercent());
        case MouseTool::FieldOfView: {
            if (!viewport.IsPerspective()) {
                return std::nullopt;
            }
            auto& perspective = static_cast<COGLViewport3D&>(viewport);
            perspective.SetFieldOfView(perspective.FieldOfView() + static_cast<float>(dx) * factor);
            return FormatStatusFieldOfView(perspective.FieldOfView());
        }
        default:
            return std::nullopt;
    }
}

std::optional<std::string> ApplyTextureTool(const ToolStep& step, COGLObject& object) {
    const AxisFlags axes = step.axes;
    const int dx = step.dx;
    const int dy = step.dy;
    switch (step.tool) {
        case MouseTool::TextureMove: {
            const float factor = ToolFactor(MouseTool::TextureMove, step.sensitivity);
            Vector3 t = object.TextureTranslation();
            float* const parts[3] = {&t.x, &t.y, &t.z};
            ForDragAxes(step, factor, false, [&](int axis, float amount) { *parts[axis] += amount; });
            object.SetTextureTranslation(t);
            return FormatStatusXY(t.x, t.y);
        }
        case MouseTool::TextureScale: {
            const float factor = ScaleFactor(dx, step.clientWidth);
            if (!(factor > 0.0f)) {
                return std::nullopt;
            }
            const Vector3 s = ScaledAlong(object.TextureScale(), axes, factor);
            object.SetTextureScale(s);
            return FormatStatusXY(s.x, s.y);
        }
        case MouseTool::TextureRotate: {
            const float turn = ClampRotateStep(static_cast<float>(dx + dy));
            Vector3 r = object.TextureRotation();
            if (axes.x) {
                r.x = WrapDegrees(r.x + turn);
            }
            if (axes.y) {
                r.y = WrapDegrees(r.y + turn);
            }
            if (axes.z) {
                r.z = WrapDegrees(r.z + turn);
            }
            object.SetTextureRotation(r);
            return FormatStatusValue(axes.x ? r.x : axes.y ? r.y : r.z);
        }
        default:
            return std::nullopt;
    }
}
