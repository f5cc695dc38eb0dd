#include "export/ModelExport.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "math/Matrix4.h"
#include "math/Quaternion.h"
#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "models/sprite/COGLSprite.h"
#include "platform/Host.h"
#include "scene/COGLObject.h"
#include "scene/Geometry.h"

namespace {
using Corner = RecordingGeometrySink::RecordedVertex;

// Frames times triangle corners gathered at the most: 2^23 (256 MiB of corners),
// sixteen times a 512-frame model of 1,000 triangles.
constexpr std::size_t kMostCornerFrames = std::size_t(1) << 23;

// The corners of what a sink recorded, three per triangle, in the order GL
// would make them front-facing; `reverse` turns clockwise fronts around.
std::vector<Corner> Triangles(const RecordingGeometrySink& sink, bool reverse) {
    std::vector<Corner> out;
    const auto add = [&](const std::vector<Corner>& v, std::size_t a, std::size_t b, std::size_t c) {
        out.push_back(v[a]);
        out.push_back(reverse ? v[c] : v[b]);
        out.push_back(reverse ? v[b] : v[c]);
    };
    for (const auto& primitive : sink.Primitives()) {
        const auto& v = primitive.vertices;
        const std::size_t n = v.size();
        switch (primitive.mode) {
            case GL_TRIANGLES:
                for (std::size_t i = 0; i + 2 < n; i += 3) {
                    add(v, i, i + 1, i + 2);
                }
                break;
            case GL_TRIANGLE_STRIP:
                for (std::size_t i = 2; i < n; ++i) {
                    if (i % 2 == 0) {
                        add(v, i - 2, i - 1, i);
                    } else {
                        add(v, i - 1, i - 2, i);
                    }
                }
                break;
            case GL_TRIANGLE_FAN:
            case GL_POLYGON:
                for (std::size_t i = 2; i < n; ++i) {
                    add(v, 0, i - 1, i);
                }
                break;
            case GL_QUADS:
                for (std::size_t i = 0; i + 3 < n; i += 4) {
                    add(v, i, i + 1, i + 2);
                    add(v, i, i + 2, i + 3);
                }
                break;
            case GL_QUAD_STRIP:
                for (std::size_t i = 0; i + 3 < n; i += 2) {
                    add(v, i, i + 1, i + 3);
                    add(v, i, i + 3, i + 2);
                }
                break;
            default:
                break;  // points and lines have no surface
        }
    }
    return out;
}

void Put(std::vector<float>& to, const Vector3& v) {
    to.push_back(v.x);
    to.push_back(v.y);
    to.push_back(v.z);
}

std::uint64_t Mix(std::uint64_t hash, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    return hash;
}
}  // namespace

ExportImage ImageOfTexture(const COGLTexture2D& texture, bool nearest) {
    ExportImage image;
    image.name = !texture.Name().empty() ? texture.Name() : texture.Path();
    image.nearest = nearest;
    const COGLImage* source = texture.Image();
    if (source != nullptr && source->HasPixels()) {
        // Not uploaded yet: the pixels GL will get.
        const int channels = source->BytesPerPixel();
        const std::size_t pixels = std::size_t(source->Width()) * std::size_t(source->Height());
        if (source->Width() <= 0 || source->Height() <= 0 ||
            source->Pixels().size() < pixels * static_cast<std::size_t>(channels)) {
            return image;
        }
        image.width = source->Width();
        image.height = source->Height();
        image.rgba.resize(pixels * 4);
        const std::uint8_t* from = source->Pixels().data();
        const bool bgr = source->IsBgrOrder();
        for (std::size_t i = 0; i < pixels; ++i, from += channels) {
            std::uint8_t* to = image.rgba.data() + i * 4;
            to[0] = bgr ? from[2] : from[0];
            to[1] = from[1];
            to[2] = bgr ? from[0] : from[2];
            to[3] = channels == 4 ? from[3] : 255;
        }
        return image;
    }
    if (!texture.IsBound()) {
        return image;
    }
    // An uploaded texture keeps its pixels only in GL: read them back, exactly
    // as they are drawn.
    GetHost().MakeViewContextCurrent();
    glBindTexture(GL_TEXTURE_2D, texture.GLName());
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        return image;
    }
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    glPopClientAttrib();
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
}

