#include "models/halflife/StudioModel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "media/Palette.h"
#include "math/Matrix4.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"

using namespace studio_format;

namespace {
// The model's own lighting of textured meshes: a light from above, in front and
// to one side, an ambient floor and a lambert wrap that keeps the far side readable.
constexpr float kAmbient = 96.0f / 255.0f;
constexpr float kShade = 160.0f / 255.0f;
constexpr float kLambert = 1.5f;
// Flat-shaded textures take one light whatever their normals, as the game gives them.
constexpr float kFlatLight = kAmbient + 0.8f * kShade;
const Vector3 kLightTravel = [] {
    Vector3 v{-0.6f, 0.4f, -1.0f};
    v.Normalize();
    return v;
}();

// Model space (z up, x forward) to drawing space (y up, z towards the viewer).
Vector3 ToDrawing(const Vector3& p) { return {p.y, p.z, p.x}; }

float Shade(const Vector3& normal) {
    float cosine = std::min(normal.Dot(kLightTravel), 1.0f);
    float light = kAmbient + kShade;
    cosine = (cosine + (kLambert - 1.0f)) / kLambert;
    if (cosine > 0.0f) {
        light -= kShade * cosine;
    }
    return std::clamp(light, 0.0f, 1.0f);
}

// The indexed picture mode of a record: masked textures key out their last entry.
int PictureMode(const StudioTexture& record) { return (record.flags & kTextureMasked) != 0 ? 3 : 0; }
}  // namespace

bool MakeStudioPicture(const StudioTexture& record, COGLImage& image) {
    const ConvertedPalette palette = ConvertPalette(record.palette.data(), 3);
    BinaryReader pixels(record.indexes);
    return image.LoadIndexed(pixels, palette.rgb.data(), record.width, record.height, PictureMode(record)) &&
           image.HasPixels();
}

std::string StudioModel::Load(ByteBuffer model, const std::string& modelPath, const StudioCompanionReader& companions,
                              MissingStudioCompanion missing) {
    StudioReadResult read = ReadStudioModel(std::move(model), modelPath, companions, missing);
    if (!read.data) {
        return read.error;
    }
    m_data = std::move(read.data);
    m_textures.assign(m_data->textures.size(), nullptr);
    m_pose = StudioPose{};
    m_skinFamily = 0;
    return {};
}

void StudioModel::LoadTextures(COGLScene& scene, const std::string& baseName, std::vector<COGLTexture2D*>& skins) {
    if (!m_data) {
        return;
    }
    GetHost().MakeViewContextCurrent();
    for (std::size_t i = 0; i < m_data->textures.size(); ++i) {
        const StudioTexture& record = m_data->textures[i];
        const std::string name = baseName + record.name;
        COGLTexture2D* texture = scene.FindSkinTexture(name);
        if (texture == nullptr) {
            auto made = std::make_unique<COGLTexture2D>();
            const ConvertedPalette palette = ConvertPalette(record.palette.data(), 3);
            BinaryReader pixels(record.indexes);
            if (!made->FromIndexed(pixels, palette.rgb.data(), record.width, record.height, PictureMode(record),
                                   scene.TextureFilterMode())) {
                continue;
            }
            made->SetName(name);
            texture = scene.AddSkinTexture(std::move(made), name);
        }
        m_textures[i] = texture;
        skins.push_back(texture);
    }
}

const StudioSequence* StudioModel::CurrentSequence() const {
    if (!m_data || m_data->sequences.empty()) {
        return nullptr;
    }
    return &m_data->sequences[static_cast<std::size_t>(m_pose.sequence)];
}

int StudioModel::SetSequence(int sequence) {
    const int count = m_data ? static_cast<int>(m_data->sequences.size()) : 0;
    m_pose.sequence = count == 0 ? 0 : std::clamp(sequence, 0, count - 1);
    // The blend values are kept in the units of a sequence's blends: the new ranges decide the mix.
    SetBlending(0, m_blending[0]);
    SetBlending(1, m_blending[1]);
    return m_pose.sequence;
}

void StudioModel::SetController(int index, float value) {
    if (index >= 0 && index < kControllerCount) {
        m_pose.controllers[static_cast<std::size_t>(index)] = value;
    }
}

float StudioModel::Controller(int index) const {
    return index >= 0 && index < kControllerCount ? m_pose.controllers[static_cast<std::size_t>(index)] : 0.0f;
}

void StudioModel::SetMouth(float value) { m_pose.mouth = value; }

void StudioModel::SetBlending(int index, float value) {
    if (index < 0 || index > 1) {
        return;
    }
    const auto i = static_cast<std::size_t>(index);
    m_blending[i] = value;
    m_pose.blend[i] = 0.0f;
    const StudioSequence* seq = CurrentSequence();
    if (seq == nullptr) {
        return;
    }
    float start = seq->blendStart[i];
    float end = seq->blendEnd[i];
    if ((seq->blendType[i] & (kControllerXR | kControllerYR | kControllerZR)) != 0) {
        // An angle may come in either turn of the circle: take the one nearer the range.
        const float middle = (start + end) * 0.5f;
        if (value > middle + 180.0f) {
            value -= 360.0f;
        } else if (value < middle - 180.0f) {
            value += 360.0f;
        }
    }
    if (end == start || !std::isfinite(value) || !std::isfinite(end - start)) {
        return;
    }
    m_pose.blend[i] = std::clamp((value - start) / (end - start), 0.0f, 1.0f);
}

