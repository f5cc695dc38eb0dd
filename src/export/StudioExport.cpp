#include "export/StudioExport.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "models/halflife/COGLHLModel.h"
#include "models/halflife/StudioBones.h"
#include "models/halflife/StudioFormat.h"
#include "models/halflife/StudioModel.h"
#include "scene/COGLScene.h"

using namespace studio_format;

namespace {
// What players assume when a sequence gives no usable rate.
constexpr float kDefaultFps = 10.0f;
// Joint keys over all sequences past which the frame counts are taken for a
// hostile file's rather than a long animation's (real models stay far below).
constexpr std::size_t kMaxJointKeys = std::size_t{1} << 22;
// Texture filter modes the scene samples without filtering.
constexpr int kFastestFilter = 0;
constexpr int kNearestFilter = 1;

bool Fail(std::string* error, const std::string& message) {
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

// Model space (x forward, y left, z up) to drawing space (x left, y up, z
// forward, towards the default viewer), lifted onto the sequence box.
BoneMatrix RootMatrix(float lift) {
    BoneMatrix m{};
    m[0][1] = 1.0f;
    m[1][2] = 1.0f;
    m[1][3] = lift;
    m[2][0] = 1.0f;
    return m;
}

std::array<float, 16> ColumnMajor(const BoneMatrix& m) {
    std::array<float, 16> out{};
    for (std::size_t c = 0; c < 4; ++c) {
        for (std::size_t r = 0; r < 3; ++r) {
            out[c * 4 + r] = m[r][c];
        }
    }
    out[15] = 1.0f;
    return out;
}

// Bones and the root are rotations with a translation: the inverse is the
// transposed rotation taking back the translation.
BoneMatrix InverseRigid(const BoneMatrix& m) {
    BoneMatrix out{};
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 3; ++c) {
            out[r][c] = m[c][r];
        }
    }
    const Vector3 back = -InverseRotateVector(m, {m[0][3], m[1][3], m[2][3]});
    out[0][3] = back.x;
    out[1][3] = back.y;
    out[2][3] = back.z;
    return out;
}

// Rounding in the slerps leaves rotations a hair off unit length; readers check it.
Quaternion Unit(const Quaternion& q) {
    const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    return length > 0.0f ? Quaternion{q.x / length, q.y / length, q.z / length, q.w / length} : Quaternion{};
}

void AppendKey(JointChannel& channel, const BoneState& state) {
    const Quaternion q = Unit(state.rotation);
    channel.translations.insert(channel.translations.end(), {state.position.x, state.position.y, state.position.z});
    channel.rotations.insert(channel.rotations.end(), {q.x, q.y, q.z, q.w});
}

bool BuildJoints(const StudioData& data, const BoneMatrix& root, SkinnedModelExport& out,
                 std::vector<BoneMatrix>& restGlobal, std::string* error) {
    restGlobal.resize(data.bones.size());
    for (std::size_t b = 0; b < data.bones.size(); ++b) {
        const StudioBone& bone = data.bones[b];
        if (bone.parent < -1 || bone.parent >= static_cast<int>(b)) {
            return Fail(error, "bone \"" + bone.name + "\" does not follow its parent");
        }
        BoneState rest;
        rest.position = {bone.value[0], bone.value[1], bone.value[2]};
        rest.rotation = Unit(AngleQuaternion({bone.value[3], bone.value[4], bone.value[5]}));
        const BoneMatrix local = QuaternionMatrix(rest.rotation, rest.position);
        restGlobal[b] =
            bone.parent < 0 ? local : ConcatTransforms(restGlobal[static_cast<std::size_t>(bone.parent)], local);

        ExportJoint joint;
        joint.name = bone.name;
        joint.parent = bone.parent;
        joint.translation = {rest.position.x, rest.position.y, rest.position.z};
        joint.rotation = {rest.rotation.x, rest.rotation.y, rest.rotation.z, rest.rotation.w};
        joint.inverseBind = ColumnMajor(InverseRigid(ConcatTransforms(root, restGlobal[b])));
        out.joints.push_back(std::move(joint));
    }
    return true;
}

