#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "media/Palette.h"
#include "models/ModelFamilies.h"
#include "models/quake1/COGLMDL.h"
#include "models/quake1/MDLOpen.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"
#include "support/MdlWriters.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"

using fixtures::MakeBoxMdl;
using fixtures::WriteMdl;

namespace {

using Entries = std::vector<std::vector<std::string>>;

// Simple frames stand1..stand3, a group of three "run" frames, and a simple
// "pain" frame after the group.
Entries MixedEntries() { return {{"stand1"}, {"stand2"}, {"stand3"}, {"run1", "run2", "run3"}, {"pain1"}}; }

class MDLRead : public HostFixture {
protected:
    bool Read(COGLMDL& model, const ByteBuffer& bytes) {
        BinaryReader in(bytes);
        return model.ReadMDL(in);
    }
    void ExpectRefused(const ByteBuffer& bytes, const std::string& what) {
        COGLMDL model;
        EXPECT_FALSE(Read(model, bytes)) << what;
        EXPECT_FALSE(model.IsReady()) << what;
        EXPECT_TRUE(model.Animations().empty()) << what;
        ASSERT_EQ(host_.messages.size(), 1u) << what;
        EXPECT_EQ(host_.messages.front().text, msg::kNotValidMdl.text) << what;
        host_.Clear();
    }
};

// Header field offsets.
constexpr std::size_t kVersion = 4, kSkinCount = 48, kSkinWidth = 52, kVertexCount = 60, kTriangleCount = 64,
                      kFrameCount = 68, kSkins = 84;

}  // namespace

// --- Reading ---

