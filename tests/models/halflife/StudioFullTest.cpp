// Half-Life models in full (issue 28): the tables read beside the skeleton
// (events, attachments, hit boxes, the header's boxes) and their hostile forms,
// hand-worked poses of controllers, the mouth and four-way blends, textures drawn
// in the game's order, a follower merged onto its leader by bone names, the pair
// as one undoable object, and the scene file's extension area.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "media/PngFile.h"
#include "models/ModelFamilies.h"
#include "models/halflife/COGLHLModel.h"
#include "models/halflife/StudioBones.h"
#include "models/halflife/StudioFormat.h"
#include "models/halflife/StudioModel.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/SceneViewLink.h"
#include "support/ModelWriters.h"
#include "support/StudioWriters.h"
#include "support/TestSupport.h"

using namespace fixtures;

namespace {

constexpr float kTolerance = 1e-3f;

std::string NotValid(const std::string& detail) { return FormatMessage(msg::kStudioNotValid, detail); }

StudioReadResult ReadBytes(const ByteBuffer& bytes) { return ReadStudioModel(bytes, "models/scientist.mdl", {}); }
StudioReadResult ReadDef(const StudioModelDef& m) { return ReadBytes(WriteStudioModel(m)); }

Vector3 OriginOf(const BoneMatrix& m) { return {m[0][3], m[1][3], m[2][3]}; }

void ExpectNear(const Vector3& actual, const Vector3& expected, const std::string& what = {}) {
    EXPECT_NEAR(actual.x, expected.x, kTolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, kTolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, kTolerance) << what;
}

struct Document {
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};

std::size_t Find(const ByteBuffer& bytes, const std::string& text) {
    const auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
    return at == bytes.end() ? std::string::npos : static_cast<std::size_t>(at - bytes.begin());
}

class StudioFull : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        RegisterModelClasses();
        leaderPath_ = dir_.Write("models/scientist.mdl", WriteStudioModel(MakeFullStudioModel()));
        followerPath_ = dir_.Write("models/p_tool.mdl", WriteStudioModel(MakeStudioFollower()));
    }

    static COGLHLModel* Open(Document& d, const std::string& path) {
        if (!d.doc.OpenFile(path).succeeded) {
            return nullptr;
        }
        return dynamic_cast<COGLHLModel*>(d.scene.Objects().back().get());
    }

    TempDir dir_;
    std::string leaderPath_;
    std::string followerPath_;
};

}  // namespace

