#include <gtest/gtest.h>

#include <GL/gl.h>

#include <filesystem>
#include <memory>
#include <string>

#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "models/ModelFamilies.h"
#include "models/sin/COGLSBM.h"
#include "models/sin/SinAnimFile.h"
#include "models/sin/SinModelFile.h"
#include "models/sin/SinOpen.h"
#include "models/sin/SinModelFixtures.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/Geometry.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"

using namespace sin_fixtures;

namespace {

struct Document {
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};

class SinModel : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        RegisterModelClasses();
        def_ = WriteBoxFolder(dir_);
    }

    // Writes `name` under the box's folder and expects loading the box to fail
    // with `message`, leaving the model without data.
    void ExpectRefused(const std::string& name, const ByteBuffer& bytes, const MessageText& message) {
        dir_.Write("game/models/box/" + name, bytes);
        host_.Clear();
        COGLSBM model(&scene_);
        EXPECT_FALSE(model.LoadFile(def_)) << name;
        EXPECT_FALSE(model.IsReady());
        EXPECT_TRUE(model.Animations().empty());
        EXPECT_TRUE(model.Skins().empty());
        ASSERT_FALSE(host_.messages.empty()) << name;
        EXPECT_EQ(host_.messages.front().text, message.text) << name;
        EXPECT_EQ(scene_.SkinTextureCount(), 0u) << "no skin is kept for a refused model";
    }
    void WriteDef(const std::vector<std::string>& lines) {
        dir_.Write("game/models/box/box.def", fixtures::SinDefText(lines));
    }

    TempDir dir_;
    std::string def_;
    COGLScene scene_;
};

}  // namespace

// --- Reading ---

TEST_F(SinModel, ADefinitionOnDiskBringsItsModelSkinsAndAnimations) {
    COGLSBM model(&scene_);
    ASSERT_TRUE(model.LoadFile(def_));
    EXPECT_TRUE(host_.messages.empty()) << "a missing animation is dropped without a message";
    EXPECT_TRUE(model.IsReady());
    EXPECT_EQ(model.TypeCode(), 14);
    EXPECT_EQ(model.Name(), "box");
    EXPECT_EQ(model.Scale(), Vector3(0.1f, 0.1f, 0.1f));
    EXPECT_EQ(model.Prefix(), "models/box");
    EXPECT_EQ(model.ModelPath(), dir_.File("game/models/box/box.sbm"));
    EXPECT_EQ(model.VertexCount(), 8);
    ASSERT_EQ(model.Groups().size(), 2u);
    EXPECT_EQ(model.Groups()[0].corners.size(), 24u);
    EXPECT_FALSE(model.Groups()[0].twoSided);
    EXPECT_EQ(model.Groups()[1].corners.size(), 12u);
    EXPECT_TRUE(model.Groups()[1].twoSided);

    ASSERT_EQ(model.Animations().size(), 2u);
    EXPECT_EQ(model.Animations()[0]->name, "idle");
    EXPECT_EQ(model.Animations()[0]->frameCount, 3);
    EXPECT_EQ(model.Animations()[1]->name, "grow");
    EXPECT_EQ(model.Animations()[1]->frameCount, 2);
    EXPECT_EQ(model.GetAnimation(), model.Animations()[0].get()) << "the first animation is current";
    EXPECT_EQ(model.GetFrameCount(), 3);
    EXPECT_FLOAT_EQ(model.VerticalOffset(), -24.0f);

    ASSERT_EQ(model.Skins().size(), 2u);
    EXPECT_EQ(model.Skins()[0]->Name(), "grey");
    EXPECT_EQ(model.Skins()[1]->Name(), "box_red");
    EXPECT_EQ(model.Texture(), model.Skins()[0]) << "the first skin is applied";
}