// One command's vertices as the next ones of `primitive`, and its triangles
// turned to face the other way round: drawing culls the counter-clockwise ones.
void AppendCommand(const StudioSubmodel& model, const std::vector<Vector3>& positions,
                   const std::vector<Vector3>& normals, const StudioTexture* record, const std::int16_t* cmd,
                   int count, SkinnedPrimitive& primitive) {
    const bool fan = count < 0;
    const int n = fan ? -count : count;
    const auto first = static_cast<std::uint32_t>(primitive.joints.size());
    // Drawing's scale: texels over the record's size, t counted from the bottom row.
    const float sScale = record != nullptr ? 1.0f / static_cast<float>(record->width) : 0.0f;
    const float tScale = record != nullptr ? 1.0f / static_cast<float>(record->height) : 0.0f;
    std::vector<std::int16_t> studioVertex(static_cast<std::size_t>(n));
    for (int v = 0; v < n; ++v, cmd += kCommandVertexShorts) {
        const auto vertex = static_cast<std::size_t>(cmd[0]);
        const auto normal = static_cast<std::size_t>(cmd[1]);
        studioVertex[static_cast<std::size_t>(v)] = cmd[0];
        const Vector3& p = positions[vertex];
        const Vector3& nv = normals[normal];
        primitive.positions.insert(primitive.positions.end(), {p.x, p.y, p.z});
        primitive.normals.insert(primitive.normals.end(), {nv.x, nv.y, nv.z});
        // Chrome textures take the file's coordinates: the view-dependent ones
        // drawing makes each frame mean nothing away from the program's view.
        primitive.texcoords.insert(primitive.texcoords.end(), {static_cast<float>(cmd[2]) * sScale,
                                                               1.0f - static_cast<float>(cmd[3]) * tScale});
        primitive.joints.push_back(model.vertexBones[vertex]);
    }
    for (int i = 0; i + 2 < n; ++i) {
        // The corners in the order GL takes them from a fan or a strip.
        int a = fan ? 0 : i;
        int b = i + 1;
        const int c = i + 2;
        if (!fan && i % 2 == 1) {
            std::swap(a, b);
        }
        const auto sa = static_cast<std::size_t>(a), sb = static_cast<std::size_t>(b), sc = static_cast<std::size_t>(c);
        if (studioVertex[sa] == studioVertex[sb] || studioVertex[sb] == studioVertex[sc] ||
            studioVertex[sa] == studioVertex[sc]) {
            continue;  // a strip's joint between runs: nothing is drawn
        }
        primitive.indices.insert(primitive.indices.end(), {first + static_cast<std::uint32_t>(a),
                                                           first + static_cast<std::uint32_t>(c),
                                                           first + static_cast<std::uint32_t>(b)});
    }
}

// The submodel and skin family each part shows are the model's current choice.
void BuildPrimitives(const StudioData& data, const StudioModel& studio, const BoneMatrix& root,
                     const std::vector<BoneMatrix>& restGlobal, const std::vector<int>& imageOfTexture,
                     SkinnedModelExport& out) {
    std::vector<BoneMatrix> drawn(restGlobal.size());
    for (std::size_t b = 0; b < restGlobal.size(); ++b) {
        drawn[b] = ConcatTransforms(root, restGlobal[b]);
    }
    std::map<int, std::size_t> primitiveOfTexture;
    std::vector<Vector3> positions;
    std::vector<Vector3> normals;
    for (std::size_t part = 0; part < data.bodyParts.size(); ++part) {
        const StudioSubmodel& model =
            data.bodyParts[part].models[static_cast<std::size_t>(studio.Submodel(static_cast<int>(part)))];
        positions.resize(model.vertices.size());
        for (std::size_t i = 0; i < model.vertices.size(); ++i) {
            positions[i] = TransformPoint(drawn[model.vertexBones[i]], model.vertices[i]);
        }
        normals.resize(model.normals.size());
        for (std::size_t i = 0; i < model.normals.size(); ++i) {
            normals[i] = RotateVector(drawn[model.normalBones[i]], model.normals[i]);
            if (!normals[i].Normalize()) {
                normals[i] = {0.0f, 1.0f, 0.0f};
            }
        }
        for (const StudioMesh& mesh : model.meshes) {
            const int texture = data.SkinTexture(studio.SkinFamily(), mesh.skinReference);
            auto [at, added] = primitiveOfTexture.try_emplace(texture, out.primitives.size());
            if (added) {
                out.primitives.emplace_back();
                out.primitives.back().image = texture >= 0 ? imageOfTexture[static_cast<std::size_t>(texture)] : -1;
            }
            const StudioTexture* record = texture >= 0 ? &data.textures[static_cast<std::size_t>(texture)] : nullptr;
            const std::int16_t* cmd = mesh.commands.data();
            while (const int count = *cmd++) {
                AppendCommand(model, positions, normals, record, cmd, count, out.primitives[at->second]);
                cmd += static_cast<std::ptrdiff_t>(std::abs(count)) * static_cast<std::ptrdiff_t>(kCommandVertexShorts);
            }
        }
    }
}

