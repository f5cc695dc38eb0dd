#include "render/SceneRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdint>
#include <vector>

#include "math/Matrix4.h"
#include "media/COGLTexture2D.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "scene/Primitives.h"

namespace {
// Light markers are drawn unlit in the current colour: a pale yellow in the
// perspective view, a dark amber on the grey orthographic panes.
constexpr float kMarkerColor[3] = {1.0f, 1.0f, 0.6f};
constexpr float kWireMarkerColor[3] = {0.45f, 0.35f, 0.0f};
// How strongly the highlight colour is added onto the selected object.
constexpr float kHighlightStrength = 0.4f;

void ApplyLights(COGLScene& scene) {
    for (const auto& light : scene.Lights()) {
        light->Apply();
    }
}

bool IsFilledMode(const DisplayModeInfo& mode) { return mode.polygonMode == GL_FILL; }

// A map's edges in slate blue, apart from the grid's greys and the objects' black.
void DrawBackdropOutline(SceneBackdrop& backdrop) {
    glColor3f(0.30f, 0.38f, 0.55f);
    backdrop.Draw(SceneBackdrop::Pass::Outline);
}

void DrawObject(COGLObject& object, bool lit, bool alternate) {
    int flags = alternate ? COGLObject::kDrawAlternate : 0;
    if (lit) {
        flags |= COGLObject::kDrawMaterial;
    } else {
        // Unlit modes show each object in its diffuse colour.
        glColor4fv(object.Diffuse().Data());
    }
    object.Draw(flags);
}

void DrawHighlight(COGLObject& object, const ColorRGBA& color, bool alternate) {
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glColor4f(color.red * kHighlightStrength, color.green * kHighlightStrength, color.blue * kHighlightStrength,
              0.0f);
    object.Draw(alternate ? COGLObject::kDrawAlternate : 0);
    glPopAttrib();
}

void PushPaneMatrices() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void PopPaneMatrices() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// Marks the receiver's visible pixels with `value` in the stencil buffer. The
// receiver is drawn again exactly as in the main pass, pulled a little towards the
// viewer so it passes the depth test where it showed and nowhere else.
void MarkReceiver(COGLObject& plane, GLint value) {
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_LIGHTING);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(-1.0f, -2.0f);
    glStencilFunc(GL_ALWAYS, value, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    plane.Draw(0);
    glDisable(GL_POLYGON_OFFSET_FILL);
    // Drawing a transparent receiver turns depth writes back on when it ends.
    glDepthMask(GL_FALSE);
}

float SignedDistance(const std::array<float, 4>& plane, const Vector3& p) {
    return plane[0] * p.x + plane[1] * p.y + plane[2] * p.z + plane[3];
}

// How far an object's shape can reach from its position: its scaled half extents'
// diagonal.
float Reach(const COGLObject& object) {
    const Vector3& h = object.HalfExtents();
    const Vector3& s = object.Scale();
    const Vector3 extent{h.x * std::fabs(s.x), h.y * std::fabs(s.y), h.z * std::fabs(s.z)};
    return extent.Length();
}

// Only what stands between the light and the receiver's front casts onto it.
// Objects wholly behind the receiver or wholly beyond the light are left out here;
// the parts of the others that reach beyond the light are cut by a clip plane.
std::vector<COGLObject*> CastersFor(const std::vector<COGLObject*>& candidates,
                                    const std::array<float, 4>& plane, float lightDistance) {
    std::vector<COGLObject*> casters;
    for (COGLObject* object : candidates) {
        const float distance = SignedDistance(plane, object->Position());
        const float reach = Reach(*object);
        if (distance + reach > 0.0f && distance - reach < lightDistance) {
            casters.push_back(object);
        }
    }
    return casters;
}

// The window rectangle (x, y, width, height) that an object's box covers in the
// current viewport, or the whole viewport when a corner lies behind the viewer or
// the object turns to face the viewer.
std::array<GLint, 4> WindowBounds(const COGLObject& object) {
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    if (dynamic_cast<const COGLBillboard*>(&object) != nullptr) {
        return viewport;
    }
    std::array<double, 16> modelview{};
    std::array<double, 16> projection{};
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    const Matrix4 toClip = Matrix4(projection) * Matrix4(modelview);
    const Matrix4 rotation = object.Orientation().ToMatrix();
    const Vector3& h = object.HalfExtents();
    const Vector3& s = object.Scale();
    double minX = 1.0, minY = 1.0, maxX = -1.0, maxY = -1.0;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 local{(corner & 1 ? h.x : -h.x) * s.x, (corner & 2 ? h.y : -h.y) * s.y,
                            (corner & 4 ? h.z : -h.z) * s.z};
        const Vector3 world = object.Position() + rotation.TransformVector(local);
        double clip[4];
        for (int row = 0; row < 4; ++row) {
            clip[row] = toClip(row, 0) * world.x + toClip(row, 1) * world.y + toClip(row, 2) * world.z + toClip(row, 3);
        }
        if (!(clip[3] > 1e-9)) {
            return viewport;
        }
        minX = std::min(minX, clip[0] / clip[3]);
        maxX = std::max(maxX, clip[0] / clip[3]);
        minY = std::min(minY, clip[1] / clip[3]);
        maxY = std::max(maxY, clip[1] / clip[3]);
    }
    minX = std::clamp(minX, -1.0, 1.0);
    maxX = std::clamp(maxX, -1.0, 1.0);
    minY = std::clamp(minY, -1.0, 1.0);
    maxY = std::clamp(maxY, -1.0, 1.0);
    const auto toWindow = [](double ndc, GLint origin, GLint size) {
        return origin + static_cast<GLint>(std::floor((ndc + 1.0) * 0.5 * size));
    };
    const GLint left = toWindow(minX, viewport[0], viewport[2]);
    const GLint bottom = toWindow(minY, viewport[1], viewport[3]);
    const GLint right = std::min(toWindow(maxX, viewport[0], viewport[2]) + 1, viewport[0] + viewport[2]);
    const GLint top = std::min(toWindow(maxY, viewport[1], viewport[3]) + 1, viewport[1] + viewport[3]);
    return {left, bottom, std::max(right - left, 0), std::max(top - bottom, 0)};
}