ExportMaterial MaterialOf(const COGLObject& object) {
    ExportMaterial material;
    material.name = object.Name();
    const ColorRGBA& diffuse = object.Diffuse();
    material.baseColor = {std::clamp(diffuse.red, 0.0f, 1.0f), std::clamp(diffuse.green, 0.0f, 1.0f),
                          std::clamp(diffuse.blue, 0.0f, 1.0f),
                          object.IsTransparent() ? std::clamp(diffuse.alpha, 0.0f, 1.0f) : 1.0f};
    const ColorRGBA& emission = object.Emission();
    material.emissive = {std::clamp(emission.red, 0.0f, 1.0f), std::clamp(emission.green, 0.0f, 1.0f),
                         std::clamp(emission.blue, 0.0f, 1.0f)};
    // A shiny highlight needs both a specular colour and a high exponent; a
    // matte surface is fully rough.
    const ColorRGBA& specular = object.Specular();
    const float strength = std::clamp(std::max({specular.red, specular.green, specular.blue}), 0.0f, 1.0f);
    const float sharpness = std::clamp(object.Shininess() / 128.0f, 0.0f, 1.0f);
    material.roughness = 1.0f - 0.8f * strength * std::sqrt(sharpness);
    material.blend = object.IsTransparent();
    return material;
}

ExportPlacement PlacementOf(const COGLObject& object) {
    ExportPlacement placement;
    const Vector3& p = object.Position();
    placement.translation = {p.x, p.y, p.z};
    const Quaternion& q = object.Orientation();
    placement.rotation = {q.x, q.y, q.z, q.w};
    const Vector3 s = object.GetScale();
    placement.scale = {s.x, s.y, s.z};
    return placement;
}

std::vector<MorphClip> ClipsOf(const COGLModel& model, const std::string& only) {
    std::vector<MorphClip> clips;
    for (const auto& animation : model.Animations()) {
        if (only.empty() || animation->name == only) {
            clips.push_back({animation->name, animation.get(), animation->frameCount});
        }
    }
    return clips;
}

bool GatherMorphModel(COGLModel& model, const std::vector<MorphClip>& clips, MorphModelExport& out,
                      std::string& error) {
    out = MorphModelExport{};
    if (model.Animations().empty()) {
        error = "the model has no frames";
        return false;
    }
    const ModelAnimation& still = *model.Animations().front();
    // Every frame's corners, in the walk's order (the same for every frame).
    std::vector<std::vector<Corner>> frames;
    std::vector<std::uint64_t> frameHashes;
    std::size_t corners = 0;
    bool tooLarge = false;
    const auto walk = [&](const ModelAnimation& animation, int frame) -> int {
        RecordingGeometrySink sink;
        if (!model.EmitFrame(animation, frame, sink)) {
            return -1;
        }
        std::vector<Corner> triangles = Triangles(sink, true);  // models face clockwise
        if (frames.empty()) {
            corners = triangles.size();
        }
        if (triangles.empty() || triangles.size() != corners) {
            return -1;
        }
        // Clips may share frames (the whole-table clip repeats every other one):
        // each frame becomes one morph target however often it plays.
        const std::uint64_t hash = Mix(1469598103934665603ull, triangles.data(), triangles.size() * sizeof(Corner));
        for (std::size_t f = 0; f < frames.size(); ++f) {
            if (frameHashes[f] == hash &&
                std::memcmp(frames[f].data(), triangles.data(), triangles.size() * sizeof(Corner)) == 0) {
                return static_cast<int>(f);
            }
        }
        if ((frames.size() + 1) * corners > kMostCornerFrames) {
            tooLarge = true;
            return -1;
        }
        frames.push_back(std::move(triangles));
        frameHashes.push_back(hash);
        return static_cast<int>(frames.size() - 1);
    };
    int stillFrame = -1;
    for (const MorphClip& clip : clips) {
        MorphModelExport::Animation animation{clip.name, {}};
        for (int f = 0; f < clip.frameCount; ++f) {
            int index = -1;
            if (clip.animation != nullptr) {
                index = walk(*clip.animation, f);
            } else {
                if (stillFrame < 0) {
                    stillFrame = walk(still, 0);
                }
                index = stillFrame;
            }
            if (index < 0) {
                animation.frames.clear();
                break;  // a clip whose frames cannot be read is left out whole
            }
            animation.frames.push_back(index);
        }
        if (!animation.frames.empty()) {
            out.animations.push_back(std::move(animation));
        }
    }
    if (tooLarge) {
        // A hostile file can name far more frames and corners than any game
        // model has; gathering them all would take gigabytes.
        error = "the model has too many frames and triangles to export";
        return false;
    }
    if (frames.empty() && walk(still, 0) < 0) {
        error = "the model has nothing to draw";
        return false;
    }

    // Weld the corners that agree in every frame (and in their coordinates).
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> byHash;
    std::vector<std::size_t> firstCorner;  // per vertex, a corner that made it
    const auto same = [&](std::size_t a, std::size_t b) {
        for (const auto& frame : frames) {
            if (std::memcmp(&frame[a], &frame[b], sizeof(Corner)) != 0) {
                return false;
            }
        }
        return true;
    };
    out.positions.resize(frames.size());
    out.normals.resize(frames.size());
    for (std::size_t c = 0; c < corners; ++c) {
        std::uint64_t hash = 1469598103934665603ull;
        for (const auto& frame : frames) {
            hash = Mix(hash, &frame[c], sizeof(Corner));
        }
        auto& bucket = byHash[hash];
        std::uint32_t vertex = 0;
        const auto found = std::find_if(bucket.begin(), bucket.end(),
                                        [&](std::uint32_t v) { return same(firstCorner[v], c); });
        if (found != bucket.end()) {
            vertex = *found;
        } else {
            vertex = static_cast<std::uint32_t>(firstCorner.size());
            firstCorner.push_back(c);
            bucket.push_back(vertex);
            out.texcoords.push_back(frames[0][c].s);
            out.texcoords.push_back(frames[0][c].t);
            for (std::size_t f = 0; f < frames.size(); ++f) {
                Put(out.positions[f], frames[f][c].position);
                Put(out.normals[f], frames[f][c].normal);
            }
        }
        out.indices.push_back(vertex);
    }
    return true;
}

