#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "models/halflife/StudioFixtures.h"
#include "models/halflife/StudioBones.h"
#include "models/halflife/StudioFormat.h"
#include "models/halflife/StudioModel.h"
#include "support/ModelWriters.h"
#include "platform/Messages.h"

using namespace studio_fixtures;

namespace {

constexpr float kTolerance = 1e-4f;

// Companions served from memory by name.
struct Files {
    std::map<std::string, ByteBuffer> byName;
    StudioCompanionReader Reader() const {
        return [this](const std::string& name) -> std::optional<ByteBuffer> {
            const auto it = byName.find(name);
            return it != byName.end() ? std::optional<ByteBuffer>(it->second) : std::nullopt;
        };
    }
};

StudioReadResult Read(const StudioModelDef& m, const Files& files = {}) {
    return ReadStudioModel(WriteStudioModel(m), "models/test.mdl", files.Reader());
}

void ExpectNear(const Vector3& actual, const Vector3& expected) {
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

std::vector<BoneMatrix> Bones(const StudioData& data, const StudioPose& pose) {
    std::vector<BoneMatrix> bones;
    SetUpBones(data, pose, bones);
    return bones;
}

std::string NotValid(const std::string& detail) { return FormatMessage(msg::kStudioNotValid, detail); }

}  // namespace

TEST(StudioRead, TablesComeBackAsWritten) {
    const StudioReadResult read = Read(TestModel());
    ASSERT_TRUE(read.data) << read.error;
    const StudioData& d = *read.data;
    ASSERT_EQ(d.bones.size(), 4u);
    EXPECT_EQ(d.bones[1].name, "child");
    EXPECT_EQ(d.bones[1].parent, 0);
    EXPECT_EQ(d.bones[2].parent, -1) << "a second root";
    ASSERT_EQ(d.controllers.size(), 2u);
    EXPECT_TRUE(d.controllers[0].Loops());
    EXPECT_EQ(d.controllers[1].index, 4);
    ASSERT_EQ(d.sequences.size(), 3u);
    EXPECT_EQ(d.sequences[0].label, "walk");
    EXPECT_EQ(d.sequences[0].frameCount, 5);
    EXPECT_TRUE(d.sequences[0].Loops());
    EXPECT_EQ(d.sequences[2].blendCount, 2);
    EXPECT_FLOAT_EQ(d.sequences[0].bbMax.z, 30.0f);
    ASSERT_EQ(d.bodyParts.size(), 2u);
    EXPECT_EQ(d.bodyParts[1].models.size(), 2u);
    EXPECT_EQ(d.bodyParts[1].models[0].meshes[0].commands.front(), -4) << "a fan of four";
    ASSERT_EQ(d.textures.size(), 3u);
    EXPECT_EQ(d.textures[2].name, "mask.bmp");
    EXPECT_EQ(d.textures[2].flags, 0x40);
    EXPECT_EQ(d.skinFamilies, 2);
    EXPECT_EQ(d.SkinTexture(0, 2), 2);
    EXPECT_EQ(d.SkinTexture(1, 0), 2);
    EXPECT_EQ(d.SkinTexture(2, 0), 0) << "a family the table lacks shows row 0";
    EXPECT_EQ(d.SkinTexture(-1, 2), 2);
    EXPECT_EQ(d.SkinTexture(1, 3), -1) << "a reference past the table";
    EXPECT_FALSE(d.texturesFromCompanion);
}

TEST(StudioRead, RunLengthValuesRepeatAndSkipWholeRecords) {
    const StudioReadResult read = Read(TestModel());
    ASSERT_TRUE(read.data);
    const StudioData& d = *read.data;
    const std::int16_t expected[] = {0, 10, 10, 20, 20};
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_EQ(d.AnimationValue(0, 0, 0, 0, frame), expected[frame]) << frame;
    }
    EXPECT_EQ(d.AnimationValue(0, 0, 0, 1, 3), 0) << "a channel without data";
    EXPECT_EQ(d.AnimationValue(0, 0, 0, 0, 40), 0) << "past the data";
}

