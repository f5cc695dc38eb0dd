#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "export/StudioExport.h"
#include "models/halflife/COGLHLModel.h"
#include "models/halflife/StudioBones.h"
#include "models/halflife/StudioFixtures.h"
#include "support/TestSupport.h"

using namespace studio_fixtures;

namespace {

constexpr float kTolerance = 1e-3f;

BoneMatrix FromColumnMajor(const std::array<float, 16>& m) {
    BoneMatrix out{};
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            out[r][c] = m[c * 4 + r];
        }
    }
    return out;
}

// A node's transform as glTF readers make it from its translation and rotation.
BoneMatrix GltfLocal(const float* t, const float* q) {
    const float x = q[0], y = q[1], z = q[2], w = q[3];
    return {{{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w), t[0]},
             {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w), t[1]},
             {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y), t[2]}}};
}

// The joints' model-space transforms for the rest pose (key < 0) or a key of `animation`.
std::vector<BoneMatrix> Compose(const SkinnedModelExport& e, const SkinnedAnimation* animation, int key) {
    std::vector<BoneMatrix> out(e.joints.size());
    for (std::size_t j = 0; j < e.joints.size(); ++j) {
        const ExportJoint& joint = e.joints[j];
        const BoneMatrix local =
            key < 0 ? GltfLocal(joint.translation.data(), joint.rotation.data())
                    : GltfLocal(&animation->joints[j].translations[static_cast<std::size_t>(key) * 3],
                                &animation->joints[j].rotations[static_cast<std::size_t>(key) * 4]);
        out[j] = joint.parent < 0 ? local : ConcatTransforms(out[static_cast<std::size_t>(joint.parent)], local);
    }
    return out;
}

void ExpectMatrixNear(const BoneMatrix& a, const BoneMatrix& b, const std::string& what) {
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            EXPECT_NEAR(a[r][c], b[r][c], kTolerance) << what << " [" << r << "][" << c << "]";
        }
    }
}

bool Near(const Vector3& a, const Vector3& b) {
    return std::abs(a.x - b.x) < kTolerance && std::abs(a.y - b.y) < kTolerance && std::abs(a.z - b.z) < kTolerance;
}

Vector3 At(const std::vector<float>& v, std::size_t i) { return {v[i * 3], v[i * 3 + 1], v[i * 3 + 2]}; }

// Each vertex of every body part's first submodel where drawing puts it for the
// bones: model space (x, y, z) to drawing space (y, z + lift, x), written out
// here rather than borrowed so a wrong axis in either shows.
struct DrawnVertex {
    Vector3 position;
    int bone;
};
std::vector<DrawnVertex> Drawn(const StudioData& data, const std::vector<BoneMatrix>& bones, float lift) {
    std::vector<DrawnVertex> out;
    for (const StudioBodyPart& part : data.bodyParts) {
        const StudioSubmodel& model = part.models.front();
        for (std::size_t i = 0; i < model.vertices.size(); ++i) {
            const Vector3 p = TransformPoint(bones[model.vertexBones[i]], model.vertices[i]);
            out.push_back({{p.y, p.z + lift, p.x}, model.vertexBones[i]});
        }
    }
    return out;
}

// Every exported vertex, placed by `joints` (model-space joint transforms) through
// the inverse binds, stands where drawing puts a vertex of the same bone, and
// every drawn vertex is among them.
void ExpectSkinnedAsDrawn(const SkinnedModelExport& e, const std::vector<BoneMatrix>& joints,
                          const std::vector<DrawnVertex>& drawn, const std::string& what) {
    const BoneMatrix root = FromColumnMajor(e.rootTransform);
    std::vector<bool> seen(drawn.size(), false);
    for (const SkinnedPrimitive& primitive : e.primitives) {
        for (std::size_t v = 0; v < primitive.joints.size(); ++v) {
            const std::size_t joint = primitive.joints[v];
            const BoneMatrix skin = ConcatTransforms(ConcatTransforms(root, joints[joint]),
                                                     FromColumnMajor(e.joints[joint].inverseBind));
            const Vector3 p = TransformPoint(skin, At(primitive.positions, v));
            bool found = false;
            for (std::size_t d = 0; d < drawn.size(); ++d) {
                if (drawn[d].bone == static_cast<int>(joint) && Near(drawn[d].position, p)) {
                    found = true;
                    seen[d] = true;
                }
            }
            EXPECT_TRUE(found) << what << ": vertex " << v << " at " << p.x << " " << p.y << " " << p.z;
        }
    }
    for (std::size_t d = 0; d < drawn.size(); ++d) {
        EXPECT_TRUE(seen[d]) << what << ": drawn vertex " << d << " not exported";
    }
}