namespace {
void PutCorners(const std::vector<Corner>& corners, StaticMeshExport& out) {
    for (std::size_t c = 0; c < corners.size(); ++c) {
        Put(out.positions, corners[c].position);
        Put(out.normals, corners[c].normal);
        out.texcoords.push_back(corners[c].s);
        out.texcoords.push_back(corners[c].t);
        out.indices.push_back(static_cast<std::uint32_t>(out.indices.size()));
    }
}

void PutImage(const COGLTexture2D* texture, bool nearest, ExportImage::Blend blend, StaticMeshExport& out) {
    if (texture == nullptr) {
        return;
    }
    ExportImage image = ImageOfTexture(*texture, nearest);
    if (!image.rgba.empty()) {
        image.blend = blend;
        out.images.push_back(std::move(image));
        out.image = 0;
    }
}
}  // namespace

bool GatherSprite(const COGLSprite& sprite, bool nearest, StaticMeshExport& out) {
    out = StaticMeshExport{};
    RecordingGeometrySink sink;
    sprite.EmitQuad(sink);
    const std::vector<Corner> corners = Triangles(sink, false);
    if (corners.empty()) {
        return false;
    }
    PutCorners(corners, out);
    const std::vector<COGLTexture2D*> pictures = sprite.FrameTextures();
    const int shown = sprite.FrameIndex() >= 0 && sprite.FrameIndex() < static_cast<int>(pictures.size())
                          ? sprite.FrameIndex()
                          : 0;
    // Drawing adds additive pictures, blends index-alpha ones and alpha-tests the rest.
    const SpriteTextureFormat format = sprite.TextureFormat();
    const ExportImage::Blend blend = format == SpriteTextureFormat::Additive     ? ExportImage::Blend::Additive
                                     : format == SpriteTextureFormat::IndexAlpha ? ExportImage::Blend::Opaque
                                                                                 : ExportImage::Blend::Mask;
    PutImage(pictures.empty() ? nullptr : pictures[static_cast<std::size_t>(shown)], nearest, blend, out);
    return true;
}

bool GatherStaticMesh(const COGLObject& object, bool nearest, StaticMeshExport& out) {
    out = StaticMeshExport{};
    RecordingGeometrySink sink;
    object.EmitGeometry(sink, GeometryDetail::Full);
    std::vector<Corner> corners = Triangles(sink, false);
    if (corners.empty()) {
        return false;
    }
    // The object's texture matrix moves its coordinates as drawing does.
    const Vector3& move = object.TextureTranslation();
    const Vector3& turn = object.TextureRotation();
    const Vector3& stretch = object.TextureScale();
    const Quaternion rotation = Quaternion::FromAxisAngle({1, 0, 0}, turn.x) *
                                Quaternion::FromAxisAngle({0, 1, 0}, turn.y) *
                                Quaternion::FromAxisAngle({0, 0, 1}, turn.z);
    const Matrix4 turning = rotation.ToMatrix();
    for (Corner& corner : corners) {
        const Vector3 st = turning.TransformVector({corner.s * stretch.x, corner.t * stretch.y, 0.0f}) + move;
        corner.s = st.x;
        corner.t = st.y;
    }
    PutCorners(corners, out);
    PutImage(object.Texture(), nearest, ExportImage::Blend::Opaque, out);
    return true;
}
