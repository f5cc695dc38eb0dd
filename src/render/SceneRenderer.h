#pragma once

#include <array>
#include <optional>
#include <vector>

#include "math/Vector3.h"
#include "render/DisplayMode.h"
#include "render/ViewLayout.h"

class COGLObject;
class COGLScene;
struct RendererSettings;

// The scene's drawing passes, as the viewports call them. They live here rather
// than in the scene so that the scene layer stays free of GL pass logic. Every pass
// sets the GL state it needs and puts back what it changed, so passes never leak
// state into each other; each draws with the projection and modelview matrices the
// viewport left (its camera applied).

struct SceneRenderOptions {
    int displayMode = kDisplayModeShaded;
    // The selected object is drawn with its cheaper alternate list (a drag with
    // "Move Fast" on).
    bool fast = false;
    // Tint the selected object with the renderer block's highlight colour.
    bool highlight = false;
    // The perspective depth range, for linear fog.
    double nearPlane = 0.5;
    double farPlane = 32.0;
};

// The perspective render: lights, fog, the objects farthest first, the highlight,
// the selection box, then the planar shadows (filled display modes only).
void RenderScene(COGLScene& scene, const SceneRenderOptions& options);

// The orthographic render: unlit outlines of every object, the light markers and
// the selection box. With `fast` (Move Fast while the selection is dragged) the
// selection alone is drawn from its coarse (alternate) list.
void RenderSceneWireframe(COGLScene& scene, bool fast);

// Loads the pick name of every object, then of every light marker, in list order,
// and draws each: the first drawn wins a tie of depths.
void DrawScenePickPass(COGLScene& scene);

// The scene's background image over the pane, without touching depth: mode 0 a
// textured quad, 1 the picture copied with a pixel zoom that fills the pane, 2 a
// copy stretched to the pane once and kept on the scene until the pane's size
// changes. Nothing without a valid background.
void DrawSceneBackground(COGLScene& scene, const PaneRect& pane);

// Fills the pane with one colour (colour only, depth untouched).
void FillPane(const PaneRect& pane, float red, float green, float blue, float alpha);

// Turns GL fog on as the renderer block says (nothing when fog is off). Start and
// end are fractions of the near..far range.
void ApplySceneFog(const RendererSettings& settings, double nearPlane, double farPlane);

// The world position of the viewer under the current modelview matrix.
Vector3 CurrentViewerPosition();

// The scene's objects, farthest from `viewer` first; equal distances keep their
// list order.
std::vector<COGLObject*> ObjectsFarthestFirst(const COGLScene& scene, const Vector3& viewer);

// The plane (a, b, c, d) in world space that a plane-family object lies in, its
// normal on the side the object faces. Nothing for any other kind of object.
std::optional<std::array<float, 4>> WorldPlaneOf(const COGLObject& object);