TEST_F(SinModel, EachFailureSaysItsMessageAndLeavesNothing) {
    ExpectRefused("box.def", ByteBuffer{'S', 'D', 'E', 'G'}, msg::kNotValidSinDef);

    WriteDef({"path models/box", "idle.sam"});
    ExpectRefused("box_grey.tga", TgaSkin(1, 2, 3), msg::kCannotLocateSbm);
    WriteDef({"path models/box", "nothere.sbm", "idle.sam"});
    ExpectRefused("box_grey.tga", TgaSkin(1, 2, 3), msg::kCannotLocateSbm);
    WriteDef({"path models/box", "box.sbm", "gone.sam", "box_grey.tga"});
    ExpectRefused("box_red.tga", TgaSkin(1, 2, 3), msg::kCannotLocateSam);

    def_ = WriteBoxFolder(dir_);
    ExpectRefused("box.sbm", ByteBuffer{'S', 'B', 'M', ' ', 2, 0, 0, 0}, msg::kNotValidSbm);

    // Cut anywhere, the base model is refused.
    const ByteBuffer model = BoxModel();
    for (std::size_t length = 0; length < model.size(); length += 5) {
        ExpectRefused("box.sbm", ByteBuffer(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(length)),
                      msg::kNotValidSbm);
    }
    // Hostile counts, offsets and indexes.
    const auto broken = [&](std::size_t offset, std::int32_t value) {
        ByteBuffer bytes = model;
        fixtures::PatchI32(bytes, offset, value);
        return bytes;
    };
    namespace sbm = fixtures::sbm_field;
    ExpectRefused("box.sbm", broken(sbm::kVersion, 2), msg::kNotValidSbm);
    ExpectRefused("box.sbm", broken(sbm::kVertexCount, 0), msg::kNotValidSbm);
    ExpectRefused("box.sbm", broken(sbm::kVertexCount, 7), msg::kNotValidSbm);  // a triangle names vertex 7
    ExpectRefused("box.sbm", broken(sbm::kStCount, 3), msg::kNotValidSbm);
    ExpectRefused("box.sbm", broken(sbm::kGroupCount, 1 << 28), msg::kNotValidSbm);
    ExpectRefused("box.sbm", broken(sbm::kGroupCount, -1), msg::kNotValidSbm);
    ExpectRefused("box.sbm", broken(sbm::kStOffset, -8), msg::kNotValidSbm);
    ExpectRefused("box.sbm", broken(sbm::kGroups + sbm::kGroupTriangleCount, 1000), msg::kNotValidSbm);
    ExpectRefused("box.sbm", broken(sbm::kGroups + sbm::kGroupSize + sbm::kGroupTrianglesOffset, 1 << 30), msg::kNotValidSbm);
    ByteBuffer negative = model;
    negative[negative.size() - 16 + 1] = 0x80;  // the last triangle's first vertex, as int16, negative
    ExpectRefused("box.sbm", negative, msg::kNotValidSbm);
    dir_.Write("game/models/box/box.sbm", model);

    // An animation that is broken, or made for another model, is left out like a
    // missing one: with none left the model is refused.
    WriteDef({"path models/box", "box.sbm", "idle.sam"});
    const ByteBuffer idle = IdleAnimation();
    for (std::size_t length = 0; length < idle.size(); length += 9) {
        ExpectRefused("idle.sam", ByteBuffer(idle.begin(), idle.begin() + static_cast<std::ptrdiff_t>(length)),
                      msg::kCannotLocateSam);
    }
    namespace sam = fixtures::sam_field;
    const std::vector<std::pair<std::size_t, std::int32_t>> hostile{
        {sam::kVersion, 0},
        {sam::kVertexCount, 9},
        {sam::kFrameCount, 0},
        {sam::kFrameCount, 1 << 27},
        {sam::kFramesOffset, -44},
        {sam::kFrames + sam::kFrameVerticesOffset, 1 << 20},
        {sam::kFrames + 2 * sam::kFrameSize + sam::kFrameVerticesOffset, -300}};
    for (const auto& [offset, value] : hostile) {
        ByteBuffer bytes = idle;
        fixtures::PatchI32(bytes, offset, value);
        ExpectRefused("idle.sam", bytes, msg::kCannotLocateSam);
    }
    ByteBuffer notANumber = idle;
    fixtures::PatchI32(notANumber, sam::kFrames + 16, 0x7fc00000);  // the first frame's scale x
    ExpectRefused("idle.sam", notANumber, msg::kCannotLocateSam);
}

