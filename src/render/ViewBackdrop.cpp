// COGLView inside a scene's backdrop: the fly camera of the perspective panes and
// the commands that stand the selection and the camera in the backdrop.
#include <algorithm>
#include <cmath>

#include "platform/Host.h"
#include "render/BackdropPlacement.h"
#include "render/COGLView.h"
#include "render/Framing.h"
#include "scene/COGLScene.h"

namespace {
// Bits of the fly keys held.
constexpr unsigned kFlyForward = 0x1;
constexpr unsigned kFlyBack = 0x2;
constexpr unsigned kFlyLeft = 0x4;
constexpr unsigned kFlyRight = 0x8;
constexpr unsigned kFlyUp = 0x10;
constexpr unsigned kFlyDown = 0x20;

unsigned FlyBit(ViewKey key) {
    switch (key) {
        case ViewKey::W:
        case ViewKey::Up:
            return kFlyForward;
        case ViewKey::S:
        case ViewKey::Down:
            return kFlyBack;
        case ViewKey::A:
        case ViewKey::Left:
            return kFlyLeft;
        case ViewKey::D:
        case ViewKey::Right:
            return kFlyRight;
        case ViewKey::PageUp:
            return kFlyUp;
        case ViewKey::PageDown:
            return kFlyDown;
        default:
            return 0;
    }
}

// Degrees the flying view turns for each pixel of a drag, at sensitivity 1.
constexpr float kLookPerPixel = 0.25f;
// The fly speed stays within these (scene units a second).
constexpr float kMinFlySpeed = 0.1f;
constexpr float kMaxFlySpeed = 1000.0f;
// Shift runs three times as fast.
constexpr float kRunFactor = 3.0f;
// A drag or a tick longer than this moves no farther (a stalled window).
constexpr double kLongestTick = 0.25;
}  // namespace

void COGLView::SetFlying(bool flying) {
    if (flying == m_flying) {
        return;
    }
    m_flying = flying;
    m_flyKeys = 0;
    for (const auto& viewport : m_viewports) {
        if (!viewport->IsPerspective()) {
            continue;
        }
        auto& camera = static_cast<COGLViewport3D&>(*viewport).Camera3D();
        if (flying) {
            camera.FlyTurn(0.0f, 0.0f);  // the eye stays where it is, the orbit goes
        } else {
            camera.OrbitAhead(COGLCamera3D::kPresetDistance);
        }
    }
    Repaint();
}

void COGLView::SetFlySpeed(float unitsPerSecond) {
    if (std::isfinite(unitsPerSecond)) {
        m_flySpeed = std::clamp(unitsPerSecond, kMinFlySpeed, kMaxFlySpeed);
    }
}

bool COGLView::FlyKey(ViewKey key, bool down) {
    const unsigned bit = FlyBit(key);
    if (!m_flying || bit == 0 || !ActiveViewport().IsPerspective()) {
        return false;
    }
    m_flyKeys = down ? (m_flyKeys | bit) : (m_flyKeys & ~bit);
    return true;
}

bool COGLView::FlyTick(double seconds) {
    if (!m_flying || m_flyKeys == 0 || !ActiveViewport().IsPerspective() || !(seconds > 0.0)) {
        return false;
    }
    const float step = m_flySpeed * static_cast<float>(std::min(seconds, kLongestTick)) * (m_shiftDown ? kRunFactor : 1.0f);
    const auto axis = [this](unsigned plus, unsigned minus) {
        return ((m_flyKeys & plus) != 0 ? 1.0f : 0.0f) - ((m_flyKeys & minus) != 0 ? 1.0f : 0.0f);
    };
    auto& camera = static_cast<COGLViewport3D&>(ActiveViewport()).Camera3D();
    camera.FlyMove(axis(kFlyForward, kFlyBack) * step, axis(kFlyRight, kFlyLeft) * step, axis(kFlyUp, kFlyDown) * step);
    Repaint();
    return true;
}