TEST(StudioTables, EventsAttachmentsHitBoxesAndTheHeaderComeBackAsWritten) {
    const StudioReadResult read = ReadDef(MakeFullStudioModel());
    ASSERT_TRUE(read.data) << read.error;
    const StudioData& d = *read.data;

    ASSERT_EQ(d.sequences.size(), 2u);
    const StudioSequence& idle = d.sequences[0];
    EXPECT_EQ(idle.activity, 1);
    EXPECT_EQ(idle.activityWeight, 1);
    ASSERT_EQ(idle.events.size(), 1u);
    EXPECT_EQ(idle.events[0].frame, 3);
    EXPECT_EQ(idle.events[0].event, 1004);
    EXPECT_EQ(idle.events[0].options, "common/npc_step1.wav");
    const StudioSequence& aim = d.sequences[1];
    EXPECT_FALSE(aim.Loops());
    EXPECT_EQ(aim.activity, 7);
    EXPECT_EQ(aim.activityWeight, 2);
    EXPECT_EQ(aim.blendCount, 4);
    ASSERT_EQ(aim.events.size(), 2u) << "the event at frame 9 of three frames never fires: left out";
    EXPECT_EQ(aim.events[0].frame, 0);
    EXPECT_EQ(aim.events[0].event, 5001);
    EXPECT_EQ(aim.events[0].options, "10");
    EXPECT_EQ(aim.events[1].frame, 2);
    EXPECT_EQ(aim.events[1].event, 5002);

    ASSERT_EQ(d.attachments.size(), 2u);
    EXPECT_EQ(d.attachments[0].name, "muzzle");
    EXPECT_EQ(d.attachments[0].bone, 3);
    ExpectNear(d.attachments[0].origin, {6, 0, 0});
    EXPECT_EQ(d.attachments[1].name, "eyes");
    ASSERT_EQ(d.hitBoxes.size(), 3u);
    EXPECT_EQ(d.hitBoxes[0].bone, 2);
    EXPECT_EQ(d.hitBoxes[0].group, 1);
    ExpectNear(d.hitBoxes[0].min, {-4, -4, 0});
    ExpectNear(d.hitBoxes[0].max, {4, 4, 8});
    EXPECT_EQ(d.hitBoxes[2].group, 5);
    ExpectNear(d.eyePosition, {0, 0, 60});
    ExpectNear(d.clipMin, {-16, -16, 0});
    ExpectNear(d.clipMax, {16, 16, 72});
    ExpectNear(d.boxMin, {-12, -14, 0});
    ExpectNear(d.boxMax, {12, 14, 64});

    // Two parts of three and two submodels; three skin families of four references.
    ASSERT_EQ(d.bodyParts.size(), 2u);
    EXPECT_EQ(d.bodyParts[0].models.size(), 3u);
    EXPECT_EQ(d.bodyParts[1].models.size(), 2u);
    EXPECT_EQ(d.bodyParts[1].base, 3);
    EXPECT_EQ(d.SubmodelFor(5, 0), 2);
    EXPECT_EQ(d.SubmodelFor(5, 1), 1);
    EXPECT_EQ(d.BodyWith(5, 1, 0), 2);
    EXPECT_EQ(d.skinFamilies, 3);
    EXPECT_EQ(d.skinReferences, 4);
    EXPECT_EQ(d.SkinTexture(1, 0), 4);
    EXPECT_EQ(d.SkinTexture(2, 1), 4);
    EXPECT_EQ(d.SkinTexture(3, 1), 1) << "a family past the table shows row 0";
    ASSERT_EQ(d.controllers.size(), 3u);
    EXPECT_TRUE(d.controllers[0].Loops());
    EXPECT_FALSE(d.controllers[1].Loops());
    EXPECT_EQ(d.controllers[2].index, studio_format::kMouthController);
}

TEST(StudioTables, HostileNewTablesAreRefusedWithTheirMessages) {
    const StudioModelDef good = MakeFullStudioModel();
    struct Variant {
        const char* what;
        void (*change)(StudioModelDef&);
        std::string error;
    };
    const Variant variants[] = {
        {"attachment bone", [](StudioModelDef& m) { m.attachments[0].bone = 5; },
         NotValid("attachment 0 names a bone that does not exist")},
        {"attachment place", [](StudioModelDef& m) { m.attachments[1].origin.y = std::numeric_limits<float>::infinity(); },
         NotValid("attachment 1 has a place that is not a number")},
        {"hit box bone", [](StudioModelDef& m) { m.hitBoxes[2].bone = -1; },
         NotValid("hit box 2 names a bone that does not exist")},
        {"hit box size", [](StudioModelDef& m) { m.hitBoxes[0].max.z = std::numeric_limits<float>::quiet_NaN(); },
         NotValid("hit box 0 has a size that is not a number")},
        {"eye position", [](StudioModelDef& m) { m.eyePosition.x = std::numeric_limits<float>::quiet_NaN(); },
         NotValid("the header's eye position or boxes are not numbers")},
    };
    for (const Variant& v : variants) {
        StudioModelDef m = good;
        v.change(m);
        EXPECT_EQ(ReadDef(m).error, v.error) << v.what;
    }

    // Counts and offsets patched past what the bytes hold.
    const ByteBuffer whole = WriteStudioModel(good);
    const auto sequences = static_cast<std::size_t>(ReadI32At(whole, studio_field::kSequenceOffset));
    struct Patch {
        std::size_t at;
        std::int32_t value;
        std::string error;
    };
    const Patch patches[] = {
        {studio_field::kAttachmentCount, 0x01000000, NotValid("attachment table runs past the end of the file")},
        {studio_field::kAttachmentCount, -1, NotValid("negative attachment count")},
        {studio_field::kHitBoxOffset, -8, NotValid("hit box table outside the file")},
        {studio_field::kHitBoxCount, 0x7fffffff, NotValid("hit box table runs past the end of the file")},
        {sequences + 176 + studio_field::kSequenceEventCount, -2, NotValid("sequence \"aim4\" has a negative event count")},
        {sequences + studio_field::kSequenceEventOffset, static_cast<std::int32_t>(whole.size()),
         NotValid("events of sequence \"idle\" outside the file")},
        {sequences + studio_field::kSequenceEventCount, 0x7fffffff, NotValid("events of sequence \"idle\" outside the file")},
    };
    for (const Patch& p : patches) {
        ByteBuffer bytes = whole;
        PatchI32(bytes, p.at, p.value);
        EXPECT_EQ(ReadBytes(bytes).error, p.error) << p.at << " = " << p.value;
    }
    // Every cut before the animation data is refused, never read past.
    const auto animations = static_cast<std::size_t>(ReadI32At(whole, sequences + 124));
    for (std::size_t size = 0; size < animations; size += 5) {
        const ByteBuffer cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(ReadBytes(cut).data) << size;
    }
}

