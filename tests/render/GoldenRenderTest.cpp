// Reference scenes rendered headless and compared with the checked-in pictures
// under tests/golden (MAROVIN_UPDATE_GOLDEN=1 writes them again).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "render/CommandIds.h"
#include "render/SceneRenderer.h"
#include "support/GoldenImage.h"
#include "support/MediaWriters.h"
#include "ViewFixture.h"

namespace {

class GoldenScene : public ViewFixture {
protected:
    static constexpr int kPictureWidth = 160;
    static constexpr int kPictureHeight = 120;

    void SetUp() override {
        ViewFixture::SetUp();
        Size(kPictureWidth, kPictureHeight);
        Scene().SetBackgroundColor(0.1f, 0.1f, 0.25f);
        DefaultLight().Marker().SetPosition(1.5f, 2.5f, 2.0f);

        floor_ = Add(object_type::kFloor, {0.0f, -1.0f, 0.0f});
        floor_->SetScale(2.5f, 1.0f, 2.5f);
        box_ = Add(object_type::kBox, {-0.9f, -0.5f, 0.0f}, 0.5f);
        box_->SetDiffuse(0.9f, 0.2f, 0.2f, 1.0f);
        box_->RotateY(30.0f);
        sphere_ = Add(object_type::kSphere, {0.7f, -0.45f, 0.4f}, 0.55f);
        sphere_->SetDiffuse(0.2f, 0.8f, 0.3f, 1.0f);
        sphere_->SetSpecular(1.0f, 1.0f, 1.0f, 1.0f);
        sphere_->SetShininess(40.0f);
        cone_ = Add(object_type::kCone, {0.1f, -0.5f, -1.0f}, 0.5f);
        cone_->SetDiffuse(0.3f, 0.4f, 1.0f, 1.0f);
        cone_->RotateX(90.0f);  // apex up
        // Closer than the preset and a little lower, so the scene fills the small picture.
        COGLCamera3D& camera = static_cast<COGLViewport3D&>(view_->Viewport(0)).Camera3D();
        camera.AddDistance(-3.0f);
        camera.MoveUp(0.6f);
    }

    ::testing::AssertionResult Matches(const std::string& name, int width = kPictureWidth,
                                       int height = kPictureHeight) {
        view_->Paint();
        return FramebufferMatchesGolden(name, width, height);
    }

    // Pixels of the lower half (where the floor lies) darker than `level` in every channel.
    int DarkFloorPixels(int level) {
        const auto image = ReadFramebufferImage(kPictureWidth, kPictureHeight);
        int dark = 0;
        for (int y = kPictureHeight / 2; y < kPictureHeight; ++y) {
            for (int x = 0; x < kPictureWidth; ++x) {
                const std::uint8_t* p = image->pixels.data() + (std::size_t(y) * kPictureWidth + std::size_t(x)) * 3;
                dark += p[0] < level && p[1] < level && p[2] < level ? 1 : 0;
            }
        }
        return dark;
    }

    void EnableShadows(bool blended) {
        Scene().AddShadowLight(&DefaultLight());
        Scene().AddShadowPlane(floor_);
        Scene().SetShadowBlending(blended);
        Scene().SetShadowOpacity(0.6f);
        ASSERT_TRUE(Scene().EnableShadows(true));
    }

    std::string BackgroundPicture() {
        // 8 x 8 blocks of orange and teal, 2 x 2 pixels each.
        ByteBuffer rgb;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool orange = ((x / 2) + (y / 2)) % 2 == 0;
                rgb.push_back(orange ? 240 : 20);
                rgb.push_back(orange ? 140 : 150);
                rgb.push_back(orange ? 20 : 160);
            }
        }
        return dir_.Write("background.bmp", fixtures::WriteBmp24(8, 8, rgb));
    }

    TempDir dir_;
    COGLObject* floor_ = nullptr;
    COGLObject* box_ = nullptr;
    COGLObject* sphere_ = nullptr;
    COGLObject* cone_ = nullptr;
};

}  // namespace

