#include "render/COGLViewport.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "platform/GLContext.h"
#include "platform/Settings.h"
#include "render/BitmapFont.h"
#include "render/MouseTools.h"
#include "render/SceneRenderer.h"
#include "scene/COGLScene.h"

namespace {
// Perspective grid: -3..3 in steps of 0.5 on the ground plane.
constexpr float kGridExtent = 3.0f;
constexpr float kGridStep = 0.5f;
// The orthographic grid reaches further: those panes are usually zoomed out.
constexpr float kFlatGridExtent = 5.0f;

// Axis markers: where they stand (a share of the pane's width in from its lower
// left corner), how far in front of the viewer, and their size.
constexpr double kAxisMarkerInset = 0.065;
constexpr double kAxisMarkerEyeDistance = 8.0;
constexpr float kAxisMarkerScale = 3.0f;
constexpr float kAxisLength = 0.125f;

void GroundGrid(float extent, float lineGrey, float centreGrey) {
    glBegin(GL_LINES);
    const int steps = static_cast<int>(extent / kGridStep + 0.5f);
    for (int i = -steps; i <= steps; ++i) {
        const float v = static_cast<float>(i) * kGridStep;
        const float grey = i == 0 ? centreGrey : lineGrey;
        glColor3f(grey, grey, grey);
        glVertex3f(v, 0.0f, -extent);
        glVertex3f(v, 0.0f, extent);
        glVertex3f(-extent, 0.0f, v);
        glVertex3f(extent, 0.0f, v);
    }
    glEnd();
}

// The three axes with their letters drawn in strokes, in unit-free marker space.
void CompileAxisMarkers() {
    const float e = 0.015f;   // half size of a letter
    const float at = 0.16f;   // where a letter stands along its axis
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(kAxisLength, 0.0f, 0.0f);
    glVertex3f(at - e, -e, 0.0f);
    glVertex3f(at + e, e, 0.0f);
    glVertex3f(at - e, e, 0.0f);
    glVertex3f(at + e, -e, 0.0f);

    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, kAxisLength, 0.0f);
    glVertex3f(-e, at + e, 0.0f);
    glVertex3f(0.0f, at, 0.0f);
    glVertex3f(e, at + e, 0.0f);
    glVertex3f(0.0f, at, 0.0f);
    glVertex3f(0.0f, at, 0.0f);
    glVertex3f(0.0f, at - e, 0.0f);

    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, kAxisLength);
    glVertex3f(-e, e, at);
    glVertex3f(e, e, at);
    glVertex3f(e, e, at);
    glVertex3f(-e, -e, at);
    glVertex3f(-e, -e, at);
    glVertex3f(e, -e, at);
    glEnd();
}

// "+X", "-Y", ...: the world axis a screen direction runs along.
std::string AxisLabel(const Vector3& direction) {
    const Vector3 snapped = direction.SnapToDominantAxis();
    const char* axis = snapped.x != 0.0f ? "X" : snapped.y != 0.0f ? "Y" : "Z";
    const float sign = snapped.x + snapped.y + snapped.z;
    return std::string(sign < 0.0f ? "-" : "+") + axis;
}

void PushPixelProjection(const PaneRect& pane) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, pane.width, 0.0, pane.height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void PopPixelProjection() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// The names of overlay points stand a few pixels up and right of them.
constexpr int kLabelOffset = 4;

struct PaneMatrices {
    GLdouble modelview[16];
    GLdouble projection[16];
    GLint viewport[4];
};

PaneMatrices CurrentMatrices() {
    PaneMatrices m{};
    glGetDoublev(GL_MODELVIEW_MATRIX, m.modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, m.projection);
    glGetIntegerv(GL_VIEWPORT, m.viewport);
    return m;
}

