#include <gtest/gtest.h>

#include <memory>

#include "media/COGLTexture2D.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "scene/COGLScene.h"
#include "scene/Primitives.h"
#include "support/TestSupport.h"

namespace {

class Scene : public HostFixture {
protected:
    void TearDown() override {
        scene_.reset();
        EXPECT_EQ(COGLLight::LightsInUse(), 0);
        HostFixture::TearDown();
    }
    COGLScene& scene() { return *scene_; }
    COGLObject* AddBox() { return scene().AddObject(std::make_unique<COGLBox>()); }
    COGLLight* AddPoint() { return scene().AddLight(std::make_unique<COGLPointLight>(0.0f, 0.0f, 0.0f)); }

    std::unique_ptr<COGLScene> scene_ = std::make_unique<COGLScene>();
};

// Counts its animation steps.
class Spinner : public COGLBox {
public:
    void StepAnimation() override { ++steps; }
    int steps = 0;
};

}  // namespace

TEST_F(Scene, StartsWithItsDefaults) {
    EXPECT_EQ(scene().Ambient(), ColorRGBA(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(scene().TextureFilterMode(), 1);
    EXPECT_EQ(scene().BackgroundMode(), 0);
    EXPECT_FLOAT_EQ(scene().ShadowOpacity(), 1.0f);
    EXPECT_FALSE(scene().VWepEnabled());
    const RendererSettings& r = scene().Renderer();
    EXPECT_EQ(r.fogEnabled, 0);
    EXPECT_EQ(r.fogMode, 0);
    const float reals[] = {r.fogDensity,     r.highlightColor.red, r.highlightColor.green, r.highlightColor.blue,
                           r.highlightColor.alpha, r.fogStart,     r.fogEnd,               r.fogColor[0],
                           r.fogColor[1],    r.fogColor[2]};
    const float expected[] = {0.33f, 1.0f, 1.0f, 0.5f, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    for (int i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(reals[i], expected[i]) << i;
    }
}

TEST_F(Scene, RemovingAnObjectClearsItsSelectionAndShadowPlane) {
    COGLObject* a = AddBox();
    COGLObject* b = AddBox();
    COGLLight* light = AddPoint();
    scene().AddShadowLight(light);
    scene().AddShadowPlane(a);
    scene().AddShadowPlane(b);
    ASSERT_TRUE(scene().EnableShadows(true));
    scene().SetSelectedObject(a);
    ASSERT_TRUE(scene().RemoveObject(a));
    EXPECT_EQ(scene().Selected(), nullptr);
    ASSERT_EQ(scene().ShadowPlanes().size(), 1u);
    EXPECT_EQ(scene().ShadowPlanes()[0], b);
    EXPECT_TRUE(scene().ShadowsEnabled());
    // The last shadow plane goes: shadows go off although lights remain.
    ASSERT_TRUE(scene().RemoveObject(b));
    EXPECT_FALSE(scene().ShadowsEnabled());
    EXPECT_EQ(scene().ShadowLights().size(), 1u);
    COGLBox stranger;
    EXPECT_FALSE(scene().RemoveObject(&stranger));
    EXPECT_FALSE(scene().RemoveObject(nullptr));
}

TEST_F(Scene, RemovingALightFreesItsGLLightAndShadowEntry) {
    COGLLight* a = AddPoint();
    COGLLight* b = AddPoint();
    scene().AddShadowLight(a);
    scene().AddShadowLight(b);
    scene().SetSelectedLight(b);
    EXPECT_EQ(scene().SelectedLight(), b);
    EXPECT_EQ(scene().Selected(), &b->Marker());
    ASSERT_TRUE(scene().RemoveLight(b));
    EXPECT_EQ(scene().Selected(), nullptr);
    EXPECT_EQ(scene().ShadowLights().size(), 1u);
    EXPECT_EQ(COGLLight::LightsInUse(), 1);
    EXPECT_FALSE(scene().RemoveLight(b));
}

TEST_F(Scene, ShadowTablesHaveLimitsAndKeepTheirOrder) {
    COGLObject* planes[6];
    for (auto*& p : planes) {
        p = AddBox();
    }
    for (auto* p : planes) {
        scene().AddShadowPlane(p);
    }
    scene().AddShadowPlane(planes[0]);  // already there
    scene().AddShadowPlane(nullptr);
    ASSERT_EQ(scene().ShadowPlanes().size(), 4u);  // a fifth is silently not added
    scene().RemoveShadowPlane(planes[1]);
    ASSERT_EQ(scene().ShadowPlanes().size(), 3u);
    EXPECT_EQ(scene().ShadowPlanes()[0], planes[0]);
    EXPECT_EQ(scene().ShadowPlanes()[1], planes[2]);
    EXPECT_EQ(scene().ShadowPlanes()[2], planes[3]);
    EXPECT_TRUE(scene().IsShadowPlane(planes[3]));
    EXPECT_FALSE(scene().IsShadowPlane(planes[1]));
    COGLBox stranger;
    scene().AddShadowPlane(&stranger);  // not in this scene
    EXPECT_FALSE(scene().IsShadowPlane(&stranger));

    // Without a shadow light shadows stay off.
    EXPECT_FALSE(scene().EnableShadows(true));
    for (int i = 0; i < 9; ++i) {
        scene().AddShadowLight(AddPoint());
    }
    EXPECT_EQ(scene().ShadowLights().size(), 8u);  // the ninth is silently not added
    EXPECT_TRUE(scene().EnableShadows(true));
    scene().ClearShadowLights();
    EXPECT_FALSE(scene().ShadowsEnabled());
    EXPECT_TRUE(scene().ShadowLights().empty());
    EXPECT_EQ(scene().ShadowPlanes().size(), 3u);
}

TEST_F(Scene, SelectsObjectsAndLightMarkersByPickName) {
    COGLObject* a = AddBox();
    COGLObject* b = AddBox();
    COGLLight* light = AddPoint();
    EXPECT_EQ(scene().SelectObjectByPickName(b->PickName()), b);
    EXPECT_EQ(scene().Selected(), b);
    EXPECT_EQ(scene().SelectLightByPickName(light->Marker().PickName()), light);
    EXPECT_EQ(scene().Selected(), &light->Marker());
    EXPECT_EQ(scene().SelectObjectByPickName(-12345), nullptr);
    EXPECT_EQ(scene().Selected(), nullptr);
    scene().SetSelectedObject(a);
    EXPECT_EQ(scene().SelectLightByPickName(a->PickName()), nullptr);
    EXPECT_EQ(scene().Selected(), nullptr);
}

TEST_F(Scene, TexturesInUseCannotBeDeleted) {
    auto owned = std::make_unique<COGLTexture2D>();
    COGLTexture2D* used = scene().AddTexture(std::move(owned));
    COGLTexture2D* unused = scene().AddTexture(std::make_unique<COGLTexture2D>());
    // An object refers to the first: the texture list is what it checks, not GL state.
    class Holder : public COGLBox {
    public:
        void Hold(COGLTexture2D* t) { m_texture = t; }
    };
    auto holder = std::make_unique<Holder>();
    holder->Hold(used);
    scene().AddObject(std::move(holder));
    EXPECT_FALSE(scene().DeleteTexture(used));
    EXPECT_EQ(scene().Textures().size(), 2u);
    EXPECT_TRUE(scene().DeleteTexture(unused));
    EXPECT_EQ(scene().IndexOfTexture(used), 0);
    EXPECT_FALSE(scene().DeleteTexture(unused));
    // A texture that is not bound is never assigned through SetTexture.
    scene().ObjectAt(0)->SetTexture(used);
    EXPECT_EQ(scene().ObjectAt(0)->Texture(), nullptr);
}

TEST_F(Scene, SkinTexturesAreSharedByNameAndCounted) {
    auto a = std::make_unique<COGLTexture2D>();
    a->AddRef();
    COGLTexture2D* blaster = scene().AddSkinTexture(std::move(a), "models/weapons/g_blast/base.pcx");
    auto b = std::make_unique<COGLTexture2D>();
    b->AddRef();
    COGLTexture2D* flare = scene().AddSkinTexture(std::move(b), "models/weapons/g_flareg/base.pcx");
    // Two skins with the same file name in different directories stay apart.
    EXPECT_EQ(scene().FindSkinTexture("models/weapons/g_flareg/base.pcx"), flare);
    EXPECT_EQ(flare->RefCount(), 2);
    EXPECT_EQ(scene().FindSkinTexture("models/weapons/g_blast/base.pcx"), blaster);
    EXPECT_EQ(scene().FindSkinTexture("base.pcx"), nullptr);
    EXPECT_EQ(scene().LoadSkinTexture("models/weapons/g_blast/base.pcx", nullptr, "", 0, true), blaster);
    EXPECT_EQ(blaster->RefCount(), 3);

    EXPECT_TRUE(scene().ReleaseSkinTexture(flare));
    EXPECT_EQ(scene().SkinTextureCount(), 2u);
    EXPECT_TRUE(scene().ReleaseSkinTexture(flare));  // the last reference: destroyed
    EXPECT_EQ(scene().SkinTextureCount(), 1u);
    EXPECT_FALSE(scene().ReleaseSkinTexture(flare));
    // A skin that cannot be read is not kept.
    EXPECT_EQ(scene().LoadSkinTexture("/nowhere/skin.pcx", nullptr, "", 0, true), nullptr);
    EXPECT_EQ(scene().SkinTextureCount(), 1u);
    // Clearing the scene leaves the skins.
    scene().Clear();
    EXPECT_EQ(scene().SkinTextureCount(), 1u);
}

TEST_F(Scene, StepsOnlyAnimatingObjects) {
    auto* still = static_cast<Spinner*>(scene().AddObject(std::make_unique<Spinner>()));
    auto* moving = static_cast<Spinner*>(scene().AddObject(std::make_unique<Spinner>()));
    EXPECT_FALSE(scene().StepAnimations());
    moving->StartAnimation();
    EXPECT_TRUE(scene().StepAnimations());
    EXPECT_EQ(moving->steps, 1);
    EXPECT_EQ(still->steps, 0);
    scene().StartAnimations();
    EXPECT_TRUE(still->IsAnimating());
}

TEST_F(Scene, HidesAndRestoresTheMarkersOfTheFirst32Lights) {
    for (int i = 0; i < 33; ++i) {
        AddPoint();
    }
    EXPECT_TRUE(host_.HasMessage(msg::kNoMoreLights.text));
    scene().LightAt(3)->Marker().Hide();
    const std::uint32_t mask = scene().HideLightMarkers();
    EXPECT_EQ(mask, 0xFFFFFFFFu & ~(1u << 3));
    EXPECT_FALSE(scene().LightAt(0)->Marker().IsVisible());
    EXPECT_TRUE(scene().LightAt(32)->Marker().IsVisible());
    scene().RestoreLightMarkers(mask);
    EXPECT_TRUE(scene().LightAt(0)->Marker().IsVisible());
    EXPECT_FALSE(scene().LightAt(3)->Marker().IsVisible());  // was hidden before
}

TEST_F(Scene, ClearEmptiesTheSceneButKeepsPaksAndColours) {
    AddBox();
    AddPoint();
    scene().AddTexture(std::make_unique<COGLTexture2D>());
    scene().SetSelectedObject(scene().ObjectAt(0));
    scene().SetBackgroundColor(1, 0, 0);
    host_.Clear();
    scene().Clear();
    EXPECT_TRUE(scene().Objects().empty());
    EXPECT_TRUE(scene().Lights().empty());
    EXPECT_TRUE(scene().Textures().empty());
    EXPECT_EQ(scene().Selected(), nullptr);
    EXPECT_EQ(scene().BackgroundColor()[0], 1.0f);
    EXPECT_EQ(COGLLight::LightsInUse(), 0);
    EXPECT_EQ(host_.repaints, 1);
}

TEST_F(Scene, MissingBackgroundsAndPaksFailQuietly) {
    EXPECT_FALSE(scene().SetBackgroundFromFile("/nowhere/sky.bmp"));
    EXPECT_FALSE(scene().BackgroundValid());
    EXPECT_EQ(scene().Background(), nullptr);
    EXPECT_FALSE(scene().SetBackgroundFromPak(nullptr, "gfx/sky.pcx"));
    EXPECT_EQ(scene().AddPak("/nowhere/pak0.pak"), -1);
    EXPECT_EQ(scene().PakCount(), 0);
    EXPECT_EQ(scene().PakAt(0), nullptr);
    EXPECT_EQ(scene().PakAt(-1), nullptr);
    EXPECT_EQ(scene().PositionOfPak(nullptr), -1);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(Scene, VisualWeaponsFollowTheirSettings) {
    EXPECT_TRUE(scene().SetUpVisualWeapons());
    EXPECT_FALSE(scene().VWepEnabled());
    settings_.SetInt("VWep", "Enabled", 1);
    settings_.SetString("VWep", "VWepPakFile", "/nowhere/vwep.pak");
    // Enabled, but the archive is not there: nothing to preload, nothing to say.
    EXPECT_TRUE(scene().SetUpVisualWeapons());
    EXPECT_TRUE(scene().VWepEnabled());
    EXPECT_EQ(scene().VWepPak(), nullptr);
    EXPECT_EQ(scene().CTFPak(), nullptr);
    EXPECT_EQ(host_.waitCursorDepth, 0);
    EXPECT_TRUE(host_.messages.empty());
}
