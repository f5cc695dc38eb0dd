#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "media/COGLTexture2D.h"
#include "media/PngFile.h"
#include "models/quake2/COGLMD2.h"
#include "models/quake2/COGLPlayer.h"
#include "models/ModelFixtures.h"
#include "platform/BinaryIO.h"
#include "scene/COGLScene.h"
#include "support/TestSupport.h"

namespace {

class ModelGL : public GLFixture {
protected:
    static constexpr int kSize = 256;

    void SetUp() override {
        GLFixture::SetUp();
        ASSERT_TRUE(gl_->Resize(kSize, kSize));
    }
    void TearDown() override {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        GLFixture::TearDown();
    }

    // A perspective camera at `eye` looking at `centre`, one white light beside
    // the camera, back faces culled, as the scene view draws models.
    void BeginFrame(const Vector3& eye, const Vector3& centre) {
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, 0.1, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.0, 1.0, 0.0);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glEnable(GL_NORMALIZE);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        const float position[] = {eye.x + 2.0f, eye.y + 3.0f, eye.z, 1.0f};
        const float white[] = {1.0f, 1.0f, 1.0f, 1.0f};
        const float ambient[] = {0.25f, 0.25f, 0.25f, 1.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    }

    PngImage Capture() {
        glFinish();
        PngImage image;
        image.width = kSize;
        image.height = kSize;
        image.channels = 3;
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(kSize * kSize * 3));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        image.pixels.resize(rows.size());
        for (int y = 0; y < kSize; ++y) {  // GL's rows are bottom first, PNG's top first
            std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(y * kSize * 3), kSize * 3,
                        image.pixels.begin() + static_cast<std::ptrdiff_t>((kSize - 1 - y) * kSize * 3));
        }
        return image;
    }

    static std::array<int, 3> At(const PngImage& image, int x, int yFromTop) {
        const std::size_t i = (static_cast<std::size_t>(yFromTop) * static_cast<std::size_t>(image.width) +
                               static_cast<std::size_t>(x)) * 3;
        return {image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]};
    }

    // Rows (from the top) and columns that hold anything but the black clear colour.
    struct Extent {
        int top = -1, bottom = -1, left = -1, right = -1;
    };
    static Extent Covered(const PngImage& image) {
        Extent e;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const auto p = At(image, x, y);
                if (p[0] + p[1] + p[2] > 0) {
                    if (e.top < 0) e.top = y;
                    e.bottom = y;
                    if (e.left < 0 || x < e.left) e.left = x;
                    if (x > e.right) e.right = x;
                }
            }
        }
        return e;
    }

    COGLScene scene_;
};

}  // namespace

TEST_F(ModelGL, TheSampleBannerStandsUprightLitAndTextured) {
    COGLMD2 banner(&scene_);
    ASSERT_TRUE(banner.LoadFile(std::string(MAROVIN_SOURCE_DIR) + "/samples/models/banner/tris.md2", false));
    ASSERT_TRUE(banner.ApplyFirstSkin());
    BeginFrame({1.0f, 2.0f, 6.0f}, {1.0f, 1.8f, 0.0f});
    banner.Draw(COGLObject::kDrawMaterial);
    const PngImage image = Capture();
    ASSERT_TRUE(WritePng(TestOutputDirectory() + "/banner.png", image));

    // The pole stands on the origin and rises: its foot is low in the picture,
    // the cloth hangs from its top to the right.
    const Extent e = Covered(image);
    ASSERT_GE(e.top, 0);
    EXPECT_GT(e.bottom, kSize * 3 / 4);
    EXPECT_LT(e.top, kSize / 4);
    const auto cloth = At(image, kSize * 2 / 3, e.top + 30);
    EXPECT_GT(cloth[2], cloth[0]) << "the cloth is blue";

    // In the wind the cloth moves; the pole does not.
    banner.SelectAnimationByName("wave");
    banner.SetFrame(3);
    BeginFrame({-2.0f, 2.0f, 5.5f}, {1.0f, 1.8f, 0.0f});
    banner.Draw(COGLObject::kDrawMaterial);
    const PngImage waving = Capture();
    ASSERT_TRUE(WritePng(TestOutputDirectory() + "/banner-wave.png", waving));
    EXPECT_NE(waving.pixels, image.pixels);
}

namespace {
// A square standing in the model's y-z plane, facing +x (the viewer), every
// vertex with the normal index `normal`.
ByteBuffer FacingSquare(std::uint8_t normal) {
    fixtures::Md2Model m;
    fixtures::Md2Frame frame;
    frame.name = "still";
    frame.scale = {1.0f, 16.0f / 255.0f, 16.0f / 255.0f};
    frame.translate = {0.0f, -8.0f, 0.0f};
    for (const auto& [y, z] : std::vector<std::pair<int, int>>{{0, 0}, {255, 0}, {255, 255}, {0, 255}}) {
        frame.vertices.push_back({0, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(z), normal});
    }
    m.frames.push_back(frame);
    // Clockwise seen from +x: y to the viewer's right, z up.
    m.commands.push_back({true, {{0, 0, 0}, {0, 0, 3}, {0, 0, 2}, {0, 0, 1}}});
    return fixtures::WriteMd2(m);
}
}  // namespace