TEST(StudioBones, ControllersTheMouthAndFourBlendsPoseTheFullModelAsWorkedByHand) {
    StudioModel studio(nullptr);
    ASSERT_EQ(studio.Load(WriteStudioModel(MakeFullStudioModel()), "models/scientist.mdl", {}), "");
    const StudioData& d = *studio.Data();
    // At rest: pelvis (0, 0, 36), spine 10 up, head 12 up, hand 10 to the right, jaw 2 ahead of the head.
    ExpectNear(OriginOf(studio.SetUpBones()[4]), {2, 0, 58});

    // The wrapping controller turns the head: +90 degrees takes the jaw from +x to +y;
    // 270 is -90 one turn round. The mouth (0..4) moves the jaw out along the head's x.
    studio.SetController(0, 90.0f);
    ExpectNear(OriginOf(studio.SetUpBones()[4]), {0, 2, 58}, "yaw 90");
    studio.SetController(0, 270.0f);
    ExpectNear(OriginOf(studio.SetUpBones()[4]), {0, -2, 58}, "yaw 270 wraps to -90");
    studio.SetMouth(3.0f);
    ExpectNear(OriginOf(studio.SetUpBones()[4]), {0, -5, 58}, "mouth 3");
    studio.SetMouth(9.0f);
    ExpectNear(OriginOf(studio.SetUpBones()[4]), {0, -6, 58}, "the mouth is held to its range");

    // The plain controller pitches the hand and is held to -30..30: the muzzle (6
    // ahead of the hand) tips down by 30 degrees.
    studio.SetController(1, 45.0f);
    const BoneMatrix hand = studio.SetUpBones()[3];
    ExpectNear(OriginOf(hand), {0, -10, 46});
    ExpectNear(TransformPoint(hand, d.attachments[0].origin), {6.0f * std::cos(0.5235988f), -10, 46 - 3}, "muzzle");

    // Four blends: the spine's x is 0, 4, 8, 16 in blends 0-3; the first value mixes
    // 0-1 and 2-3 by pitch -90..90, the second the two results by yaw -45..45.
    studio.SetSequence(1);
    ASSERT_EQ(studio.BlendValueCount(), 2);
    const struct {
        float pitch, yaw, x;
    } blends[] = {{-90, -45, 0}, {90, -45, 4}, {-90, 45, 8}, {90, 45, 16}, {0, 0, 7}, {-45, 22.5f, 7.75f}};
    for (const auto& b : blends) {
        studio.SetBlending(0, b.pitch);
        studio.SetBlending(1, b.yaw);
        ExpectNear(OriginOf(studio.SetUpBones()[1]), {b.x, 0, 46},
                   "pitch " + std::to_string(b.pitch) + " yaw " + std::to_string(b.yaw));
    }
}

