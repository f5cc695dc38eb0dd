#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/GltfWriter.h"
#include "render/BitmapFont.h"
#include "render/COGLViewport.h"
#include "render/CapturedImage.h"
#include "render/GLCheck.h"
#include "render/MouseTools.h"
#include "render/ViewInput.h"
#include "scene/COGLDoc.h"
#include "scene/SceneBackdrop.h"
#include "scene/SceneViewLink.h"

class COGLObject;
class COGLScene;
struct ToolStep;

// The window in which a scene is seen and edited, without the window: it draws
// into whatever GL context is current (the shell's widget, or a headless one), and
// takes its input as plain events. It owns the scene, the document that reads and
// writes it, and four viewport slots (slot 0 perspective, 1 to 3 orthographic),
// shown as one pane or four; it runs the view commands by their ids, picking and
// the mouse tools, the animation tick, and the capture for image output.
class COGLView : public SceneViewLink {
public:
    static constexpr int kViewportSlots = 4;
    // Where new lights (the "Default" one too) are put.
    static constexpr float kNewLightPosition[3] = {0.0f, 1.0f, 3.0f};
    static constexpr const char* kDefaultLightName = "Default";
    // 320 game units a second (a player's run) at the models' 0.05 scene units a unit.
    static constexpr float kDefaultFlySpeed = 16.0f;

    // Reads "MouseSensitivity", "ShowFrameTime" and the overlays; "ForceSWRender" is ignored.
    COGLView();
    // Writes "ForceSWRender" = 0, "ShowFrameTime" and the overlays, and deletes the font lists
    // (checked as "delete lists") when a context is current.
    ~COGLView() override;
    COGLView(const COGLView&) = delete;
    COGLView& operator=(const COGLView&) = delete;

    // --- Creation (with the GL context current) ---
    // Builds the overlay font lists. On failure `error` says "Could no create font";
    // the caller reports it (the view still draws, only without texts).
    bool Create(std::string* error = nullptr);
    // First update: creates the scene with one point light named "Default" and
    // resets the cameras. A second call does nothing.
    void OnInitialUpdate();
    COGLScene* Scene() const { return m_scene.get(); }
    COGLDoc& Document() { return m_document; }

    // --- Window ---
    void Resize(int width, int height);
    int ClientWidth() const { return m_clientWidth; }
    int ClientHeight() const { return m_clientHeight; }
    // Draws every shown viewport (and the separators of four panes) into the
    // current framebuffer; the caller swaps.
    void Paint();
    // Steps the scene's animations when the active viewport is a perspective one;
    // repaints and returns true when anything moved.
    bool AnimationTick();
    // Whether a tick now would move anything: an object of the scene animates and
    // the active viewport is a perspective one.
    bool HasAnimation() const;
    void SuspendAnimation(bool suspended) { m_animationSuspended = suspended; }
    bool AnimationSuspended() const { return m_animationSuspended; }
    // Text in the current colour at a raster position of the current projection.
    static void DrawText(int x, int y, const std::string& text) { BitmapFont::DrawText(x, y, text); }

    // --- Commands (render/CommandIds.h) ---
    // Runs a view, tool or axis command; false when it does not apply now (or is
    // not the view's). Clear asks "Clear the Scene?" first; Add Light and Add Object
    // ask the choosers below.
    bool OnCommand(int id);
    bool IsChecked(int id) const;
    bool IsEnabled(int id) const;
    // Appends a point (kind 0) or spot (kind 1) light; false without a scene or
    // when every GL light is taken ("No more lights are available.").
    bool AddLight(int kind);
    // Appends a new primitive (type codes 0 to 11 and 16); false for any other.
    bool AddObject(int typeCode);
    // Clears the scene without asking: the contents move into the history, then
    // default cameras, no selection, property windows refreshed.
    void ClearScene();
    // Takes the selected object or light out of the scene into the history.
    bool DeleteSelection();
    // Fits the selection (or every visible object) into the active pane, or into
    // every pane; false when there is nothing with a box to fit.
    bool Frame(bool wholeScene, bool everyPane);
    // The shell's dialogs behind Add Light ("Select a Light Type to Add") and Add
    // Object ("Select an Object Type to Add"); nothing means Cancel. Without a
    // chooser a point light and a box are added.
    void SetLightKindChooser(std::function<std::optional<int>()> chooser) { m_chooseLightKind = std::move(chooser); }
    void SetObjectTypeChooser(std::function<std::optional<int>()> chooser) { m_chooseObjectType = std::move(chooser); }