TEST_F(ModelGL, ABrokenNormalIndexIsLitAsIfFacingUp) {
    const auto brightness = [this](std::uint8_t normal, bool invert) {
        COGLMD2 square(&scene_);
        const ByteBuffer bytes = FacingSquare(normal);
        BinaryReader in(bytes);
        EXPECT_TRUE(square.ReadMD2(in, 0, false));
        square.SetInvertNormals(invert);
        BeginFrame({0.0f, 0.4f, 3.0f}, {0.0f, 0.4f, 0.0f});
        const float fromAbove[] = {0.0f, 1.0f, 0.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, fromAbove);
        square.Draw(COGLObject::kDrawMaterial);
        const auto centre = At(Capture(), kSize / 2, kSize / 2);
        return centre[0] + centre[1] + centre[2];
    };
    const int facingViewer = brightness(fixtures::NearestNormal({1.0f, 0.0f, 0.0f}), false);
    const int up = brightness(fixtures::NearestNormal({0.0f, 0.0f, 1.0f}), false);
    const int broken = brightness(200, false);
    const int brokenInverted = brightness(200, true);
    EXPECT_GT(facingViewer, 0) << "ambient light only";
    EXPECT_GT(up, facingViewer + 300);
    EXPECT_EQ(broken, up);
    EXPECT_EQ(brokenInverted, facingViewer) << "facing down: no light from above reaches it";
}

TEST_F(ModelGL, DrawingRefreshesTheBoxAndPickingFindsTheModel) {
    COGLMD2 box(&scene_);
    const ByteBuffer bytes = model_fixtures::AnimatedBox({{"grow", 3}});
    BinaryReader in(bytes);
    ASSERT_TRUE(box.ReadMD2(in, 0, false));
    BeginFrame({0.0f, 1.0f, 4.0f}, {0.0f, 0.5f, 0.0f});
    box.Draw(COGLObject::kDrawMaterial);
    const Vector3 drawnMin = box.BoundsMin(), drawnMax = box.BoundsMax();
    box.RefreshBounds();
    EXPECT_EQ(box.BoundsMin(), drawnMin);
    EXPECT_EQ(box.BoundsMax(), drawnMax);
    EXPECT_NEAR(drawnMax.y - drawnMin.y, 10.0f, 1e-4f);
    box.SetSpeed(1.0f);
    box.SetInterpolate(false);
    box.AdvanceFrame();
    box.Draw(0);
    EXPECT_NEAR(box.BoundsMax().y - box.BoundsMin().y, 11.0f, 1e-4f) << "the box of the frame drawn last";
    box.DrawBoundingBox();

    const auto pick = [&] {
        std::array<GLuint, 64> buffer{};
        glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
        glRenderMode(GL_SELECT);
        glInitNames();
        glPushName(0);
        box.DrawPickPass();
        const GLint hits = glRenderMode(GL_RENDER);
        return hits > 0 ? static_cast<int>(buffer[3]) : -1;
    };
    EXPECT_EQ(pick(), box.PickName());
    box.Hide();
    EXPECT_EQ(pick(), -1);
}

TEST_F(ModelGL, SkinsAreFoundByTheirExactPath) {
    TempDir dir;
    dir.Write("models/crate/skin.pcx", model_fixtures::Skin(3));
    const std::string path = dir.Write("models/crate/tris.md2",
                                       model_fixtures::AnimatedBox({{"a", 1}}, {"models/crate/skin.pcx", "missing.pcx"}));
    COGLMD2 crate(&scene_);
    ASSERT_TRUE(crate.LoadFile(path, false));
    EXPECT_EQ(crate.SkinCount(), 2);
    ASSERT_EQ(crate.Skins().size(), 1u) << "a skin that cannot be read is left out";
    const std::string skinPath = crate.Skins().front()->Path();
    EXPECT_EQ(crate.FindSkin(skinPath), crate.Skins().front());
    std::string upper = skinPath;
    upper.replace(upper.size() - 8, 8, "SKIN.PCX");
    EXPECT_EQ(crate.FindSkin(upper), nullptr);
    EXPECT_EQ(scene_.SkinTextureCount(), 1u);

    // A second model shares the skin; the last one gone takes it out of the store.
    {
        COGLMD2 other(&scene_);
        ASSERT_TRUE(other.LoadFile(path, false));
        EXPECT_EQ(other.Skins().front(), crate.Skins().front());
        EXPECT_EQ(scene_.SkinTextureCount(), 1u);
    }
    EXPECT_EQ(scene_.SkinTextureCount(), 1u);
    crate.LoadFile(dir.Write("models/crate/tris.md2", std::string("broken")), false);
    EXPECT_EQ(scene_.SkinTextureCount(), 0u);
}