TEST_F(StudioFull, AFollowerTakesItsLeadersBonesByNameWithoutRegardToCase) {
    COGLScene scene;
    COGLHLModel leader(&scene);
    ASSERT_TRUE(leader.LoadFile(leaderPath_));
    auto follower = std::make_unique<COGLHLModel>(&scene);
    ASSERT_TRUE(follower->LoadFile(followerPath_));
    // Its own pose, alone: the hand at (0, 5, 25), the tip 8 ahead of it.
    ExpectNear(OriginOf(follower->SetUpBones()[3]), {8, 5, 25});

    Vector3 lo;
    Vector3 hi;
    ASSERT_TRUE(leader.LocalBounds(lo, hi));
    EXPECT_FLOAT_EQ(hi.z, 12.0f);
    EXPECT_FALSE(leader.SetFollower(nullptr));
    COGLHLModel* f = follower.get();
    ASSERT_TRUE(leader.SetFollower(std::move(follower)));
    EXPECT_EQ(leader.Follower(), f);
    EXPECT_EQ(leader.FollowerBoneMap(), (std::vector<int>{0, 1, 3, -1})) << "BIP01, bip01 spine, BIP01 r HAND, tool_tip";
    ASSERT_TRUE(leader.LocalBounds(lo, hi));
    EXPECT_FLOAT_EQ(hi.z, 14.0f) << "the pair's box holds the follower's";

    // The leader poses, the follower's merged bones are its matrices exactly; the
    // bone without a namesake hangs from its merged parent.
    leader.SetController(1, 20.0f);
    leader.SetController(0, 60.0f);
    const std::vector<BoneMatrix> bones = leader.SetUpBones();
    const std::vector<BoneMatrix>& merged = f->Studio()->Bones();
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_EQ(merged[0], bones[0]);
    EXPECT_EQ(merged[1], bones[1]);
    EXPECT_EQ(merged[2], bones[3]);
    ExpectNear(OriginOf(merged[3]), TransformPoint(bones[3], {8, 0, 0}), "tool_tip");
    ExpectNear(OriginOf(merged[3]), {8.0f * std::cos(0.3490659f), -10, 46 - 8.0f * std::sin(0.3490659f)});

    // A copy copies the pair; parting gives the follower the leader's placement.
    auto copy = std::make_unique<COGLHLModel>(&scene);
    copy->CopyFrom(leader);
    ASSERT_NE(copy->Follower(), nullptr);
    EXPECT_NE(copy->Follower(), f);
    EXPECT_EQ(copy->FollowerBoneMap(), leader.FollowerBoneMap());
    EXPECT_FALSE(leader.SetFollower(std::move(copy))) << "a model with a follower follows nothing";
    leader.SetPosition(3, 4, 5);
    std::unique_ptr<COGLHLModel> parted = leader.TakeFollower();
    ASSERT_EQ(parted.get(), f);
    EXPECT_EQ(leader.Follower(), nullptr);
    EXPECT_EQ(parted->Position(), (Vector3{3, 4, 5}));
    EXPECT_FLOAT_EQ(parted->Scale().x, leader.Scale().x);
    ExpectNear(OriginOf(parted->SetUpBones()[3]), {8, 5, 25}, "its own pose again");
}

