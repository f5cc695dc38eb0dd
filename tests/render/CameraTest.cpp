#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "math/Matrix4.h"
#include "models/ChromeVector.h"
#include "platform/BinaryIO.h"
#include "render/COGLCamera.h"
#include "render/StatusText.h"
#include "support/GoldenImage.h"
#include "support/TestSupport.h"

namespace {
void ExpectVector(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool IsWorldAxis(const Vector3& v) {
    const int nonZero = (v.x != 0.0f) + (v.y != 0.0f) + (v.z != 0.0f);
    return nonZero == 1 && std::fabs(v.x + v.y + v.z) == 1.0f;
}

Matrix4 ModelviewAfterApply(COGLCamera& camera) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.Apply();
    Matrix4 m;
    glGetDoublev(GL_MODELVIEW_MATRIX, m.Data());
    return m;
}
}  // namespace

TEST(Camera3D, PresetsSetTypeCentreAnglesAndDistance) {
    struct Case {
        void (COGLCamera3D::*preset)();
        std::int32_t type;
        const char* name;
        Vector3 center;
        float pitch, yaw, roll;
    };
    const Case cases[] = {
        {&COGLCamera3D::PresetPerspective, 0, "Perspective", {0, -1, 0}, 10, 0, 0},
        {&COGLCamera3D::PresetTop, 1, "Top", {}, 90, 0, 0},
        {&COGLCamera3D::PresetFront, 2, "Front", {}, 0, 0, 0},
        {&COGLCamera3D::PresetLeft, 3, "Left", {}, 0, 90, 0},
        {&COGLCamera3D::PresetRight, 4, "Right", {}, 0, 270, 0},
    };
    for (const Case& c : cases) {
        COGLCamera3D camera;
        camera.AddDistance(-3.0f);
        camera.MoveUp(2.0f);
        camera.AddRoll(33.0f);
        camera.dirty = false;
        (camera.*c.preset)();
        EXPECT_EQ(camera.type, c.type);
        EXPECT_STREQ(camera.GetTypeName(), c.name);
        EXPECT_EQ(camera.center, c.center) << c.name;
        EXPECT_EQ(camera.pitch, c.pitch) << c.name;
        EXPECT_EQ(camera.yaw, c.yaw) << c.name;
        EXPECT_EQ(camera.roll, c.roll) << c.name;
        EXPECT_EQ(camera.distance, 8.0f) << c.name;
        EXPECT_TRUE(camera.dirty) << c.name;
    }
    EXPECT_STREQ(COGLCamera::TypeName(5), "");
    EXPECT_STREQ(COGLCamera::TypeName(-1), "");
}

TEST(Camera3D, AnglesWrapAndLeaveThePreset) {
    COGLCamera3D camera;
    camera.yaw = 350.0f;
    camera.AddYaw(15.0f);
    EXPECT_FLOAT_EQ(camera.yaw, 5.0f);
    EXPECT_EQ(camera.type, COGLCamera::kPerspective);

    camera.PresetTop();
    EXPECT_EQ(camera.type, COGLCamera::kTop);
    camera.pitch = 359.5f;
    camera.AddPitch(0.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 359.5f);
    EXPECT_EQ(camera.type, COGLCamera::kPerspective);

    camera.roll = 0.0f;
    camera.AddRoll(-0.5f);
    EXPECT_FLOAT_EQ(camera.roll, 359.5f);
    camera.AddRoll(-725.0f);
    EXPECT_FLOAT_EQ(camera.roll, 354.5f);

    // An angle from a hostile file must not spin the wrap forever.
    camera.yaw = 1e30f;
    camera.AddYaw(1.0f);
    EXPECT_GE(camera.yaw, 0.0f);
    EXPECT_LT(camera.yaw, 360.0f);
    camera.yaw = INFINITY;
    camera.AddYaw(1.0f);
    EXPECT_EQ(camera.yaw, 0.0f);
}

