// Picking and the mouse tools of COGLView.
#include <GL/gl.h>

#include <algorithm>

#include "platform/Host.h"
#include "render/COGLView.h"
#include "render/GLCheck.h"
#include "render/Picking.h"
#include "render/SceneRenderer.h"
#include "render/StatusText.h"
#include "scene/COGLLight.h"
#include "scene/COGLScene.h"

namespace {
bool IsObjectTool(MouseTool tool) {
    return tool == MouseTool::Move || tool == MouseTool::Rotate || tool == MouseTool::Scale;
}

bool IsTextureTool(MouseTool tool) {
    return tool == MouseTool::TextureMove || tool == MouseTool::TextureScale || tool == MouseTool::TextureRotate;
}

// The Scale tools' factor for a horizontal step: a drag across the whole window
// doubles (or, leftwards, empties) the size.
float ScaleFactor(int dx, int clientWidth) {
    return static_cast<float>(dx) / static_cast<float>(std::max(clientWidth, 1)) + 1.0f;
}
}  // namespace

bool COGLView::FastDrawing() const {
    return m_moveFast && ObjectBeingDragged() && IsObjectTool(m_tool);
}

bool COGLView::ObjectBeingDragged() const {
    // The middle button pans the camera whatever the tool.
    return IsDragging() && m_dragButton != MouseButton::Middle && m_scene && m_scene->Selected() != nullptr &&
           (IsObjectTool(m_tool) || IsTextureTool(m_tool));
}

void COGLView::WatchDraggedObject() {
    if (ObjectBeingDragged()) {
        m_document.History().Watch(*m_scene, m_scene->Selected());
    }
}

void COGLView::RecordDraggedObject() {
    if (ObjectBeingDragged()) {
        m_document.History().Changed(*m_scene, m_scene->Selected(), ToolInfo(m_tool).name);
    }
}

int COGLView::SlotAt(int x, int y) const {
    const int row = GLRow(y);
    if (m_paneCount == 1) {
        return ActiveViewport().Contains(x, row) ? m_activeViewport : -1;
    }
    for (int slot = 0; slot < kViewportSlots; ++slot) {
        if (Viewport(slot).Contains(x, row)) {
            return slot;
        }
    }
    return -1;
}

bool COGLView::PickAt(int x, int y) {
    if (!m_scene) {
        return false;
    }
    const int slot = SlotAt(x, y);
    if (slot < 0) {
        return false;
    }
    m_activeViewport = slot;
    COGLViewport& viewport = Viewport(slot);
    const PaneRect& pane = viewport.Rect();
    // The centre of the clicked pixel, in GL's bottom-up rows.
    const auto hit = ::PickAt(
        x + 0.5, GLRow(y) + 0.5, {pane.x, pane.y, pane.width, pane.height}, [&] { viewport.ApplyProjection(); },
        [&] {
            viewport.ApplyCamera();
            DrawScenePickPass(*m_scene);
        });
    if (hit) {
        const int name = static_cast<int>(*hit);
        if (m_scene->SelectObjectByPickName(name) == nullptr) {
            m_scene->SelectLightByPickName(name);
        }
    } else {
        m_scene->SetSelectedObject(nullptr);
    }
    CheckGLErrors("After Select");
    GetHost().RefreshPropertyWindows();
    Repaint();
    return m_scene->Selected() != nullptr;
}

// --- Mouse and keys ---

void COGLView::MouseDown(const ViewMouseEvent& event) {
    m_shiftDown = (event.modifiers & kModifierShift) != 0;
    m_controlDown = (event.modifiers & kModifierControl) != 0;
    if (event.button == MouseButton::None || IsDragging()) {
        return;
    }
    m_lastX = event.x;
    m_lastY = event.y;
    if (const int slot = SlotAt(event.x, event.y); slot >= 0) {
        m_activeViewport = slot;
    }
    if (m_tool == MouseTool::Select && event.button != MouseButton::Middle) {
        if (event.button == MouseButton::Left) {
            PickAt(event.x, event.y);
        }
        return;
    }
    m_dragButton = event.button;
    m_downX = event.x;
    m_downY = event.y;
    m_rotateAngle = 0.0f;
    // The whole drag becomes one step of the history.
    WatchDraggedObject();
    if (m_cursor != nullptr) {
        m_cursor->BeginDrag();
    }
}