TEST_F(StudioFull, FollowAndPartAreOneUndoStepEachAndTheEditHistoryKeepsThePose) {
    Document d;
    COGLHLModel* leader = Open(d, leaderPath_);
    COGLHLModel* follower = Open(d, followerPath_);
    ASSERT_NE(leader, nullptr);
    ASSERT_NE(follower, nullptr);
    follower->SetPosition(9, 0, 0);
    const std::size_t steps = d.doc.History().UndoCount();
    d.doc.SetModified(false);

    ASSERT_TRUE(d.doc.FollowModel(leader, follower));
    EXPECT_EQ(d.scene.Objects().size(), 1u);
    EXPECT_EQ(leader->Follower(), follower);
    EXPECT_EQ(d.scene.Selected(), leader);
    EXPECT_TRUE(d.doc.IsModified());
    EXPECT_EQ(d.doc.History().UndoCount(), steps + 1);
    EXPECT_FALSE(d.doc.FollowModel(leader, leader));
    ASSERT_TRUE(d.doc.Undo());
    ASSERT_EQ(d.scene.Objects().size(), 2u);
    EXPECT_EQ(d.scene.Objects()[1].get(), follower);
    EXPECT_EQ(leader->Follower(), nullptr);
    EXPECT_EQ(follower->Position(), (Vector3{9, 0, 0})) << "back where it stood";
    ASSERT_TRUE(d.doc.Redo());
    EXPECT_EQ(leader->Follower(), follower);

    leader->SetPosition(1, 2, 3);
    EXPECT_EQ(d.doc.PartFollower(leader), follower);
    ASSERT_EQ(d.scene.Objects().size(), 2u);
    EXPECT_EQ(d.scene.Objects()[1].get(), follower);
    EXPECT_EQ(d.scene.Selected(), follower);
    EXPECT_EQ(follower->Position(), (Vector3{1, 2, 3}));
    EXPECT_EQ(d.doc.PartFollower(leader), nullptr);
    ASSERT_TRUE(d.doc.Undo());
    EXPECT_EQ(leader->Follower(), follower);
    EXPECT_EQ(d.scene.Objects().size(), 1u);

    // The pose is part of the object's record in the history.
    d.doc.History().Watch(d.scene, leader);
    leader->SetSkinFamily(2);
    leader->SetBody(4);
    leader->SetController(0, 33.0f);
    d.doc.History().Changed(d.scene, leader, "Pose");
    ASSERT_TRUE(d.doc.Undo());
    EXPECT_EQ(leader->SkinFamily(), 0);
    EXPECT_EQ(leader->Body(), 0);
    EXPECT_FLOAT_EQ(leader->Controller(0), 0.0f);
    ASSERT_TRUE(d.doc.Redo());
    EXPECT_EQ(leader->SkinFamily(), 2);
    EXPECT_EQ(leader->Body(), 4);
    EXPECT_FLOAT_EQ(leader->Controller(0), 33.0f);
}

TEST_F(StudioFull, ASequenceThatDoesNotLoopStopsOnItsLastFrameAndEventsAreFoundByFrame) {
    Document d;
    COGLHLModel* model = Open(d, leaderPath_);
    ASSERT_NE(model, nullptr);
    model->SetAnimation(model->Animations()[1].get());  // aim4: three frames, not looping
    ASSERT_EQ(model->CurrentSequence()->label, "aim4");
    model->SetSpeed(1.5f);
    model->Play();
    model->AdvanceFrame();
    EXPECT_TRUE(model->IsAnimating());
    model->AdvanceFrame();  // 3.0 passes the end: held on frame 2
    EXPECT_FALSE(model->IsAnimating());
    EXPECT_FLOAT_EQ(model->FramePosition(), 2.0f);
    EXPECT_FLOAT_EQ(model->Studio()->Frame(), 2.0f);
    ASSERT_EQ(model->EventsAt(2).size(), 1u);
    EXPECT_EQ(model->EventsAt(2)[0]->event, 5002);
    EXPECT_TRUE(model->EventsAt(1).empty());
    model->Play();  // again from the start
    EXPECT_FLOAT_EQ(model->FramePosition(), 0.0f);
    EXPECT_EQ(model->EventsAt(0)[0]->options, "10");

    model->SetAnimation(model->Animations()[0].get());  // idle loops
    model->SetFrame(0);
    model->Play();
    for (int i = 0; i < 6; ++i) {
        model->AdvanceFrame();  // 9.0 reaches the last frame: round again
    }
    EXPECT_TRUE(model->IsAnimating());
    EXPECT_FLOAT_EQ(model->FramePosition(), 0.0f);
    EXPECT_EQ(model->EventsAt(3)[0]->event, 1004);
}