// Where a scene point shows in the window (y from the bottom); nothing behind the
// viewer or beyond the far plane.
std::optional<std::array<double, 2>> Projected(const PaneMatrices& m, const Vector3& point) {
    GLdouble x = 0.0;
    GLdouble y = 0.0;
    GLdouble z = 0.0;
    if (gluProject(point.x, point.y, point.z, m.modelview, m.projection, m.viewport, &x, &y, &z) != GL_TRUE ||
        z < 0.0 || z > 1.0) {
        return std::nullopt;
    }
    return std::array<double, 2>{x, y};
}
}  // namespace

// --- COGLViewport ---

COGLViewport::COGLViewport(std::unique_ptr<COGLCamera> camera, int displayMode)
    : m_camera(std::move(camera)), m_displayMode(displayMode) {}

COGLViewport::~COGLViewport() = default;

void COGLViewport::ApplyCamera() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    m_camera->Apply();
}

void COGLViewport::LoadViewMatrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    ApplyProjection();
    ApplyCamera();
}

bool COGLViewport::Contains(int x, int y) const {
    return x >= m_rect.x && y >= m_rect.y && x < m_rect.x + m_rect.width && y < m_rect.y + m_rect.height;
}

const COGLObject::OverlayLabel* COGLViewport::LabelNear(const std::vector<COGLObject::OverlayLabel>& labels,
                                                        int kind, int x, int y, double radius) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    LoadViewMatrices();
    PaneMatrices m = CurrentMatrices();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    m.viewport[0] = m_rect.x;
    m.viewport[1] = m_rect.y;
    m.viewport[2] = m_rect.width;
    m.viewport[3] = m_rect.height;
    const COGLObject::OverlayLabel* nearest = nullptr;
    double best = radius * radius;
    for (const COGLObject::OverlayLabel& label : labels) {
        const auto at = label.kind == kind ? Projected(m, label.position) : std::nullopt;
        if (!at) {
            continue;
        }
        const double dx = (*at)[0] - (x + 0.5);
        const double dy = (*at)[1] - (y + 0.5);
        if (dx * dx + dy * dy <= best) {
            best = dx * dx + dy * dy;
            nearest = &label;
        }
    }
    return nearest;
}

void COGLViewport::DrawOverlays(const PaneFrame& frame) const {
    if (frame.overlayObject == nullptr || frame.overlays == 0) {
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT | GL_LINE_BIT | GL_POINT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    frame.overlayObject->DrawOverlays(frame.overlays);
    if ((frame.overlays & object_overlay::kAttachments) != 0) {
        const auto labels = frame.overlayObject->OverlayLabels(object_overlay::kAttachments);
        const PaneMatrices m = CurrentMatrices();
        glDisable(GL_DEPTH_TEST);
        PushPixelProjection(m_rect);
        glColor3f(1.0f, 0.85f, 0.2f);
        for (const COGLObject::OverlayLabel& label : labels) {
            if (const auto at = label.kind == object_overlay::kAttachments ? Projected(m, label.position)
                                                                           : std::nullopt) {
                BitmapFont::DrawText(static_cast<int>((*at)[0]) - m_rect.x + kLabelOffset,
                                     static_cast<int>((*at)[1]) - m_rect.y + kLabelOffset, label.name);
            }
        }
        PopPixelProjection();
    }
    glPopAttrib();
}

bool COGLViewport::BeginPane() const {
    if (!IsVisible() || m_rect.width <= 0 || m_rect.height <= 0) {
        return false;
    }
    glViewport(m_rect.x, m_rect.y, m_rect.width, m_rect.height);
    return true;
}

// --- COGLViewport3D ---

COGLViewport3D::COGLViewport3D() : COGLViewport(std::make_unique<COGLCamera3D>(), kDisplayModeShaded) {
    Settings& settings = GetSettings();
    m_grid = settings.GetInt(settings_keys::kSettings, settings_keys::kGrid, 0) != 0 ? 1 : 0;
    m_axisMarkers = settings.GetInt(settings_keys::kSettings, settings_keys::kAxis, 0) != 0 ? 1 : 0;
}

COGLViewport3D::~COGLViewport3D() {
    Settings& settings = GetSettings();
    settings.SetInt(settings_keys::kSettings, settings_keys::kGrid, m_grid);
    settings.SetInt(settings_keys::kSettings, settings_keys::kAxis, m_axisMarkers);
    if (m_axisList != 0 && HasCurrentGLContext()) {
        glDeleteLists(m_axisList, 1);
    }
}

void COGLViewport3D::SetFieldOfView(float degrees) { m_fieldOfView = ClampFieldOfView(degrees); }

void COGLViewport3D::ApplyProjection() const {
    const double aspect = m_rect.height > 0 ? double(m_rect.width) / double(m_rect.height) : 1.0;
    gluPerspective(m_fieldOfView, aspect, m_nearPlane, m_farPlane);
}

void COGLViewport3D::FitDepthRange(const COGLScene* scene) {
    m_nearPlane = kNearPlane;
    m_farPlane = kFarPlane;
    Vector3 lo;
    Vector3 hi;
    const SceneBackdrop* backdrop = scene != nullptr ? scene->Backdrop() : nullptr;
    if (backdrop == nullptr || !backdrop->Bounds(lo, hi)) {
        return;
    }
    const Vector3 eye = Camera3D().EyePosition();
    float farthest = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p{(corner & 4) != 0 ? hi.x : lo.x, (corner & 2) != 0 ? hi.y : lo.y, (corner & 1) != 0 ? hi.z : lo.z};
        farthest = std::max(farthest, (p - eye).Length());
    }
    if (std::isfinite(farthest)) {
        m_nearPlane = kBackdropNearPlane;
        m_farPlane = std::max(kFarPlane, static_cast<double>(farthest) * 1.01 + kFarPlane);
    }
}