TEST(Camera3D, ZoomStopsAtZeroDistanceWithUnboundedPercent) {
    COGLCamera3D camera;
    EXPECT_FLOAT_EQ(camera.GetZoomPercent(), 100.0f);
    camera.AddDistance(-4.0f);
    EXPECT_FLOAT_EQ(camera.GetZoomPercent(), 200.0f);
    camera.AddDistance(-10.0f);
    EXPECT_EQ(camera.distance, 0.0f);
    EXPECT_TRUE(std::isinf(camera.GetZoomPercent()));
    EXPECT_EQ(FormatStatusZoom(camera.GetZoomPercent()), "Zoom 10000.000");
}

TEST(Camera3D, SavesThirteenRealsAndLoadsThemBack) {
    COGLCamera3D camera;
    camera.center = {1, 2, 3};
    camera.eye = {4, 5, 6};
    camera.up = {7, 8, 9};
    camera.distance = 10;
    camera.roll = 11;
    camera.pitch = 12;
    camera.yaw = 13;
    BinaryWriter out;
    camera.Save(out);
    ASSERT_EQ(out.Size(), 13u * 4u);
    BinaryReader order(out.Bytes());
    for (int i = 1; i <= 13; ++i) {
        EXPECT_EQ(order.ReadF32(), float(i));
    }

    COGLCamera3D loaded;
    loaded.dirty = false;
    BinaryReader in(out.Bytes());
    loaded.Load(in);
    EXPECT_EQ(loaded.center, camera.center);
    EXPECT_EQ(loaded.eye, camera.eye);
    EXPECT_EQ(loaded.up, camera.up);
    EXPECT_EQ(loaded.distance, 10.0f);
    EXPECT_EQ(loaded.roll, 11.0f);
    EXPECT_EQ(loaded.pitch, 12.0f);
    EXPECT_EQ(loaded.yaw, 13.0f);
    EXPECT_TRUE(loaded.dirty);

    // A short record throws to the caller and leaves the camera as it was.
    ByteBuffer shortRecord(out.Bytes().begin(), out.Bytes().end() - 1);
    BinaryReader truncated(shortRecord);
    COGLCamera3D untouched;
    EXPECT_THROW(untouched.Load(truncated), ReadError);
    EXPECT_EQ(untouched.center, Vector3());
    EXPECT_EQ(untouched.distance, 8.0f);
}

TEST(Camera2D, PresetsSetLookAtAndMovementVectorsOnly) {
    COGLCamera2D camera;
    EXPECT_EQ(camera.type, COGLCamera::kFront);
    EXPECT_EQ(camera.distance, 8.0f);
    EXPECT_EQ(camera.scale, 1.0f);
    camera.distance = 3.0f;
    camera.scale = 2.0f;
    camera.MoveRight(1.0f);
    camera.PresetTop();
    EXPECT_EQ(camera.eye, Vector3(0, 5, 0));
    EXPECT_EQ(camera.up, Vector3(0, 0, -1));
    EXPECT_EQ(camera.dvUp, Vector3(0, 0, 1));
    EXPECT_EQ(camera.dvRight, Vector3(-1, 0, 0));
    EXPECT_EQ(camera.dvFace, Vector3(0, 1, 0));
    EXPECT_EQ(camera.center, Vector3());
    EXPECT_EQ(camera.distance, 3.0f);
    EXPECT_EQ(camera.scale, 2.0f);
    camera.PresetLeft();
    EXPECT_EQ(camera.eye, Vector3(-5, 0, 0));
    EXPECT_EQ(camera.dvRight, Vector3(0, 0, -1));
    EXPECT_EQ(camera.dvFace, Vector3(-1, 0, 0));
    camera.PresetRight();
    EXPECT_EQ(camera.eye, Vector3(5, 0, 0));
    EXPECT_EQ(camera.dvRight, Vector3(0, 0, 1));
    EXPECT_STREQ(camera.GetTypeName(), "Right");

    // Pans move eye and target together; the facing move does nothing.
    camera.MoveUp(2.0f);
    camera.MoveFace(5.0f);
    EXPECT_EQ(camera.eye, Vector3(5, -2, 0));
    EXPECT_EQ(camera.center, Vector3(0, -2, 0));
    float x = 0, y = 0, z = 0;
    camera.GetPosition(x, y, z);
    EXPECT_EQ(x, 5.0f);
    EXPECT_EQ(y, -2.0f);
    EXPECT_EQ(z, 3.0f);
}