TEST_F(StudioFull, MaskedThenSolidThenAdditiveAsTheGameDrawsThem) {
    // Three quads, written in the wrong order: additive (in front, on the right),
    // solid (across), masked (on the left, in the solid's very plane; its left
    // half palette index 255). All full bright, so the pixels are the palettes'.
    StudioModelDef m;
    m.name = "order.mdl";
    m.bones = {{"root", -1, {-1, -1, -1, -1, -1, -1}, {}, {1, 1, 1, 1, 1, 1}}};
    StudioSequenceDef still;
    still.label = "still";
    m.sequences = {still};
    StudioSubmodelDef quads;
    AddStudioQuad(quads, 2, 0, 5.0f, 2.0f, -4.0f, 10.0f, 4.0f);
    AddStudioQuad(quads, 0, 0, 0.0f, -10.0f, -4.0f, 10.0f, 4.0f);
    AddStudioQuad(quads, 1, 0, 0.0f, -10.0f, -4.0f, -2.0f, 4.0f);
    m.bodyParts = {{"quads", 1, {quads}}};
    StudioTextureDef mask{"mask.bmp", 0x40 | 0x4, 8, 8, {}, StudioPalette({{1, 160, 0, 0}})};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            mask.indexes.push_back(x < 4 ? 255 : 1);
        }
    }
    m.textures = {{"solid.bmp", 0x4, 8, 8, {}, StudioPalette({{1, 0, 0, 160}})},
                  mask,
                  {"add.bmp", 0x20 | 0x4, 8, 8, {}, StudioPalette({{1, 0, 120, 0}})}};
    Document d;
    COGLHLModel* model = Open(d, dir_.Write("models/order.mdl", WriteStudioModel(m)));
    ASSERT_NE(model, nullptr);
    model->SetScale(1, 1, 1);

    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-16, 16, -16, 16, -100, 100);  // 4 pixels a unit; model x is depth
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    model->Draw(COGLObject::kDrawMaterial);

    const auto pixel = [](int x, int y) {
        std::array<std::uint8_t, 4> rgba{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return std::array<int, 3>{rgba[0], rgba[1], rgba[2]};
    };
    const auto expect = [&](int x, const std::array<int, 3>& rgb, const char* what) {
        const std::array<int, 3> got = pixel(x, 64);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(got[static_cast<std::size_t>(c)], rgb[static_cast<std::size_t>(c)], 3)
                << what << " channel " << c << " at x " << x;
        }
    };
    expect(32, {0, 0, 160}, "masked's cut-out half: the solid behind it");
    expect(48, {160, 0, 0}, "masked's kept half: drawn first, so the solid in its plane loses");
    expect(64, {0, 0, 160}, "solid alone");
    expect(88, {0, 120, 160}, "additive over the solid: added after it");
    expect(120, {0, 0, 0}, "nothing");
    // The additive quad wrote no depth: the solid's depth (0.5) is there, not its own (0.475).
    GLfloat depth = 0.0f;
    glReadPixels(88, 64, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.5f, 0.002f);
    // And nothing of the passes' state is left behind.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    GLboolean mask_ = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask_);
    EXPECT_EQ(mask_, GL_TRUE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(StudioFull, PoseAndFollowerRoundTripThroughTheExtensionAreaThatOldReadersNeverReach) {
    // A model at the pose it opens with writes exactly today's scene: no area at all.
    {
        Document plain;
        ASSERT_NE(Open(plain, leaderPath_), nullptr);
        ASSERT_TRUE(plain.doc.Save(dir_.File("plain.dv")));
        const ByteBuffer first = *ReadWholeFile(dir_.File("plain.dv"));
        EXPECT_EQ(Find(first, "MVX1"), std::string::npos);
        Document again;
        ASSERT_TRUE(again.doc.Open(dir_.File("plain.dv")));
        ASSERT_TRUE(again.doc.Save(dir_.File("plain2.dv")));
        EXPECT_EQ(*ReadWholeFile(dir_.File("plain2.dv")), first);
    }

    Document d;
    COGLHLModel* leader = Open(d, leaderPath_);
    COGLHLModel* follower = Open(d, followerPath_);
    ASSERT_NE(leader, nullptr);
    ASSERT_NE(follower, nullptr);
    leader->SetAnimation(leader->Animations()[1].get());
    leader->SetBody(5);
    leader->SetSkinFamily(2);
    leader->SetController(0, 90.0f);
    leader->SetController(1, -20.0f);
    leader->SetMouth(3.0f);
    leader->SetBlend(0, 45.0f);
    leader->SetBlend(1, -10.0f);
    ASSERT_TRUE(d.doc.FollowModel(leader, follower));
    follower->SetController(2, 7.0f);
    ASSERT_TRUE(d.doc.Save(dir_.File("pair.dv")));
    const ByteBuffer bytes = *ReadWholeFile(dir_.File("pair.dv"));
    const std::size_t area = Find(bytes, "MVX1");
    ASSERT_NE(area, std::string::npos);
    EXPECT_EQ(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(area) + 4,
                          bytes.begin() + static_cast<std::ptrdiff_t>(area) + 8),
              "OBJX");

    Document back;
    ASSERT_TRUE(back.doc.Open(dir_.File("pair.dv")));
    EXPECT_EQ(back.scene.LoadSkippedRecords(), 0);
    ASSERT_EQ(back.scene.Objects().size(), 1u);
    auto* again = dynamic_cast<COGLHLModel*>(back.scene.Objects().front().get());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetAnimation()->name, "aim4");
    EXPECT_EQ(again->Body(), 5);
    EXPECT_EQ(again->SkinFamily(), 2);
    EXPECT_FLOAT_EQ(again->Controller(0), 90.0f);
    EXPECT_FLOAT_EQ(again->Controller(1), -20.0f);
    EXPECT_FLOAT_EQ(again->Mouth(), 3.0f);
    EXPECT_FLOAT_EQ(again->Blend(0), 45.0f);
    EXPECT_FLOAT_EQ(again->Blend(1), -10.0f);
    ASSERT_NE(again->Follower(), nullptr);
    EXPECT_EQ(fs_util::FileNameOf(again->Follower()->FilePath()), "p_tool.mdl");
    EXPECT_FLOAT_EQ(again->Follower()->Controller(2), 7.0f);
    EXPECT_EQ(again->FollowerBoneMap(), (std::vector<int>{0, 1, 3, -1}));
    ASSERT_TRUE(back.doc.Save(dir_.File("pair2.dv")));
    EXPECT_EQ(*ReadWholeFile(dir_.File("pair2.dv")), bytes) << "read and written again, the same bytes";

    // A reader of today's files stops before the area: the file cut there opens to the same objects.
    const ByteBuffer cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(area));
    dir_.Write("cut.dv", cut);
    Document old;
    ASSERT_TRUE(old.doc.Open(dir_.File("cut.dv")));
    EXPECT_EQ(old.scene.LoadSkippedRecords(), 0);
    ASSERT_EQ(old.scene.Objects().size(), 1u);
    auto* plain = dynamic_cast<COGLHLModel*>(old.scene.Objects().front().get());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->Name(), again->Name());
    EXPECT_EQ(plain->GetAnimation()->name, "aim4");
    EXPECT_EQ(plain->Body(), 0);
    EXPECT_EQ(plain->Follower(), nullptr);

    // A block that does not check is skipped and counted, never failing the scene:
    // the scene comes back untitled, so it is not saved over its file unasked.
    ByteBuffer broken = bytes;
    PatchI32(broken, area + 8, 0x7fffff00);
    dir_.Write("broken.dv", broken);
    Document hurt;
    ASSERT_TRUE(hurt.doc.Open(dir_.File("broken.dv")));
    EXPECT_EQ(hurt.scene.LoadSkippedRecords(), 1);
    EXPECT_EQ(hurt.scene.Objects().size(), 1u);
    EXPECT_TRUE(hurt.doc.PathName().empty());
    EXPECT_TRUE(hurt.doc.IsModified());
}

