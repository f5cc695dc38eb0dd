#include "render/COGLView.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "platform/GLContext.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "render/CommandIds.h"
#include "render/DisplayMode.h"
#include "render/Framing.h"
#include "render/ViewOverlays.h"
#include "render/ViewLayout.h"
#include "scene/COGLLight.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"

namespace {
bool IsAddablePrimitive(int typeCode) {
    return (typeCode >= object_type::kPlane && typeCode <= object_type::kDisk) || typeCode == object_type::kBillboard;
}

std::unique_ptr<COGLLight> MakeLight(bool spot, const Vector3& at) {
    if (spot) {
        return std::make_unique<COGLSpotLight>(at.x, at.y, at.z);
    }
    return std::make_unique<COGLPointLight>(at.x, at.y, at.z);
}
}  // namespace

COGLView::COGLView() {
    m_viewports[0] = std::make_unique<COGLViewport3D>();
    for (std::size_t slot = 1; slot < m_viewports.size(); ++slot) {
        m_viewports[slot] = std::make_unique<COGLViewport2D>();
    }
    for (const MouseToolInfo& info : MouseToolTable()) {
        m_axes[static_cast<std::size_t>(info.tool)] = info.axes;
    }
    ApplyOptions();
    Settings& settings = GetSettings();
    m_overlays = settings.GetInt(settings_keys::kSettings, settings_keys::kOverlays, 0);
    m_overlaysInPictures = settings.GetInt(settings_keys::kSettings, settings_keys::kOverlaysInPictures, 0) != 0;
    // Rendering goes through whatever the context offers; "ForceSWRender" is
    // kept only so the stored value stays as the program writes it.
    m_softwareRendering = false;
    ResetCameras();
}

COGLView::~COGLView() {
    Settings& settings = GetSettings();
    settings.SetInt(settings_keys::kSettings, settings_keys::kForceSWRender, m_softwareRendering ? 1 : 0);
    settings.SetInt(settings_keys::kSettings, settings_keys::kShowFrameTime, m_showFrameTime ? 1 : 0);
    settings.SetInt(settings_keys::kSettings, settings_keys::kOverlays, m_overlays);
    settings.SetInt(settings_keys::kSettings, settings_keys::kOverlaysInPictures, m_overlaysInPictures ? 1 : 0);
    for (auto& viewport : m_viewports) {
        viewport.reset();
    }
    m_document.AttachView(nullptr, nullptr);
    // Models the history holds give their skins back to the scene: it goes first.
    m_document.History().Reset();
    m_scene.reset();
    if (m_font.IsCreated()) {
        m_font.Destroy();
    }
}

bool COGLView::Create(std::string* error) { return m_font.Create(error); }

void COGLView::OnInitialUpdate() {
    if (m_scene) {
        return;
    }
    m_scene = std::make_unique<COGLScene>();
    m_document.AttachView(m_scene.get(), this);
    auto light = MakeLight(false, {kNewLightPosition[0], kNewLightPosition[1], kNewLightPosition[2]});
    light->SetName(kDefaultLightName);
    m_scene->AddLight(std::move(light));
    ResetCameras();
}

void COGLView::ApplyOptions() {
    Settings& settings = GetSettings();
    m_mouseSensitivity =
        ClampSensitivity(settings.GetInt(settings_keys::kSettings, settings_keys::kMouseSensitivity, 1));
    m_showFrameTime = settings.GetInt(settings_keys::kSettings, settings_keys::kShowFrameTime, 0) != 0;
}

void COGLView::SetSeparatorColors(const std::array<float, 3>& face, const std::array<float, 3>& shadow,
                                  const std::array<float, 3>& highlight) {
    m_separatorFace = face;
    m_separatorShadow = shadow;
    m_separatorHighlight = highlight;
}

// --- Layout and painting ---

void COGLView::Resize(int width, int height) {
    m_clientWidth = std::max(width, 0);
    m_clientHeight = std::max(height, 0);
    m_halfWidth = m_clientWidth / 2;
    m_halfHeight = m_clientHeight / 2;
    Layout();
}

void COGLView::Layout() {
    const auto panes = LayoutPanes(m_clientWidth, m_clientHeight, m_paneCount, m_activeViewport);
    for (std::size_t slot = 0; slot < m_viewports.size(); ++slot) {
        m_viewports[slot]->SetRect(panes[slot]);
    }
}

