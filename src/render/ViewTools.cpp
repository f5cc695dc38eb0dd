// Picking, the mouse and the keys of COGLView; what each tool does to an object,
// a texture or a camera is in ToolSteps.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "platform/Host.h"
#include "render/COGLView.h"
#include "render/Framing.h"
#include "render/GLCheck.h"
#include "render/Picking.h"
#include "render/Placement.h"
#include "render/SceneRenderer.h"
#include "render/StatusText.h"
#include "render/ToolSteps.h"
#include "scene/COGLScene.h"

namespace {
// How near the pointer a joint must show to be the one named.
constexpr double kBoneHoverRadius = 8.0;

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

struct COGLView::PaneRay {
    PointerRay ray;
    Vector3 right;
};

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
    m_backdropHit.reset();
    if (hit) {
        const int name = static_cast<int>(*hit);
        if (m_scene->SelectObjectByPickName(name) == nullptr) {
            m_scene->SelectLightByPickName(name);
        }
    } else if (const SceneBackdrop* backdrop = m_scene->Backdrop()) {
        // Objects are picked through the backdrop; what is left selects it as a whole.
        const PointerRay ray = RayAt(slot, x, y).ray;
        Vector3 direction = ray.direction;
        m_backdropHit = direction.Normalize() ? backdrop->Trace(ray.origin, direction, ray.direction.Length())
                                              : std::nullopt;
        if (m_backdropHit) {
            m_scene->SelectBackdrop();
        } else {
            m_scene->SetSelectedObject(nullptr);
        }
    } else {
        m_scene->SetSelectedObject(nullptr);
    }
    CheckGLErrors("After Select");
    GetHost().RefreshPropertyWindows();
    Repaint();
    return m_scene->Selected() != nullptr;
}

COGLObject* COGLView::ObjectAt(int x, int y) { return ObjectAt(x, y, nullptr); }

COGLObject* COGLView::ObjectAt(int x, int y, const COGLObject* skipped) {
    const int slot = m_scene ? SlotAt(x, y) : -1;
    if (slot < 0) {
        return nullptr;
    }
    // Light markers are looked through: only objects are drawn.
    const auto hit = PickNameAt(slot, x, y, [this, skipped] {
        for (const auto& object : m_scene->Objects()) {
            if (object.get() != skipped) {
                object->DrawPickPass();
            }
        }
    });
    CheckGLErrors("After Select");
    if (!hit) {
        return nullptr;
    }
    for (const auto& object : m_scene->Objects()) {
        if (object.get() != skipped && object->PickName() == static_cast<int>(*hit)) {
            return object.get();
        }
    }
    return nullptr;
}

COGLView::PaneRay COGLView::RayAt(int slot, int x, int y) {
    COGLViewport& viewport = Viewport(slot);
    const PaneRect& pane = viewport.Rect();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    viewport.ApplyProjection();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    viewport.ApplyCamera();
    GLdouble model[16];
    GLdouble projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    const GLint rect[4] = {pane.x, pane.y, pane.width, pane.height};
    GLdouble nearPoint[3] = {0.0, 0.0, 0.0};
    GLdouble farPoint[3] = {0.0, 0.0, 1.0};
    gluUnProject(x + 0.5, GLRow(y) + 0.5, 0.0, model, projection, rect, &nearPoint[0], &nearPoint[1], &nearPoint[2]);
    gluUnProject(x + 0.5, GLRow(y) + 0.5, 1.0, model, projection, rect, &farPoint[0], &farPoint[1], &farPoint[2]);
    const Vector3 from{float(nearPoint[0]), float(nearPoint[1]), float(nearPoint[2])};
    const Vector3 to{float(farPoint[0]), float(farPoint[1]), float(farPoint[2])};
    // The first row of the view's rotation is the camera's right in the world.
    return {{from, to - from}, {float(model[0]), float(model[4]), float(model[8])}};
}

