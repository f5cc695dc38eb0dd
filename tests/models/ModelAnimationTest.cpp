#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "models/ModelFamilies.h"
#include "models/ModelFixtures.h"
#include "models/quake2/COGLMD2.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"

using namespace model_fixtures;

namespace {

class ModelAnimation_ : public HostFixture {
protected:
    // A model of one animation with `frames` frames, ticking whole frames.
    std::unique_ptr<COGLMD2> Model(int frames, bool interpolate = false) {
        auto model = std::make_unique<COGLMD2>();
        const ByteBuffer bytes = AnimatedBox({{"walk", frames}});
        BinaryReader in(bytes);
        EXPECT_TRUE(model->ReadMD2(in, 0, false));
        model->SetSpeed(1.0f);
        model->SetInterpolate(interpolate);
        return model;
    }

    static std::vector<int> Ticks(COGLMD2& model, int count) {
        std::vector<int> frames;
        for (int i = 0; i < count; ++i) {
            model.AdvanceFrame();
            frames.push_back(model.FrameIndex());
        }
        return frames;
    }
};

}  // namespace

TEST_F(ModelAnimation_, OneAnimationLoopsFromItsFirstFrame) {
    auto model = Model(3);
    model->Play();
    EXPECT_TRUE(model->IsAnimating());
    EXPECT_EQ(Ticks(*model, 7), (std::vector<int>{1, 2, 0, 1, 2, 0, 1}));
    EXPECT_EQ(model->NextFrameIndex(), model->FrameIndex());
    EXPECT_EQ(model->Lerp(), 0.0f);
    EXPECT_TRUE(model->IsAnimating());
    EXPECT_EQ(host_.animationRefreshes, 0);
}

TEST_F(ModelAnimation_, WithoutLoopTheAnimationStopsAtFrameZeroAndTellsTheControls) {
    auto model = Model(3);
    model->SetLoop(false);
    model->Play();
    EXPECT_EQ(Ticks(*model, 2), (std::vector<int>{1, 2}));
    model->AdvanceFrame();
    EXPECT_FALSE(model->IsAnimating());
    EXPECT_EQ(model->FrameIndex(), 0);
    EXPECT_EQ(model->FramePosition(), 0.0f);
    EXPECT_EQ(host_.animationRefreshes, 1);
}

TEST_F(ModelAnimation_, TheLastFrameBlendsWithItselfNeverWithTheFirst) {
    auto model = Model(3, true);
    model->SetSpeed(0.5f);
    model->AdvanceFrame();  // 0.5
    EXPECT_EQ(model->FrameIndex(), 0);
    EXPECT_EQ(model->NextFrameIndex(), 1);
    EXPECT_FLOAT_EQ(model->Lerp(), 0.5f);
    model->AdvanceFrame();  // 1.0
    model->AdvanceFrame();  // 1.5
    model->AdvanceFrame();  // 2.0: the last frame
    EXPECT_EQ(model->FrameIndex(), 2);
    EXPECT_EQ(model->NextFrameIndex(), 2);
    EXPECT_GE(model->Lerp(), 1.0f);
    EXPECT_LT(model->Lerp(), 2.0f);
    model->AdvanceFrame();  // a whole frame was added, so this one wraps
    EXPECT_EQ(model->FrameIndex(), 0);
    EXPECT_EQ(model->NextFrameIndex(), 1);
}

TEST_F(ModelAnimation_, TheSpeedSliderMapsToFramesPerTick) {
    EXPECT_FLOAT_EQ(COGLModel::SpeedFromSlider(0), 0.025f);
    EXPECT_FLOAT_EQ(COGLModel::SpeedFromSlider(25), 0.125f);
    EXPECT_FLOAT_EQ(COGLModel::SpeedFromSlider(99), 0.421f);
    EXPECT_FLOAT_EQ(COGLModel::SpeedFromSlider(100), 1.0f);
    for (const int p : {0, 1, 25, 50, 98, 99, 100}) {
        EXPECT_EQ(COGLModel::SliderFromSpeed(COGLModel::SpeedFromSlider(p)), p);
    }
    EXPECT_EQ(COGLModel::SliderFromSpeed(0.125f), 25) << "the default speed";
}

TEST_F(ModelAnimation_, PlayNeedsMoreThanOneFrame) {
    auto still = Model(1);
    EXPECT_TRUE(still->Play());
    EXPECT_FALSE(still->IsAnimating());
    auto moving = Model(2);
    moving->Play();
    EXPECT_TRUE(moving->IsAnimating());
}

