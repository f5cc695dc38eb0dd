#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/COGLCamera.h"
#include "render/DisplayMode.h"
#include "render/ViewLayout.h"
#include "scene/COGLObject.h"

class COGLScene;

// What the view tells its panes for one frame; a pane knows nothing else of the view.
struct PaneFrame {
    // Nothing before the view's first update.
    COGLScene* scene = nullptr;
    // Coarse drawing while the selection is dragged with Move Fast.
    bool fast = false;
    bool highlightSelected = false;
    // The scene's background picture is left out while the selection is dragged and
    // when the background is to come out transparent.
    bool backgroundPicture = true;
    // With four panes the perspective pane fills itself with the background colour,
    // since the window's clear is the grey of the orthographic panes.
    bool fillBackground = false;
    float backgroundAlpha = 1.0f;
    // The object whose inner parts (object_overlay bits) every pane draws over the scene.
    COGLObject* overlayObject = nullptr;
    int overlays = 0;
};

// One pane of the view: where it sits in the window (y from the bottom), its
// camera, and how it draws. Viewports draw into whatever GL context is current.
class COGLViewport {
public:
    virtual ~COGLViewport();
    COGLViewport(const COGLViewport&) = delete;
    COGLViewport& operator=(const COGLViewport&) = delete;

    virtual bool IsPerspective() const = 0;
    // Draws the pane; nothing when it is not visible or has no area.
    virtual void Render(const PaneFrame& frame) = 0;
    // Multiplies the pane's projection onto the current matrix.
    virtual void ApplyProjection() const = 0;

    // Loads an identity modelview matrix and applies the camera.
    void ApplyCamera();

    const PaneRect& Rect() const { return m_rect; }
    void SetRect(const PaneRect& rect) { m_rect = rect; }
    // (x, y) in GL window pixels, y from the bottom.
    bool Contains(int x, int y) const;
    // The label of `kind` that this pane shows nearest the window pixel (x, y from
    // the bottom), no further than `radius` pixels; nullptr when none is.
    const COGLObject::OverlayLabel* LabelNear(const std::vector<COGLObject::OverlayLabel>& labels, int kind, int x,
                                              int y, double radius);

    COGLCamera& Camera() { return *m_camera; }
    const COGLCamera& Camera() const { return *m_camera; }

    bool GridShown() const { return m_grid != 0; }
    void SetGridShown(bool shown) { m_grid = shown ? 1 : 0; }
    bool IsVisible() const { return m_visible != 0; }
    void SetVisible(bool visible) { m_visible = visible ? 1 : 0; }
    int DisplayMode() const { return m_displayMode; }
    void SetDisplayMode(int mode) { m_displayMode = mode; }

protected:
    COGLViewport(std::unique_ptr<COGLCamera> camera, int displayMode);

    // Sets the GL viewport to the pane; false when there is nothing to draw.
    bool BeginPane() const;
    // Loads the pane's projection from identity, then its camera's view.
    void LoadViewMatrices();
    // The frame's overlays over what the pane drew, with the attachments' names
    // beside their points; with the pane's matrices loaded.
    void DrawOverlays(const PaneFrame& frame) const;

    PaneRect m_rect;
    std::unique_ptr<COGLCamera> m_camera;
    std::uint8_t m_grid = 0;
    std::uint8_t m_visible = 1;
    int m_displayMode;
};

// The perspective ("Preview") pane with its orbiting camera. Its grid and axis
// markers start as the settings "Grid" and "Axis" say and are written back there
// when it goes.
class COGLViewport3D : public COGLViewport {
public:
    static constexpr float kDefaultFieldOfView = 45.0f;
    static constexpr double kNearPlane = 0.5;
    static constexpr double kFarPlane = 32.0;

    COGLViewport3D();
    ~COGLViewport3D() override;

    bool IsPerspective() const override { return true; }
    void Render(const PaneFrame& frame) override;
    void ApplyProjection() const override;

    COGLCamera3D& Camera3D() { return static_cast<COGLCamera3D&>(*m_camera); }
    const COGLCamera3D& Camera3D() const { return static_cast<const COGLCamera3D&>(*m_camera); }

    float FieldOfView() const { return m_fieldOfView; }
    // Kept between 1 and 179 degrees.
    void SetFieldOfView(float degrees);
    bool AxisMarkersShown() const { return m_axisMarkers != 0; }
    void SetAxisMarkersShown(bool shown) { m_axisMarkers = shown ? 1 : 0; }
    // The depth range drawn: kNearPlane to kFarPlane, or for a scene with a backdrop
    // from kBackdropNearPlane out to the backdrop's farthest corner, so the eye can
    // stand close to a wall and still see across the whole map.
    void FitDepthRange(const COGLScene* scene);
    double NearPlane() const { return m_nearPlane; }
    double FarPlane() const { return m_farPlane; }
    static constexpr double kBackdropNearPlane = 0.05;

private:
    void DrawGrid() const;
    void DrawAxisMarkers();

    float m_fieldOfView = kDefaultFieldOfView;
    double m_nearPlane = kNearPlane;
    double m_farPlane = kFarPlane;
    std::uint8_t m_axisMarkers = 0;
    unsigned m_axisList = 0;
};

// An orthographic ("Fast Edit") pane with a look-at camera; it draws outlines only.
class COGLViewport2D : public COGLViewport {
public:
    COGLViewport2D();

    bool IsPerspective() const override { return false; }
    void Render(const PaneFrame& frame) override;
    void ApplyProjection() const override;

    COGLCamera2D& Camera2D() { return static_cast<COGLCamera2D&>(*m_camera); }
    const COGLCamera2D& Camera2D() const { return static_cast<const COGLCamera2D&>(*m_camera); }

    // The world axes along the screen's right and up and towards the viewer. The
    // camera's movement vectors point against the screen for right and up; the
    // direction towards the viewer is taken from the eye itself, since the
    // presets' facing vectors do not agree on a side.
    Vector3 ScreenRight() const { return -m_camera->dvRight; }
    Vector3 ScreenUp() const { return -m_camera->dvUp; }
    Vector3 TowardsViewer() const;

private:
    void DrawGrid() const;
    void DrawOverlay() const;
};
