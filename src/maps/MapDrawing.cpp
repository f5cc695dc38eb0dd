#include "maps/MapDrawing.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <tuple>

#include "maps/MapCells.h"
#include "maps/MapCoordinates.h"
#include "math/Matrix4.h"
#include "platform/GLContext.h"
#include "platform/Host.h"

namespace {
constexpr int kFloatsPerVertex = 7;
// A face without a lightmap (sky, liquids) is drawn at the texture's own colours:
// half of full scale, doubled by the lightmap unit's scale.
constexpr std::uint8_t kUnlitLuxel = 128;
// The luxel every unlit face samples, at the first page's corner.
constexpr int kUnlitSize = 1;
// The checker of a missing picture: 8 x 8 texels of two greys, 64 texels across.
constexpr int kCheckerSide = 64;
constexpr int kCheckerSquare = 8;
// Drawn where a liquid does not say how translucent it is.
constexpr float kLiquidAlpha = 0.6f;
// The sky box's half side around the eye, within any depth range the panes use.
constexpr float kSkyBoxHalf = 1.0f;
// Batches are cut into regions this many map units square.
constexpr float kRegionSide = 1024.0f;
// The games' ripple: each coordinate swings by 8 texels with the other one, a
// sine of period 2 pi x 8 texels, moving a radian a second.
constexpr float kRippleTexels = 8.0f;
constexpr float kRippleLength = 8.0f;
// Flowing faces scroll towards -s: liquids half a 64-texel picture a second, other
// faces 1.6 of their pictures a second.
constexpr double kLiquidFlowTexels = 32.0;
constexpr double kFlowPictures = 1.6;

// The region a coordinate falls in; faces far beyond any real map (a damaged
// file's) share the outermost regions.
int RegionOf(float coordinate) {
    constexpr float kOutermost = 1 << 20;
    const float region = std::floor(coordinate / kRegionSide);
    return std::isnan(region) ? 0 : static_cast<int>(std::clamp(region, -kOutermost, kOutermost));
}

std::vector<std::uint8_t> CheckerPixels() {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kCheckerSide * kCheckerSide * 4));
    for (int y = 0; y < kCheckerSide; ++y) {
        for (int x = 0; x < kCheckerSide; ++x) {
            const bool light = ((x / kCheckerSquare) + (y / kCheckerSquare)) % 2 == 0;
            std::uint8_t* p = &rgba[static_cast<std::size_t>((y * kCheckerSide + x) * 4)];
            p[0] = p[1] = p[2] = light ? 160 : 96;
            p[3] = 255;
        }
    }
    return rgba;
}

unsigned UploadPicture(int width, int height, const std::uint8_t* rgba, bool repeat) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (repeat) {
        // Faces' pictures are seen far off across a map: mipmaps keep them from
        // shimmering, and the software renderer reads far fewer texels.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    }
    return name;
}

// The eye in the world under the current modelview matrix, and where it looks.
Vector3 EyeOfModelview(Vector3* forward = nullptr) {
    Matrix4 inverse;
    glGetDoublev(GL_MODELVIEW_MATRIX, inverse.Data());
    inverse.Invert();
    if (forward != nullptr) {
        *forward = inverse.TransformVector({0.0f, 0.0f, -1.0f});
    }
    return inverse.TransformPoint({});
}

// The sky box's sides in kMapSkySides order (rt, bk, lf, ft, up, dn) in the game's
// axes: ft looks along +X (a yaw of 0), lf to +Y, rt to -Y, bk to -X. Each side is
// its centre direction, the picture's right and its up, as seen from inside.
struct SkySide {
    Vector3 centre;
    Vector3 right;
    Vector3 up;
};
constexpr std::array<SkySide, 6> kSkySides{{
    {{0, -1, 0}, {-1, 0, 0}, {0, 0, 1}},  // rt
    {{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}},   // bk
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},    // lf
    {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}},   // ft
    {{0, 0, 1}, {0, -1, 0}, {-1, 0, 0}},  // up
    {{0, 0, -1}, {0, -1, 0}, {1, 0, 0}},  // dn
}};
}  // namespace