// One receiver and one light. Shadow geometry is the casters flattened onto the
// receiver's plane by ShadowMatrix; the stencil marks keep it inside the receiver's
// visible pixels, so it needs no depth test and cannot fight with the plane.
// `mark` is the receiver's stencil value; shadowed pixels become mark + 1.
void DrawShadow(COGLScene& scene, COGLObject& plane, const std::array<float, 4>& planeEquation, COGLLight& light,
                const std::vector<COGLObject*>& candidates, bool blended, GLint mark) {
    const Vector3& p = light.Position();
    const std::array<float, 4> lightPosition{p.x, p.y, p.z, light.W()};
    const float side = planeEquation[0] * lightPosition[0] + planeEquation[1] * lightPosition[1] +
                       planeEquation[2] * lightPosition[2] + planeEquation[3] * lightPosition[3];
    // A light on the plane or behind it casts nothing onto its front.
    if (!(side > 1e-6f)) {
        return;
    }
    const float lightDistance = light.W() != 0.0f ? side / light.W() : std::numeric_limits<float>::max();
    const std::vector<COGLObject*> casters = CastersFor(candidates, planeEquation, lightDistance);
    if (casters.empty()) {
        return;
    }
    MarkReceiver(plane, mark);

    // First only the shadow's outline: the receiver's mark becomes mark + 1 under
    // the flattened casters, so each pixel is darkened once however many casters
    // overlap there.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);  // flattening may turn a face's winding round
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_EQUAL, mark, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    // Flattened points keep w >= 0 only where they lie between the light and the
    // plane; the rest would be thrown through infinity onto the other side.
    const ShadowMatrix flatten(planeEquation, lightPosition);
    static const GLdouble kKeepPositiveW[4] = {0.0, 0.0, 0.0, 1.0};
    glClipPlane(GL_CLIP_PLANE0, kKeepPositiveW);
    glEnable(GL_CLIP_PLANE0);
    glPushMatrix();
    glMultMatrixd(flatten.Data());
    // Casters draw their coarse lists: a shadow needs only the outline, and the
    // software renderer spends most of a shadow pass transforming vertices.
    for (COGLObject* caster : casters) {
        caster->Draw(COGLObject::kDrawAlternate);
        glDepthMask(GL_FALSE);
    }
    glPopMatrix();
    glDisable(GL_CLIP_PLANE0);

    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilFunc(GL_EQUAL, mark + 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    if (blended) {
        // The shadowed pixels get the receiver again, lit by every light but this
        // one and laid over the fully lit receiver at the shadow's opacity.
        glEnable(GL_LIGHTING);
        if (light.HasGLLight()) {
            glDisable(light.GLLight());
        }
        glEnable(GL_BLEND);
        glBlendColor(0.0f, 0.0f, 0.0f, std::clamp(scene.ShadowOpacity(), 0.0f, 1.0f));
        glBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA);
        plane.Draw(COGLObject::kDrawMaterial);
        glDepthMask(GL_FALSE);
        glDisable(GL_BLEND);
        if (light.HasGLLight() && light.IsEnabled()) {
            glEnable(light.GLLight());
        }
    } else {
        // Opaque black, unlit: one quad over the pane, kept to the outline. (A
        // quad costs the software renderer far less than the receiver's own
        // finely divided faces drawn once more.)
        glDisable(GL_BLEND);
        glDisable(GL_FOG);
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        const std::array<GLint, 4> bounds = WindowBounds(plane);
        glEnable(GL_SCISSOR_TEST);
        glScissor(bounds[0], bounds[1], bounds[2], bounds[3]);
        PushPaneMatrices();
        glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
        PopPaneMatrices();
        glDisable(GL_SCISSOR_TEST);
    }
}

