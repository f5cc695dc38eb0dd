#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <memory>
#include <vector>

#include "math/Matrix4.h"
#include "scene/COGLLight.h"
#include "scene/COGLScene.h"
#include "scene/COGLText.h"
#include "scene/Primitives.h"
#include "support/TestSupport.h"

namespace {

class SceneGL : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        GLFixture::TearDown();
    }

    std::array<unsigned char, 4> Pixel(int x, int y) {
        glFinish();
        std::array<unsigned char, 4> rgba{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    // Names hit by the objects' pick passes over the whole view.
    std::vector<GLuint> Pick(const std::vector<COGLObject*>& objects) {
        std::array<GLuint, 256> buffer{};
        glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
        glRenderMode(GL_SELECT);
        glInitNames();
        glPushName(0);
        for (COGLObject* object : objects) {
            object->DrawPickPass();
        }
        const GLint hits = glRenderMode(GL_RENDER);
        std::vector<GLuint> names;
        std::size_t at = 0;
        for (GLint i = 0; i < hits; ++i) {
            const GLuint count = buffer[at];
            for (GLuint n = 0; n < count; ++n) {
                names.push_back(buffer[at + 3 + n]);
            }
            at += 3 + count;
        }
        return names;
    }
};

}  // namespace

TEST_F(SceneGL, ListsAreBuiltAtTheFirstDrawAndTheShapeAppears) {
    COGLBox box;
    box.SetEmission(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_FALSE(box.HasDisplayLists());
    box.Draw(COGLObject::kDrawMaterial);
    ASSERT_TRUE(box.HasDisplayLists());
    EXPECT_TRUE(glIsList(box.MainList()));
    EXPECT_TRUE(glIsList(box.AlternateList()));
    EXPECT_EQ(box.PickList(), box.MainList());
    // Unlit, the emission does not show; the box covers the middle in its current colour.
    const auto centre = Pixel(kWidth / 2, kHeight / 2);
    const auto corner = Pixel(2, 2);
    EXPECT_GT(centre[0] + centre[1] + centre[2], 0);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);

    const GLuint list = box.MainList();
    box.InvalidateDisplayLists();
    EXPECT_FALSE(glIsList(list));
    EXPECT_FALSE(box.HasDisplayLists());
}

TEST_F(SceneGL, MaterialFlagSetsTheMaterialAndLightingShowsIt) {
    glEnable(GL_LIGHTING);
    COGLSphere sphere;
    sphere.SetEmission(0.0f, 1.0f, 0.0f, 1.0f);
    sphere.SetAmbient(0, 0, 0, 1);
    sphere.SetDiffuse(0, 0, 0, 1);
    sphere.Draw(COGLObject::kDrawMaterial);
    const auto lit = Pixel(kWidth / 2, kHeight / 2);
    EXPECT_EQ(lit[0], 0);
    EXPECT_GT(lit[1], 200);
    std::array<float, 4> emission{};
    glGetMaterialfv(GL_FRONT, GL_EMISSION, emission.data());
    EXPECT_EQ(emission[1], 1.0f);
    glDisable(GL_LIGHTING);
}

TEST_F(SceneGL, TransparentDrawingRestoresDepthWritesAndBlending) {
    COGLPlane plane;
    plane.SetTransparent(true);
    plane.Draw(COGLObject::kDrawMaterial | COGLObject::kDrawAxisMarks);
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(SceneGL, HiddenObjectsAndNegativePickNamesAreNeverPicked) {
    COGLBox shown;
    COGLBox hidden;
    hidden.Hide();
    COGLBox unpickable;
    unpickable.SetPickName(-1);
    const auto names = Pick({&shown, &hidden, &unpickable});
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], static_cast<GLuint>(shown.PickName()));
    // A hidden object draws nothing either.
    hidden.SetEmission(1, 1, 1, 1);
    hidden.Draw(COGLObject::kDrawMaterial);
    const auto centre = Pixel(kWidth / 2, kHeight / 2);
    EXPECT_EQ(centre[0] + centre[1] + centre[2], 0);
}

TEST_F(SceneGL, SelectionBoxLeavesTheLightingAsItWas) {
    glEnable(GL_LIGHTING);
    COGLFloor floor;
    floor.DrawSelectionBox();
    COGLCone cone;
    cone.DrawSelectionBox();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    glDisable(GL_LIGHTING);
    // The cone's box has a side at x = 1, a quarter of the view from the right.
    int lit = 0;
    for (int x = kWidth * 3 / 4 - 2; x <= kWidth * 3 / 4 + 2; ++x) {
        const auto p = Pixel(x, kHeight / 2 + 10);
        lit += p[0] + p[1] + p[2] > 0 ? 1 : 0;
    }
    EXPECT_GT(lit, 0);
}