TEST_F(MDLRead, FramesAndGroupsMixFreelyAndGroupIntoAnimationsByName) {
    COGLMDL model;
    ASSERT_TRUE(Read(model, WriteMdl(MakeBoxMdl(MixedEntries()))));
    ASSERT_EQ(model.Animations().size(), 3u);
    const std::vector<std::pair<std::string, int>> expected = {{"stand", 3}, {"run", 3}, {"pain", 1}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& animation = static_cast<const MdlAnimation&>(*model.Animations()[i]);
        EXPECT_EQ(animation.name, expected[i].first);
        EXPECT_EQ(animation.frameCount, expected[i].second);
        EXPECT_EQ(animation.firstFrame, 0);
        EXPECT_EQ(animation.vertexCount, 8);
    }
    EXPECT_EQ(static_cast<const MdlAnimation&>(*model.Animations()[1]).frames, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(model.GetAnimation(), model.Animations().front().get());
    EXPECT_EQ(model.TotalFrameCount(), 7);
    EXPECT_EQ(model.VertexCount(), 8);
    EXPECT_EQ(model.TriangleCount(), 12);
    EXPECT_EQ(model.SkinCount(), 1);
    EXPECT_EQ(model.VerticalOffset(), 0.0f);
    EXPECT_TRUE(model.IsReady());
}

TEST_F(MDLRead, AFileEndingWithAGroupAndOneWithATrailingBlockReadWhole) {
    COGLMDL endsWithGroup;
    ASSERT_TRUE(Read(endsWithGroup, WriteMdl(MakeBoxMdl({{"idle1"}, {"fly1", "fly2"}}))));
    EXPECT_EQ(endsWithGroup.Animations().back()->name, "fly");
    EXPECT_EQ(endsWithGroup.Animations().back()->frameCount, 2);

    fixtures::MdlModel m = MakeBoxMdl({{"idle1"}, {"idle2"}});
    m.trailer = ByteBuffer(300, 0xEE);
    COGLMDL trailed;
    EXPECT_TRUE(Read(trailed, WriteMdl(m)));
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(MDLRead, TenNumberedFramesAreOneAnimationThatPlaysAndOneFrameDoesNot) {
    Entries entries;
    for (int i = 1; i <= 10; ++i) {
        entries.push_back({"frame" + std::to_string(i)});
    }
    entries.push_back({"still"});
    COGLMDL model;
    ASSERT_TRUE(Read(model, WriteMdl(MakeBoxMdl(entries))));
    ASSERT_EQ(model.Animations().size(), 2u);
    EXPECT_EQ(model.GetFrameCount(), 10);
    model.Play();
    EXPECT_TRUE(model.IsAnimating());

    model.SetAnimating(false);
    model.SelectAnimationByName("still");
    model.Play();
    EXPECT_FALSE(model.IsAnimating());
}

TEST_F(MDLRead, TheLastFrameIsShownUnblended) {
    COGLMDL model;
    ASSERT_TRUE(Read(model, WriteMdl(MakeBoxMdl({{"walk1"}, {"walk2"}, {"walk3"}}))));
    model.SetSpeed(0.5f);
    model.AdvanceFrame();
    EXPECT_EQ(model.FrameIndex(), 0);
    EXPECT_EQ(model.NextFrameIndex(), 1);
    EXPECT_FLOAT_EQ(model.Lerp(), 0.5f);
    for (int i = 0; i < 3; ++i) {
        model.AdvanceFrame();
    }
    EXPECT_EQ(model.FrameIndex(), 2);
    EXPECT_EQ(model.NextFrameIndex(), 2);
    EXPECT_EQ(model.Lerp(), 0.0f);
}

TEST_F(MDLRead, PositionsAreRemappedWithTheHeaderScaleAndOriginLessTheEye) {
    fixtures::MdlModel m = MakeBoxMdl({{"a"}, {"b"}});
    m.eye = {0.0f, 0.0f, 4.0f};
    COGLMDL model;
    ASSERT_TRUE(Read(model, WriteMdl(m)));
    model.RefreshBounds();
    // Model x and y span -8..8, z 0..10 less the eye's 4; drawn as (y, z, x).
    EXPECT_NEAR(model.BoundsMin().x, -8.0f, 1e-4f);
    EXPECT_NEAR(model.BoundsMax().x, 8.0f, 1e-4f);
    EXPECT_NEAR(model.BoundsMin().y, -4.0f, 1e-4f);
    EXPECT_NEAR(model.BoundsMax().y, 6.0f, 1e-4f);
    EXPECT_NEAR(model.BoundsMin().z, -8.0f, 1e-4f);
    model.SelectAnimationByName("b");
    model.RefreshBounds();
    EXPECT_NEAR(model.BoundsMax().y, 7.0f, 1e-4f);
}

TEST_F(MDLRead, SeamVerticesOfTrianglesFacingAwayTakeTheBackHalfOfTheSkin) {
    COGLMDL model;
    ASSERT_TRUE(Read(model, WriteMdl(MakeBoxMdl({{"a"}}))));
    const fixtures::MdlModel m = MakeBoxMdl({{"a"}});
    int shifted = 0;
    for (int i = 0; i < model.TriangleCount(); ++i) {
        const auto& tri = m.triangles[static_cast<std::size_t>(i)];
        for (int corner = 0; corner < 3; ++corner) {
            const auto& coord = m.texCoords[static_cast<std::size_t>(tri.vertex[static_cast<std::size_t>(corner)])];
            float s = 0.0f, t = 0.0f;
            model.TexCoordOf(i, corner, s, t);
            const bool shift = coord.onSeam != 0 && tri.facesFront == 0;
            shifted += shift ? 1 : 0;
            EXPECT_FLOAT_EQ(s, static_cast<float>(coord.s + (shift ? 8 : 0)) / 16.0f) << i << "/" << corner;
            EXPECT_FLOAT_EQ(t, -static_cast<float>(coord.t) / 8.0f);
        }
    }
    EXPECT_GE(shifted, 2);  // the face turned away has two seam corners

    // A coordinate at the top of its range shifts without wrapping round to the
    // far left of the skin.
    fixtures::MdlModel far = MakeBoxMdl({{"a"}});
    for (auto& coord : far.texCoords) {
        coord.s = 2147483647;
    }
    COGLMDL wide;
    ASSERT_TRUE(Read(wide, WriteMdl(far)));
    const int back = static_cast<int>(std::find_if(far.triangles.begin(), far.triangles.end(),
                                                   [](const auto& tri) { return tri.facesFront == 0; }) -
                                      far.triangles.begin());
    for (int corner = 0; corner < 3; ++corner) {
        float s = 0.0f, t = 0.0f;
        wide.TexCoordOf(back, corner, s, t);
        EXPECT_GE(s, 2147483647.0f / 16.0f) << corner;
    }
}

TEST_F(MDLRead, TheNameIsTheFileNameWithoutItsExtension) {
    COGLMDL model;
    model.NameFromFile("/games/id1/progs/ogre.mdl");
    EXPECT_EQ(model.Name(), "ogre");
    model.NameFromFile("C:\\quake\\progs\\v.shot.mdl");
    EXPECT_EQ(model.Name(), "v.shot");
    model.NameFromFile("dir.v2/plain");
    EXPECT_EQ(model.Name(), "plain");
    model.NameFromFile(std::string(300, 'n') + ".mdl");
    EXPECT_EQ(model.Name().size(), 260u);
}

// --- Files that are not sound ---

TEST_F(MDLRead, EveryTruncationIsRefused) {
    const ByteBuffer whole = WriteMdl(MakeBoxMdl(MixedEntries()));
    for (std::size_t length = 0; length < whole.size(); length += 7) {
        ExpectRefused(ByteBuffer(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)),
                      "length " + std::to_string(length));
    }
}

TEST_F(MDLRead, HostileHeadersSkinGroupsAndIndexesAreRefused) {
    const ByteBuffer good = WriteMdl(MakeBoxMdl({{"a"}, {"b", "c"}}));
    const std::size_t triangles = kSkins + (4 + 16 * 8) + 12 * 8;
    const std::size_t frames = triangles + 16 * 12;
    struct Break {
        const char* what;
        std::size_t offset;
        std::int32_t value;
    };
    const std::vector<Break> breaks = {
        {"wrong ident", 0, 0x4f504448},
        {"wrong version", kVersion, 7},
        {"negative skin count", kSkinCount, -1},
        {"more skins than bytes", kSkinCount, 0x7fffffff},
        {"zero skin width", kSkinWidth, 0},
        {"huge skin", kSkinWidth, 0x7fffffff},
        {"negative vertex count", kVertexCount, -1},
        {"more vertices than bytes", kVertexCount, 0x10000000},
        {"more triangles than bytes", kTriangleCount, 0x7fffffff},
        {"no frames", kFrameCount, 0},
        {"more frames than bytes", kFrameCount, 1000},
        {"a skin group", kSkins, 1},
        {"vertex index past the vertices", triangles + 4, 8},
        {"negative vertex index", triangles + 8, -1},
        {"group larger than the file", frames + 4 + 8 + 16 + 32 + 4, 0x7fffffff},
        {"empty group", frames + 4 + 8 + 16 + 32 + 4, 0},
    };
    for (const Break& b : breaks) {
        ByteBuffer bytes = good;
        fixtures::PatchI32(bytes, b.offset, b.value);
        ExpectRefused(bytes, b.what);
    }
}

TEST_F(MDLRead, AFailedReadOfALoadedModelLeavesNothingOfTheOldOne) {
    COGLMDL model;
    ASSERT_TRUE(Read(model, WriteMdl(MakeBoxMdl(MixedEntries()))));
    ByteBuffer broken = WriteMdl(MakeBoxMdl(MixedEntries()));
    fixtures::PatchI32(broken, kVersion, 5);
    EXPECT_FALSE(Read(model, broken));
    EXPECT_EQ(model.GetAnimation(), nullptr);
    EXPECT_EQ(model.TriangleCount(), 0);
    model.AdvanceFrame();
    model.RefreshBounds();
}

// --- In a scene ---

namespace {
struct Document {
    COGLScene scene;
    DefaultViewLink view;
    COGLDoc doc{&scene, &view};
};

class MDLScene : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        RegisterModelClasses();
        path_ = dir_.Write("progs/soldier.mdl", WriteMdl(MakeBoxMdl(MixedEntries(), 3)));
    }
    TempDir dir_;
    std::string path_;
};
}  // namespace