TEST_F(SinModel, ADefinitionInASinPakTakesEverythingFromThePak) {
    Archive* pak = scene_.PakAt(scene_.AddPak(dir_.Write("box.sin", BoxPak())));
    ASSERT_NE(pak, nullptr);
    const PakEntry* entry = pak->FindEntry("MODELS/box/box.def");
    ASSERT_NE(entry, nullptr);
    COGLSBM model(&scene_);
    ASSERT_TRUE(model.LoadFromPak(pak, *entry));
    EXPECT_EQ(model.Pak(), pak);
    EXPECT_EQ(model.FilePath(), "models/box/box.def");
    EXPECT_EQ(model.ModelPath(), "models/box/box.sbm");
    ASSERT_EQ(model.Animations().size(), 2u);
    const auto* idle = dynamic_cast<const SinAnimation*>(model.Animations()[0].get());
    ASSERT_NE(idle, nullptr);
    ASSERT_NE(idle->entry, nullptr);
    EXPECT_EQ(idle->path, "models/box/idle.sam");
    ASSERT_EQ(model.Skins().size(), 2u);
    EXPECT_EQ(model.Skins()[0]->Pak(), pak);
    EXPECT_EQ(model.Skins()[0]->Name(), "grey");

    // Only the pak counts: a definition whose model is not in it is refused.
    fixtures::PakBuilder other(true);
    other.Add("models/lone/lone.def", fixtures::SinDefText({"path models/lone", "lone.sbm", "idle.sam"}));
    Archive* lone = scene_.PakAt(scene_.AddPak(dir_.Write("lone.sin", other.Build())));
    ASSERT_NE(lone, nullptr);
    COGLSBM refused(&scene_);
    EXPECT_FALSE(refused.LoadFromPak(lone, *lone->FindEntry("models/lone/lone.def")));
    EXPECT_TRUE(host_.HasMessage(msg::kCannotLocateSbm.text));
}

// --- Drawing and animation ---

TEST_F(SinModel, FramesAreDrawnUprightWithTheQuakeRemapAndBlended) {
    COGLSBM model;  // no scene: no skins needed
    ASSERT_TRUE(model.LoadFile(def_));
    RecordingGeometrySink sink;
    model.WalkGeometry(&sink);
    ASSERT_EQ(sink.Primitives().size(), 2u);
    EXPECT_EQ(sink.Primitives()[0].mode, static_cast<unsigned>(GL_TRIANGLES));
    EXPECT_EQ(sink.Primitives()[0].vertices.size(), 24u);
    EXPECT_EQ(sink.Primitives()[1].vertices.size(), 12u);
    // Model (x, y, z) is drawn at (y, -z, -x): the 16-wide, 10-high box on z = -24
    // spans y = -24 .. -14 before the object's half turn stands it upright.
    EXPECT_NEAR(model.BoundsMin().x, -8.0f, 1e-4f);
    EXPECT_NEAR(model.BoundsMax().x, 8.0f, 1e-4f);
    EXPECT_NEAR(model.BoundsMin().y, 14.0f, 1e-4f);
    EXPECT_NEAR(model.BoundsMax().y, 24.0f, 1e-4f);
    EXPECT_NEAR(model.BoundsMin().z, -8.0f, 1e-4f);
    for (const auto& v : sink.Primitives()[0].vertices) {
        EXPECT_TRUE(v.t == 0.0f || v.t == -1.0f) << "t runs down the skin";
        // Corner normals point away from the box's centre (at drawing y = 19).
        const Vector3 out = v.position - Vector3{0.0f, 19.0f, 0.0f};
        EXPECT_GT(v.normal.Dot(out), 0.0f);
    }
    model.SetInvertNormals(true);
    RecordingGeometrySink inverted;
    model.WalkGeometry(&inverted);
    EXPECT_EQ(inverted.Primitives()[0].vertices[0].normal, -sink.Primitives()[0].vertices[0].normal);

    // Halfway from frame 0 (10 high) to frame 1 (11 high).
    model.SetFrameState(0, 1, 0.5f);
    model.RefreshBounds();
    EXPECT_NEAR(model.BoundsMin().y, 13.5f, 1e-4f);
    // A hostile frame state shows the first frame.
    model.SetFrameState(-5, 99, 0.0f);
    model.RefreshBounds();
    EXPECT_NEAR(model.BoundsMin().y, 14.0f, 1e-4f);
}