TEST_F(SceneGL, BillboardsTurnTheirFrontToTheViewer) {
    glRotatef(60.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(-20.0f, 1.0f, 0.0f, 0.0f);
    glScalef(2.0f, 2.0f, 2.0f);
    COGLBillboard billboard;
    billboard.RotateY(45.0f);  // its own orientation does not count
    billboard.ApplyOrientation();
    Matrix4 m;
    glGetDoublev(GL_MODELVIEW_MATRIX, m.Data());
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            EXPECT_NEAR(m(row, col), row == col ? 2.0 : 0.0, 1e-5) << row << "," << col;
        }
    }
    glLoadIdentity();
}

TEST_F(SceneGL, SpotDirectionReadBackFromGLMatchesTheQuaternionMath) {
    COGLSpotLight spot(0.0f, 0.0f, 0.0f);
    spot.Marker().Rotate({1.0f, 2.0f, 0.5f}, 37.0f);
    spot.Marker().RotateZ(-110.0f);
    glTranslatef(3.0f, 0.0f, 0.0f);  // the current matrix must not leak into the direction
    spot.ComputeDirection();
    const Vector3 withGL = spot.Direction();
    Vector3 math = spot.Marker().Orientation().ToMatrix().TransformVector({0.0f, 0.0f, 1.0f});
    ASSERT_TRUE(math.Normalize());
    EXPECT_NEAR(withGL.x, math.x, 1e-5f);
    EXPECT_NEAR(withGL.y, math.y, 1e-5f);
    EXPECT_NEAR(withGL.z, math.z, 1e-5f);
    Matrix4 m;
    glGetDoublev(GL_MODELVIEW_MATRIX, m.Data());
    EXPECT_EQ(m(0, 3), 3.0);
}

TEST_F(SceneGL, LightsApplyTheirStateAndGiveItBackWhenDestroyed) {
    auto spot = std::make_unique<COGLSpotLight>(0.0f, 1.0f, 0.0f);
    spot->SetCutOff(25.0f);
    spot->SetExponent(4.0f);
    const GLenum id = spot->GLLight();
    spot->Apply();
    EXPECT_TRUE(glIsEnabled(id));
    float value = 0.0f;
    glGetLightfv(id, GL_SPOT_CUTOFF, &value);
    EXPECT_FLOAT_EQ(value, 25.0f);
    std::array<float, 3> direction{};
    glGetLightfv(id, GL_SPOT_DIRECTION, direction.data());
    EXPECT_NEAR(direction[2], -1.0f, 1e-5f);
    EXPECT_TRUE(spot->Marker().HasDisplayLists());  // the marker was drawn

    spot.reset();
    EXPECT_FALSE(glIsEnabled(id));
    glGetLightfv(id, GL_SPOT_CUTOFF, &value);
    EXPECT_FLOAT_EQ(value, 180.0f);
    glGetLightfv(id, GL_SPOT_EXPONENT, &value);
    EXPECT_FLOAT_EQ(value, 0.0f);

    // A disabled light turns its GL light off but still shows its marker.
    COGLPointLight point(1.0f, 1.0f, 1.0f);
    point.SetEnabled(false);
    glEnable(point.GLLight());
    point.Apply();
    EXPECT_FALSE(glIsEnabled(point.GLLight()));
    EXPECT_TRUE(point.Marker().HasDisplayLists());
    point.SetEnabled(true);
    point.SetW(0.0f);
    point.Apply();
    std::array<float, 4> position{};
    glGetLightfv(point.GLLight(), GL_POSITION, position.data());
    EXPECT_EQ(position[3], 0.0f);
    // Light markers pick through their alternate list.
    EXPECT_EQ(point.Marker().PickList(), point.Marker().AlternateList());
    const auto names = Pick({&point.Marker()});
    ASSERT_EQ(names.size(), 1u);
}

TEST_F(SceneGL, TextDrawsItsGlyphsAndRebuildsAfterAChange) {
    COGLText text;
    text.SetText("HI");
    text.SetScale(0.5f, 0.5f, 0.5f);
    text.Draw(0);
    ASSERT_TRUE(text.HasDisplayLists());
    int covered = 0;
    glFinish();
    std::vector<unsigned char> pixels(kWidth * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        covered += pixels[i] != 0 ? 1 : 0;
    }
    EXPECT_GT(covered, 100);
    const GLuint list = text.MainList();
    text.SetText("HO");
    EXPECT_FALSE(glIsList(list));
    text.Draw(COGLObject::kDrawAlternate);
    EXPECT_TRUE(text.HasDisplayLists());
}

TEST_F(SceneGL, AmbientLightGoesToTheLightModel) {
    COGLScene scene;
    scene.SetAmbient({0.1f, 0.2f, 0.3f, 1.0f});
    scene.ApplyAmbientLight();
    std::array<float, 4> ambient{};
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient.data());
    EXPECT_FLOAT_EQ(ambient[2], 0.3f);
}