// One image per record that makes a picture; the index each record's went to, or -1.
std::vector<int> BuildImages(const StudioData& data, const StudioModel& studio, const COGLScene* scene,
                             SkinnedModelExport& out) {
    const bool nearest = scene != nullptr && (scene->TextureFilterMode() == kFastestFilter ||
                                              scene->TextureFilterMode() == kNearestFilter);
    std::vector<int> imageOfTexture(data.textures.size(), -1);
    for (std::size_t i = 0; i < data.textures.size(); ++i) {
        const StudioTexture& record = data.textures[i];
        // A texture gives its picture to GL and keeps none: make it again from the record.
        COGLImage picture;
        if (!MakeStudioPicture(record, picture)) {
            continue;
        }
        const int channels = picture.BytesPerPixel();
        const std::size_t pixels =
            static_cast<std::size_t>(picture.Width()) * static_cast<std::size_t>(picture.Height());
        if (picture.Pixels().size() < pixels * static_cast<std::size_t>(channels)) {
            continue;
        }
        ExportImage image;
        // The skin's name as the program lists it, when the model has made its textures.
        const COGLTexture2D* texture = i < studio.Textures().size() ? studio.Textures()[i] : nullptr;
        image.name = texture != nullptr ? texture->Name() : record.name;
        image.width = picture.Width();
        image.height = picture.Height();
        image.rgba.resize(pixels * 4);
        const std::uint8_t* from = picture.Pixels().data();
        for (std::size_t p = 0; p < pixels; ++p, from += channels) {
            std::uint8_t* to = &image.rgba[p * 4];
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            to[3] = channels == 4 ? from[3] : 255;
        }
        // Drawing tests additive before masked: a texture with both adds.
        if ((record.flags & kTextureAdditive) != 0) {
            image.blend = ExportImage::Blend::Additive;
        } else if ((record.flags & kTextureMasked) != 0) {
            image.blend = ExportImage::Blend::Mask;
        }
        image.nearest = nearest;
        imageOfTexture[i] = static_cast<int>(out.images.size());
        out.images.push_back(std::move(image));
    }
    return imageOfTexture;
}

bool BuildAnimations(const StudioData& data, SkinnedModelExport& out, std::string* error) {
    std::size_t keys = 0;
    for (const StudioSequence& seq : data.sequences) {
        keys += static_cast<std::size_t>(seq.frameCount) * std::max<std::size_t>(data.bones.size(), 1);
        if (keys > kMaxJointKeys) {
            return Fail(error, "the sequences are too long to export");
        }
    }
    std::vector<BoneState> states;
    for (std::size_t s = 0; s < data.sequences.size(); ++s) {
        const StudioSequence& seq = data.sequences[s];
        SkinnedAnimation animation;
        animation.name = seq.label;
        animation.fps = std::isfinite(seq.fps) && seq.fps > 0.0f ? seq.fps : kDefaultFps;
        animation.frameCount = seq.frameCount;
        animation.joints.resize(data.bones.size());
        for (JointChannel& channel : animation.joints) {
            channel.translations.reserve(static_cast<std::size_t>(seq.frameCount) * 3);
            channel.rotations.reserve(static_cast<std::size_t>(seq.frameCount) * 4);
        }
        // Controllers at rest and the first blend alone, as a model stands when it opens.
        StudioPose pose;
        pose.sequence = static_cast<int>(s);
        for (int f = 0; f < seq.frameCount; ++f) {
            pose.frame = static_cast<float>(f);
            PoseBones(data, pose, states);
            for (std::size_t b = 0; b < states.size(); ++b) {
                AppendKey(animation.joints[b], states[b]);
            }
        }
        out.animations.push_back(std::move(animation));
    }
    return true;
}
}  // namespace

bool BuildStudioExport(COGLHLModel& model, SkinnedModelExport& out, std::string* error) {
    out = SkinnedModelExport{};
    const StudioModel* studio = model.Studio();
    const StudioData* data = studio != nullptr ? studio->Data() : nullptr;
    if (data == nullptr) {
        return Fail(error, "the model has nothing loaded");
    }
    // The lift drawing applies: the current sequence's, as a draw would set it now.
    model.RefreshBounds();
    const BoneMatrix root = RootMatrix(model.VerticalOffset());
    out.rootTransform = ColumnMajor(root);
    std::vector<BoneMatrix> restGlobal;
    if (!BuildJoints(*data, root, out, restGlobal, error) || !BuildAnimations(*data, out, error)) {
        out = SkinnedModelExport{};
        return false;
    }
    const std::vector<int> imageOfTexture = BuildImages(*data, *studio, model.Scene(), out);
    BuildPrimitives(*data, *studio, root, restGlobal, imageOfTexture, out);
    return true;
}
