#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <string>
#include <vector>

#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "models/ModelFamilies.h"
#include "models/halflife/StudioFixtures.h"
#include "models/halflife/COGLHLModel.h"
#include "models/halflife/HLOpen.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"

using namespace studio_fixtures;

namespace {

struct Document {
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};

class HLModel : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        RegisterModelClasses();
        model_ = TestModel(true);
        model_.separateTextures = true;
        // Letter case as real installs mix it.
        main_ = dir_.Write("models/Scientist.mdl", WriteStudioModel(model_));
        dir_.Write("models/scientistt.mdl", WriteStudioTextureFile(model_));
        dir_.Write("models/SCIENTIST01.mdl", WriteStudioSequenceGroup(model_, 1));
        dir_.Write("models/scientist02.mdl", WriteStudioSequenceGroup(model_, 2));
    }

    COGLHLModel* Open(Document& d, const std::string& path) {
        if (!d.doc.OpenFile(path).succeeded) {
            return nullptr;
        }
        return dynamic_cast<COGLHLModel*>(d.scene.Objects().back().get());
    }

    bool Said(const std::string& text) const {
        return std::any_of(host_.messages.begin(), host_.messages.end(),
                           [&](const HeadlessHost::Message& m) { return m.text == text; });
    }

    TempDir dir_;
    StudioModelDef model_;
    std::string main_;
};

std::vector<std::string> Labels(const COGLModel& model) {
    std::vector<std::string> labels;
    for (const auto& animation : model.Animations()) {
        labels.push_back(animation->name + "/" + std::to_string(animation->frameCount));
    }
    return labels;
}

}  // namespace

TEST_F(HLModel, OpensWithItsTextureAndSequenceGroupFiles) {
    Document d;
    COGLHLModel* model = Open(d, main_);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->TypeCode(), 18);
    EXPECT_EQ(model->Name(), "Scientist");
    EXPECT_EQ(Labels(*model), (std::vector<std::string>{"walk/5", "turn/2", "aim/1", "g1/3", "g2/3"}));
    EXPECT_EQ(model->GetAnimation(), model->Animations().front().get());
    EXPECT_EQ(model->GetFrameCount(), 5);
    ASSERT_EQ(model->Skins().size(), 3u);
    EXPECT_EQ(model->Skins()[0]->Name(), "Scientistchrome.bmp");
    EXPECT_TRUE(model->Skins()[0]->IsBound());
    EXPECT_EQ(model->Texture(), model->Skins()[0]);
    EXPECT_EQ(d.scene.Selected(), model);
    const StudioModel* studio = model->Studio();
    EXPECT_EQ(studio->Sequence(), 0);
    EXPECT_FLOAT_EQ(studio->Pose().blend[0], 0.0f) << "walk has no blend range";
    model->SetAnimation(model->Animations()[2].get());
    EXPECT_NEAR(studio->Pose().blend[0], 45.5f / 90.0f, 1e-6f) << "blending 0.5 degrees of -45..45";
    model->SetAnimation(model->Animations()[0].get());
    EXPECT_FLOAT_EQ(model->Scale().x, 0.05f);
    // The sequence box in drawing space (y, z, x), minima and maxima exchanged.
    EXPECT_EQ(model->BoundsMin(), (Vector3{7, 30, 12}));
    EXPECT_EQ(model->BoundsMax(), (Vector3{-6, -2, -8}));
    EXPECT_FLOAT_EQ(model->VerticalOffset(), 2.0f);
    // Framing takes the box in order and lifted as drawn.
    Vector3 lo;
    Vector3 hi;
    ASSERT_TRUE(model->LocalBounds(lo, hi));
    EXPECT_EQ(lo, (Vector3{-6, 0, -8}));
    EXPECT_EQ(hi, (Vector3{7, 32, 12}));
}

TEST_F(HLModel, AMissingCompanionAddsNothing) {
    for (const char* missing : {"models/scientistT.mdl", "models/scientist02.mdl"}) {
        TempDir dir;
        const std::string main = dir.Write("models/scientist.mdl", WriteStudioModel(model_));
        for (const char* name : {"models/scientistT.mdl", "models/scientist01.mdl", "models/scientist02.mdl"}) {
            if (std::string(name) != missing) {
                dir.Write(name, std::string(name).find('T') != std::string::npos ? WriteStudioTextureFile(model_)
                                                                                 : WriteStudioSequenceGroup(model_, name[17] - '0'));
            }
        }
        Document d;
        host_.messages.clear();
        EXPECT_FALSE(d.doc.OpenFile(main).succeeded);
        EXPECT_TRUE(d.scene.Objects().empty());
        EXPECT_EQ(d.scene.SkinTextureCount(), 0u);
        ASSERT_FALSE(host_.messages.empty());
        EXPECT_EQ(host_.messages.front().text, "unable to open " + dir.File(missing));
    }
}