TEST_F(StudioFull, OverlaysShowTheSkeletonThroughTheModelAndLabelItInSceneSpace) {
    Document d;
    COGLHLModel* model = Open(d, leaderPath_);
    COGLHLModel* follower = Open(d, followerPath_);
    ASSERT_NE(model, nullptr);
    ASSERT_NE(follower, nullptr);
    ASSERT_TRUE(d.doc.FollowModel(model, follower));
    model->SetPosition(10, 0, 0);
    model->SetScale(0.5f, 0.5f, 0.5f);

    // Labels: the leader's five bones and two attachments, then the follower's four bones.
    const auto labels = model->OverlayLabels(object_overlay::kBones | object_overlay::kAttachments);
    ASSERT_EQ(labels.size(), 11u);
    EXPECT_EQ(labels[4].name, "Bip01 Jaw");
    EXPECT_EQ(labels[4].kind, object_overlay::kBones);
    ExpectNear(labels[4].position, {10, 29, 1}, "the jaw: model (2, 0, 58) drawn as (y, z, x), halved, moved");
    EXPECT_EQ(labels[5].name, "muzzle");
    EXPECT_EQ(labels[5].kind, object_overlay::kAttachments);
    ExpectNear(labels[5].position, {5, 23, 3}, "the muzzle: model (6, -10, 46)");
    EXPECT_EQ(labels[10].name, "tool_tip");
    ExpectNear(labels[10].position, {5, 23, 4}, "8 ahead of the hand");
    EXPECT_EQ(model->OverlayLabels(object_overlay::kHitBoxes).size(), 0u);

    // Drawn over the model with the depth test on: every overlay shows through it.
    model->SetPosition(0, -36, 0);
    model->SetScale(1, 1, 1);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-40, 40, -40, 40, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    model->Draw(COGLObject::kDrawMaterial);
    const auto count = [](const std::array<int, 3>& rgb) {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth * kHeight * 4));
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        int n = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            n += std::abs(pixels[i] - rgb[0]) < 4 && std::abs(pixels[i + 1] - rgb[1]) < 4 &&
                 std::abs(pixels[i + 2] - rgb[2]) < 4;
        }
        return n;
    };
    const std::array<int, 3> head{255, 64, 64};  // hit group 1
    const std::array<int, 3> bones{255, 217, 51};
    EXPECT_EQ(count(head), 0);
    EXPECT_EQ(count(bones), 0);
    model->DrawOverlays(object_overlay::kHitBoxes | object_overlay::kBones | object_overlay::kAttachments |
                        object_overlay::kBoundingBox | object_overlay::kClipBox | object_overlay::kEyePosition);
    EXPECT_GT(count(head), 20);
    EXPECT_GT(count(bones), 10);
    EXPECT_GT(count({51, 255, 115}), 0) << "attachment points";
    EXPECT_GT(count({255, 77, 255}), 0) << "the eye position";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // For a look: the picture beside the test's other output.
    PngImage picture;
    picture.width = kWidth;
    picture.height = kHeight;
    picture.channels = 4;
    picture.pixels.resize(static_cast<std::size_t>(kWidth * kHeight * 4));
    std::vector<std::uint8_t> rows(picture.pixels.size());
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < kHeight; ++y) {
        std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>((kHeight - 1 - y) * kWidth * 4), kWidth * 4,
                    picture.pixels.begin() + static_cast<std::ptrdiff_t>(y * kWidth * 4));
    }
    WritePng(TestOutputDirectory() + "/studio-overlays.png", picture);
}