TEST(StudioBones, PositionsFollowFramesAndParents) {
    const StudioReadResult read = Read(TestModel());
    ASSERT_TRUE(read.data);
    StudioPose pose;
    pose.frame = 2.0f;
    auto bones = Bones(*read.data, pose);
    ExpectNear(Origin(bones[0]), {20, 0, 0});  // frame 1's value repeated
    ExpectNear(Origin(bones[1]), {20, 5, 0});
    ExpectNear(Origin(bones[2]), {0, 0, 20});
    ExpectNear(Origin(bones[3]), {1, 0, 20});
    pose.frame = 2.5f;  // halfway from frame 2 to frame 3, the first of the next record
    ExpectNear(Origin(Bones(*read.data, pose)[1]), {25, 5, 0});
    pose.frame = 99.0f;  // held at the last frame
    ExpectNear(Origin(Bones(*read.data, pose)[0]), {30, 0, 0});
}

TEST(StudioBones, RotationsAreSlerpedBetweenFrames) {
    const StudioReadResult read = Read(TestModel());
    ASSERT_TRUE(read.data);
    StudioPose pose;
    pose.sequence = 1;
    pose.frame = 1.0f;  // a quarter turn about z: the child's (0, 5, 0) becomes (-5, 0, 0)
    ExpectNear(Origin(Bones(*read.data, pose)[1]), {5, 0, 0});
    pose.frame = 0.5f;  // an eighth of a turn: 5 (-sin 45, cos 45)
    ExpectNear(Origin(Bones(*read.data, pose)[1]), {10.0f - 3.5355339f, 3.5355339f, 0});
}

TEST(StudioBones, ControllersWrapOrHoldAndTheMouthOpens) {
    const StudioReadResult read = Read(TestModel());
    ASSERT_TRUE(read.data);
    StudioPose pose;
    pose.controllers[0] = 450.0f;  // a looping controller: 90 degrees
    ExpectNear(Origin(Bones(*read.data, pose)[3]), {0, 1, 20});
    pose.controllers[0] = -90.0f;  // 270 degrees
    ExpectNear(Origin(Bones(*read.data, pose)[3]), {0, -1, 20});
    pose.controllers[0] = 0.0f;
    pose.mouth = 2.0f;
    ExpectNear(Origin(Bones(*read.data, pose)[3]), {3, 0, 20});
    pose.mouth = 10.0f;  // held at the end of its range
    ExpectNear(Origin(Bones(*read.data, pose)[3]), {5, 0, 20});
}

TEST(StudioBones, TwoBlendsAreMixedByTheBlendValue) {
    const StudioReadResult read = Read(TestModel());
    ASSERT_TRUE(read.data);
    StudioPose pose;
    pose.sequence = 2;
    pose.blend[0] = 0.25f;
    ExpectNear(Origin(Bones(*read.data, pose)[1]), {12, 5, 0});
    pose.blend[0] = 1.0f;
    ExpectNear(Origin(Bones(*read.data, pose)[1]), {18, 5, 0});
}

TEST(StudioBones, SlerpTakesTheShorterArc) {
    const Quaternion a = AngleQuaternion({0, 0, 0});
    const Quaternion b = AngleQuaternion({0, 0, 1.5707963f});
    const Quaternion negated{-b.x, -b.y, -b.z, -b.w};
    const Quaternion half = QuaternionSlerp(a, negated, 0.5f);
    const Quaternion expected = AngleQuaternion({0, 0, 0.78539816f});
    EXPECT_NEAR(half.z, expected.z, kTolerance);
    EXPECT_NEAR(half.w, expected.w, kTolerance);
}