float StudioModel::Blending(int index) const {
    return index >= 0 && index <= 1 ? m_blending[static_cast<std::size_t>(index)] : 0.0f;
}

int StudioModel::BlendValueCount() const {
    const StudioSequence* seq = CurrentSequence();
    if (seq == nullptr || seq->blendCount < 2) {
        return 0;
    }
    return seq->blendCount < 4 ? 1 : 2;
}

void StudioModel::SetBody(int body) { m_pose.body = m_data ? m_data->NormalBody(body) : 0; }

int StudioModel::Submodel(int part) const { return m_data ? m_data->SubmodelFor(m_pose.body, part) : 0; }

void StudioModel::SetSubmodel(int part, int submodel) {
    if (m_data) {
        m_pose.body = m_data->BodyWith(m_pose.body, part, submodel);
    }
}

const std::vector<BoneMatrix>& StudioModel::SetUpBones() {
    if (m_data && m_mergeBones != nullptr && m_mergeMap != nullptr) {
        SetUpMergedBones(*m_data, m_pose, *m_mergeBones, *m_mergeMap, m_bones);
    } else if (m_data) {
        ::SetUpBones(*m_data, m_pose, m_bones);
    } else {
        m_bones.clear();
    }
    return m_bones;
}

void StudioModel::CopyFrom(const StudioModel& other) {
    m_data = other.m_data;
    m_pose = other.m_pose;
    m_blending = other.m_blending;
    m_skinFamily = other.m_skinFamily;
    m_textures = other.m_textures;
}

int StudioModel::PassOf(int textureFlags) {
    if ((textureFlags & kTextureMasked) != 0) {
        return kPassMasked;
    }
    return (textureFlags & kTextureAdditive) != 0 ? kPassAdditive : kPassSolid;
}

void StudioModel::Draw(bool textured, bool invertNormals) {
    Prepare(invertNormals);
    DrawPrepared(textured, kAllPasses);
}

void StudioModel::Prepare(bool invertNormals) {
    m_parts.resize(m_data ? m_data->bodyParts.size() : 0);
    if (!m_data) {
        return;
    }
    SetUpBones();
    for (std::size_t part = 0; part < m_data->bodyParts.size(); ++part) {
        const auto chosen = static_cast<std::size_t>(m_data->SubmodelFor(m_pose.body, static_cast<int>(part)));
        m_parts[part].model = &m_data->bodyParts[part].models[chosen];
        PlacePart(m_parts[part], invertNormals);
    }
}

void StudioModel::PlacePart(PlacedPart& part, bool invertNormals) {
    const StudioSubmodel& model = *part.model;
    part.vertices.resize(model.vertices.size());
    for (std::size_t i = 0; i < model.vertices.size(); ++i) {
        part.vertices[i] = ToDrawing(TransformPoint(m_bones[model.vertexBones[i]], model.vertices[i]));
    }
    part.normals.resize(model.normals.size());
    part.boneNormals.resize(model.normals.size());
    part.light.resize(model.normals.size());
    for (std::size_t i = 0; i < model.normals.size(); ++i) {
        const Vector3 n = RotateVector(m_bones[model.normalBones[i]], model.normals[i]);
        part.boneNormals[i] = n;
        part.light[i] = Shade(n);
        part.normals[i] = ToDrawing(invertNormals ? -n : n);
    }
}