// The stencil buffer is cleared once per frame (by the view's paint); each
// receiver marks its pixels with a value of its own, so no receiver sees another's.
void DrawShadows(COGLScene& scene, const std::vector<COGLObject*>& sorted) {
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT |
                 GL_POLYGON_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_TRANSFORM_BIT | GL_SCISSOR_BIT);
    glEnable(GL_STENCIL_TEST);
    glStencilMask(0xFF);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const bool blended = scene.ShadowBlending();
    GLint mark = 1;
    for (COGLObject* plane : scene.ShadowPlanes()) {
        if (plane == nullptr || !plane->IsVisible()) {
            continue;
        }
        const auto equation = WorldPlaneOf(*plane);
        if (!equation) {
            continue;
        }
        std::vector<COGLObject*> candidates;
        for (COGLObject* object : sorted) {
            if (object != plane && object->IsVisible()) {
                candidates.push_back(object);
            }
        }
        for (COGLLight* light : scene.ShadowLights()) {
            if (light != nullptr && light->IsEnabled()) {
                DrawShadow(scene, *plane, *equation, *light, candidates, blended, mark);
            }
        }
        mark += 2;
    }
    glPopAttrib();
}

// The texels of the background's base level as RGBA, bottom row first.
bool ReadTexels(const COGLTexture2D& texture, int& width, int& height, std::vector<std::uint8_t>& texels) {
    glBindTexture(GL_TEXTURE_2D, texture.GLName());
    GLint w = 0;
    GLint h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    if (w <= 0 || h <= 0) {
        return false;
    }
    width = w;
    height = h;
    texels.assign(std::size_t(w) * std::size_t(h) * 4, 0);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glPopClientAttrib();
    return true;
}