TEST(StudioRead, CompanionsAreReadByTheModelsOwnName) {
    StudioModelDef m = TestModel(true);
    m.separateTextures = true;
    Files files;
    files.byName["models/testT.mdl"] = WriteStudioTextureFile(m);
    files.byName["models/test01.mdl"] = WriteStudioSequenceGroup(m, 1);
    files.byName["models/test02.mdl"] = WriteStudioSequenceGroup(m, 2);
    const StudioReadResult read = Read(m, files);
    ASSERT_TRUE(read.data) << read.error;
    EXPECT_TRUE(read.data->texturesFromCompanion);
    EXPECT_EQ(read.data->textures.size(), 3u);
    ASSERT_EQ(read.data->sequences.size(), 5u);
    StudioPose pose;
    pose.sequence = 4;  // g2: root x 4, 5, 6 (+10)
    pose.frame = 1.0f;
    ExpectNear(Origin(Bones(*read.data, pose)[0]), {15, 0, 0});
    pose.sequence = 3;
    pose.frame = 2.0f;
    ExpectNear(Origin(Bones(*read.data, pose)[0]), {13, 0, 0});

    for (const char* missing : {"models/testT.mdl", "models/test02.mdl"}) {
        Files without = files;
        without.byName.erase(missing);
        const StudioReadResult failed = Read(m, without);
        EXPECT_FALSE(failed.data);
        EXPECT_EQ(failed.error, std::string("unable to open ") + missing);
    }
}

TEST(StudioRead, FilesThatAreNotAMainModelSayWhatToOpen) {
    StudioModelDef m = TestModel(true);
    m.separateTextures = true;
    EXPECT_EQ(ReadStudioModel(WriteStudioSequenceGroup(m, 1), "x/scientist01.mdl", {}).error,
              FormatMessage(msg::kStudioSequenceGroupFile, "scientist.mdl"));
    EXPECT_EQ(ReadStudioModel(WriteStudioTextureFile(m), "x/scientistT.mdl", {}).error,
              FormatMessage(msg::kStudioTextureFile, "scientist.mdl"));
    StudioModelDef old = TestModel();
    old.version = 6;
    EXPECT_EQ(Read(old).error, FormatMessage(msg::kStudioWrongVersion, "6"));
    EXPECT_EQ(ReadStudioModel(ByteBuffer{'I', 'D', 'P', '2', 8, 0, 0, 0}, "a.mdl", {}).error,
              NotValid("its first four bytes are not \"IDST\""));
}

TEST(StudioRead, HostileCountsOffsetsAndIndexesAreRefused) {
    const StudioModelDef good = TestModel();
    StudioModelDef m = good;
    m.bones[1].parent = 3;
    EXPECT_EQ(Read(m).error, NotValid("bone 1 names a parent that does not come before it"));
    m = good;
    m.bones[2].controller[0] = 7;
    EXPECT_EQ(Read(m).error, NotValid("bone 2 names a controller that does not exist"));
    m = good;
    m.controllers[0].bone = 9;
    EXPECT_EQ(Read(m).error, NotValid("a bone controller names a bone that does not exist"));
    m = good;
    m.bodyParts[0].models[0].meshes[0].commands[0].vertices[1][0] = 4;
    EXPECT_EQ(Read(m).error, NotValid("a triangle command names a vertex or normal that does not exist"));
    m = good;
    m.bodyParts[0].models[0].vertexBones[0] = 4;
    EXPECT_EQ(Read(m).error, NotValid("a vertex names a bone that does not exist"));
    m = good;
    m.bodyParts[0].models[0].meshes[0].skinReference = 3;
    EXPECT_EQ(Read(m).error, NotValid("a mesh names a skin reference that does not exist"));
    m = good;
    m.skinFamilies[1][0] = 3;
    EXPECT_EQ(Read(m).error, NotValid("the skin table names a texture that does not exist"));
    m = good;
    m.sequences[1].group = 1;
    EXPECT_EQ(Read(m).error, NotValid("sequence \"turn\" names a sequence group that does not exist"));
    m = good;
    m.sequences[0].frames = 0;
    EXPECT_EQ(Read(m).error, NotValid("sequence \"walk\" has no frames"));
    m = good;
    m.groupCount = studio_format::kMaxSequenceGroups + 1;
    EXPECT_EQ(Read(m).error, FormatMessage(msg::kStudioTooManyGroups, "33"));

    ByteBuffer bytes = WriteStudioModel(good);
    PatchI32(bytes, studio_field::kBoneCount, 0x10000000);
    EXPECT_EQ(ReadStudioModel(bytes, "a.mdl", {}).error, NotValid("bone table runs past the end of the file"));
    bytes = WriteStudioModel(good);
    PatchI32(bytes, studio_field::kSequenceOffset, -4);
    EXPECT_EQ(ReadStudioModel(bytes, "a.mdl", {}).error, NotValid("sequence table outside the file"));
    // Every cut through the tables and textures is refused (the animation data comes last).
    const ByteBuffer whole = WriteStudioModel(good);
    const auto animations = static_cast<std::size_t>(ReadI32At(whole, static_cast<std::size_t>(ReadI32At(whole, studio_field::kSequenceOffset)) + 124));
    for (std::size_t size = 0; size < animations; size += 7) {
        const ByteBuffer cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(ReadStudioModel(cut, "a.mdl", {}).data) << size;
    }
}

