// The scene passes' geometry: receiver planes, drawing order, and which lights
// and objects may cast shadows.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "render/CommandIds.h"
#include "render/SceneRenderer.h"
#include "scene/Primitives.h"
#include "ViewFixture.h"

namespace {

void ExpectPlane(const std::optional<std::array<float, 4>>& plane, const std::array<float, 4>& expected) {
    ASSERT_TRUE(plane.has_value());
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR((*plane)[i], expected[i], 1e-5f) << i;
    }
}

// Dark pixels of the whole picture.
int DarkPixels(int width, int height) {
    std::vector<unsigned char> rgb(std::size_t(width) * std::size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int dark = 0;
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        dark += rgb[i] < 8 && rgb[i + 1] < 8 && rgb[i + 2] < 8 ? 1 : 0;
    }
    return dark;
}

class Shadows : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        Scene().SetBackgroundColor(0.5f, 0.5f, 0.9f);
        floor_ = Add(object_type::kFloor, {0.0f, -1.0f, 0.0f});
        floor_->SetScale(3.0f, 1.0f, 3.0f);
        caster_ = Add(object_type::kBox, {0.0f, 0.0f, 0.0f}, 0.4f);
        caster_->SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
        caster_->SetAmbient(1.0f, 1.0f, 1.0f, 1.0f);
        DefaultLight().Marker().Hide();
        Scene().AddShadowLight(&DefaultLight());
        Scene().AddShadowPlane(floor_);
    }

    int DarkWith(const Vector3& light, bool shadows) {
        DefaultLight().Marker().SetPosition(light.x, light.y, light.z);
        Scene().EnableShadows(shadows);
        view_->Paint();
        return DarkPixels(kWidth, kHeight);
    }

    COGLObject* floor_ = nullptr;
    COGLObject* caster_ = nullptr;
};

}  // namespace

TEST(ScenePasses, ReceiverPlanesFaceTheWayTheirObjectFaces) {
    COGLFloor floor;
    floor.SetPosition(0.0f, -1.0f, 0.0f);
    ExpectPlane(WorldPlaneOf(floor), {0.0f, 1.0f, 0.0f, 1.0f});
    COGLCeiling ceiling;
    ceiling.SetPosition(0.0f, 2.0f, 0.0f);
    ExpectPlane(WorldPlaneOf(ceiling), {0.0f, -1.0f, 0.0f, 2.0f});
    COGLRightWall right;
    right.SetPosition(3.0f, 0.0f, 0.0f);
    ExpectPlane(WorldPlaneOf(right), {-1.0f, 0.0f, 0.0f, 3.0f});
    // A plane facing +z, turned a quarter about x, faces -y.
    COGLPlane plane;
    plane.RotateX(90.0f);
    plane.SetScale(4.0f, 4.0f, 1.0f);  // scale does not tilt it
    ExpectPlane(WorldPlaneOf(plane), {0.0f, -1.0f, 0.0f, 0.0f});
    COGLBox box;
    EXPECT_FALSE(WorldPlaneOf(box).has_value());
}

TEST(ScenePasses, ObjectsAreDrawnFarthestFirstKeepingListOrderOnTies) {
    COGLScene scene;
    auto place = [&](float z) {
        auto box = std::make_unique<COGLBox>();
        box->SetPosition(0.0f, 0.0f, z);
        return scene.AddObject(std::move(box));
    };
    COGLObject* near = place(4.0f);
    COGLObject* tieA = place(-1.0f);
    COGLObject* far = place(-6.0f);
    COGLObject* tieB = place(-1.0f);
    const auto sorted = ObjectsFarthestFirst(scene, {0.0f, 0.0f, 8.0f});
    EXPECT_EQ(sorted, (std::vector<COGLObject*>{far, tieA, tieB, near}));
}

TEST_F(Shadows, OnlyALightInFrontOfTheReceiverCastsOntoIt) {
    const Vector3 above{0.5f, 3.0f, 1.0f};
    const int unshadowed = DarkWith(above, false);
    EXPECT_GT(DarkWith(above, true), unshadowed + 50);
    // Under the floor: the floor's front is unlit and nothing is cast onto it.
    const Vector3 below{0.5f, -3.0f, 1.0f};
    EXPECT_EQ(DarkWith(below, true), DarkWith(below, false));
}

TEST_F(Shadows, ObjectsBeyondTheLightOrBehindTheReceiverCastNothing) {
    const Vector3 light{0.0f, 1.0f, 0.0f};
    caster_->SetPosition(0.0f, 2.5f, 0.0f);  // above the light: would be thrown through infinity
    EXPECT_EQ(DarkWith(light, true), DarkWith(light, false));
    caster_->SetPosition(0.0f, -2.0f, 0.0f);  // under the floor
    EXPECT_EQ(DarkWith(light, true), DarkWith(light, false));
}

TEST_F(Shadows, ShadowsLeaveNoStateBehind) {
    DarkWith({0.5f, 3.0f, 1.0f}, true);
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean colorMask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, colorMask);
    EXPECT_TRUE(colorMask[0] && colorMask[3]);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