TEST_F(SinModel, TheClockRunsTheCurrentAnimation) {
    COGLSBM model;
    ASSERT_TRUE(model.LoadFile(def_));
    model.SelectAnimationByName("grow");
    EXPECT_EQ(model.GetFrameCount(), 2);
    model.SetSpeed(0.5f);
    model.Play();
    EXPECT_TRUE(model.IsAnimating());
    model.AdvanceFrame();
    EXPECT_EQ(model.FrameIndex(), 0);
    EXPECT_EQ(model.NextFrameIndex(), 1);
    EXPECT_FLOAT_EQ(model.Lerp(), 0.5f);
    model.AdvanceFrame();
    EXPECT_EQ(model.FrameIndex(), 1);
    EXPECT_EQ(model.NextFrameIndex(), 1) << "the last frame blends with itself";
    model.SetLoop(false);
    model.AdvanceFrame();
    model.AdvanceFrame();
    EXPECT_FALSE(model.IsAnimating());
    EXPECT_EQ(model.FrameIndex(), 0);

    model.SelectAnimationByName("none");
    EXPECT_EQ(model.GetAnimation(), nullptr);
    EXPECT_FALSE(model.IsVisible());
    model.SelectAnimationByName("idle");
    EXPECT_TRUE(model.IsVisible());
}

TEST_F(SinModel, ItDrawsWithTheSkinItIsGiven) {
    ASSERT_TRUE(gl_->Resize(64, 64));
    COGLSBM model(&scene_);
    ASSERT_TRUE(model.LoadFile(def_));
    model.SetTexture(model.Skins()[1]);  // red
    const auto draw = [&] {
        glViewport(0, 0, 64, 64);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1.5, 1.5, -1.5, 1.5, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        model.Draw(COGLObject::kDrawMaterial);
        std::vector<std::uint8_t> rgb(64 * 64 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    };
    const auto rgb = draw();
    int red = 0;
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        red += rgb[i] > 100 && rgb[i + 1] < 50 ? 1 : 0;
    }
    EXPECT_GT(red, 100) << "the red skin shows";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// --- Opening and the scene file ---

TEST_F(SinModel, OpeningADefinitionAddsTheModelOrNothing) {
    Document d;
    const OpenFileResult result = d.doc.OpenFile(dir_.File("game/models/box/BOX.Def"));
    EXPECT_EQ(result.kind, OpenedKind::Model);
    ASSERT_TRUE(result.succeeded);
    ASSERT_EQ(d.scene.Objects().size(), 1u);
    auto* box = dynamic_cast<COGLSBM*>(d.scene.Objects().front().get());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(d.scene.Selected(), box);
    EXPECT_EQ(box->Texture(), box->Skins().front());

    host_.Clear();
    WriteDef({"path models/box", "box.sbm"});
    EXPECT_FALSE(d.doc.OpenFile(def_).succeeded);
    ASSERT_EQ(host_.messages.size(), 2u);
    EXPECT_EQ(host_.messages[0].text, msg::kCannotLocateSam.text);
    EXPECT_EQ(host_.messages[1].text, msg::kErrorOpeningFile.text);
    EXPECT_EQ(d.scene.Objects().size(), 1u);

    // From a pak, as the pak page's double-click opens it.
    ASSERT_GE(d.scene.AddPak(dir_.Write("box.sin", BoxPak())), 0);
    const OpenFileResult fromPak = d.doc.OpenPakEntry("models/box/box.def");
    EXPECT_TRUE(fromPak.succeeded);
    ASSERT_EQ(d.scene.Objects().size(), 2u);
    EXPECT_NE(dynamic_cast<COGLSBM*>(d.scene.Objects().back().get())->Pak(), nullptr);
}

TEST_F(SinModel, ScenesHoldingSinModelsRoundTrip) {
    Document first;
    ASSERT_TRUE(first.doc.OpenFile(def_).succeeded);
    auto* box = static_cast<COGLSBM*>(first.scene.Objects().back().get());
    box->SelectAnimationByName("grow");
    box->SetSpeed(0.3f);
    box->SetLoop(false);
    box->SetSingleStep(true);
    box->AdvanceFrame();
    box->SetInvertNormals(true);
    box->SetTexture(box->Skins()[1]);
    box->SetName("the box");
    box->SetScale(0.2f, 0.3f, 0.4f);
    box->StartAnimation();

    ASSERT_GE(first.scene.AddPak(dir_.Write("box.sin", BoxPak())), 0);
    ASSERT_TRUE(first.doc.OpenPakEntry("models/box/box.def").succeeded);
    auto* packed = static_cast<COGLSBM*>(first.scene.Objects().back().get());
    packed->SetInterpolate(false);
    packed->SetPosition(1.0f, 2.0f, 3.0f);

    ASSERT_TRUE(first.doc.Save(dir_.File("scene.dv")));
    const ByteBuffer saved = ReadWholeFile(dir_.File("scene.dv")).value();
    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("scene.dv")).succeeded);
    ASSERT_EQ(second.scene.Objects().size(), 2u);

    auto* box2 = dynamic_cast<COGLSBM*>(second.scene.Objects()[0].get());
    ASSERT_NE(box2, nullptr);
    EXPECT_EQ(box2->Name(), "the box");
    EXPECT_EQ(box2->Scale(), Vector3(0.2f, 0.3f, 0.4f)) << "the scene's scale, not the definition's";
    ASSERT_NE(box2->GetAnimation(), nullptr);
    EXPECT_EQ(box2->GetAnimation()->name, "grow");
    EXPECT_FLOAT_EQ(box2->Speed(), 0.3f);
    EXPECT_EQ(box2->FramePosition(), box->FramePosition());
    EXPECT_EQ(box2->NextFrameIndex(), box->NextFrameIndex());
    EXPECT_FALSE(box2->Loop());
    EXPECT_TRUE(box2->SingleStep());
    EXPECT_TRUE(box2->InvertNormals());
    EXPECT_TRUE(box2->IsAnimating());
    ASSERT_EQ(box2->Skins().size(), 2u);
    EXPECT_EQ(box2->Texture(), box2->Skins()[1]);

    auto* packed2 = dynamic_cast<COGLSBM*>(second.scene.Objects()[1].get());
    ASSERT_NE(packed2, nullptr);
    EXPECT_EQ(packed2->Pak(), second.scene.PakAt(0));
    EXPECT_FALSE(packed2->Interpolate());
    EXPECT_EQ(packed2->Position(), Vector3(1.0f, 2.0f, 3.0f));

    ASSERT_TRUE(second.doc.Save(dir_.File("again.dv")));
    EXPECT_EQ(ReadWholeFile(dir_.File("again.dv")).value(), saved);

    // With its definition gone (and the prompt cancelled) the model is left out,
    // and the records after it still read.
    std::filesystem::remove_all(dir_.File("game"));
    Document third;
    ASSERT_TRUE(third.doc.OpenFile(dir_.File("scene.dv")).succeeded);
    ASSERT_EQ(third.scene.Objects().size(), 1u);
    EXPECT_EQ(dynamic_cast<COGLSBM*>(third.scene.Objects()[0].get())->Pak(), third.scene.PakAt(0));
}