// A figure whose bones rest turned about all three axes and whose walk keys
// every angle, so a wrong angle order or parent order shows.
StudioModelDef TurnedFigure() {
    StudioModelDef m = MakeFigure(12, 2);
    for (std::size_t b = 0; b < m.bones.size(); ++b) {
        const float f = static_cast<float>(b);
        m.bones[b].value[3] = 0.3f + 0.05f * f;
        m.bones[b].value[4] = -0.2f + 0.04f * f;
        m.bones[b].value[5] = 0.5f - 0.03f * f;
    }
    StudioSequenceDef& walk = m.sequences[1];
    for (std::size_t b = 0; b < m.bones.size(); b += 2) {
        walk.blends[0][b][3] = RunLength({0, 40, 80, -60});
        walk.blends[0][b][5] = RunLength({10, -90, 30});
        walk.blends[0][b][1] = RunLength({0, 3, 6});
    }
    return m;
}

// A panel facing forward (+x), drawn towards the default viewer: its strip and
// its fan go round clockwise seen from the front, the side drawing keeps.
StudioModelDef Panel() {
    StudioModelDef m;
    m.name = "panel.mdl";
    m.bones = {{"root", -1, {-1, -1, -1, -1, -1, -1}, {}, {1, 1, 1, 1, 1, 1}}};
    m.sequences.resize(1);
    m.sequences[0].label = "idle";
    StudioSubmodelDef body;
    body.vertices = {{0, -1, 2}, {0, 1, 2}, {0, -1, 1}, {0, 1, 1}, {0, -1, 0}, {0, 1, 0}};
    body.vertexBones.assign(6, 0);
    body.normals = {{2, 0, 0}};  // drawing takes what the file gives; export makes it unit
    body.normalBones = {0};
    body.meshes.push_back(
        {0,
         {{false, {{0, 0, 0, 0}, {1, 0, 8, 0}, {2, 0, 0, 4}, {3, 0, 8, 4}, {4, 0, 0, 8}, {5, 0, 8, 8}}},
          {true, {{0, 0, 0, 0}, {1, 0, 8, 0}, {3, 0, 8, 4}, {2, 0, 0, 4}}}}});
    m.bodyParts = {{"body", 1, {body}}};
    m.textures = {{"panel.bmp", 0, 8, 8, {}, {}}};
    return m;
}

class StudioExport : public HostFixture {
protected:
    // Writes the model and its sequence-group files and opens it, without a scene, in a fresh object.
    bool Open(const StudioModelDef& def) {
        model_ = std::make_unique<COGLHLModel>();
        const std::string path = dir_.Write("models/" + def.name, WriteStudioModel(def));
        for (int g = 1; g < def.groupCount; ++g) {
            dir_.Write("models/" + StudioCompanionName(def.name, (g < 10 ? "0" : "") + std::to_string(g) + ".mdl"),
                       WriteStudioSequenceGroup(def, g));
        }
        return model_->LoadFile(path);
    }

    SkinnedModelExport Export() {
        SkinnedModelExport e;
        std::string error;
        EXPECT_TRUE(BuildStudioExport(*model_, e, &error)) << error;
        return e;
    }

    const StudioData& Data() const { return *model_->Studio()->Data(); }

    TempDir dir_;
    std::unique_ptr<COGLHLModel> model_;
};

}  // namespace