// Nearest-texel stretch to exactly width x height.
void Stretch(const std::vector<std::uint8_t>& source, int sourceWidth, int sourceHeight, int width, int height,
             BackgroundBitmap& target) {
    target.width = width;
    target.height = height;
    target.pixels.assign(std::size_t(width) * std::size_t(height) * 4, 0);
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>(std::int64_t(y) * sourceHeight / height);
        for (int x = 0; x < width; ++x) {
            const int sx = static_cast<int>(std::int64_t(x) * sourceWidth / width);
            const std::uint8_t* from = source.data() + (std::size_t(sy) * std::size_t(sourceWidth) + std::size_t(sx)) * 4;
            std::uint8_t* to = target.pixels.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
            std::copy(from, from + 4, to);
        }
    }
}

void DrawPixelsAtPaneCorner(int width, int height, const std::uint8_t* rgba, float zoomX, float zoomY) {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glRasterPos2f(-1.0f, -1.0f);
    glPixelZoom(zoomX, zoomY);
    glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glPixelZoom(1.0f, 1.0f);
    glPopClientAttrib();
}
}  // namespace

Vector3 CurrentViewerPosition() {
    Matrix4 modelview;
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview.Data());
    if (!modelview.Invert()) {
        return {};
    }
    return modelview.TransformPoint({0.0f, 0.0f, 0.0f});
}

std::vector<COGLObject*> ObjectsFarthestFirst(const COGLScene& scene, const Vector3& viewer) {
    struct Entry {
        float distance;
        COGLObject* object;
    };
    std::vector<Entry> entries;
    entries.reserve(scene.Objects().size());
    for (const auto& object : scene.Objects()) {
        const Vector3 d = object->Position() - viewer;
        entries.push_back({d.Dot(d), object.get()});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.distance > b.distance; });
    std::vector<COGLObject*> sorted;
    sorted.reserve(entries.size());
    for (const Entry& entry : entries) {
        sorted.push_back(entry.object);
    }
    return sorted;
}

std::optional<std::array<float, 4>> WorldPlaneOf(const COGLObject& object) {
    const auto* plane = dynamic_cast<const COGLPlane*>(&object);
    if (plane == nullptr) {
        return std::nullopt;
    }
    Vector3 normal = object.Orientation().ToMatrix().TransformVector(plane->FaceNormal());
    if (!normal.Normalize()) {
        return std::nullopt;
    }
    const Vector3& p = object.Position();
    return std::array<float, 4>{normal.x, normal.y, normal.z, -normal.Dot(p)};
}

void ApplySceneFog(const RendererSettings& settings, double nearPlane, double farPlane) {
    if (settings.fogEnabled == 0) {
        return;
    }
    static constexpr GLint kModes[3] = {GL_EXP, GL_EXP2, GL_LINEAR};
    const GLint mode = settings.fogMode >= 0 && settings.fogMode < 3 ? kModes[settings.fogMode] : GL_EXP;
    const double range = farPlane - nearPlane;
    const float color[4] = {settings.fogColor[0], settings.fogColor[1], settings.fogColor[2], 1.0f};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, mode);
    glFogf(GL_FOG_DENSITY, std::max(settings.fogDensity, 0.0f));
    glFogf(GL_FOG_START, static_cast<float>(nearPlane + settings.fogStart * range));
    glFogf(GL_FOG_END, static_cast<float>(nearPlane + settings.fogEnd * range));
    glFogfv(GL_FOG_COLOR, color);
}

void RenderScene(COGLScene& scene, const SceneRenderOptions& options) {
    const DisplayModeInfo* mode = FindDisplayMode(options.displayMode);
    if (mode == nullptr) {
        mode = FindDisplayMode(kDisplayModeShaded);
    }
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_FOG_BIT | GL_COLOR_BUFFER_BIT |
                 GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT);
    ApplySceneFog(scene.Renderer(), options.nearPlane, options.farPlane);
    glColor3fv(kMarkerColor);
    ApplyLights(scene);

    SceneBackdrop* backdrop = IsFilledMode(*mode) ? scene.Backdrop() : nullptr;
    if (backdrop != nullptr) {
        backdrop->Draw(SceneBackdrop::Pass::Opaque);
    } else if (scene.Backdrop() != nullptr) {
        DrawBackdropOutline(*scene.Backdrop());
    }
    const std::vector<COGLObject*> sorted = ObjectsFarthestFirst(scene, CurrentViewerPosition());
    COGLObject* selected = scene.Selected();
    for (COGLObject* object : sorted) {
        DrawObject(*object, mode->lighting, options.fast && object == selected);
    }
    if (backdrop != nullptr) {
        backdrop->Draw(SceneBackdrop::Pass::Blended);
    }
    if (selected != nullptr && selected->IsVisible()) {
        if (options.highlight && !selected->IsLightMarker()) {
            DrawHighlight(*selected, scene.Renderer().highlightColor, options.fast);
        }
        selected->DrawSelectionBox();
    }
    if (scene.ShadowsEnabled() && IsFilledMode(*mode)) {
        DrawShadows(scene, sorted);
    }
    glPopAttrib();
}