    // --- Mouse and keys ---
    void MouseDown(const ViewMouseEvent& event);
    void MouseMove(const ViewMouseEvent& event);
    void MouseUp(const ViewMouseEvent& event);
    void DoubleClick(const ViewMouseEvent& event);
    // The wheel zooms the pane under the pointer as the Zoom tool does (the
    // perspective distance, the orthographic scale): each notch away from the user
    // (`delta` > 0, kWheelNotch a notch) comes a tenth nearer.
    void Wheel(const ViewMouseEvent& event, int delta);
    void KeyDown(const ViewKeyEvent& event);
    void KeyUp(const ViewKeyEvent& event);
    // The window's pointer services; nullptr (the default) does without.
    void SetCursor(ViewCursor* cursor) { m_cursor = cursor; }
    bool IsDragging() const { return m_dragButton != MouseButton::None; }
    // Picks at (x, y) in window pixels (y from the top) in the pane there: the
    // object hit, else the light whose marker was hit, becomes selected; no hit
    // clears the selection. Returns whether anything was hit.
    bool PickAt(int x, int y);
    // The object drawn at (x, y) in the pane there, or nullptr, looking through
    // light markers; the selection and the active pane stay as they are. What a
    // picture dropped on the view lands on.
    COGLObject* ObjectAt(int x, int y);

    // --- Inside a backdrop (ViewBackdrop.cpp) ---
    // The perspective panes fly: a drag with the Orbit tool or the right button
    // turns the view about the eye, the movement keys move it at the fly speed.
    // Leaving orbits about the point ahead.
    bool Flying() const { return m_flying; }
    void SetFlying(bool flying);
    // Scene units a second (a game's running speed by default).
    float FlySpeed() const { return m_flySpeed; }
    void SetFlySpeed(float unitsPerSecond);
    // Moves the flying eye by the movement keys held for `seconds`; true when it moved.
    bool FlyTick(double seconds);
    bool FlyKeysHeld() const { return m_flyKeys != 0; }
    // The starts the backdrop offers (empty without one).
    std::vector<BackdropStart> Starts() const;
    // The active perspective pane (else the first) looks from start `index` at eye
    // height, facing its way.
    bool ViewFromStart(int index);
    // The selection to start `index`, facing its way / down onto the surface below it.
    bool PlaceSelectionAt(int index);
    bool DropSelectionToFloor();
    // A plane lying in the backdrop's face last clicked, added as a shadow plane.
    bool ShadowPlaneFromFace();

    // --- Image output ---
    // Renders the active viewport alone at width x height into an off-screen
    // framebuffer, with no grid, axis markers, selection or light markers (and no
    // overlays unless OverlaysInPictures), and
    // keeps the picture (bottom-up BGR, or BGRA with 4 bytes per pixel). With
    // `allPanes` the layout stays as it is shown (grids too); only the selection and
    // the light markers are left out. Everything is restored afterwards. False when
    // no picture could be made.
    bool Capture(int width, int height, int bytesPerPixel = 3, bool allPanes = false);
    void Release() { m_captured = {}; }
    const CapturedImage& Captured() const { return m_captured; }
    // Captures at the client size (or the size given) and writes BMP, JPEG (quality
    // index 0..3) or PNG by the file's extension. An unknown extension shows "The
    // file extension that you entered is not supported."; a failed capture writes
    // no file.
    bool SaveImage(const std::string& path, int qualityIndex, bool transparentBackground = false, int width = 0,
                   int height = 0);
    // Clear to alpha 0 (and leave out the background image) so that written PNG
    // files can treat the background as transparent.
    void SetTransparentBackground(bool transparent) { m_transparentBackground = transparent; }
    bool TransparentBackground() const { return m_transparentBackground; }
    float BackgroundAlpha() const { return m_transparentBackground ? 0.0f : 1.0f; }