TEST_F(StudioExport, RestPoseStandsAsDrawnWithTheModelLiftedAndTurnedUp) {
    // The first frame of each model's first sequence keys nothing away from the defaults.
    for (const StudioModelDef& def : {TurnedFigure(), TestModel(true)}) {
        ASSERT_TRUE(Open(def));
        const SkinnedModelExport e = Export();
        std::vector<BoneMatrix> bones;
        SetUpBones(Data(), StudioPose{}, bones);
        const std::vector<BoneMatrix> rest = Compose(e, nullptr, -1);
        for (std::size_t b = 0; b < bones.size(); ++b) {
            ExpectMatrixNear(rest[b], bones[b], def.name + " bone " + std::to_string(b));
        }
        ExpectSkinnedAsDrawn(e, rest, Drawn(Data(), bones, model_->VerticalOffset()), def.name);
    }
    // Studio x forward, y left, z up to drawing's (y, z, x), lifted by walk's -bbMin.z = 2.
    const SkinnedModelExport e = Export();
    EXPECT_EQ(e.rootTransform, (std::array<float, 16>{0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 1}));
    // The strip's corner at the root's origin: drawing puts it at the root (10, 0, 0)
    // → (0, 2, 10), with the texel (0, 0) sent as (0, 1); its normal, x, faces +z.
    ASSERT_EQ(e.primitives.size(), 2u);
    const SkinnedPrimitive& strip = e.primitives[0];
    ASSERT_GE(strip.joints.size(), 1u);
    EXPECT_TRUE(Near(At(strip.positions, 0), {0, 2, 10}));
    EXPECT_FLOAT_EQ(strip.texcoords[0], 0.0f);
    EXPECT_FLOAT_EQ(strip.texcoords[1], 1.0f);
    EXPECT_TRUE(Near(At(strip.normals, 0), {0, 0, 1}));
    // The fan's second corner, texel (8, 0) of an 8 x 8 texture.
    const SkinnedPrimitive& fan = e.primitives[1];
    ASSERT_GE(fan.joints.size(), 2u);
    EXPECT_FLOAT_EQ(fan.texcoords[2], 1.0f);
    EXPECT_FLOAT_EQ(fan.texcoords[3], 1.0f);
}

TEST_F(StudioExport, InverseBindsUndoEachJointsRestPlace) {
    ASSERT_TRUE(Open(TurnedFigure()));
    const SkinnedModelExport e = Export();
    ASSERT_EQ(e.joints.size(), 12u);
    const BoneMatrix root = FromColumnMajor(e.rootTransform);
    const std::vector<BoneMatrix> rest = Compose(e, nullptr, -1);
    const BoneMatrix identity = QuaternionMatrix({}, {});
    for (std::size_t j = 0; j < e.joints.size(); ++j) {
        EXPECT_LT(e.joints[j].parent, static_cast<int>(j));
        EXPECT_EQ(e.joints[j].name, Data().bones[j].name);
        ExpectMatrixNear(ConcatTransforms(FromColumnMajor(e.joints[j].inverseBind), ConcatTransforms(root, rest[j])),
                         identity, "joint " + std::to_string(j));
    }
}

TEST_F(StudioExport, KeysComposeToTheBonesDrawingSetsUp) {
    StudioModelDef turned = TurnedFigure();
    turned.name = "turned.mdl";
    for (const StudioModelDef& def : {turned, TestModel(true)}) {
        ASSERT_TRUE(Open(def)) << def.name;
        const SkinnedModelExport e = Export();
        ASSERT_EQ(e.animations.size(), Data().sequences.size());
        const float lift = model_->VerticalOffset();
        for (std::size_t s = 0; s < e.animations.size(); ++s) {
            const SkinnedAnimation& animation = e.animations[s];
            for (int f = 0; f < animation.frameCount; ++f) {
                StudioPose pose;
                pose.sequence = static_cast<int>(s);
                pose.frame = static_cast<float>(f);
                std::vector<BoneMatrix> bones;
                SetUpBones(Data(), pose, bones);
                const std::vector<BoneMatrix> keyed = Compose(e, &animation, f);
                const std::string what = def.name + " " + animation.name + " frame " + std::to_string(f);
                for (std::size_t b = 0; b < bones.size(); ++b) {
                    ExpectMatrixNear(keyed[b], bones[b], what + " bone " + std::to_string(b));
                }
                ExpectSkinnedAsDrawn(e, keyed, Drawn(Data(), bones, lift), what);
            }
        }
    }
}