void StudioModel::PrepareChrome() {
    // The eye and the view's right in drawing space, from the modelview the
    // model is drawn with, then in model space (drawing (y, z, x) is model (x, y, z)).
    GLdouble mv[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    Matrix4 inverse(std::array<double, 16>{mv[0], mv[1], mv[2], mv[3], mv[4], mv[5], mv[6], mv[7], mv[8], mv[9],
                                           mv[10], mv[11], mv[12], mv[13], mv[14], mv[15]});
    Vector3 eye{0.0f, 0.0f, 0.0f};
    Vector3 right{1.0f, 0.0f, 0.0f};
    if (inverse.Invert()) {
        eye = inverse.TransformPoint({0.0f, 0.0f, 0.0f});
        right = inverse.TransformVector({1.0f, 0.0f, 0.0f});
    }
    m_eye = {eye.z, eye.x, eye.y};
    m_eyeRight = {right.z, right.x, right.y};
    if (!m_eyeRight.Normalize()) {
        m_eyeRight = {0.0f, 1.0f, 0.0f};
    }
    m_chrome.resize(m_bones.size());
    m_chromeAge.resize(m_bones.size(), 0);
    if (++m_chromeStamp == 0) {
        std::fill(m_chromeAge.begin(), m_chromeAge.end(), 0u);
        m_chromeStamp = 1;
    }
}

void StudioModel::DrawPrepared(bool textured, int passes) {
    if (!m_data) {
        return;
    }
    if (textured) {
        bool chrome = false;
        for (const PlacedPart& part : m_parts) {
            for (const StudioMesh& mesh : part.model->meshes) {
                const int t = m_data->SkinTexture(m_skinFamily, mesh.skinReference);
                const int flags = t >= 0 ? m_data->textures[static_cast<std::size_t>(t)].flags : 0;
                chrome = chrome || ((flags & kTextureChrome) != 0 && (PassOf(flags) & passes) != 0);
            }
        }
        if (chrome) {
            PrepareChrome();
        }
        // The game's order: each pass over every part.
        for (const int pass : {kPassMasked, kPassSolid, kPassAdditive}) {
            if ((passes & pass) != 0) {
                for (const PlacedPart& part : m_parts) {
                    DrawPart(part, true, pass);
                }
            }
        }
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    } else if ((passes & kPassSolid) != 0) {
        for (const PlacedPart& part : m_parts) {
            DrawPart(part, false, kAllPasses);
        }
    }
}

void StudioModel::DrawPart(const PlacedPart& part, bool textured, int passes) {
    const StudioSubmodel& model = *part.model;
    for (const StudioMesh& mesh : model.meshes) {
        const int textureIndex = m_data->SkinTexture(m_skinFamily, mesh.skinReference);
        const StudioTexture* record =
            textureIndex >= 0 ? &m_data->textures[static_cast<std::size_t>(textureIndex)] : nullptr;
        const int flags = record != nullptr ? record->flags : 0;
        if (textured && (PassOf(flags) & passes) == 0) {
            continue;
        }
        const bool chrome = textured && (flags & kTextureChrome) != 0;
        const bool fullBright = (flags & kTextureFullBright) != 0;
        const bool flat = (flags & kTextureFlatShade) != 0;
        if (textured) {
            const COGLTexture2D* texture = textureIndex >= 0 ? m_textures[static_cast<std::size_t>(textureIndex)] : nullptr;
            glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->GLName() : 0);
            glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            if ((flags & kTextureMasked) != 0) {
                glEnable(GL_ALPHA_TEST);
                glAlphaFunc(GL_GREATER, 0.5f);
            } else if ((flags & kTextureAdditive) != 0) {
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE);
                glDepthMask(GL_FALSE);
            }
        }
        const float sScale = record != nullptr ? 1.0f / static_cast<float>(record->width) : 0.0f;
        const float tScale = record != nullptr ? 1.0f / static_cast<float>(record->height) : 0.0f;
        const std::int16_t* cmd = mesh.commands.data();
        while (const int count = *cmd++) {
            glBegin(count < 0 ? GL_TRIANGLE_FAN : GL_TRIANGLE_STRIP);
            for (int v = count < 0 ? -count : count; v > 0; --v, cmd += kCommandVertexShorts) {
                const std::size_t vertex = static_cast<std::size_t>(cmd[0]);
                const std::size_t normal = static_cast<std::size_t>(cmd[1]);
                if (textured) {
                    float s = static_cast<float>(cmd[2]) * sScale;
                    float t = static_cast<float>(cmd[3]) * tScale;
                    if (chrome) {
                        const std::size_t bone = model.normalBones[normal];
                        if (m_chromeAge[bone] != m_chromeStamp) {
                            // From the eye to the bone: across the view and up it, as the game does.
                            const BoneMatrix& m = m_bones[bone];
                            Vector3 toBone = Vector3{m[0][3], m[1][3], m[2][3]} - m_eye;
                            if (!toBone.Normalize()) {
                                toBone = {1.0f, 0.0f, 0.0f};
                            }
                            Vector3 up = toBone.Cross(m_eyeRight);
                            up.Normalize();
                            Vector3 right = toBone.Cross(up);
                            right.Normalize();
                            m_chrome[bone] = {right, up};
                            m_chromeAge[bone] = m_chromeStamp;
                        }
                        const Vector3& n = part.boneNormals[normal];
                        s = (n.Dot(m_chrome[bone][0]) + 1.0f) * 32.0f * sScale;
                        t = (n.Dot(m_chrome[bone][1]) + 1.0f) * 32.0f * tScale;
                    }
                    glTexCoord2f(s, 1.0f - t);
                    const float light = fullBright ? 1.0f : (flat ? kFlatLight : part.light[normal]);
                    glColor4f(light, light, light, 1.0f);
                }
                const Vector3& n = part.normals[normal];
                glNormal3f(n.x, n.y, n.z);
                const Vector3& p = part.vertices[vertex];
                glVertex3f(p.x, p.y, p.z);
            }
            glEnd();
        }
        if (textured) {
            glPopAttrib();
        }
    }
}