    // --- Viewports ---
    COGLViewport& Viewport(int slot) { return *m_viewports[static_cast<std::size_t>(slot)]; }
    const COGLViewport& Viewport(int slot) const { return *m_viewports[static_cast<std::size_t>(slot)]; }
    COGLViewport& ActiveViewport() { return Viewport(m_activeViewport); }
    const COGLViewport& ActiveViewport() const { return Viewport(m_activeViewport); }
    int ActiveIndex() const { return m_activeViewport; }
    void SetActiveViewport(int slot);
    int PaneCount() const { return m_paneCount; }
    // The perspective camera the user looks through (the active pane's, else the
    // first perspective pane's) as glTF export places it; none without one.
    std::optional<ExportCamera> ExportedCamera() const;
    // Slot 0 Perspective with field of view 45 (Right when it is orthographic),
    // 1 Front, 2 Top, 3 Left.
    void ResetCameras();

    // --- Tools and options ---
    MouseTool Tool() const { return m_tool; }
    void SetTool(MouseTool tool) { m_tool = tool; }
    AxisFlags Axes(MouseTool tool) const { return m_axes[static_cast<std::size_t>(tool)]; }
    int MouseSensitivity() const { return m_mouseSensitivity; }
    void SetMouseSensitivity(int sensitivity) { m_mouseSensitivity = ClampSensitivity(sensitivity); }
    bool MoveFast() const { return m_moveFast; }
    bool HighlightSelected() const { return m_highlightSelected; }
    bool ShowFrameTime() const { return m_showFrameTime; }
    // The inner parts (object_overlay bits) drawn over the selected object in every
    // pane, and whether saved pictures, prints and movies keep them; both are kept
    // in the settings ("Overlays", "OverlaysInPictures").
    int Overlays() const { return m_overlays; }
    bool OverlaysInPictures() const { return m_overlaysInPictures; }
    // Reads "MouseSensitivity" and "ShowFrameTime" again (after "Program Options").
    void ApplyOptions();
    const FrameTimer& Timer() const { return m_frameTimer; }
    // The accumulated angle of the Rotate tool, in [0, 360).
    float RotateAngle() const { return m_rotateAngle; }
    // The separator colours of four panes (button face, shadow, highlight), 0..1.
    void SetSeparatorColors(const std::array<float, 3>& face, const std::array<float, 3>& shadow,
                            const std::array<float, 3>& highlight);

    // --- How the panes draw this frame (PaneFrame) ---
    // The selected object is being dragged by Move, Rotate or Scale with Move Fast.
    bool FastDrawing() const;
    // The selected object (or its texture) is being dragged.
    bool ObjectBeingDragged() const;

    // --- Placing what is added ---
    // The window places what is added (beside the last object, or where it is
    // dropped); the command line and scene files keep the places they are given.
    void SetPlacesAddedObjects(bool places) { m_placesAdded = places; }
    // The window point (y from the top) that the next added object was dropped at.
    void SetDropPoint(int x, int y) { m_dropPoint = std::array<int, 2>{x, y}; }
    void ClearDropPoint() { m_dropPoint.reset(); }

    // --- SceneViewLink ---
    // A dropped object lands under the pointer: on top of the object there, else on
    // the floor (the bottom of the scene), else at the depth of the camera's point
    // of interest; any other stands beside the last object with a box.
    void PlaceAdded(COGLObject& added) override;
    // Looks from the backdrop's first start, or frames it when it has none.
    void ShowBackdrop() override;
    void SaveViewRecord(BinaryWriter& out) const override;
    void LoadViewRecord(BinaryReader& in, int version) override;
    void ResetViewports() override;
    void Repaint() override;

private:
    enum class DragSource { Mouse, Key };