TEST_F(StudioExport, CountsFollowTheModel) {
    StudioModelDef def = TestModel(true);
    def.sequences[1].fps = 0.0f;
    def.sequences[2].fps = -5.0f;
    def.sequences[3].fps = 12.0f;
    // The masked texture's top row keys out: GL gets it last.
    def.textures[2].indexes.assign(64, 1);
    std::fill(def.textures[2].indexes.begin(), def.textures[2].indexes.begin() + 8, 255);
    ASSERT_TRUE(Open(def));
    const SkinnedModelExport e = Export();

    ASSERT_EQ(e.joints.size(), 4u);
    EXPECT_EQ(e.joints[1].parent, 0);
    EXPECT_EQ(e.joints[3].parent, 2);
    // Skin family 0: the strip shows the chrome texture, the fan the masked one.
    ASSERT_EQ(e.primitives.size(), 2u);
    EXPECT_EQ(e.primitives[0].image, 0);
    EXPECT_EQ(e.primitives[1].image, 2);
    for (const SkinnedPrimitive& p : e.primitives) {
        EXPECT_EQ(p.positions.size(), 12u);
        EXPECT_EQ(p.normals.size(), 12u);
        EXPECT_EQ(p.texcoords.size(), 8u);
        EXPECT_EQ(p.joints.size(), 4u);
        EXPECT_EQ(p.indices.size(), 6u) << "two triangles from four corners";
    }

    ASSERT_EQ(e.images.size(), 3u);
    EXPECT_EQ(e.images[0].name, "chrome.bmp");
    EXPECT_EQ(e.images[0].blend, ExportImage::Blend::Opaque);
    EXPECT_EQ(e.images[1].blend, ExportImage::Blend::Additive);
    const ExportImage& mask = e.images[2];
    EXPECT_EQ(mask.blend, ExportImage::Blend::Mask);
    ASSERT_EQ(mask.width, 8);
    ASSERT_EQ(mask.height, 8);
    ASSERT_EQ(mask.rgba.size(), 8u * 8u * 4u);
    EXPECT_EQ(mask.rgba[3], 255) << "row 0 is the file's bottom row";
    EXPECT_EQ(mask.rgba[7 * 8 * 4 + 3], 0) << "the file's top row is keyed out";
    EXPECT_EQ(e.images[0].rgba[3], 255) << "opaque textures get full alpha";

    const std::vector<std::string> names{"walk", "turn", "aim", "g1", "g2"};
    const std::vector<int> frames{5, 2, 1, 3, 3};
    const std::vector<float> fps{30.0f, 10.0f, 10.0f, 12.0f, 30.0f};
    ASSERT_EQ(e.animations.size(), names.size());
    for (std::size_t s = 0; s < names.size(); ++s) {
        const SkinnedAnimation& a = e.animations[s];
        EXPECT_EQ(a.name, names[s]);
        EXPECT_EQ(a.frameCount, frames[s]);
        EXPECT_FLOAT_EQ(a.fps, fps[s]) << a.name;
        ASSERT_EQ(a.joints.size(), 4u);
        for (const JointChannel& c : a.joints) {
            EXPECT_EQ(c.translations.size(), static_cast<std::size_t>(frames[s]) * 3);
            EXPECT_EQ(c.rotations.size(), static_cast<std::size_t>(frames[s]) * 4);
        }
    }
    // g2's keys come from its own group file: root x 4, 5, 6 over the default 10.
    EXPECT_FLOAT_EQ(e.animations[4].joints[0].translations[0], 14.0f);
    EXPECT_FLOAT_EQ(e.animations[4].joints[0].translations[6], 16.0f);
}