TEST_F(HLModel, CompanionFilesOpenedAloneNameTheirModel) {
    Document d;
    EXPECT_FALSE(d.doc.OpenFile(dir_.File("models/SCIENTIST01.mdl")).succeeded);
    EXPECT_TRUE(Said(FormatMessage(msg::kStudioSequenceGroupFile, "SCIENTIST.mdl")));
    EXPECT_FALSE(d.doc.OpenFile(dir_.File("models/scientistt.mdl")).succeeded);
    EXPECT_TRUE(Said(FormatMessage(msg::kStudioTextureFile, "scientist.mdl")));
    EXPECT_TRUE(d.scene.Objects().empty());
}

TEST_F(HLModel, ReadsCompanionsFromTheSamePak) {
    fixtures::PakBuilder pak;
    pak.Add("models/barney.mdl", WriteStudioModel(model_));
    pak.Add("models/barneyT.mdl", WriteStudioTextureFile(model_));
    pak.Add("models/barney01.mdl", WriteStudioSequenceGroup(model_, 1));
    pak.Add("models/barney02.mdl", WriteStudioSequenceGroup(model_, 2));
    pak.Add("barney01.mdl", ByteBuffer{1, 2, 3});  // another folder's file is not a companion
    Document d;
    Archive* archive = d.scene.PakAt(d.scene.AddPak(dir_.Write("hl.pak", pak.Build())));
    ASSERT_NE(archive, nullptr);
    COGLHLModel* model = OpenHLModelFromPak(d.doc, *archive, "models/barney.mdl");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->Pak(), archive);
    EXPECT_EQ(model->Name(), "barney");
    EXPECT_EQ(model->Animations().size(), 5u);
    EXPECT_EQ(model->Skins().size(), 3u);
}

TEST_F(HLModel, AnimationClockFollowsTheCurrentSequence) {
    Document d;
    COGLHLModel* model = Open(d, main_);
    ASSERT_NE(model, nullptr);
    model->SetSpeed(1.5f);
    model->Play();
    EXPECT_TRUE(model->IsAnimating());
    model->AdvanceFrame();
    EXPECT_FLOAT_EQ(model->FramePosition(), 1.5f);
    EXPECT_FLOAT_EQ(model->Studio()->Frame(), 1.5f);
    model->AdvanceFrame();
    model->AdvanceFrame();  // 4.5 reaches the last frame: looping starts again
    EXPECT_FLOAT_EQ(model->FramePosition(), 0.0f);

    model->SetAnimation(model->Animations()[1].get());
    EXPECT_EQ(model->Studio()->Sequence(), 1);
    EXPECT_EQ(model->GetFrameCount(), 2);
    model->SetLoop(false);
    model->AdvanceFrame();  // 1.5 reaches the last frame of two: stops
    EXPECT_FALSE(model->IsAnimating());
    EXPECT_EQ(host_.animationRefreshes, 1);

    model->SetAnimation(model->Animations()[2].get());  // one frame
    model->SetFrame(0);
    model->AdvanceFrame();
    EXPECT_FLOAT_EQ(model->FramePosition(), 0.0f);
    model->SelectAnimationByName("walk");
    EXPECT_EQ(model->GetAnimation(), model->Animations()[2].get()) << "names do not choose sequences";

    EXPECT_TRUE(PoseObject(*model, "g2", 2.0f));
    EXPECT_EQ(model->Studio()->Sequence(), 4);
    EXPECT_FALSE(PoseObject(*model, "run", 0.0f));
}

TEST_F(HLModel, SceneRecordRestoresSequenceAndClock) {
    Document first;
    COGLHLModel* model = Open(first, main_);
    ASSERT_NE(model, nullptr);
    model->SetAnimation(model->Animations()[3].get());
    model->SetSpeed(0.5f);
    model->AdvanceFrame();
    model->SetLoop(false);
    model->SetSingleStep(true);
    model->SetName("doctor");
    ASSERT_TRUE(first.doc.Save(dir_.File("hl.dv")));

    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("hl.dv")).succeeded);
    ASSERT_EQ(second.scene.Objects().size(), 1u);
    auto* again = dynamic_cast<COGLHLModel*>(second.scene.Objects().front().get());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Name(), "doctor");
    EXPECT_EQ(again->GetAnimation()->name, "g1");
    EXPECT_EQ(again->Studio()->Sequence(), 3);
    EXPECT_FLOAT_EQ(again->Speed(), 0.5f);
    EXPECT_FLOAT_EQ(again->FramePosition(), 0.5f);
    EXPECT_FLOAT_EQ(again->Studio()->Frame(), 0.5f);
    EXPECT_FALSE(again->Loop());
    EXPECT_TRUE(again->SingleStep());
    EXPECT_EQ(again->Skins().size(), 3u);
}

