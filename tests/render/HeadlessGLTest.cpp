#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <fstream>
#include <sstream>

#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"
#include "render/GLCheck.h"
#include "support/TestSupport.h"

namespace {
void DrawQuad(float x0, float y0, float x1, float y1, float z) {
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, z);
    glVertex3f(x1, y0, z);
    glVertex3f(x1, y1, z);
    glVertex3f(x0, y1, z);
    glEnd();
}

void SetUpOrtho() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
}  // namespace

class HeadlessGL : public GLFixture {};

TEST_F(HeadlessGL, IsACompatibilityContextWithFixedFunctionDrawing) {
    const std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    EXPECT_TRUE(HasCurrentGLContext());
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_FALSE(profile & GL_CONTEXT_CORE_PROFILE_BIT) << version;

    glClearColor(0.75f, 0.75f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetUpOrtho();
    // A display list drawing a red quad over the right half.
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glColor3f(1, 0, 0);
    DrawQuad(0, -1, 1, 1, 0);
    glEndList();
    glCallList(list);
    glDeleteLists(list, 1);
    glFinish();

    std::array<unsigned char, 4> left{}, right{};
    glReadPixels(kWidth / 4, kHeight / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, left.data());
    glReadPixels(3 * kWidth / 4, kHeight / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, right.data());
    EXPECT_NEAR(left[0], 191, 1);
    EXPECT_NEAR(left[1], 191, 1);
    EXPECT_EQ(right[0], 255);
    EXPECT_EQ(right[1], 0);
    EXPECT_FALSE(CheckGLErrors("After drawing"));
}

TEST_F(HeadlessGL, SelectionBufferReportsHitsWithDepths) {
    SetUpOrtho();
    GLuint buffer[512] = {};
    glSelectBuffer(512, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPickMatrix(kWidth / 2.0, kHeight / 2.0, 5, 5, viewport);
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);

    glLoadName(7);
    DrawQuad(-0.5f, -0.5f, 0.5f, 0.5f, -2);  // farther
    glLoadName(9);
    DrawQuad(-0.5f, -0.5f, 0.5f, 0.5f, 3);  // nearer (ortho looks down -z)
    glLoadName(11);
    DrawQuad(0.8f, 0.8f, 0.9f, 0.9f, 5);  // outside the pick region

    const GLint hits = glRenderMode(GL_RENDER);
    ASSERT_EQ(hits, 2);
    EXPECT_EQ(buffer[0], 1u);  // one name on the stack
    EXPECT_EQ(buffer[3], 7u);
    EXPECT_EQ(buffer[7], 9u);
    EXPECT_LT(buffer[5], buffer[1]);  // the second hit lies nearer
}

TEST_F(HeadlessGL, ResizedFramebufferKeepsDrawing) {
    ASSERT_TRUE(gl_->Resize(64, 32));
    EXPECT_EQ(gl_->Width(), 64);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(63, 31, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[2], 255);
}

class GLChecks : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        paths::SetProgramDirectoryForTesting(dir_.Path());
        ResetLogsForTesting();
    }
    void TearDown() override {
        paths::SetProgramDirectoryForTesting("");
        ResetLogsForTesting();
        GLFixture::TearDown();
    }
    std::string DebugLog() const {
        std::ifstream in(dir_.File("log.txt"));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    TempDir dir_;
};

TEST_F(GLChecks, ErrorsAreWrittenToTheDebugLog) {
    EXPECT_FALSE(CheckGLError("quiet"));
    glEnable(0xFFFF);  // GL_INVALID_ENUM
    EXPECT_TRUE(CheckGLError("bad enable"));
    EXPECT_NE(DebugLog().find("bad enable had error: #(1280)"), std::string::npos);
    glMatrixMode(0xFFFF);
    EXPECT_TRUE(CheckGLErrors("After OnDraw"));
    EXPECT_NE(DebugLog().find("After OnDraw Received an OpenGL Error '"), std::string::npos);
    EXPECT_FALSE(CheckGLErrors("After OnDraw"));
}

TEST_F(GLChecks, MissingContextIsReportedWithoutAskingGL) {
    gl_.reset();
    EXPECT_TRUE(CheckGLErrors("delete lists"));
    EXPECT_NE(DebugLog().find("ERROR: No Current Rendering Context at delete lists"), std::string::npos);
}

TEST_F(GLChecks, FrameTimerWritesLastAndAverage) {
    FrameTimer timer;
    timer.Start();
    timer.Stop();
    timer.Start();
    timer.Stop();
    const std::string log = DebugLog();
    EXPECT_NE(log.find("Timed Interval = "), std::string::npos);
    EXPECT_NE(log.find("Average Timed Interval = "), std::string::npos);
    EXPECT_GE(timer.AverageMicroseconds(), 0.0);
}
