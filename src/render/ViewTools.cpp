// Picking, the mouse and the keys of COGLView; what each tool does to an object,
// a texture or a camera is in ToolSteps.
#include <GL/gl.h>

#include <algorithm>

#include "platform/Host.h"
#include "render/COGLView.h"
#include "render/GLCheck.h"
#include "render/Picking.h"
#include "render/SceneRenderer.h"
#include "render/StatusText.h"
#include "render/ToolSteps.h"
#include "scene/COGLScene.h"

namespace {
bool IsObjectTool(MouseTool tool) {
    return tool == MouseTool::Move || tool == MouseTool::Rotate || tool == MouseTool::Scale;
}

bool IsTextureTool(MouseTool tool) {
    return tool == MouseTool::TextureMove || tool == MouseTool::TextureScale || tool == MouseTool::TextureRotate;
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

std::optional<std::uint32_t> COGLView::PickNameAt(int slot, int x, int y, const std::function<void()>& drawNames) {
    COGLViewport& viewport = Viewport(slot);
    const PaneRect& pane = viewport.Rect();
    // The centre of the clicked pixel, in GL's bottom-up rows.
    return ::PickAt(
        x + 0.5, GLRow(y) + 0.5, {pane.x, pane.y, pane.width, pane.height}, [&] { viewport.ApplyProjection(); },
        [&] {
            viewport.ApplyCamera();
            drawNames();
        });
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
    const auto hit = PickNameAt(slot, x, y, [this] { DrawScenePickPass(*m_scene); });
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

COGLObject* COGLView::ObjectAt(int x, int y) {
    const int slot = m_scene ? SlotAt(x, y) : -1;
    if (slot < 0) {
        return nullptr;
    }
    // Light markers are looked through: only objects are drawn.
    const auto hit = PickNameAt(slot, x, y, [this] {
        for (const auto& object : m_scene->Objects()) {
            object->DrawPickPass();
        }
    });
    CheckGLErrors("After Select");
    if (!hit) {
        return nullptr;
    }
    for (const auto& object : m_scene->Objects()) {
        if (object->PickName() == static_cast<int>(*hit)) {
            return object.get();
        }
    }
    return nullptr;
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

void COGLView::DragStep(int dx, int dy, MouseButton button) {
    const DragDelta delta = DominantDelta(dx, dy, m_mouseSensitivity);
    if (delta.dx == 0 && delta.dy == 0) {
        return;
    }
    ToolStep step;
    step.dx = delta.dx;
    step.dy = delta.dy;
    step.sensitivity = m_mouseSensitivity;
    step.clientWidth = m_clientWidth;
    if (button == MouseButton::Middle) {
        step.tool = MouseTool::Pan;
        step.axes = AxisFlags{true, true, false};
    } else {
        step.tool = m_tool;
        step.axes = Axes(m_tool);
        step.rightButton = button == MouseButton::Right;
    }
    ApplyTool(step);
    Repaint();
}

void COGLView::ApplyTool(const ToolStep& step) {
    std::optional<std::string> status;
    if (IsObjectTool(step.tool) || IsTextureTool(step.tool)) {
        COGLObject* selected = m_scene ? m_scene->Selected() : nullptr;
        if (selected == nullptr) {
            return;
        }
        if (IsObjectTool(step.tool)) {
            status = ApplyObjectTool(step, ActiveViewport(), *selected, m_scene->SelectedLight(), m_rotateAngle);
        } else {
            status = ApplyTextureTool(step, *selected);
        }
        if (status) {
            SetStatus(*status);
        }
        m_document.SetModified(true);
        return;
    }
    if (step.tool != MouseTool::Select) {
        status = ApplyCameraTool(step, ActiveViewport());
    }
    if (status) {
        SetStatus(*status);
    }
}