    void Layout();
    // The slot whose pane holds the window point (x, y from the top), or -1.
    int SlotAt(int x, int y) const;
    // The object drawn at (x, y), `skipped` left out.
    COGLObject* ObjectAt(int x, int y, const COGLObject* skipped);
    // The line through the pixel (x, y from the top) of the pane of `slot`, and the
    // pane camera's right in the world.
    struct PaneRay;
    PaneRay RayAt(int slot, int x, int y);
    // The pick name at (x, y) in the pane of that slot, of what `drawNames` draws.
    std::optional<std::uint32_t> PickNameAt(int slot, int x, int y, const std::function<void()>& drawNames);
    int GLRow(int y) const { return m_clientHeight - 1 - y; }
    COGLViewport3D* FirstPerspectiveViewport() const;
    void ReplaceActiveViewport(bool perspective);
    bool ApplyPreset(int id);
    bool CopySelection();
    // Around a drag of the selection (or its texture): the state before, and the
    // step of the history once it ended.
    void WatchDraggedObject();
    void RecordDraggedObject();
    // One drag step with the raw pixel delta of the mouse (or an arrow key).
    void DragStep(int dx, int dy, MouseButton button);
    // Hands the step to its tool with the active pane or the selection, and shows
    // the status it leaves.
    void ApplyTool(const ToolStep& step);
    void SetStatus(const std::string& text);
    // The object whose overlays the panes draw now, or nullptr.
    COGLObject* OverlayObject() const;
    // Names the bone whose joint shows nearest the pointer at (x, y) in the status bar.
    void ShowBoneNear(int x, int y);
    // The key is one of the fly camera's and the view flies: it is held (or let go).
    bool FlyKey(ViewKey key, bool down);
    // A drag that turns the flying view, and that turn.
    bool FlyDrag(MouseButton button) const;
    void FlyLook(int dx, int dy);
    void DrawSeparators() const;
    // Renders the current layout into a framebuffer of its own and reads it back.
    bool RenderOffscreen(int width, int height, int bytesPerPixel, CapturedImage& out);

    std::unique_ptr<COGLScene> m_scene;
    COGLDoc m_document;
    std::array<std::unique_ptr<COGLViewport>, kViewportSlots> m_viewports;
    int m_activeViewport = 0;
    int m_paneCount = 1;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_halfWidth = 0;
    int m_halfHeight = 0;
    std::array<float, 3> m_separatorFace{212.0f / 255.0f, 208.0f / 255.0f, 200.0f / 255.0f};
    std::array<float, 3> m_separatorShadow{128.0f / 255.0f, 128.0f / 255.0f, 128.0f / 255.0f};
    std::array<float, 3> m_separatorHighlight{1.0f, 1.0f, 1.0f};

    MouseTool m_tool = MouseTool::Select;
    std::array<AxisFlags, kMouseToolCount> m_axes{};
    int m_mouseSensitivity = 1;
    bool m_moveFast = true;
    bool m_highlightSelected = false;
    bool m_showFrameTime = false;
    bool m_softwareRendering = false;
    int m_overlays = 0;
    bool m_overlaysInPictures = false;
    COGLObject* m_pictureOverlayObject = nullptr;  // the selection a capture left out, while it draws
    std::string m_boneShown;                       // the bone named in the status bar

    BitmapFont m_font;
    FrameTimer m_frameTimer;
    bool m_animationSuspended = false;
    bool m_transparentBackground = false;
    bool m_placesAdded = false;
    std::optional<std::array<int, 2>> m_dropPoint;
    CapturedImage m_captured;

    ViewCursor* m_cursor = nullptr;
    MouseButton m_dragButton = MouseButton::None;
    int m_downX = 0;
    int m_downY = 0;
    int m_lastX = 0;
    int m_lastY = 0;
    float m_rotateAngle = 0.0f;
    bool m_shiftDown = false;
    bool m_controlDown = false;

    bool m_flying = false;
    float m_flySpeed = kDefaultFlySpeed;
    unsigned m_flyKeys = 0;
    std::optional<BackdropHit> m_backdropHit;  // where the backdrop was last clicked

    std::function<std::optional<int>()> m_chooseLightKind;
    std::function<std::optional<int>()> m_chooseObjectType;
};