TEST_F(StudioExport, FrontFacesWindCounterClockwiseRoundTheirNormals) {
    ASSERT_TRUE(Open(Panel()));
    const SkinnedModelExport e = Export();
    ASSERT_EQ(e.primitives.size(), 1u);
    const SkinnedPrimitive& p = e.primitives[0];
    ASSERT_EQ(p.indices.size(), 18u) << "four triangles of the strip, two of the fan";
    for (std::size_t t = 0; t + 2 < p.indices.size(); t += 3) {
        const Vector3 a = At(p.positions, p.indices[t]);
        Vector3 face = (At(p.positions, p.indices[t + 1]) - a).Cross(At(p.positions, p.indices[t + 2]) - a);
        ASSERT_TRUE(face.Normalize());
        EXPECT_GT(face.z, 0.99f) << "triangle " << t / 3 << " faces the viewer";
        for (std::size_t k = 0; k < 3; ++k) {
            const Vector3 n = At(p.normals, p.indices[t + k]);
            EXPECT_NEAR(n.Length(), 1.0f, 1e-5f);
            EXPECT_GT(face.Dot(n), 0.99f) << "triangle " << t / 3;
        }
    }
}

TEST_F(StudioExport, ModelsWithoutSequencesOrPartsOrLoadedDataAreHandled) {
    StudioModelDef still = TestModel();
    still.name = "still.mdl";
    still.sequences.clear();
    StudioModelDef bare = TestModel();
    bare.name = "bare.mdl";
    bare.bodyParts.clear();
    for (const StudioModelDef& def : {still, bare}) {
        ASSERT_TRUE(Open(def)) << def.name;
        const SkinnedModelExport e = Export();
        EXPECT_EQ(e.joints.size(), 4u) << def.name;
        EXPECT_EQ(e.animations.size(), def.sequences.size()) << def.name;
        EXPECT_EQ(e.primitives.empty(), def.bodyParts.empty()) << def.name;
    }

    COGLHLModel empty;
    SkinnedModelExport e;
    e.joints.resize(3);
    std::string error;
    EXPECT_FALSE(BuildStudioExport(empty, e, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(e.joints.empty()) << "nothing is left from before";
}

TEST_F(StudioExport, FrameCountsNoModelCouldHoldAreRefused) {
    StudioModelDef def = MakeFigure(30, 1);
    def.sequences[0].frames = 1 << 20;  // 30 bones: 31 million keys from a few bytes
    ASSERT_TRUE(Open(def));
    SkinnedModelExport e;
    std::string error;
    EXPECT_FALSE(BuildStudioExport(*model_, e, &error));
    EXPECT_EQ(error, "the sequences are too long to export");
    EXPECT_TRUE(e.joints.empty());
}

TEST_F(StudioExport, PrimitivesFollowTheChosenSubmodelAndSkinFamily) {
    StudioModelDef def = TestModel();
    StudioSubmodelDef& wide = def.bodyParts[1].models[1];
    wide.vertices.push_back({0, 1, 3});
    wide.vertexBones.push_back(3);
    wide.meshes[0].commands[0].vertices.push_back({4, 0, 4, 8});
    ASSERT_TRUE(Open(def));
    model_->SetSubmodel(1, 1);
    model_->SetSkinFamily(1);
    SkinnedModelExport e = Export();
    // Family 1: the strip shows the masked texture, the head the chrome one.
    ASSERT_EQ(e.primitives.size(), 2u);
    EXPECT_EQ(e.primitives[0].image, 2);
    EXPECT_EQ(e.primitives[1].image, 0);
    EXPECT_EQ(e.primitives[1].joints.size(), 5u) << "the second head's five corners";
    EXPECT_EQ(e.primitives[1].indices.size(), 9u);
    model_->SetSkinFamily(9);  // a family the table lacks: row 0
    e = Export();
    EXPECT_EQ(e.primitives[0].image, 0);
    EXPECT_EQ(e.primitives[1].image, 2);
}