MapDrawing::MapDrawing(std::shared_ptr<const MapData> map, MapPictures pictures)
    : m_map(std::move(map)), m_pictures(std::move(pictures)) {
    m_pictures.textures.resize(m_map->textures.size());
    m_entityOfModel.assign(m_map->models.size(), -1);
    for (const MapEntity& entity : m_map->entities) {
        const int model = m_map->BrushModelOf(entity);
        if (model > 0 && m_entityOfModel[static_cast<std::size_t>(model)] < 0) {
            m_entityOfModel[static_cast<std::size_t>(model)] = static_cast<int>(m_brushEntities.size());
            m_brushEntities.push_back({entity.Value("classname") + " *" + std::to_string(model), model});
        }
    }
    PackLightmaps();
    BuildBatches();
}

MapDrawing::~MapDrawing() { ReleaseGL(); }

void MapDrawing::ReleaseGL() {
    if (!m_uploaded) {
        return;
    }
    GetHost().MakeViewContextCurrent();
    if (HasCurrentGLContext()) {
        const auto drop = [](std::vector<unsigned>& names) {
            if (!names.empty()) {
                glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
            }
            names.clear();
        };
        drop(m_textureNames);
        drop(m_pageNames);
        glDeleteTextures(static_cast<GLsizei>(m_skyNames.size()), m_skyNames.data());
    }
    m_skyNames = {};
    m_uploaded = false;
}

// Shelves fill each page row by row; a lightmap is at most 18 luxels a side, so
// pages run full long before space is wasted.
void MapDrawing::PackLightmaps() {
    const MapData& map = *m_map;
    m_places.assign(map.faces.size(), {});
    const auto newPage = [this] {
        Page page;
        page.luxels.assign(static_cast<std::size_t>(kAtlasSize * kAtlasSize * 3), kUnlitLuxel);
        page.shelfX = m_pages.empty() ? kUnlitSize : 0;
        m_pages.push_back(std::move(page));
    };
    newPage();
    const std::size_t luxelBytes = map.greyLighting ? 1 : 3;
    for (std::size_t i = 0; i < map.faces.size(); ++i) {
        const MapFace& face = map.faces[i];
        const int w = face.lightWidth;
        const int h = face.lightHeight;
        if (!face.HasLightmap() || w <= 0 || h <= 0 || w > kAtlasSize || h > kAtlasSize) {
            continue;
        }
        const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * luxelBytes;
        const auto offset = static_cast<std::size_t>(face.lightOffset);
        if (offset > map.lighting.size() || bytes > map.lighting.size() - offset) {
            continue;  // the reader checked it; a face that still does not fit stays unlit
        }
        Page* page = &m_pages.back();
        if (page->shelfX + w > kAtlasSize) {
            page->shelfY += page->shelfHeight;
            page->shelfX = 0;
            page->shelfHeight = 0;
        }
        if (page->shelfY + h > kAtlasSize) {
            newPage();
            page = &m_pages.back();
        }
        AtlasPlace& place = m_places[i];
        place = {static_cast<int>(m_pages.size()) - 1, page->shelfX, page->shelfY};
        const std::uint8_t* source = map.lighting.data() + offset;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                std::uint8_t* out =
                    &page->luxels[(static_cast<std::size_t>(place.y + y) * kAtlasSize + static_cast<std::size_t>(place.x + x)) * 3];
                const std::uint8_t* in = source + (static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * luxelBytes;
                out[0] = in[0];
                out[1] = in[luxelBytes == 1 ? 0 : 1];
                out[2] = in[luxelBytes == 1 ? 0 : 2];
            }
        }
        page->shelfX += w;
        page->shelfHeight = std::max(page->shelfHeight, h);
    }
}

float MapDrawing::Opacity(std::uint32_t flags) {
    if ((flags & map_surface::kSky) != 0) {
        return 1.0f;
    }
    return (flags & map_surface::kTranslucent33) != 0 ? 0.33f
           : (flags & map_surface::kTranslucent66) != 0 ? 0.66f
           : (flags & map_surface::kLiquid) != 0        ? kLiquidAlpha
                                                        : 1.0f;
}