class CameraGL : public GLFixture {};

TEST_F(CameraGL, OrbitDerivesWorldAxisMovementsAndPublishesChromeRight) {
    COGLCamera3D camera;
    camera.PresetLeft();
    const Matrix4 m = ModelviewAfterApply(camera);
    EXPECT_FALSE(camera.dirty);
    EXPECT_NEAR(m(2, 3), -8.0, 1e-6);
    // Turned 90 degrees about y, screen right is world +z and the face direction -x.
    ExpectVector(camera.dvRight, {0, 0, 1});
    ExpectVector(camera.dvFace, {-1, 0, 0});
    ExpectVector(camera.dvUp, {0, 1, 0});
    ExpectVector(ChromeRightVector(), {1, 0, 0});  // (right.z, right.x, right.y)
    ExpectVector(camera.eye, {-8, 0, 0});

    camera.AddPitch(30.0f);
    camera.AddYaw(-50.0f);
    camera.AddRoll(20.0f);
    camera.MoveRight(0.5f);  // a pan after orbiting
    ModelviewAfterApply(camera);
    EXPECT_TRUE(IsWorldAxis(camera.dvUp));
    EXPECT_TRUE(IsWorldAxis(camera.dvRight));
    EXPECT_TRUE(IsWorldAxis(camera.dvFace));
    EXPECT_NEAR(camera.up.Length(), 1.0f, 1e-5f);
    // The published vector is the unsnapped one, reordered.
    const Vector3 chrome = ChromeRightVector();
    EXPECT_FALSE(IsWorldAxis(chrome));
    EXPECT_NEAR(chrome.Length(), 1.0f, 1e-5f);
    EXPECT_EQ(chrome.SnapToDominantAxis(), Vector3(camera.dvRight.z, camera.dvRight.x, camera.dvRight.y));

    // Without a change the derived vectors are left alone.
    camera.dvUp = {5, 5, 5};
    ModelviewAfterApply(camera);
    EXPECT_EQ(camera.dvUp, Vector3(5, 5, 5));
}

// The fly camera's eye and view worked out without GL agree with what GL makes
// of the same angles; turning keeps the eye, moving keeps the view, and going
// back to orbiting keeps both.
TEST_F(CameraGL, FlyingMovesTheEyeAndTurnsAboutIt) {
    COGLCamera3D camera;
    camera.FlyTo({1.0f, 2.0f, 3.0f}, 90.0f, 0.0f);
    ExpectVector(camera.EyePosition(), {1, 2, 3});
    ExpectVector(camera.ViewDirection(), {1, 0, 0});  // yaw 90 turns right from -z
    ExpectVector(camera.ViewRight(), {0, 0, 1});
    Matrix4 inverse = ModelviewAfterApply(camera);
    ASSERT_TRUE(inverse.Invert());
    ExpectVector(inverse.TransformPoint({}), {1, 2, 3});  // where GL puts the eye
    ExpectVector(inverse.TransformVector({0, 0, -1}), {1, 0, 0});

    camera.FlyMove(2.0f, 0.5f, -1.0f);
    ExpectVector(camera.EyePosition(), {3, 1, 3.5f});
    camera.FlyTurn(0.0f, 30.0f);  // positive pitch looks down
    ExpectVector(camera.EyePosition(), {3, 1, 3.5f});
    ExpectVector(camera.ViewDirection(), {std::cos(0.5235988f), -0.5f, 0});
    camera.FlyTurn(0.0f, 200.0f);  // never past straight down
    EXPECT_FLOAT_EQ(camera.pitch, COGLCamera3D::kMaxFlyPitch);
    camera.FlyTurn(0.0f, -400.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 360.0f - COGLCamera3D::kMaxFlyPitch);

    camera.FlyTo({0.0f, 1.0f, 0.0f}, 0.0f, 0.0f);
    camera.OrbitAhead(4.0f);
    EXPECT_FLOAT_EQ(camera.distance, 4.0f);
    ExpectVector(camera.center, {0, -1, 4});  // the orbit centre 4 ahead along -z
    ExpectVector(camera.EyePosition(), {0, 1, 0});
    inverse = ModelviewAfterApply(camera);
    ASSERT_TRUE(inverse.Invert());
    ExpectVector(inverse.TransformPoint({}), {0, 1, 0});
}

