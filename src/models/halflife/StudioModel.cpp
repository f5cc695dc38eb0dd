#include "models/halflife/StudioModel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "media/Palette.h"
#include "models/ChromeVector.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"

using namespace studio_format;

namespace {
// The model's own lighting of textured meshes: a light from above, in front and
// to one side, an ambient floor and a lambert wrap that keeps the far side readable.
constexpr float kAmbient = 96.0f / 255.0f;
constexpr float kShade = 160.0f / 255.0f;
constexpr float kLambert = 1.5f;
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
    if (m_data) {
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

void StudioModel::Draw(bool textured, bool invertNormals) {
    if (!m_data) {
        return;
    }
    SetUpBones();
    for (std::size_t part = 0; part < m_data->bodyParts.size(); ++part) {
        const auto chosen = static_cast<std::size_t>(m_data->SubmodelFor(m_pose.body, static_cast<int>(part)));
        DrawSubmodel(m_data->bodyParts[part].models[chosen], textured, invertNormals);
    }
}

void StudioModel::DrawSubmodel(const StudioSubmodel& model, bool textured, bool invertNormals) {
    m_vertices.resize(model.vertices.size());
    for (std::size_t i = 0; i < model.vertices.size(); ++i) {
        m_vertices[i] = ToDrawing(TransformPoint(m_bones[model.vertexBones[i]], model.vertices[i]));
    }
    m_normals.resize(model.normals.size());
    m_light.resize(model.normals.size());
    for (std::size_t i = 0; i < model.normals.size(); ++i) {
        const Vector3 n = RotateVector(m_bones[model.normalBones[i]], model.normals[i]);
        m_light[i] = Shade(n);
        m_normals[i] = ToDrawing(invertNormals ? -n : n);
    }
    const Vector3& chromeRight = ChromeRightVector();
    for (const StudioMesh& mesh : model.meshes) {
        const int textureIndex = m_data->SkinTexture(m_skinFamily, mesh.skinReference);
        const StudioTexture* record =
            textureIndex >= 0 ? &m_data->textures[static_cast<std::size_t>(textureIndex)] : nullptr;
        const int flags = record != nullptr ? record->flags : 0;
        const bool chrome = textured && (flags & kTextureChrome) != 0;
        const bool fullBright = (flags & kTextureFullBright) != 0;
        if (textured) {
            const COGLTexture2D* texture = textureIndex >= 0 ? m_textures[static_cast<std::size_t>(textureIndex)] : nullptr;
            glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->GLName() : 0);
            glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            if ((flags & kTextureAdditive) != 0) {
                glEnable(GL_BLEND);
                glBlendFunc(GL_ONE, GL_ONE);
                glDepthMask(GL_FALSE);
            } else if ((flags & kTextureMasked) != 0) {
                glEnable(GL_ALPHA_TEST);
                glAlphaFunc(GL_GREATER, 0.5f);
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
                        // The normal as the eye sees it: across the view and up it.
                        const Vector3 bone = {m_bones[model.normalBones[normal]][0][3],
                                              m_bones[model.normalBones[normal]][1][3],
                                              m_bones[model.normalBones[normal]][2][3]};
                        Vector3 toBone = bone;
                        if (!toBone.Normalize()) {
                            toBone = {1.0f, 0.0f, 0.0f};
                        }
                        Vector3 up = toBone.Cross(chromeRight);
                        up.Normalize();
                        Vector3 right = toBone.Cross(up);
                        right.Normalize();
                        const Vector3 n = RotateVector(m_bones[model.normalBones[normal]], model.normals[normal]);
                        s = (n.Dot(right) + 1.0f) * 32.0f * sScale;
                        t = (n.Dot(up) + 1.0f) * 32.0f * tScale;
                    }
                    glTexCoord2f(s, 1.0f - t);
                    const float light = fullBright ? 1.0f : m_light[normal];
                    glColor4f(light, light, light, 1.0f);
                }
                const Vector3& n = m_normals[normal];
                glNormal3f(n.x, n.y, n.z);
                const Vector3& p = m_vertices[vertex];
                glVertex3f(p.x, p.y, p.z);
            }
            glEnd();
        }
        if (textured) {
            glPopAttrib();
        }
    }
    if (textured) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
}