void MapDrawing::BuildBatches() {
    const MapData& map = *m_map;
    // kind, model, texture, page, motion, region
    std::map<std::tuple<int, int, int, int, std::uint8_t, int, int>, std::size_t> batchOf;
    constexpr float kAtlasScale = 1.0f / static_cast<float>(kAtlasSize);
    m_firstVertexOf.assign(map.faces.size(), {-1, 0});
    std::size_t cellBudget = kMostLiquidCuts;
    for (std::size_t i = 0; i < map.faces.size(); ++i) {
        const MapFace& face = map.faces[i];
        if ((face.flags & map_surface::kNoDraw) != 0 || face.texture < 0 ||
            face.texture >= static_cast<int>(map.textures.size()) || face.vertexCount < 3) {
            continue;
        }
        Kind kind = Kind::Opaque;
        const float alpha = Opacity(face.flags);
        if ((face.flags & map_surface::kSky) != 0) {
            kind = Kind::Sky;
        } else if (alpha < 1.0f) {
            kind = Kind::Blended;
        } else if ((face.flags & map_surface::kMasked) != 0) {
            kind = Kind::Masked;
        }
        const AtlasPlace& place = m_places[i];
        const int page = place.page >= 0 ? place.page : 0;
        const Vector3& first = map.vertices[face.firstVertex].position;
        const std::uint8_t motion = static_cast<std::uint8_t>(
            ((face.flags & map_surface::kLiquid) != 0 ? kRipples : 0) | ((face.flags & map_surface::kFlowing) != 0 ? kFlows : 0));
        const auto key = std::make_tuple(static_cast<int>(kind), face.model, face.texture, page, motion,
                                         RegionOf(first.x), RegionOf(first.y));
        auto [it, added] = batchOf.try_emplace(key, m_batches.size());
        if (added) {
            const Vector3 p = MapToScene(first);
            Batch& batch = m_batches.emplace_back();
            batch.kind = kind;
            batch.model = face.model;
            batch.texture = face.texture;
            batch.page = page;
            batch.alpha = alpha;
            batch.motion = motion;
            batch.lo = batch.hi = p;
        }
        const std::size_t batchIndex = it->second;
        Batch& batch = m_batches[batchIndex];
        const MapTexture& texture = map.textures[static_cast<std::size_t>(face.texture)];
        const MapPicture& picture = m_pictures.textures[static_cast<std::size_t>(face.texture)];
        const float width = static_cast<float>(picture.HasPixels() ? picture.width : texture.width > 0 ? texture.width : kCheckerSide);
        const float height = static_cast<float>(picture.HasPixels() ? picture.height : texture.height > 0 ? texture.height : kCheckerSide);
        batch.pictureWidth = width;
        batch.pictureHeight = height;
        const std::span<const MapVertex> polygon = map.Vertices(face);
        // Fans wound counter-clockwise seen from the side the face looks at, so the
        // back faces can be culled whatever winding the compiler wrote.
        const Vector3 e1 = polygon[1].position - polygon[0].position;
        const Vector3 e2 = polygon[2].position - polygon[0].position;
        const bool reversed = e1.Cross(e2).Dot(face.normal) < 0.0f;
        const auto emit = [&](const MapVertex& v) {
            if (m_firstVertexOf[i].first < 0 && v.position == polygon[0].position) {
                m_firstVertexOf[i] = {static_cast<int>(batchIndex), batch.vertices.size() / kFloatsPerVertex};
            }
            const Vector3 p = MapToScene(v.position);
            batch.lo = {std::min(batch.lo.x, p.x), std::min(batch.lo.y, p.y), std::min(batch.lo.z, p.z)};
            batch.hi = {std::max(batch.hi.x, p.x), std::max(batch.hi.y, p.y), std::max(batch.hi.z, p.z)};
            float lightS = kUnlitSize * 0.5f * kAtlasScale;
            float lightT = lightS;
            if (place.page >= 0) {
                lightS = (static_cast<float>(place.x) + v.lightS) * kAtlasScale;
                lightT = (static_cast<float>(place.y) + v.lightT) * kAtlasScale;
            }
            batch.vertices.insert(batch.vertices.end(), {p.x, p.y, p.z, v.s / width, v.t / height, lightS, lightT});
            if (motion != 0) {
                batch.texels.insert(batch.texels.end(), {v.s, v.t});
            }
        };
        const auto fan = [&](std::span<const MapVertex> piece) {
            for (std::size_t k = 1; k + 1 < piece.size(); ++k) {
                emit(piece[0]);
                emit(piece[reversed ? k + 1 : k]);
                emit(piece[reversed ? k : k + 1]);
            }
        };
        if ((motion & kRipples) != 0) {
            for (const std::vector<MapVertex>& cell : CutIntoCells(polygon, cellBudget)) {
                fan(cell);
            }
        } else {
            fan(polygon);
        }
    }
    Animate();
}