TEST_F(ModelAnimation_, SelectingAnAnimationByNameShowsOrHidesTheModel) {
    auto model = std::make_unique<COGLMD2>();
    const ByteBuffer bytes = AnimatedBox(BodyRuns());
    BinaryReader in(bytes);
    ASSERT_TRUE(model->ReadMD2(in, 0, false));
    model->SetSpeed(1.0f);
    model->AdvanceFrame();
    model->SelectAnimationByName("run");
    ASSERT_NE(model->GetAnimation(), nullptr);
    EXPECT_EQ(model->GetAnimation()->firstFrame, 4);
    EXPECT_EQ(model->FrameIndex(), 0) << "a new animation starts from its beginning";
    EXPECT_TRUE(model->IsVisible());
    model->SelectAnimationByName("Run");
    EXPECT_EQ(model->GetAnimation(), nullptr);
    EXPECT_FALSE(model->IsVisible());
    model->AdvanceFrame();  // nothing to advance, nothing to draw
    model->RefreshBounds();
    model->SelectAnimationByName("pain");
    EXPECT_TRUE(model->IsVisible());

    // An animation of another model is not taken.
    auto other = Model(2);
    model->SetAnimation(other->Animations().front().get());
    EXPECT_EQ(model->GetAnimation()->name, "pain");
}

TEST_F(ModelAnimation_, TheScenesAnimationStepDrivesTheModels) {
    RegisterModelClasses();
    COGLScene scene;
    COGLMD2* model = static_cast<COGLMD2*>(scene.AddObject(Model(4)));
    EXPECT_FALSE(scene.StepAnimations()) << "nothing animates yet";
    model->Play();
    EXPECT_TRUE(scene.StepAnimations());
    EXPECT_EQ(model->FrameIndex(), 1);

    // The object factory makes models for their type codes, and a copy animates alike.
    auto copy = CreateObject(model->TypeCode());
    ASSERT_NE(dynamic_cast<COGLMD2*>(copy.get()), nullptr);
    copy->CopyFrom(*model);
    auto* md2 = static_cast<COGLMD2*>(copy.get());
    EXPECT_TRUE(md2->IsReady());
    EXPECT_EQ(md2->FrameIndex(), 1);
    EXPECT_EQ(md2->GetAnimation()->name, "walk");
    EXPECT_NE(md2->GetAnimation(), model->GetAnimation());
    md2->AdvanceFrame();
    EXPECT_EQ(md2->FrameIndex(), 2);
    EXPECT_EQ(model->FrameIndex(), 1);
}

TEST_F(ModelAnimation_, AClockThatIsNotANumberStartsOver) {
    auto model = Model(3);
    model->SetSpeed(std::numeric_limits<float>::infinity());
    model->AdvanceFrame();
    EXPECT_EQ(model->FrameIndex(), 0);
    model->SetSpeed(std::nanf(""));
    model->AdvanceFrame();
    EXPECT_EQ(model->FrameIndex(), 0);
    model->SetSpeed(1.0f);
    model->AdvanceFrame();
    EXPECT_EQ(model->FrameIndex(), 1);
}

TEST_F(ModelAnimation_, TheBoxFollowsTheFrameDrawn) {
    // Drawing space is (y, -z, -x) of the model: a model lying entirely at
    // negative y has a negative largest x.
    fixtures::Md2Model m = fixtures::MakeBoxModel({"a1", "a2"}, {10.0f, 30.0f});
    for (auto& frame : m.frames) {
        frame.translate[1] = -40.0f;
    }
    auto model = std::make_unique<COGLMD2>();
    const ByteBuffer bytes = fixtures::WriteMd2(m);
    BinaryReader in(bytes);
    ASSERT_TRUE(model->ReadMD2(in, 0, false));
    model->RefreshBounds();
    EXPECT_LT(model->BoundsMax().x, 0.0f);
    EXPECT_NEAR(model->BoundsMin().x, -40.0f, 1e-4f);
    EXPECT_NEAR(model->BoundsMax().y - model->BoundsMin().y, 10.0f, 1e-4f);

    // Half way to the taller frame, the box is half way too.
    model->SetSpeed(0.5f);
    model->AdvanceFrame();
    model->RefreshBounds();
    EXPECT_NEAR(model->BoundsMax().y - model->BoundsMin().y, 20.0f, 1e-4f);
}