TEST_F(SinModel, ACopySharesTheSkinsAndDrawsTheSame) {
    COGLSBM model(&scene_);
    ASSERT_TRUE(model.LoadFile(def_));
    model.SelectAnimationByName("grow");
    model.SetFrame(1);
    model.RefreshBounds();
    const int references = model.Skins()[0]->RefCount();
    {
        auto object = CreateObject(14);
        ASSERT_NE(object, nullptr);
        auto* copy = dynamic_cast<COGLSBM*>(object.get());
        ASSERT_NE(copy, nullptr);
        copy->CopyFrom(model);
        EXPECT_TRUE(copy->IsReady());
        EXPECT_EQ(copy->Skins(), model.Skins());
        EXPECT_EQ(model.Skins()[0]->RefCount(), references + 1);
        ASSERT_NE(copy->GetAnimation(), nullptr);
        EXPECT_EQ(copy->GetAnimation()->name, "grow");
        EXPECT_NE(copy->GetAnimation(), model.GetAnimation());
        copy->RefreshBounds();
        EXPECT_EQ(copy->BoundsMin(), model.BoundsMin());
        EXPECT_EQ(copy->BoundsMax(), model.BoundsMax());
    }
    EXPECT_EQ(model.Skins()[0]->RefCount(), references);
}

TEST_F(SinModel, AnimationVerticesOnDiskAreReadWhenFirstDrawn) {
    COGLSBM model;
    ASSERT_TRUE(model.LoadFile(def_));
    const auto* grow = static_cast<const SinAnimation*>(model.Animations()[1].get());
    EXPECT_TRUE(grow->data->bytes.empty()) << "only the frame records are read at load";
    model.RefreshBounds();
    EXPECT_FALSE(static_cast<const SinAnimation*>(model.Animations()[0].get())->data->bytes.empty());

    // An animation file that changed since is not drawn (and not read again).
    dir_.Write("game/models/box/grow.sam", fixtures::WriteSam(fixtures::MakeSinBoxAnimation("grow", {20})));
    model.SelectAnimationByName("grow");
    RecordingGeometrySink sink;
    model.WalkGeometry(&sink);
    EXPECT_TRUE(sink.Primitives().empty());
    EXPECT_TRUE(grow->unreadable);
}