void COGLView::SetActiveViewport(int slot) {
    if (slot < 0 || slot >= kViewportSlots) {
        return;
    }
    m_activeViewport = slot;
    Layout();
}

void COGLView::Paint() {
    if (m_showFrameTime) {
        m_frameTimer.Start();
    }
    std::array<float, 3> clear{0.75f, 0.75f, 0.75f};
    if (m_paneCount == 1 && ActiveViewport().IsPerspective() && m_scene) {
        clear = m_scene->BackgroundColor();
    }
    // Whatever the last frame or the shell left must not mask the clear.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glViewport(0, 0, m_clientWidth, m_clientHeight);
    glClearColor(clear[0], clear[1], clear[2], BackgroundAlpha());
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    PaneFrame frame;
    frame.scene = m_scene.get();
    frame.fast = FastDrawing();
    frame.highlightSelected = m_highlightSelected;
    frame.backgroundPicture = !ObjectBeingDragged() && !m_transparentBackground;
    frame.fillBackground = m_paneCount == 4;
    frame.backgroundAlpha = BackgroundAlpha();
    frame.overlayObject = OverlayObject();
    frame.overlays = m_overlays;
    if (m_paneCount == 1) {
        ActiveViewport().Render(frame);
    } else {
        for (auto& viewport : m_viewports) {
            viewport->Render(frame);
        }
        DrawSeparators();
    }
    glViewport(0, 0, m_clientWidth, m_clientHeight);
    CheckGLErrors("After OnDraw");
    if (m_showFrameTime) {
        m_frameTimer.Stop();
    }
}