bool COGLView::FlyDrag(MouseButton button) const {
    // The tools that move the camera anyway; the object and texture tools keep both buttons.
    const bool cameraTool = m_tool == MouseTool::Select || m_tool == MouseTool::Orbit || m_tool == MouseTool::Pan ||
                            m_tool == MouseTool::Zoom || m_tool == MouseTool::FieldOfView;
    return m_flying && cameraTool && ActiveViewport().IsPerspective() &&
           (button == MouseButton::Right || (button == MouseButton::Left && m_tool == MouseTool::Orbit));
}

void COGLView::FlyLook(int dx, int dy) {
    const float perPixel = kLookPerPixel * static_cast<float>(m_mouseSensitivity);
    static_cast<COGLViewport3D&>(ActiveViewport()).Camera3D().FlyTurn(dx * perPixel, dy * perPixel);
    Repaint();
}

std::vector<BackdropStart> COGLView::Starts() const {
    const SceneBackdrop* backdrop = m_scene ? m_scene->Backdrop() : nullptr;
    return backdrop != nullptr ? backdrop->Starts() : std::vector<BackdropStart>{};
}

bool COGLView::ViewFromStart(int index) {
    const std::vector<BackdropStart> starts = Starts();
    if (index < 0 || index >= static_cast<int>(starts.size())) {
        return false;
    }
    COGLViewport3D* perspective = ActiveViewport().IsPerspective() ? &static_cast<COGLViewport3D&>(ActiveViewport())
                                                                    : FirstPerspectiveViewport();
    if (perspective == nullptr) {
        return false;
    }
    const BackdropStart& start = starts[static_cast<std::size_t>(index)];
    // The camera's yaw 0 looks along -Z; a start's yaw 0 faces +Z.
    perspective->Camera3D().FlyTo(start.position + Vector3{0.0f, kStartEyeHeight, 0.0f}, 180.0f - start.yaw, 0.0f);
    if (!m_flying) {
        m_flying = true;
        m_flyKeys = 0;
    }
    Repaint();
    return true;
}

bool COGLView::PlaceSelectionAt(int index) {
    const std::vector<BackdropStart> starts = Starts();
    COGLObject* selected = m_scene ? m_scene->Selected() : nullptr;
    if (selected == nullptr || index < 0 || index >= static_cast<int>(starts.size()) ||
        !PlaceAtStart(*m_scene, m_document.History(), *selected, starts[static_cast<std::size_t>(index)])) {
        return false;
    }
    GetHost().RefreshPropertyWindows();
    Repaint();
    return true;
}

bool COGLView::DropSelectionToFloor() {
    COGLObject* selected = m_scene ? m_scene->Selected() : nullptr;
    if (selected == nullptr || !DropToFloor(*m_scene, m_document.History(), *selected)) {
        return false;
    }
    GetHost().RefreshPropertyWindows();
    Repaint();
    return true;
}

bool COGLView::ShadowPlaneFromFace() {
    if (!m_scene || m_scene->Backdrop() == nullptr || !m_backdropHit) {
        return false;
    }
    COGLObject* plane = AddShadowPlaneAt(*m_scene, m_document.History(), *m_backdropHit);
    if (plane == nullptr) {
        return false;
    }
    m_scene->SetSelectedObject(plane);
    GetHost().RefreshPropertyWindows();
    Repaint();
    return true;
}

void COGLView::ShowBackdrop() {
    const SceneBackdrop* backdrop = m_scene ? m_scene->Backdrop() : nullptr;
    if (backdrop == nullptr || ViewFromStart(0)) {
        return;
    }
    Vector3 lo;
    Vector3 hi;
    if (backdrop->Bounds(lo, hi)) {
        if (COGLViewport3D* perspective = FirstPerspectiveViewport()) {
            FrameBox(*perspective, WorldBox{lo, hi});
        }
    }
    Repaint();
}