void RenderSceneWireframe(COGLScene& scene, bool fast) {
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    if (scene.Backdrop() != nullptr) {
        DrawBackdropOutline(*scene.Backdrop());
    }
    glColor3fv(kWireMarkerColor);
    ApplyLights(scene);
    COGLObject* selected = scene.Selected();
    for (const auto& object : scene.Objects()) {
        glColor3f(0.0f, 0.0f, 0.0f);
        object->Draw(fast && object.get() == selected ? COGLObject::kDrawAlternate : 0);
    }
    if (selected != nullptr) {
        selected->DrawSelectionBox();
    }
    glPopAttrib();
}

void DrawScenePickPass(COGLScene& scene) {
    for (const auto& object : scene.Objects()) {
        object->DrawPickPass();
    }
    for (const auto& light : scene.Lights()) {
        light->DrawForPicking();
    }
}

void FillPane(const PaneRect& pane, float red, float green, float blue, float alpha) {
    if (pane.width <= 0 || pane.height <= 0) {
        return;
    }
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(pane.x, pane.y, pane.width, pane.height);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(red, green, blue, alpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
}

void DrawSceneBackground(COGLScene& scene, const PaneRect& pane) {
    COGLTexture2D* texture = scene.Background();
    if (!scene.BackgroundValid() || texture == nullptr || !texture->IsBound() || pane.width <= 0 ||
        pane.height <= 0) {
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT |
                 GL_PIXEL_MODE_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    PushPaneMatrices();
    switch (scene.BackgroundMode()) {
        case 1: {
            int width = 0;
            int height = 0;
            std::vector<std::uint8_t> texels;
            if (ReadTexels(*texture, width, height, texels)) {
                DrawPixelsAtPaneCorner(width, height, texels.data(), float(pane.width) / float(width),
                                       float(pane.height) / float(height));
            }
            break;
        }
        case 2: {
            BackgroundBitmap& bitmap = scene.StretchedBackground();
            if (bitmap.IsEmpty() || bitmap.width != pane.width || bitmap.height != pane.height) {
                int width = 0;
                int height = 0;
                std::vector<std::uint8_t> texels;
                bitmap = {};
                if (ReadTexels(*texture, width, height, texels)) {
                    Stretch(texels, width, height, pane.width, pane.height, bitmap);
                }
            }
            if (!bitmap.IsEmpty()) {
                DrawPixelsAtPaneCorner(bitmap.width, bitmap.height, bitmap.pixels.data(), 1.0f, 1.0f);
            }
            break;
        }
        default: {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture->GLName());
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
            glMatrixMode(GL_TEXTURE);
            glPushMatrix();
            glLoadIdentity();
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            glBegin(GL_QUADS);
            glTexCoord2f(0.0f, 0.0f);
            glVertex2f(-1.0f, -1.0f);
            glTexCoord2f(1.0f, 0.0f);
            glVertex2f(1.0f, -1.0f);
            glTexCoord2f(1.0f, 1.0f);
            glVertex2f(1.0f, 1.0f);
            glTexCoord2f(0.0f, 1.0f);
            glVertex2f(-1.0f, 1.0f);
            glEnd();
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            break;
        }
    }
    PopPaneMatrices();
    glPopAttrib();
}