void COGLView::DrawSeparators() const {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glDisable(GL_LINE_STIPPLE);
    glDisable(GL_LINE_SMOOTH);
    glLineWidth(1.0f);
    glViewport(0, 0, m_clientWidth, m_clientHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, m_clientWidth, 0.0, m_clientHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float w = static_cast<float>(m_clientWidth);
    const float h = static_cast<float>(m_clientHeight);
    const auto line = [&](const std::array<float, 3>& color, float offset) {
        const float x = static_cast<float>(m_halfWidth) + offset + 0.5f;
        const float y = static_cast<float>(m_halfHeight) + offset + 0.5f;
        glColor3f(color[0], color[1], color[2]);
        glVertex2f(x, 0.0f);
        glVertex2f(x, h);
        glVertex2f(0.0f, y);
        glVertex2f(w, y);
    };
    glBegin(GL_LINES);
    line(m_separatorShadow, -1.0f);
    line(m_separatorHighlight, 1.0f);
    line(m_separatorFace, 0.0f);
    glEnd();
    glPopAttrib();
}

bool COGLView::AnimationTick() {
    if (!HasAnimation()) {
        return false;
    }
    m_scene->StepAnimations();
    Repaint();
    return true;
}

bool COGLView::HasAnimation() const {
    if (m_animationSuspended || !m_scene || !ActiveViewport().IsPerspective()) {
        return false;
    }
    const auto& objects = m_scene->Objects();
    return std::any_of(objects.begin(), objects.end(), [](const auto& object) { return object->IsAnimating(); });
}

// --- Viewports and cameras ---

COGLViewport3D* COGLView::FirstPerspectiveViewport() const {
    for (const auto& viewport : m_viewports) {
        if (viewport->IsPerspective()) {
            return static_cast<COGLViewport3D*>(viewport.get());
        }
    }
    return nullptr;
}

void COGLView::ResetCameras() {
    m_flying = false;
    m_flyKeys = 0;
    COGLViewport& first = Viewport(0);
    if (first.IsPerspective()) {
        auto& perspective = static_cast<COGLViewport3D&>(first);
        perspective.Camera3D().PresetPerspective();
        perspective.SetFieldOfView(COGLViewport3D::kDefaultFieldOfView);
    } else {
        first.Camera().PresetRight();
    }
    Viewport(1).Camera().PresetFront();
    Viewport(2).Camera().PresetTop();
    Viewport(3).Camera().PresetLeft();
}

void COGLView::ReplaceActiveViewport(bool perspective) {
    auto& slot = m_viewports[static_cast<std::size_t>(m_activeViewport)];
    const PaneRect rect = slot->Rect();
    slot.reset();
    if (perspective) {
        slot = std::make_unique<COGLViewport3D>();
    } else {
        slot = std::make_unique<COGLViewport2D>();
    }
    slot->SetRect(rect);
    Layout();
}

bool COGLView::ApplyPreset(int id) {
    COGLViewport& viewport = ActiveViewport();
    COGLCamera& camera = viewport.Camera();
    switch (id) {
        case cmd::kPerspective:
            if (!viewport.IsPerspective()) {
                return false;
            }
            static_cast<COGLViewport3D&>(viewport).Camera3D().PresetPerspective();
            break;
        case cmd::kFront:
            camera.PresetFront();
            break;
        case cmd::kTop:
            camera.PresetTop();
            break;
        case cmd::kRight:
            camera.PresetRight();
            break;
        case cmd::kLeft:
            camera.PresetLeft();
            break;
        default:
            return false;
    }
    Repaint();
    return true;
}

// --- Commands ---

bool COGLView::OnCommand(int id) {
    if (!IsEnabled(id)) {
        return false;
    }
    if (const auto tool = ToolForCommand(id)) {
        m_tool = *tool;
        return true;
    }
    if (const auto axis = AxisForCommand(id)) {
        auto& flags = m_axes[static_cast<std::size_t>(m_tool)];
        flags = ToggleAxis(m_tool, flags, *axis);
        return true;
    }
    if (const DisplayModeInfo* mode = DisplayModeForCommand(id)) {
        ActiveViewport().SetDisplayMode(mode->value);
        Repaint();
        return true;
    }
    if (const int overlay = OverlayForCommand(id)) {
        m_overlays ^= overlay;
        Repaint();
        return true;
    }
    COGLViewport& active = ActiveViewport();
    switch (id) {
        case cmd::kOneViewport:
            m_paneCount = 1;
            active.SetVisible(true);
            break;
        case cmd::kFourViewports:
            m_paneCount = 4;
            break;
        case cmd::kVisible:
            active.SetVisible(!active.IsVisible());
            break;
        case cmd::kGrid:
            active.SetGridShown(!active.GridShown());
            break;
        case cmd::kAxisMarkers: {
            auto& perspective = static_cast<COGLViewport3D&>(active);
            perspective.SetAxisMarkersShown(!perspective.AxisMarkersShown());
            break;
        }
        case cmd::kPerspective:
        case cmd::kFront:
        case cmd::kTop:
        case cmd::kRight:
        case cmd::kLeft:
            return ApplyPreset(id);
        case cmd::kPreview:
            ReplaceActiveViewport(true);
            break;
        case cmd::kFastEdit:
            ReplaceActiveViewport(false);
            break;
        case cmd::kMoveFast:
            m_moveFast = !m_moveFast;
            return true;
        case cmd::kHighlightSelected:
            m_highlightSelected = !m_highlightSelected;
            break;
        case cmd::kOverlaysInPictures:
            m_overlaysInPictures = !m_overlaysInPictures;
            return true;
        case cmd::kAddLight: {
            const std::optional<int> kind = m_chooseLightKind ? m_chooseLightKind() : std::optional<int>(0);
            return kind.has_value() && AddLight(*kind);
        }
        case cmd::kAddObject: {
            const std::optional<int> type =
                m_chooseObjectType ? m_chooseObjectType() : std::optional<int>(object_type::kBox);
            return type.has_value() && AddObject(*type);
        }
        case cmd::kCopy:
            return CopySelection();
        case cmd::kClear:
            if (GetHost().ShowMessage(msg::kClearTheScene.text, MessageButtons::YesNo, MessageIcon::Warning) ==
                MessageResult::Yes) {
                ClearScene();
            }
            return true;
        case cmd::kTest:
            return true;
        case cmd::kFrameSelection:
        case cmd::kFrameSelectionEveryPane:
            return Frame(false, id == cmd::kFrameSelectionEveryPane);
        // Not in the middle of a drag, whose step is taken when it ends.
        case cmd::kUndo:
            return !IsDragging() && m_document.Undo();
        case cmd::kRedo:
            return !IsDragging() && m_document.Redo();
        case cmd::kDelete:
            return DeleteSelection();
        case cmd::kFlyCamera:
            SetFlying(!m_flying);
            return true;
        case cmd::kDropToFloor:
            return DropSelectionToFloor();
        case cmd::kShadowPlaneFromFace:
            return ShadowPlaneFromFace();
        case cmd::kFrameAll:
        case cmd::kFrameAllEveryPane:
            return Frame(true, id == cmd::kFrameAllEveryPane);
        default:
            return false;
    }
    Layout();
    Repaint();
    return true;
}

bool COGLView::Frame(bool wholeScene, bool everyPane) {
    if (!m_scene) {
        return false;
    }
    std::optional<WorldBox> box;
    if (wholeScene) {
        box = SceneBounds(*m_scene);
    } else if (const COGLObject* selected = m_scene->Selected()) {
        box = WorldBoundsOf(*selected);
    }
    // The map frames when it is what is selected, or all the scene holds.
    const SceneBackdrop* backdrop = m_scene->Backdrop();
    WorldBox world;
    if (!box && backdrop != nullptr && (wholeScene || m_scene->BackdropSelected()) &&
        backdrop->Bounds(world.lo, world.hi)) {
        box = world;
    }
    if (!box) {
        return false;
    }
    for (int slot = 0; slot < kViewportSlots; ++slot) {
        if (everyPane || slot == m_activeViewport) {
            FrameBox(Viewport(slot), *box);
        }
    }
    Repaint();
    return true;
}

bool COGLView::IsEnabled(int id) const {
    if (AxisForCommand(id)) {
        return m_tool != MouseTool::Select;
    }
    switch (id) {
        case cmd::kVisible:
            return m_paneCount == 4;
        case cmd::kAxisMarkers:
        case cmd::kPerspective:
        case cmd::kFastEdit:
            return ActiveViewport().IsPerspective();
        case cmd::kPreview:
            return !ActiveViewport().IsPerspective();
        case cmd::kUndo:
            return m_document.History().CanUndo();
        case cmd::kRedo:
            return m_document.History().CanRedo();
        case cmd::kCopy:
        case cmd::kDelete:
            return m_scene != nullptr && m_scene->Selected() != nullptr;
        case cmd::kFrameSelection:
        case cmd::kFrameSelectionEveryPane:
            return m_scene != nullptr && (m_scene->Selected() != nullptr || m_scene->BackdropSelected());
        case cmd::kFrameAll:
        case cmd::kFrameAllEveryPane:
            return m_scene != nullptr && (!m_scene->Objects().empty() || m_scene->Backdrop() != nullptr);
        case cmd::kPlaceAt:
        case cmd::kDropToFloor:
            return m_scene != nullptr && m_scene->Backdrop() != nullptr && m_scene->Selected() != nullptr;
        case cmd::kViewFromStart:
            return m_scene != nullptr && m_scene->Backdrop() != nullptr;
        case cmd::kShadowPlaneFromFace:
            return m_scene != nullptr && m_scene->Backdrop() != nullptr && m_backdropHit.has_value();
        case cmd::kAddLight:
        case cmd::kAddObject:
        case cmd::kClear:
            return m_scene != nullptr;
        default:
            return true;
    }
}

bool COGLView::IsChecked(int id) const {
    if (const auto tool = ToolForCommand(id)) {
        return *tool == m_tool;
    }
    if (const auto axis = AxisForCommand(id)) {
        const AxisFlags flags = Axes(m_tool);
        return *axis == 0 ? flags.x : *axis == 1 ? flags.y : flags.z;
    }
    if (const DisplayModeInfo* mode = DisplayModeForCommand(id)) {
        return ActiveViewport().DisplayMode() == mode->value;
    }
    if (const int overlay = OverlayForCommand(id)) {
        return (m_overlays & overlay) != 0;
    }
    const COGLViewport& active = ActiveViewport();
    switch (id) {
        case cmd::kOneViewport:
            return m_paneCount == 1;
        case cmd::kFourViewports:
            return m_paneCount == 4;
        case cmd::kVisible:
            return active.IsVisible();
        case cmd::kGrid:
            return active.GridShown();
        case cmd::kAxisMarkers:
            return active.IsPerspective() && static_cast<const COGLViewport3D&>(active).AxisMarkersShown();
        case cmd::kMoveFast:
            return m_moveFast;
        case cmd::kHighlightSelected:
            return m_highlightSelected;
        case cmd::kOverlaysInPictures:
            return m_overlaysInPictures;
        case cmd::kFlyCamera:
            return m_flying;
        default:
            return false;
    }
}

bool COGLView::AddLight(int kind) {
    if (!m_scene || (kind != 0 && kind != 1)) {
        return false;
    }
    // A light that finds every GL light taken has said "No more lights are
    // available." and is not added.
    auto light = MakeLight(kind == 1, {kNewLightPosition[0], kNewLightPosition[1], kNewLightPosition[2]});
    if (!light->HasGLLight()) {
        return false;
    }
    m_document.History().Added(*m_scene, m_scene->AddLight(std::move(light)),
                               kind == 1 ? "Add Spot Light" : "Add Point Light");
    m_document.SetModified(true);
    GetHost().RefreshPropertyWindows();
    Repaint();
    return true;
}

bool COGLView::AddObject(int typeCode) {
    if (!m_scene || !IsAddablePrimitive(typeCode)) {
        return false;
    }
    auto object = CreateObject(typeCode);
    if (!object) {
        return false;
    }
    COGLObject* added = m_scene->AddObject(std::move(object));
    PlaceAdded(*added);
    m_document.History().Added(*m_scene, added, "Add Object");
    m_document.SetModified(true);
    GetHost().RefreshPropertyWindows();
    Repaint();
    return true;
}

bool COGLView::CopySelection() {
    if (!m_scene || m_scene->Selected() == nullptr) {
        return false;
    }
    if (COGLLight* light = m_scene->SelectedLight()) {
        auto copy = MakeLight(light->IsSpot(), light->Position());
        if (!copy->HasGLLight()) {
            return false;
        }
        copy->CopyFrom(*light);
        m_document.History().Added(*m_scene, m_scene->AddLight(std::move(copy)), "Copy");
    } else {
        const COGLObject& source = *m_scene->Selected();
        auto copy = CreateObject(source.TypeCode());
        if (!copy) {
            return false;
        }
        copy->CopyFrom(source);
        m_document.History().Added(*m_scene, m_scene->AddObject(std::move(copy)), "Copy");
    }
    m_document.SetModified(true);
    GetHost().RefreshPropertyWindows();
    Repaint();
    return true;
}

void COGLView::ClearScene() {
    if (!m_scene) {
        return;
    }
    // The contents move into the history whole, so Undo brings them back as they were.
    m_document.History().Clear(*m_scene, "Clear");
    m_document.SetModified(true);
    m_document.ClearScene();
}

bool COGLView::DeleteSelection() {
    if (!m_scene || !m_document.History().Delete(*m_scene, m_scene->Selected(), "Delete")) {
        return false;
    }
    m_document.SetModified(true);
    GetHost().RefreshPropertyWindows();
    Repaint();
    return true;
}

void COGLView::SetStatus(const std::string& text) { GetHost().SetStatusText(text); }

// --- SceneViewLink ---

void COGLView::SaveViewRecord(BinaryWriter& out) const {
    if (const COGLViewport3D* perspective = FirstPerspectiveViewport()) {
        out.WriteF32(perspective->FieldOfView());
        perspective->Camera3D().Save(out);
        return;
    }
    COGLCamera3D fresh;
    fresh.PresetPerspective();
    out.WriteF32(COGLViewport3D::kDefaultFieldOfView);
    fresh.Save(out);
}

void COGLView::LoadViewRecord(BinaryReader& in, int version) {
    ResetViewports();
    // Everything is read before any of it is taken: a short record throws and
    // leaves the reset view.
    float fieldOfView = COGLViewport3D::kDefaultFieldOfView;
    if (version >= kFirstVersionWithViewport) {
        fieldOfView = in.ReadF32();
    }
    COGLCamera3D camera;
    camera.Load(in);
    COGLViewport3D* perspective = FirstPerspectiveViewport();
    if (perspective == nullptr) {
        return;
    }
    perspective->SetFieldOfView(fieldOfView);
    const float values[] = {camera.center.x, camera.center.y, camera.center.z, camera.distance,
                            camera.roll,     camera.pitch,    camera.yaw};
    for (const float value : values) {
        // A camera that cannot be drawn from is not taken.
        if (!std::isfinite(value)) {
            return;
        }
    }
    camera.type = COGLCamera::kPerspective;
    camera.dirty = true;
    perspective->Camera3D() = camera;
}

void COGLView::ResetViewports() { ResetCameras(); }

void COGLView::Repaint() { GetHost().RequestRepaint(); }