void COGLViewport3D::Render(const PaneFrame& frame) {
    if (!BeginPane()) {
        return;
    }
    COGLScene* scene = frame.scene;
    if (scene != nullptr) {
        if (scene->BackgroundValid() && frame.backgroundPicture) {
            DrawSceneBackground(*scene, m_rect);
        } else if (frame.fillBackground) {
            const auto& c = scene->BackgroundColor();
            FillPane(m_rect, c[0], c[1], c[2], frame.backgroundAlpha);
        }
    }
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT);
    const DisplayModeInfo* mode = FindDisplayMode(m_displayMode);
    if (mode == nullptr) {
        mode = FindDisplayMode(kDisplayModeShaded);
    }
    ApplyDisplayModeState(*mode);
    FitDepthRange(scene);
    if (mode->lighting && scene != nullptr) {
        scene->ApplyAmbientLight();
    }
    LoadViewMatrices();
    if (GridShown()) {
        DrawGrid();
    }
    if (AxisMarkersShown()) {
        DrawAxisMarkers();
    }
    if (scene != nullptr) {
        SceneRenderOptions options;
        options.displayMode = mode->value;
        options.fast = frame.fast;
        options.highlight = frame.highlightSelected;
        options.nearPlane = m_nearPlane;
        options.farPlane = m_farPlane;
        RenderScene(*scene, options);
    }
    DrawOverlays(frame);
    glPopAttrib();
}

void COGLViewport3D::DrawGrid() const {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    GroundGrid(kGridExtent, 0.6f, 0.9f);
    glPopAttrib();
}