TEST_F(MDLScene, AQuakeModelOpensByItsFirstBytesWithItsEmbeddedSkins) {
    Document d;
    ASSERT_TRUE(d.doc.OpenFile(path_).succeeded);
    ASSERT_EQ(d.scene.Objects().size(), 1u);
    auto* model = dynamic_cast<COGLMDL*>(d.scene.Objects().front().get());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->Name(), "soldier");
    EXPECT_EQ(model->TypeCode(), 15);
    EXPECT_EQ(model->Scale(), Vector3(0.05f, 0.05f, 0.05f));
    ASSERT_EQ(model->Skins().size(), 3u);
    EXPECT_EQ(model->Skins()[0]->Name(), "skin  1");
    EXPECT_EQ(model->Skins()[2]->Name(), "skin  3");
    EXPECT_EQ(model->Texture(), model->Skins().front());
    EXPECT_EQ(model->FrameTextures().size(), 3u);
    EXPECT_EQ(d.scene.Selected(), model);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(MDLScene, ABrokenModelAddsNothingAndSaysWhy) {
    ByteBuffer bytes = WriteMdl(MakeBoxMdl(MixedEntries()));
    fixtures::PatchI32(bytes, kSkins, 1);
    Document d;
    EXPECT_FALSE(d.doc.OpenFile(dir_.Write("bad.mdl", bytes)).succeeded);
    EXPECT_TRUE(d.scene.Objects().empty());
    EXPECT_TRUE(host_.HasMessage(msg::kNotValidMdl.text));
    EXPECT_TRUE(host_.HasMessage(msg::kErrorOpeningFile.text));
}