TEST_F(GoldenScene, EachDisplayMode) {
    const struct {
        int command;
        const char* name;
    } modes[] = {{cmd::kPointsFast, "view_mode_points_fast"}, {cmd::kPoints, "view_mode_points"},
                 {cmd::kWireframeFast, "view_mode_wireframe_fast"}, {cmd::kWireframe, "view_mode_wireframe"},
                 {cmd::kFlat, "view_mode_flat"}, {cmd::kShaded, "view_mode_shaded"}};
    for (const auto& mode : modes) {
        ASSERT_TRUE(view_->OnCommand(mode.command));
        EXPECT_TRUE(Matches(mode.name)) << mode.name;
    }
}

TEST_F(GoldenScene, FourPanesWithSeparatorsAndLabels) {
    Size(320, 240);
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    EXPECT_TRUE(Matches("view_four_panes", 320, 240));
    // The separators: shadow, face and highlight colours side by side at w / 2.
    const auto shadow = Pixel(159, 60);
    const auto face = Pixel(160, 60);
    const auto highlight = Pixel(161, 60);
    EXPECT_EQ(shadow[0], 128);
    EXPECT_EQ(face[0], 212);
    EXPECT_EQ(highlight[0], 255);
}

TEST_F(GoldenScene, OpaqueShadowsAreBlackOnTheFloorOnly) {
    view_->Paint();
    const int before = DarkFloorPixels(8);
    EnableShadows(false);
    EXPECT_TRUE(Matches("view_shadows_opaque"));
    EXPECT_GT(DarkFloorPixels(8), before + 100);
}

TEST_F(GoldenScene, BlendedShadowsKeepTheFloorShowingThrough) {
    EnableShadows(true);
    EXPECT_TRUE(Matches("view_shadows_blended"));
    // Darkened, not black.
    EXPECT_LT(DarkFloorPixels(8), 20);
}

TEST_F(GoldenScene, EachBackgroundMode) {
    ASSERT_TRUE(Scene().SetBackgroundFromFile(BackgroundPicture()));
    const char* names[] = {"view_background_quad", "view_background_zoomed_copy", "view_background_stretched"};
    for (int mode = 0; mode < 3; ++mode) {
        Scene().SetBackgroundMode(mode);
        EXPECT_TRUE(Matches(names[mode])) << names[mode];
        // The corner is background, never the clear colour.
        const auto corner = Pixel(1, kPictureHeight - 2);
        EXPECT_TRUE(corner[0] > 200 || corner[2] > 140) << mode;
    }
    // The stretched copy is kept at the pane's size until the size changes.
    EXPECT_EQ(Scene().StretchedBackground().width, kPictureWidth);
    EXPECT_EQ(Scene().StretchedBackground().height, kPictureHeight);
}

TEST_F(GoldenScene, LinearFogFadesTheFarObjects) {
    RendererSettings& renderer = Scene().Renderer();
    renderer.fogEnabled = 1;
    renderer.fogMode = 2;
    renderer.fogStart = 0.1f;
    renderer.fogEnd = 0.25f;
    renderer.fogColor = {0.6f, 0.6f, 0.7f};
    EXPECT_TRUE(Matches("view_fog_linear"));
    // Fog belongs to the frame: nothing of it stays switched on.
    EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(GoldenScene, HighlightedSelectionWithItsBox) {
    Scene().SetSelectedObject(sphere_);
    ASSERT_TRUE(view_->OnCommand(cmd::kHighlightSelected));
    EXPECT_TRUE(Matches("view_highlight_selected"));
}

TEST_F(GoldenScene, GridAndAxisMarkersOfThePerspectivePane) {
    ASSERT_TRUE(view_->OnCommand(cmd::kGrid));
    ASSERT_TRUE(view_->OnCommand(cmd::kAxisMarkers));
    EXPECT_TRUE(Matches("view_grid_axis_markers"));
    // The markers stand in the lower left corner: red, green and blue strokes there.
    const auto image = ReadFramebufferImage(kPictureWidth, kPictureHeight);
    bool red = false;
    bool green = false;
    bool blue = false;
    for (int y = kPictureHeight - 40; y < kPictureHeight; ++y) {
        for (int x = 0; x < 40; ++x) {
            const std::uint8_t* p = image->pixels.data() + (std::size_t(y) * kPictureWidth + std::size_t(x)) * 3;
            red = red || (p[0] > 200 && p[1] < 60 && p[2] < 60);
            green = green || (p[1] > 200 && p[0] < 60 && p[2] < 60);
            blue = blue || (p[2] > 200 && p[0] < 60 && p[1] < 60);
        }
    }
    EXPECT_TRUE(red && green && blue);
}