void COGLViewport3D::DrawAxisMarkers() {
    if (m_axisList == 0) {
        m_axisList = glGenLists(1);
        if (m_axisList == 0) {
            return;
        }
        glNewList(m_axisList, GL_COMPILE);
        CompileAxisMarkers();
        glEndList();
    }
    GLdouble modelview[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The window depth of a point kAxisMarkerEyeDistance in front of the viewer.
    const double n = m_nearPlane;
    const double f = m_farPlane;
    const double ndcZ = (f + n) / (f - n) - 2.0 * f * n / ((f - n) * kAxisMarkerEyeDistance);
    const double inset = kAxisMarkerInset * m_rect.width;
    GLdouble x = 0.0;
    GLdouble y = 0.0;
    GLdouble z = 0.0;
    if (gluUnProject(m_rect.x + inset, m_rect.y + inset, 0.5 * (ndcZ + 1.0), modelview, projection, viewport, &x, &y,
                     &z) != GL_TRUE) {
        return;
    }
    // In front of everything, including what the scene draws after them: the
    // markers write the nearest depth there is.
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_VIEWPORT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    glDepthRange(0.0, 0.0);
    glPushMatrix();
    glTranslated(x, y, z);
    glScalef(kAxisMarkerScale, kAxisMarkerScale, kAxisMarkerScale);
    glCallList(m_axisList);
    glPopMatrix();
    glPopAttrib();
}

// --- COGLViewport2D ---

COGLViewport2D::COGLViewport2D() : COGLViewport(std::make_unique<COGLCamera2D>(), kDisplayModeWireframeFast) {
    // The grid carries the pane's name and axis labels, so these panes start with it.
    m_grid = 1;
}

Vector3 COGLViewport2D::TowardsViewer() const {
    const Vector3 towards = m_camera->eye - m_camera->center;
    return towards.IsZero() ? Vector3{0.0f, 0.0f, 1.0f} : towards.SnapToDominantAxis();
}

void COGLViewport2D::ApplyProjection() const {
    const OrthoExtents e = OrthographicExtents(m_rect.width, m_rect.height);
    glOrtho(e.left, e.right, e.bottom, e.top, e.nearPlane, e.farPlane);
}

void COGLViewport2D::Render(const PaneFrame& frame) {
    if (!BeginPane()) {
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT |
                 GL_LINE_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glShadeModel(GL_FLAT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    LoadViewMatrices();
    if (GridShown()) {
        DrawGrid();
        DrawOverlay();
    }
    if (frame.scene != nullptr) {
        RenderSceneWireframe(*frame.scene, frame.fast);
    }
    DrawOverlays(frame);
    glPopAttrib();
}

void COGLViewport2D::DrawGrid() const {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_TEXTURE_2D);
    // Behind everything: outlines are never cut by the grid.
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    // The ground grid turned into the plane this camera looks at.
    switch (m_camera->type) {
        case COGLCamera::kFront:
            glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
            break;
        case COGLCamera::kLeft:
            glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
            break;
        case COGLCamera::kRight:
            glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
            break;
        default:
            break;
    }
    GroundGrid(kFlatGridExtent, 0.65f, 0.65f);
    // The two axes through the origin, dashed and long enough for any zoom.
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(1, 0xF0F0);
    glColor3f(0.35f, 0.35f, 0.35f);
    glBegin(GL_LINES);
    glVertex3f(-100.0f, 0.0f, 0.0f);
    glVertex3f(100.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, -100.0f);
    glVertex3f(0.0f, 0.0f, 100.0f);
    glEnd();
    glPopMatrix();
    glPopAttrib();
}

void COGLViewport2D::DrawOverlay() const {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    PushPixelProjection(m_rect);
    const float w = static_cast<float>(m_rect.width);
    const float h = static_cast<float>(m_rect.height);
    glColor3f(0.3f, 0.3f, 0.3f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(0.5f, 0.5f);
    glVertex2f(w - 0.5f, 0.5f);
    glVertex2f(w - 0.5f, h - 0.5f);
    glVertex2f(0.5f, h - 0.5f);
    glEnd();

    const Vector3 right = ScreenRight();
    const Vector3 up = ScreenUp();
    const Vector3 towards = TowardsViewer();
    const int width = m_rect.width;
    const int height = m_rect.height;
    glColor3f(0.0f, 0.0f, 0.0f);
    BitmapFont::DrawText(2, 3, m_camera->GetTypeName());
    BitmapFont::DrawText(width - 20, height / 2 + 3, AxisLabel(right));
    BitmapFont::DrawText(2, height / 2 + 3, AxisLabel(-right));
    BitmapFont::DrawText(width / 2 + 3, height - 13, AxisLabel(up));
    BitmapFont::DrawText(width / 2 + 3, 3, AxisLabel(-up));
    BitmapFont::DrawText(width - 20, 3, AxisLabel(towards));
    PopPixelProjection();
    glPopAttrib();
}