TEST_F(MDLScene, ModelsFromFilesAndPaksSurviveASaveAndLoadAndCopiesShareTheirSkins) {
    Document first;
    fixtures::PakBuilder builder;
    builder.Add("progs/Knight.mdl", WriteMdl(MakeBoxMdl({{"walk1"}, {"walk2"}})));
    first.scene.AddPak(dir_.Write("pak0.pak", builder.Build()));
    ASSERT_TRUE(first.doc.OpenFile(path_).succeeded);
    auto* soldier = static_cast<COGLMDL*>(first.scene.Objects().back().get());
    soldier->SelectAnimationByName("run");
    soldier->SetSpeed(0.4f);
    soldier->SetLoop(false);
    soldier->AdvanceFrame();
    soldier->SetTexture(soldier->Skins()[1]);
    soldier->SetName("grunt");
    ASSERT_TRUE(first.doc.OpenPakEntry("progs/knight.mdl").succeeded);
    auto* knight = static_cast<COGLMDL*>(first.scene.Objects().back().get());
    EXPECT_EQ(knight->Name(), "Knight");

    auto copy = CreateObject(soldier->TypeCode());
    ASSERT_NE(copy, nullptr);
    copy->CopyFrom(*soldier);
    auto* copied = dynamic_cast<COGLMDL*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->Skins(), soldier->Skins());
    EXPECT_EQ(copied->Texture(), soldier->Skins()[1]);
    EXPECT_EQ(copied->GetAnimation()->name, "run");
    first.scene.AddObject(std::move(copy));

    ASSERT_TRUE(first.doc.Save(dir_.File("scene.dv")));
    const ByteBuffer saved = ReadWholeFile(dir_.File("scene.dv")).value();
    Document second;
    ASSERT_TRUE(second.doc.OpenFile(dir_.File("scene.dv")).succeeded);
    ASSERT_EQ(second.scene.Objects().size(), 3u);
    auto* soldier2 = dynamic_cast<COGLMDL*>(second.scene.Objects()[0].get());
    ASSERT_NE(soldier2, nullptr);
    EXPECT_EQ(soldier2->Name(), "grunt");
    EXPECT_EQ(soldier2->GetAnimation()->name, "run");
    EXPECT_FLOAT_EQ(soldier2->Speed(), 0.4f);
    EXPECT_FALSE(soldier2->Loop());
    EXPECT_EQ(soldier2->FramePosition(), soldier->FramePosition());
    EXPECT_EQ(soldier2->Texture(), soldier2->Skins()[1]);
    auto* knight2 = dynamic_cast<COGLMDL*>(second.scene.Objects()[1].get());
    ASSERT_NE(knight2, nullptr);
    EXPECT_NE(knight2->Pak(), nullptr);
    ASSERT_TRUE(second.doc.Save(dir_.File("again.dv")));
    EXPECT_EQ(ReadWholeFile(dir_.File("again.dv")).value(), saved);
}

TEST_F(MDLScene, TheModelDrawsTexturedWithItsSkinAndPicks) {
    Document d;
    ASSERT_TRUE(d.doc.OpenFile(path_).succeeded);
    auto* model = static_cast<COGLMDL*>(d.scene.Objects().back().get());
    ASSERT_TRUE(gl_->Resize(64, 64));
    glViewport(0, 0, 64, 64);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    model->SetTextureEnvMode(GL_REPLACE);
    model->Draw(COGLObject::kDrawMaterial);
    std::uint8_t pixel[4] = {};
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    // The front face (model +x, drawn toward +z) is the skin's left half.
    const std::uint8_t* front = BuiltInQuake1Palette().data() + 3 * 251;
    EXPECT_NEAR(pixel[0], front[0], 40);
    EXPECT_NEAR(pixel[1], front[1], 40);
    EXPECT_NEAR(pixel[2], front[2], 40);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_GT(model->BoundsMax().y, model->BoundsMin().y);
}