TEST_F(CameraGL, LoadedCameraRecomputesAtFirstApply) {
    COGLCamera3D source;
    source.PresetTop();
    ModelviewAfterApply(source);
    BinaryWriter out;
    source.Save(out);

    COGLCamera3D loaded;  // still holds the Front vectors
    BinaryReader in(out.Bytes());
    loaded.Load(in);
    ModelviewAfterApply(loaded);
    EXPECT_EQ(loaded.dvUp, source.dvUp);
    EXPECT_EQ(loaded.dvRight, source.dvRight);
    EXPECT_EQ(loaded.dvFace, source.dvFace);
    ExpectVector(loaded.up, source.up);
    ExpectVector(loaded.dvUp, {0, 0, -1});  // looking down, screen up is world -z
}

TEST_F(CameraGL, LookAtScalesByFiveOverDistance) {
    COGLCamera2D camera;
    Matrix4 m = ModelviewAfterApply(camera);
    EXPECT_FLOAT_EQ(camera.scale, 0.625f);
    EXPECT_NEAR(m(0, 0), 0.625, 1e-6);
    EXPECT_FLOAT_EQ(camera.GetZoomPercent(), 62.5f);

    camera.distance = 5.0f;
    m = ModelviewAfterApply(camera);
    EXPECT_NEAR(m(0, 0), 1.0, 1e-6);
    EXPECT_FLOAT_EQ(camera.scale, 0.625f);  // the last scale is kept

    // Zooming in as far as it goes stops at a finite scale instead of 5 / 0.
    camera.AddDistance(-100.0f);
    EXPECT_GT(camera.distance, 0.0f);
    m = ModelviewAfterApply(camera);
    EXPECT_FLOAT_EQ(camera.scale, COGLCamera2D::kMaximumScale);
    EXPECT_TRUE(std::isfinite(m(0, 0)));
    camera.distance = -1.0f;
    ModelviewAfterApply(camera);
    EXPECT_FLOAT_EQ(camera.scale, COGLCamera2D::kMaximumScale);
    EXPECT_EQ(camera.distance, COGLCamera2D::kMinimumDistance);
}

// Coloured walls and a floor seen through the Perspective preset: a change in the
// orbit transform or the projection shows up as a different picture.
TEST_F(CameraGL, PerspectivePresetSceneMatchesGolden) {
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.1f, 0.1f, 0.15f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.5, 32.0);
    COGLCamera3D camera;
    camera.PresetPerspective();
    camera.AddYaw(30.0f);
    ModelviewAfterApply(camera);

    glBegin(GL_QUADS);
    glColor3f(0.5f, 0.5f, 0.5f);  // floor
    glVertex3f(-2, 0, -2);
    glVertex3f(-2, 0, 2);
    glVertex3f(2, 0, 2);
    glVertex3f(2, 0, -2);
    glColor3f(0.9f, 0.1f, 0.1f);  // back wall, facing +z
    glVertex3f(-2, 0, -2);
    glVertex3f(2, 0, -2);
    glVertex3f(2, 1.5f, -2);
    glVertex3f(-2, 1.5f, -2);
    glColor3f(0.1f, 0.8f, 0.1f);  // left wall, facing +x
    glVertex3f(-2, 0, -2);
    glVertex3f(-2, 1, -2);
    glVertex3f(-2, 1, 2);
    glVertex3f(-2, 0, 2);
    glColor3f(0.2f, 0.3f, 0.9f);  // a small block near the centre
    glVertex3f(-0.5f, 0, 0.5f);
    glVertex3f(0.5f, 0, 0.5f);
    glVertex3f(0.5f, 1, 0.5f);
    glVertex3f(-0.5f, 1, 0.5f);
    glEnd();
    glFinish();
    EXPECT_TRUE(FramebufferMatchesGolden("camera_orbit_preset", kWidth, kHeight));
}