TEST(StudioBodyParts, BodyValuesAndEachPartsChoiceGoBothWays) {
    // Parts of 2, 3 and 2 submodels: bases 1, 2 and 6, twelve bodies in all.
    StudioModelDef m = TestModel();
    const StudioSubmodelDef strip = m.bodyParts[0].models[0];
    m.bodyParts = {{"a", 1, {strip, strip}}, {"b", 2, {strip, strip, strip}}, {"c", 6, {strip, strip}}};
    const StudioReadResult read = Read(m);
    ASSERT_TRUE(read.data) << read.error;
    const StudioData& d = *read.data;
    auto choices = [&](int body) {
        return std::vector<int>{d.SubmodelFor(body, 0), d.SubmodelFor(body, 1), d.SubmodelFor(body, 2)};
    };
    EXPECT_EQ(choices(11), (std::vector<int>{1, 2, 1}));  // 1 + 2*2 + 1*6
    EXPECT_EQ(choices(7), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(d.BodyWith(11, 1, 0), 7);
    EXPECT_EQ(d.BodyWith(0, 2, 1), 6);
    EXPECT_EQ(d.BodyWith(0, 1, 99), 4) << "held to the part's last submodel";
    EXPECT_EQ(d.BodyWith(0, 1, -3), 0);
    EXPECT_EQ(d.BodyWith(5, 7, 1), 5) << "a part that does not exist";
    EXPECT_EQ(d.NormalBody(13), 1) << "past the twelve bodies each part wraps";
    EXPECT_EQ(d.NormalBody(-5), 0);
    EXPECT_EQ(choices(-5), (std::vector<int>{0, 0, 0}));

    StudioModel studio(nullptr);
    ASSERT_EQ(studio.Load(WriteStudioModel(m), "models/test.mdl", Files{}.Reader()), "");
    studio.SetSubmodel(1, 2);
    studio.SetSubmodel(2, 1);
    EXPECT_EQ(studio.Body(), 10);
    studio.SetBody(std::numeric_limits<int>::max());
    EXPECT_EQ(studio.Body(), d.NormalBody(std::numeric_limits<int>::max()));
    EXPECT_LT(studio.Body(), 12);

    // Bases no compiler writes: the body saturates and every choice stays in its part.
    m.bodyParts = {{"a", 1, {strip, strip}}, {"huge", 0x40000000, {strip, strip, strip}}};
    const StudioReadResult odd = Read(m);
    ASSERT_TRUE(odd.data) << odd.error;
    const int body = odd.data->BodyWith(1, 1, 2);
    EXPECT_EQ(body, std::numeric_limits<int>::max());
    EXPECT_LT(odd.data->SubmodelFor(body, 1), 3);
    EXPECT_EQ(odd.data->SubmodelFor(body, 0), 1);
    EXPECT_LE(odd.data->NormalBody(std::numeric_limits<int>::max()), std::numeric_limits<int>::max());
}

TEST(StudioBones, FourBlendsMixEachPairThenThePairsThroughTheirRanges) {
    StudioModelDef m = TestModel();
    StudioSequenceDef& four = m.sequences[2];  // "aim": child x 0 and 8 in blends 0 and 1
    four.blends.resize(4, StudioBlendDef(4));
    four.blends[2][1][0] = RunLength({16});
    four.blends[3][1][0] = RunLength({40});
    four.blendType[1] = 0x1;
    four.blendStart[1] = 10.0f;
    four.blendEnd[1] = 30.0f;
    const StudioReadResult read = Read(m);
    ASSERT_TRUE(read.data) << read.error;
    StudioPose pose;
    pose.sequence = 2;
    const float corners[4][3] = {{0, 0, 0}, {1, 0, 8}, {0, 1, 16}, {1, 1, 40}};
    for (const auto& corner : corners) {
        pose.blend = {corner[0], corner[1]};
        ExpectNear(Origin(Bones(*read.data, pose)[1]), {10 + corner[2], 5, 0});  // each blend's own pose
    }
    pose.blend = {0.25f, 0.5f};  // (0 + 2) and (16 + 6) halfway: 12
    ExpectNear(Origin(Bones(*read.data, pose)[1]), {22, 5, 0});
    pose.blend = {std::numeric_limits<float>::quiet_NaN(), 7.0f};
    ExpectNear(Origin(Bones(*read.data, pose)[1]), {26, 5, 0});  // values held to 0..1

    // The model maps each value through its sequence's range; two values for four blends.
    StudioModel studio(nullptr);
    ASSERT_EQ(studio.Load(WriteStudioModel(m), "models/test.mdl", Files{}.Reader()), "");
    EXPECT_EQ(studio.BlendValueCount(), 0) << "walk has one blend";
    studio.SetBlending(0, 22.5f);  // a quarter of -45..45 past the middle
    studio.SetBlending(1, 20.0f);
    studio.SetSequence(2);
    EXPECT_EQ(studio.BlendValueCount(), 2);
    EXPECT_FLOAT_EQ(studio.Pose().blend[0], 0.75f);
    EXPECT_FLOAT_EQ(studio.Pose().blend[1], 0.5f);
    EXPECT_FLOAT_EQ(studio.Blending(1), 20.0f);
    studio.SetBlending(0, 337.5f);  // the same angle one turn round: -22.5
    EXPECT_FLOAT_EQ(studio.Pose().blend[0], 0.25f);
    studio.SetBlending(1, 1e9f);
    EXPECT_FLOAT_EQ(studio.Pose().blend[1], 1.0f);
    studio.SetBlending(2, 5.0f);  // no third value: nothing changes
    EXPECT_FLOAT_EQ(studio.Blending(2), 0.0f);
    // Controllers set on the model show in the next set-up, with no frame change.
    studio.SetController(0, 90.0f);
    studio.SetMouth(10.0f);
    ExpectNear(Origin(studio.SetUpBones()[3]), {0, 5, 20});
    studio.SetController(7, 1.0f);
    EXPECT_FLOAT_EQ(studio.Controller(7), 0.0f);
}

TEST(StudioBones, BonesPosedFourAtATimeEachKeepTheirOwnRotation) {
    // Seven bones fill one group of four and part of another: one turns by
    // almost a half turn between frames (the exact far-apart weights), one holds
    // an angle past the fast sine's range, one turns a little, one is the motion
    // bone, the rest hold still.
    constexpr double kStep = 0.01;  // radians per stored step
    StudioModelDef m;
    m.name = "lanes.mdl";
    StudioSequenceDef turn;
    turn.label = "turn";
    turn.frames = 2;
    turn.motionType = 0x1;
    turn.motionBone = 6;
    turn.blends[0].resize(7);
    const std::int16_t frames[7][3][2] = {{{10, 10}, {20, 20}, {30, 30}},   {{0, 0}, {0, 0}, {0, 300}},
                                          {{5, 5}, {0, 0}, {-10, 300}},     {{-40, -40}, {7, 7}, {1, 1}},
                                          {{0, 0}, {2000, 2000}, {0, 0}},   {{-100, -90}, {50, 55}, {3, 6}},
                                          {{12, 12}, {-12, -12}, {90, 90}}};
    for (std::size_t b = 0; b < 7; ++b) {
        m.bones.push_back({"bone" + std::to_string(b), -1, {-1, -1, -1, -1, -1, -1},
                           {static_cast<float>(b), 1, 2, 0, 0, 0},
                           {1, 1, 1, static_cast<float>(kStep), static_cast<float>(b == 4 ? 10.0 : kStep),
                            static_cast<float>(kStep)}});
        for (std::size_t axis = 0; axis < 3; ++axis) {
            turn.blends[0][b][3 + axis] = RunLength({frames[b][axis][0], frames[b][axis][1]});
        }
    }
    m.sequences = {turn};
    const StudioReadResult read =
        ReadStudioModel(WriteStudioModel(m), "lanes.mdl", {}, MissingStudioCompanion::ReadWithout);
    ASSERT_TRUE(read.data) << read.error;
    StudioPose pose;
    pose.frame = 0.5f;
    std::vector<BoneState> posed;
    PoseBones(*read.data, pose, posed);
    ASSERT_EQ(posed.size(), 7u);

    const auto exactAngles = [](double x, double y, double z) {
        const double sy = std::sin(z / 2), cy = std::cos(z / 2), sp = std::sin(y / 2), cp = std::cos(y / 2);
        const double sr = std::sin(x / 2), cr = std::cos(x / 2);
        return std::array<double, 4>{sr * cp * cy - cr * sp * sy, cr * sp * cy + sr * cp * sy,
                                     cr * cp * sy - sr * sp * cy, cr * cp * cy + sr * sp * sy};
    };
    for (std::size_t b = 0; b < 7; ++b) {
        const double scaleY = b == 4 ? 10.0 : kStep;
        const auto p = exactAngles(frames[b][0][0] * kStep, frames[b][1][0] * scaleY, frames[b][2][0] * kStep);
        auto q = exactAngles(frames[b][0][1] * kStep, frames[b][1][1] * scaleY, frames[b][2][1] * kStep);
        double dot = p[0] * q[0] + p[1] * q[1] + p[2] * q[2] + p[3] * q[3];
        const double sign = dot < 0 ? -1.0 : 1.0;
        dot = std::min(std::abs(dot), 1.0);
        const double omega = std::acos(dot);
        const double weight = omega < 1e-9 ? 0.5 : std::sin(0.5 * omega) / std::sin(omega);
        const double expected[4] = {weight * (p[0] + sign * q[0]), weight * (p[1] + sign * q[1]),
                                    weight * (p[2] + sign * q[2]), weight * (p[3] + sign * q[3])};
        const Quaternion& r = posed[b].rotation;
        EXPECT_NEAR(r.x, expected[0], 1e-5) << "bone " << b;
        EXPECT_NEAR(r.y, expected[1], 1e-5) << "bone " << b;
        EXPECT_NEAR(r.z, expected[2], 1e-5) << "bone " << b;
        EXPECT_NEAR(r.w, expected[3], 1e-5) << "bone " << b;
        EXPECT_FLOAT_EQ(posed[b].position.x, b == 6 ? 0.0f : static_cast<float>(b)) << "bone " << b;
        EXPECT_FLOAT_EQ(posed[b].position.y, 1.0f);
    }
}