void MapDrawing::Animate() {
    if (m_time == m_animatedTime) {
        return;
    }
    m_animatedTime = m_time;
    const float phase = static_cast<float>(std::fmod(m_time, 2.0 * std::numbers::pi));
    for (Batch& batch : m_batches) {
        if (batch.motion == 0) {
            continue;
        }
        const double flowTexels = (batch.motion & kRipples) != 0 ? kLiquidFlowTexels : kFlowPictures * batch.pictureWidth;
        // Whole pictures dropped, so the scroll stays small however long it plays.
        const float scroll = (batch.motion & kFlows) != 0
                                 ? static_cast<float>(std::fmod(m_time * flowTexels, static_cast<double>(batch.pictureWidth)))
                                 : 0.0f;
        const std::size_t count = std::min(batch.texels.size() / 2, batch.vertices.size() / kFloatsPerVertex);
        for (std::size_t k = 0; k < count; ++k) {
            float s = batch.texels[2 * k];
            float t = batch.texels[2 * k + 1];
            if ((batch.motion & kRipples) != 0) {
                const float s0 = s;
                s += kRippleTexels * std::sin(t / kRippleLength + phase);
                t += kRippleTexels * std::sin(s0 / kRippleLength + phase);
            }
            batch.vertices[k * kFloatsPerVertex + 3] = (s - scroll) / batch.pictureWidth;
            batch.vertices[k * kFloatsPerVertex + 4] = t / batch.pictureHeight;
        }
    }
}

std::size_t MapDrawing::TriangleCount() const {
    std::size_t vertices = 0;
    for (const Batch& batch : m_batches) {
        vertices += batch.vertices.size() / kFloatsPerVertex;
    }
    return vertices / 3;
}

std::optional<std::array<float, 2>> MapDrawing::FirstCornerPictureCoordinates(std::size_t face) const {
    if (face >= m_firstVertexOf.size() || m_firstVertexOf[face].first < 0) {
        return std::nullopt;
    }
    const auto [batch, vertex] = m_firstVertexOf[face];
    const float* v = &m_batches[static_cast<std::size_t>(batch)].vertices[vertex * kFloatsPerVertex];
    return std::array<float, 2>{v[3], v[4]};
}

void MapDrawing::UploadPages(float brightness) {
    // The brightness is baked into the pages at half, since the lightmap unit
    // doubles what it gives (the games' overbright 2 is the pages as stored).
    const float factor = std::clamp(brightness, 0.0f, 8.0f) * 0.5f;
    std::vector<std::uint8_t> scaled;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        const std::vector<std::uint8_t>& luxels = m_pages[i].luxels;
        scaled.resize(luxels.size());
        for (std::size_t k = 0; k < luxels.size(); ++k) {
            scaled[k] = static_cast<std::uint8_t>(std::min(255.0f, std::round(static_cast<float>(luxels[k]) * factor)));
        }
        if (i == 0) {
            scaled[0] = scaled[1] = scaled[2] = kUnlitLuxel;  // unlit faces keep the picture's colours
        }
        glBindTexture(GL_TEXTURE_2D, m_pageNames[i]);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kAtlasSize, kAtlasSize, 0, GL_RGB, GL_UNSIGNED_BYTE, scaled.data());
    }
    m_uploadedBrightness = brightness;
}