void COGLView::MouseMove(const ViewMouseEvent& event) {
    if (!IsDragging()) {
        m_lastX = event.x;
        m_lastY = event.y;
        return;
    }
    const int dx = event.x - m_lastX;
    const int dy = event.y - m_lastY;
    m_lastX = event.x;
    m_lastY = event.y;
    DragStep(dx, dy, m_dragButton);
    // A drag that runs out of the window goes on from where it started.
    if (event.x < 0 || event.y < 0 || event.x >= m_clientWidth || event.y >= m_clientHeight) {
        if (m_cursor != nullptr) {
            m_cursor->WarpTo(m_downX, m_downY);
        }
        m_lastX = m_downX;
        m_lastY = m_downY;
    }
}

void COGLView::MouseUp(const ViewMouseEvent& event) {
    if (!IsDragging() || event.button != m_dragButton) {
        return;
    }
    RecordDraggedObject();
    m_dragButton = MouseButton::None;
    if (m_cursor != nullptr) {
        m_cursor->EndDrag(m_downX, m_downY);
    }
    m_lastX = m_downX;
    m_lastY = m_downY;
    GetHost().RefreshPropertyWindows();
    // The last frame of a fast drag was drawn coarse.
    Repaint();
}

void COGLView::DoubleClick(const ViewMouseEvent& event) {
    if (event.button == MouseButton::Left && !IsDragging()) {
        PickAt(event.x, event.y);
    }
}

void COGLView::Wheel(const ViewMouseEvent& event, int delta) {
    const int slot = SlotAt(event.x, event.y);
    if (slot < 0 || delta == 0 || IsDragging()) {
        return;
    }
    m_activeViewport = slot;
    COGLCamera& camera = Viewport(slot).Camera();
    constexpr float kNotchShare = 0.1f;
    camera.AddDistance(-camera.distance * kNotchShare * static_cast<float>(delta) / static_cast<float>(kWheelNotch));
    if (!Viewport(slot).IsPerspective()) {
        // The orthographic scale follows the distance at the next draw; the status says it now.
        auto& flat = static_cast<COGLCamera2D&>(camera);
        flat.scale = std::min(COGLCamera2D::kUnscaledDistance / flat.distance, COGLCamera2D::kMaximumScale);
    }
    SetStatus(FormatStatusZoom(camera.GetZoomPercent()));
    Repaint();
}

void COGLView::KeyDown(const ViewKeyEvent& event) {
    m_shiftDown = (event.modifiers & kModifierShift) != 0 || event.key == ViewKey::Shift;
    m_controlDown = (event.modifiers & kModifierControl) != 0 || event.key == ViewKey::Control;
    if (m_tool == MouseTool::Select || IsDragging()) {
        return;
    }
    const int step = m_shiftDown ? 10 : 1;
    int dx = 0;
    int dy = 0;
    switch (event.key) {
        case ViewKey::Left:
            dx = -step;
            break;
        case ViewKey::Right:
            dx = step;
            break;
        case ViewKey::Up:
            dy = -step;
            break;
        case ViewKey::Down:
            dy = step;
            break;
        default:
            return;
    }
    // As if the button went down at the last position, moved and came up again.
    m_rotateAngle = 0.0f;
    const MouseButton button = m_controlDown ? MouseButton::Right : MouseButton::Left;
    m_dragButton = button;
    WatchDraggedObject();
    DragStep(dx, dy, button);
    RecordDraggedObject();
    m_dragButton = MouseButton::None;
    GetHost().RefreshPropertyWindows();
}

void COGLView::KeyUp(const ViewKeyEvent& event) {
    m_shiftDown = (event.modifiers & kModifierShift) != 0 && event.key != ViewKey::Shift;
    m_controlDown = (event.modifiers & kModifierControl) != 0 && event.key != ViewKey::Control;
}

// --- Tools ---