void COGLView::PlaceAdded(COGLObject& added) {
    const std::optional<std::array<int, 2>> drop = m_dropPoint;
    m_dropPoint.reset();
    if (!m_placesAdded || !m_scene) {
        return;
    }
    GetHost().MakeViewContextCurrent();  // rays and picks read the panes' matrices
    added.RefreshBounds();
    const std::optional<WorldBox> box = WorldBoundsOf(added);
    const int slot = drop ? SlotAt((*drop)[0], (*drop)[1]) : m_activeViewport;
    if (!box || slot < 0) {
        return;
    }
    std::optional<WorldBox> others;
    std::optional<WorldBox> last;
    for (const auto& object : m_scene->Objects()) {
        if (object.get() == &added) {
            continue;
        }
        if (const auto bounds = WorldBoundsOf(*object)) {
            if (others) {
                others->Grow(*bounds);
            } else {
                others = bounds;
            }
            last = bounds;
        }
    }
    Vector3 offset;
    if (drop) {
        const auto [x, y] = *drop;
        const PaneRay pointer = RayAt(slot, x, y);
        const COGLObject* under = ObjectAt(x, y, &added);
        const std::optional<WorldBox> underBox = under != nullptr ? WorldBoundsOf(*under) : std::nullopt;
        const Vector3 centre = Viewport(slot).Camera().center;
        const float floorY = others ? others->lo.y : box->lo.y;
        const float farthest = 4.0f * (centre - pointer.ray.origin).Length() + 1.0f;
        offset = LandingOffset(LandAt(pointer.ray, underBox, floorY, farthest, centre), *box);
    } else if (last) {
        offset = BesideOffset(*last, *box, RayAt(slot, 0, 0).right);
    } else {
        return;
    }
    const Vector3 position = added.Position() + offset;
    if (std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z)) {
        added.SetPosition(position.x, position.y, position.z);
    }
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
    if (FlyDrag(event.button)) {
        m_dragButton = event.button;
        m_downX = event.x;
        m_downY = event.y;
        if (m_cursor != nullptr) {
            m_cursor->BeginDrag();
        }
        return;
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
        ShowBoneNear(event.x, event.y);
        return;
    }
    const int dx = event.x - m_lastX;
    const int dy = event.y - m_lastY;
    m_lastX = event.x;
    m_lastY = event.y;
    if (FlyDrag(m_dragButton)) {
        FlyLook(dx, dy);
    } else {
        DragStep(dx, dy, m_dragButton);
    }
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
    if (m_flying && Viewport(slot).IsPerspective()) {
        // A notch steps a quarter of a second's flight.
        constexpr float kNotchFlight = 0.25f;
        static_cast<COGLViewport3D&>(Viewport(slot)).Camera3D().FlyMove(
            m_flySpeed * kNotchFlight * static_cast<float>(delta) / static_cast<float>(kWheelNotch), 0.0f, 0.0f);
        Repaint();
        return;
    }
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
    if (FlyKey(event.key, true) || m_tool == MouseTool::Select || IsDragging()) {
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
    FlyKey(event.key, false);
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

// The inner parts of the selected object drawn over the panes, and the bone
// under the pointer.
COGLObject* COGLView::OverlayObject() const {
    if (!m_scene || m_overlays == 0) {
        return nullptr;
    }
    COGLObject* selected = m_scene->Selected();
    if (selected == nullptr) {
        // A picture taken leaves the selection out, and its overlays only when asked to keep them.
        return m_pictureOverlayObject;
    }
    return selected->IsLightMarker() ? nullptr : selected;
}

void COGLView::ShowBoneNear(int x, int y) {
    std::string bone;
    COGLObject* object = (m_overlays & object_overlay::kBones) != 0 ? OverlayObject() : nullptr;
    const int slot = SlotAt(x, y);
    if (object != nullptr && slot >= 0) {
        const auto labels = object->OverlayLabels(object_overlay::kBones);
        if (const auto* nearest = Viewport(slot).LabelNear(labels, object_overlay::kBones, x, GLRow(y),
                                                           kBoneHoverRadius)) {
            bone = nearest->name;
        }
    }
    if (bone != m_boneShown) {
        m_boneShown = bone;
        SetStatus(bone.empty() ? std::string() : "Bone " + bone);
    }
}