void MapDrawing::Upload(const BackdropSettings& settings) {
    if (m_uploaded) {
        if (settings.brightness != m_uploadedBrightness) {
            UploadPages(settings.brightness);
        }
        return;
    }
    const std::vector<std::uint8_t> checker = CheckerPixels();
    m_textureNames.resize(m_pictures.textures.size());
    for (std::size_t i = 0; i < m_pictures.textures.size(); ++i) {
        const MapPicture& picture = m_pictures.textures[i];
        const bool usable = picture.HasPixels() && picture.width > 0 && picture.height > 0 &&
                            picture.rgba.size() >= static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 4;
        m_textureNames[i] = usable ? UploadPicture(picture.width, picture.height, picture.rgba.data(), true)
                                   : UploadPicture(kCheckerSide, kCheckerSide, checker.data(), true);
    }
    m_pageNames.resize(m_pages.size());
    for (unsigned& name : m_pageNames) {
        name = UploadPicture(1, 1, checker.data(), false);
    }
    if (m_pictures.HasSky()) {
        for (std::size_t i = 0; i < m_skyNames.size(); ++i) {
            const MapPicture& side = m_pictures.sky[i];
            const bool usable = side.width > 0 && side.height > 0 &&
                                side.rgba.size() >= static_cast<std::size_t>(side.width) * static_cast<std::size_t>(side.height) * 4;
            m_skyNames[i] = usable ? UploadPicture(side.width, side.height, side.rgba.data(), false)
                                   : UploadPicture(kCheckerSide, kCheckerSide, checker.data(), false);
        }
    }
    m_uploaded = true;
    UploadPages(settings.brightness);
}

bool MapDrawing::ModelShown(int model, const BackdropSettings& settings) const {
    if (model <= 0 || model >= static_cast<int>(m_entityOfModel.size())) {
        return true;
    }
    const int entity = m_entityOfModel[static_cast<std::size_t>(model)];
    return entity < 0 || settings.BrushEntityShown(static_cast<std::size_t>(entity));
}

void MapDrawing::SortForEye() {
    Vector3 forward;
    const Vector3 eye = EyeOfModelview(&forward);
    std::vector<std::pair<float, std::size_t>> near;
    near.reserve(m_batches.size());
    for (std::size_t i = 0; i < m_batches.size(); ++i) {
        const Batch& b = m_batches[i];
        // Behind the eye when every corner is.
        bool ahead = false;
        for (int corner = 0; corner < 8 && !ahead; ++corner) {
            const Vector3 c{(corner & 4) != 0 ? b.hi.x : b.lo.x, (corner & 2) != 0 ? b.hi.y : b.lo.y,
                            (corner & 1) != 0 ? b.hi.z : b.lo.z};
            ahead = (c - eye).Dot(forward) >= 0.0f;
        }
        if (!ahead) {
            continue;
        }
        const Vector3 closest{std::clamp(eye.x, b.lo.x, b.hi.x), std::clamp(eye.y, b.lo.y, b.hi.y),
                              std::clamp(eye.z, b.lo.z, b.hi.z)};
        near.emplace_back((closest - eye).Dot(closest - eye), i);
    }
    std::sort(near.begin(), near.end());
    m_order.clear();
    for (const auto& [distance, index] : near) {
        m_order.push_back(index);
    }
}

void MapDrawing::DrawBatches(Kind kind, const BackdropSettings& settings, bool textured) {
    for (const std::size_t index : m_order) {
        const Batch& batch = m_batches[index];
        if (batch.kind != kind || batch.vertices.empty() || !ModelShown(batch.model, settings)) {
            continue;
        }
        const GLsizei stride = kFloatsPerVertex * sizeof(float);
        const float* v = batch.vertices.data();
        if (textured) {
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, m_textureNames[static_cast<std::size_t>(batch.texture)]);
            glActiveTexture(GL_TEXTURE1);
            glBindTexture(GL_TEXTURE_2D, m_pageNames[static_cast<std::size_t>(batch.page)]);
            glClientActiveTexture(GL_TEXTURE0);
            glTexCoordPointer(2, GL_FLOAT, stride, v + 3);
            glClientActiveTexture(GL_TEXTURE1);
            glTexCoordPointer(2, GL_FLOAT, stride, v + 5);
            glColor4f(1.0f, 1.0f, 1.0f, batch.alpha);
        }
        glVertexPointer(3, GL_FLOAT, stride, v);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(batch.vertices.size() / kFloatsPerVertex));
    }
}