std::array<Vector3, 3> COGLView::PointerAxes() const {
    const COGLViewport& viewport = ActiveViewport();
    const COGLCamera& camera = viewport.Camera();
    if (viewport.IsPerspective()) {
        return {camera.dvRight, camera.dvUp, camera.dvFace};
    }
    const auto& flat = static_cast<const COGLViewport2D&>(viewport);
    return {flat.ScreenRight(), flat.ScreenUp(), flat.TowardsViewer()};
}

void COGLView::DragStep(int dx, int dy, MouseButton button) {
    const DragDelta delta = DominantDelta(dx, dy, m_mouseSensitivity);
    if (delta.dx == 0 && delta.dy == 0) {
        return;
    }
    if (button == MouseButton::Middle) {
        ApplyCameraTool(MouseTool::Pan, AxisFlags{true, true, false}, delta.dx, delta.dy, false);
    } else {
        ApplyTool(delta.dx, delta.dy, button == MouseButton::Right);
    }
    Repaint();
}

void COGLView::ApplyTool(int dx, int dy, bool rightButton) {
    if (IsObjectTool(m_tool) || IsTextureTool(m_tool)) {
        COGLObject* selected = m_scene ? m_scene->Selected() : nullptr;
        if (selected == nullptr) {
            return;
        }
        if (IsObjectTool(m_tool)) {
            ApplyObjectTool(*selected, dx, dy, rightButton);
        } else {
            ApplyTextureTool(*selected, dx, dy, rightButton);
        }
        m_document.SetModified(true);
        return;
    }
    if (m_tool != MouseTool::Select) {
        ApplyCameraTool(m_tool, Axes(m_tool), dx, dy, rightButton);
    }
}

// The left button works across the screen (X sideways, Y up and down), the right
// button in and out of it (Z).
void COGLView::ApplyObjectTool(COGLObject& object, int dx, int dy, bool rightButton) {
    const AxisFlags axes = Axes(m_tool);
    switch (m_tool) {
        case MouseTool::Move: {
            const float factor = ToolFactor(MouseTool::Move, m_mouseSensitivity);
            const auto [right, up, towards] = PointerAxes();
            Vector3 move;
            if (!rightButton) {
                if (axes.x) {
                    move += right * (static_cast<float>(dx) * factor);
                }
                if (axes.y) {
                    move += up * (static_cast<float>(-dy) * factor);
                }
            } else if (axes.z) {
                move += towards * (static_cast<float>(dx + dy) * factor);
            }
            object.MoveBy(move.x, move.y, move.z);
            const Vector3& p = object.Position();
            SetStatus(FormatStatusXYZ(p.x, p.y, p.z));
            break;
        }
        case MouseTool::Rotate: {
            const float step = ClampRotateStep(static_cast<float>(dx + dy));
            m_rotateAngle = WrapDegrees(m_rotateAngle + step);
            if (!ActiveViewport().IsPerspective()) {
                object.Rotate(static_cast<const COGLViewport2D&>(ActiveViewport()).TowardsViewer(), step);
            } else {
                if (axes.x) {
                    object.RotateX(-step);
                }
                if (axes.y) {
                    object.RotateY(step);
                }
                if (axes.z) {
                    object.RotateZ(step);
                }
            }
            // A spot light shines the way its marker points.
            if (COGLLight* light = m_scene->SelectedLight(); light != nullptr && light->IsSpot()) {
                static_cast<COGLSpotLight*>(light)->ComputeDirection();
            }
            SetStatus(FormatStatusAngle(m_rotateAngle));
            break;
        }
        case MouseTool::Scale: {
            const float factor = ScaleFactor(dx, m_clientWidth);
            if (!(factor > 0.0f)) {
                return;
            }
            Vector3 scale = object.GetScale();
            if (axes.x) {
                scale.x *= factor;
            }
            if (axes.y) {
                scale.y *= factor;
            }
            if (axes.z) {
                scale.z *= factor;
            }
            object.SetScale(scale.x, scale.y, scale.z);
            const Vector3 now = object.GetScale();
            SetStatus(FormatStatusXYZ(now.x, now.y, now.z));
            break;
        }
        default:
            break;
    }
}