TEST_F(HLModel, CopiesShareTexturesAndData) {
    Document d;
    COGLHLModel* model = Open(d, main_);
    ASSERT_NE(model, nullptr);
    model->SetAnimation(model->Animations()[1].get());
    auto copy = CreateObject(object_type::kHLModel);
    ASSERT_NE(copy, nullptr);
    copy->CopyFrom(*model);
    auto* hl = dynamic_cast<COGLHLModel*>(copy.get());
    ASSERT_NE(hl, nullptr);
    EXPECT_TRUE(hl->IsReady());
    EXPECT_EQ(hl->GetAnimation()->name, "turn");
    EXPECT_EQ(hl->Studio()->Data(), model->Studio()->Data());
    EXPECT_EQ(hl->Studio()->Owner(), hl);
    EXPECT_EQ(model->Skins()[0]->RefCount(), 2);
    copy.reset();
    EXPECT_EQ(model->Skins()[0]->RefCount(), 1);
}

TEST_F(HLModel, DrawsTexturedAndUntexturedWithoutLeakingState) {
    Document d;
    COGLHLModel* model = Open(d, main_);
    ASSERT_NE(model, nullptr);
    model->SetScale(1.0f, 1.0f, 1.0f);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 1.0, 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 10.0, 60.0, 0.0, 10.0, 0.0, 0.0, 1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    for (const int flags : {COGLObject::kDrawMaterial, 0}) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        model->Draw(flags);
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth * kHeight * 4));
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        const auto lit = std::count_if(pixels.begin(), pixels.end(), [](std::uint8_t v) { return v > 0; });
        EXPECT_GT(lit, 0) << flags;
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << flags;
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << flags;
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << flags;
        GLint cull = 0;
        glGetIntegerv(GL_CULL_FACE_MODE, &cull);
        EXPECT_EQ(cull, GL_BACK) << flags;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(HLModel, DrawingFollowsTheChosenSubmodelAndPosingAccessorsReportTheFile) {
    // The head's second submodel is a fan of five corners: three triangles to the first's two.
    StudioSubmodelDef& wide = model_.bodyParts[1].models[1];
    wide.vertices.push_back({0, 1, 3});
    wide.vertexBones.push_back(3);
    wide.meshes[0].commands[0].vertices.push_back({4, 0, 4, 8});
    const std::string path = dir_.Write("models/wide.mdl", WriteStudioModel(model_));
    dir_.Write("models/wideT.mdl", WriteStudioTextureFile(model_));
    dir_.Write("models/wide01.mdl", WriteStudioSequenceGroup(model_, 1));
    dir_.Write("models/wide02.mdl", WriteStudioSequenceGroup(model_, 2));
    Document d;
    COGLHLModel* model = Open(d, path);
    ASSERT_NE(model, nullptr);

    const auto parts = model->BodyParts();
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[1].name, "head");
    EXPECT_EQ(parts[1].submodels, (std::vector<std::string>{"fan", "fan2"}));
    EXPECT_EQ(model->SkinFamilyCount(), 2);
    ASSERT_EQ(model->Controllers().size(), 2u);
    EXPECT_EQ(model->Controllers()[1].index, 4) << "the mouth";
    model->SetAnimation(model->Animations()[2].get());
    ASSERT_EQ(model->BlendCount(), 1);
    EXPECT_FLOAT_EQ(model->BlendRangeOf(0).start, -45.0f);
    EXPECT_FLOAT_EQ(model->BlendRangeOf(1).end, 0.0f) << "no second value";

    // Triangles drawn, counted through GL's feedback with nothing culled.
    model->SetScale(1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-100.0, 100.0, -100.0, 100.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    auto triangles = [&] {
        std::vector<GLfloat> feedback(4096);
        glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D, feedback.data());
        glRenderMode(GL_FEEDBACK);
        model->Draw(0);
        const GLint used = glRenderMode(GL_RENDER);
        int count = 0;
        for (GLint i = 0; i < used;) {
            if (feedback[static_cast<std::size_t>(i)] == static_cast<GLfloat>(GL_POLYGON_TOKEN)) {
                const GLint corners = static_cast<GLint>(feedback[static_cast<std::size_t>(i) + 1]);
                ++count;
                i += 2 + 3 * corners;
            } else {
                ++i;  // only polygons are drawn
            }
        }
        return count;
    };
    EXPECT_EQ(triangles(), 4);
    EXPECT_TRUE(model->SetSubmodelByName(1, "FAN2"));
    EXPECT_EQ(model->Body(), 1);
    EXPECT_EQ(triangles(), 5) << "the paused model draws its new head at once";
    EXPECT_FALSE(model->SetSubmodelByName(1, "none"));
    model->SetBody(-7);
    EXPECT_EQ(model->Submodel(1), 0);
    EXPECT_EQ(triangles(), 4);
    model->SetBody(3);  // wraps within the parts: the second head
    EXPECT_EQ(model->Body(), 1);

    // A copy keeps the choices.
    model->SetSkinFamily(1);
    auto copy = CreateObject(object_type::kHLModel);
    ASSERT_NE(copy, nullptr);
    copy->CopyFrom(*model);
    auto* hl = dynamic_cast<COGLHLModel*>(copy.get());
    ASSERT_NE(hl, nullptr);
    EXPECT_EQ(hl->Body(), 1);
    EXPECT_EQ(hl->SkinFamily(), 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