void MapDrawing::DrawSkyBox() {
    const Vector3 eye = EyeOfModelview();
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (std::size_t i = 0; i < kSkySides.size(); ++i) {
        const SkySide& side = kSkySides[i];
        glBindTexture(GL_TEXTURE_2D, m_skyNames[i]);
        glBegin(GL_QUADS);
        // Picture rows run top first: t = 0 is its top edge.
        const std::array<std::array<float, 2>, 4> corners{{{-1, 1}, {1, 1}, {1, -1}, {-1, -1}}};
        for (const auto& c : corners) {
            const Vector3 game = side.centre + side.right * c[0] + side.up * c[1];
            const Vector3 p = eye + MapDirectionToScene(game) * kSkyBoxHalf;
            glTexCoord2f((c[0] + 1.0f) * 0.5f, (1.0f - c[1]) * 0.5f);
            glVertex3f(p.x, p.y, p.z);
        }
        glEnd();
    }
    glPopAttrib();
}

void MapDrawing::DrawOutlines(const BackdropSettings& settings) {
    const MapData& map = *m_map;
    if (m_outlines.empty()) {
        m_outlines.resize(std::max<std::size_t>(map.models.size(), 1));
        for (const MapFace& face : map.faces) {
            if ((face.flags & map_surface::kNoDraw) != 0 || face.vertexCount < 3) {
                continue;
            }
            std::vector<float>& lines =
                m_outlines[face.model >= 0 && static_cast<std::size_t>(face.model) < m_outlines.size()
                               ? static_cast<std::size_t>(face.model)
                               : 0];
            const std::span<const MapVertex> polygon = map.Vertices(face);
            for (std::size_t k = 0; k < polygon.size(); ++k) {
                const Vector3 a = MapToScene(polygon[k].position);
                const Vector3 b = MapToScene(polygon[(k + 1) % polygon.size()].position);
                lines.insert(lines.end(), {a.x, a.y, a.z, b.x, b.y, b.z});
            }
        }
    }
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    // Behind the objects' lines and never cut off by the flat panes' short depth range.
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_DEPTH_CLAMP);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (std::size_t model = 0; model < m_outlines.size(); ++model) {
        const std::vector<float>& lines = m_outlines[model];
        if (!lines.empty() && ModelShown(static_cast<int>(model), settings)) {
            glVertexPointer(3, GL_FLOAT, 0, lines.data());
            glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines.size() / 3));
        }
    }
    glPopClientAttrib();
    glPopAttrib();
}

void MapDrawing::Draw(SceneBackdrop::Pass pass, const BackdropSettings& settings) {
    if (pass == SceneBackdrop::Pass::Outline) {
        DrawOutlines(settings);
        return;
    }
    Upload(settings);
    Animate();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT |
                 GL_POLYGON_BIT | GL_LIGHTING_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (pass == SceneBackdrop::Pass::Opaque) {
        SortForEye();
    }
    if (pass == SceneBackdrop::Pass::Opaque && settings.sky) {
        if (m_pictures.HasSky()) {
            DrawSkyBox();
            // The sky's faces only hide what lies behind them; the box shows there.
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
            glDisable(GL_TEXTURE_2D);
            DrawBatches(Kind::Sky, settings, false);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        } else {
            glDisable(GL_TEXTURE_2D);
            glColor3f(kFlatSkyColor[0], kFlatSkyColor[1], kFlatSkyColor[2]);
            DrawBatches(Kind::Sky, settings, false);
        }
    }
    // Unit 0 the face's picture, unit 1 its lightmap, doubled.
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PREVIOUS);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_PREVIOUS);
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, 2.0f);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
        glClientActiveTexture(unit);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (pass == SceneBackdrop::Pass::Opaque) {
        DrawBatches(Kind::Opaque, settings, true);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
        DrawBatches(Kind::Masked, settings, true);
        glDisable(GL_ALPHA_TEST);
    } else {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        glDisable(GL_CULL_FACE);  // a liquid's surface is seen from below too
        DrawBatches(Kind::Blended, settings, true);
    }
    glClientActiveTexture(GL_TEXTURE0);
    glPopClientAttrib();
    glActiveTexture(GL_TEXTURE0);
    glPopAttrib();
}