void COGLView::ApplyCameraTool(MouseTool tool, AxisFlags axes, int dx, int dy, bool rightButton) {
    COGLViewport& viewport = ActiveViewport();
    COGLCamera& camera = viewport.Camera();
    const float factor = ToolFactor(tool, m_mouseSensitivity);
    switch (tool) {
        case MouseTool::Pan:
            if (!rightButton) {
                if (axes.x) {
                    camera.MoveRight(static_cast<float>(dx) * factor);
                }
                if (axes.y) {
                    camera.MoveUp(static_cast<float>(-dy) * factor);
                }
            } else if (axes.z) {
                camera.MoveFace(static_cast<float>(dx + dy) * factor);
            }
            if (viewport.IsPerspective()) {
                SetStatus(FormatStatusXYZ(camera.center.x, camera.center.y, camera.center.z));
            } else {
                SetStatus(FormatStatusXY(camera.eye.x, camera.eye.y));
            }
            break;
        case MouseTool::Orbit: {
            if (!viewport.IsPerspective()) {
                return;
            }
            COGLCamera3D& orbit = static_cast<COGLViewport3D&>(viewport).Camera3D();
            if (!rightButton) {
                if (axes.x) {
                    orbit.AddYaw(static_cast<float>(dx) * factor);
                }
                if (axes.y) {
                    orbit.AddPitch(static_cast<float>(dy) * factor);
                }
            } else if (axes.z) {
                orbit.AddRoll(static_cast<float>(dx + dy) * factor);
            }
            SetStatus(FormatStatusOrbit(orbit.yaw, orbit.pitch, orbit.roll));
            break;
        }
        case MouseTool::Zoom:
            camera.AddDistance(static_cast<float>(-dx) * factor);
            SetStatus(FormatStatusZoom(camera.GetZoomPercent()));
            break;
        case MouseTool::FieldOfView: {
            if (!viewport.IsPerspective()) {
                return;
            }
            auto& perspective = static_cast<COGLViewport3D&>(viewport);
            perspective.SetFieldOfView(perspective.FieldOfView() + static_cast<float>(dx) * factor);
            SetStatus(FormatStatusFieldOfView(perspective.FieldOfView()));
            break;
        }
        default:
            break;
    }
}

void COGLView::ApplyTextureTool(COGLObject& object, int dx, int dy, bool rightButton) {
    const AxisFlags axes = Axes(m_tool);
    switch (m_tool) {
        case MouseTool::TextureMove: {
            const float factor = ToolFactor(MouseTool::TextureMove, m_mouseSensitivity);
            Vector3 t = object.TextureTranslation();
            if (!rightButton) {
                if (axes.x) {
                    t.x += static_cast<float>(dx) * factor;
                }
                if (axes.y) {
                    t.y += static_cast<float>(-dy) * factor;
                }
            } else if (axes.z) {
                t.z += static_cast<float>(dx + dy) * factor;
            }
            object.SetTextureTranslation(t);
            SetStatus(FormatStatusXY(t.x, t.y));
            break;
        }
        case MouseTool::TextureScale: {
            const float factor = ScaleFactor(dx, m_clientWidth);
            if (!(factor > 0.0f)) {
                return;
            }
            Vector3 s = object.TextureScale();
            if (axes.x) {
                s.x *= factor;
            }
            if (axes.y) {
                s.y *= factor;
            }
            if (axes.z) {
                s.z *= factor;
            }
            object.SetTextureScale(s);
            SetStatus(FormatStatusXY(s.x, s.y));
            break;
        }
        case MouseTool::TextureRotate: {
            const float step = ClampRotateStep(static_cast<float>(dx + dy));
            Vector3 r = object.TextureRotation();
            if (axes.x) {
                r.x = WrapDegrees(r.x + step);
            }
            if (axes.y) {
                r.y = WrapDegrees(r.y + step);
            }
            if (axes.z) {
                r.z = WrapDegrees(r.z + step);
            }
            object.SetTextureRotation(r);
            SetStatus(FormatStatusValue(axes.x ? r.x : axes.y ? r.y : r.z));
            break;
        }
        default:
            break;
    }
}
