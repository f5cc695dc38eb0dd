#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <vector>

#include "render/DisplayMode.h"
#include "render/MouseTools.h"
#include "render/Picking.h"
#include "render/StatusText.h"
#include "render/ViewLayout.h"
#include "support/TestSupport.h"

TEST(ViewLayout, FourPanesLeaveRoomForTheSeparators) {
    const auto panes = LayoutPanes(401, 301, 4, 2);
    EXPECT_EQ(panes[0], (PaneRect{202, 151, 199, 150}));  // upper right
    EXPECT_EQ(panes[1], (PaneRect{0, 151, 199, 150}));    // upper left
    EXPECT_EQ(panes[2], (PaneRect{0, 0, 199, 148}));      // lower left
    EXPECT_EQ(panes[3], (PaneRect{202, 0, 199, 148}));    // lower right

    const auto one = LayoutPanes(401, 301, 1, 2);
    EXPECT_EQ(one[2], (PaneRect{0, 0, 401, 301}));
    EXPECT_EQ(one[0], panes[0]);

    for (const PaneRect& pane : LayoutPanes(3, 2, 4, 0)) {
        EXPECT_GE(pane.width, 0);
        EXPECT_GE(pane.height, 0);
    }
}

TEST(ViewLayout, OrthographicFrustumSpansThreeUnitsAcrossTheShorterSide) {
    const OrthoExtents narrow = OrthographicExtents(100, 300);
    EXPECT_DOUBLE_EQ(narrow.right - narrow.left, 3.0);
    EXPECT_DOUBLE_EQ(narrow.top, 4.5);
    const OrthoExtents wide = OrthographicExtents(300, 100);
    EXPECT_DOUBLE_EQ(wide.top - wide.bottom, 3.0);
    EXPECT_DOUBLE_EQ(wide.left, -4.5);
    EXPECT_DOUBLE_EQ(wide.nearPlane, -10.0);
    EXPECT_DOUBLE_EQ(wide.farPlane, 100.0);
    EXPECT_TRUE(std::isfinite(OrthographicExtents(0, 0).top));
}

TEST(PickHits, NearestMinimumDepthWinsAndTheFirstOnTies) {
    // name count, min depth, max depth, names...
    const std::vector<std::uint32_t> hits = {1, 900, 950, 7,  //
                                             2, 300, 990, 8, 80,
                                             0, 100, 100,  // no name: not an object
                                             1, 300, 300, 9};
    EXPECT_EQ(FindNearestHit(hits.data(), hits.size(), 4), 8u);
    EXPECT_EQ(FindNearestHit(hits.data(), hits.size(), 1), 7u);
    EXPECT_FALSE(FindNearestHit(hits.data(), hits.size(), 0));
    EXPECT_FALSE(FindNearestHit(nullptr, 0, 3));
    // Depths are unsigned fractions of 2^32: the top bit is not a sign.
    const std::vector<std::uint32_t> deep = {1, 0x80000000u, 0x80000000u, 1, 1, 0x7FFFFFFFu, 0x7FFFFFFFu, 2};
    EXPECT_EQ(FindNearestHit(deep.data(), deep.size(), 2), 2u);
}

TEST(PickHits, OverflowAndCutRecordsReadOnlyWhatIsThere) {
    // Overflow (-1): read every complete record; the cut one at the end is ignored.
    const std::vector<std::uint32_t> overflow = {1, 500, 500, 4, 1, 200, 200, 5, 3, 100, 100, 6};
    EXPECT_EQ(FindNearestHit(overflow.data(), overflow.size(), -1), 5u);
    // A count larger than the buffer holds stops at the end.
    EXPECT_EQ(FindNearestHit(overflow.data(), 8, 100), 5u);
    // A header without room for its names.
    const std::vector<std::uint32_t> cut = {1, 10, 10};
    EXPECT_FALSE(FindNearestHit(cut.data(), cut.size(), 1));
    const std::vector<std::uint32_t> huge = {0xFFFFFFFFu, 10, 10, 1};
    EXPECT_FALSE(FindNearestHit(huge.data(), huge.size(), 1));
}

class PickingGL : public GLFixture {
protected:
    static void Quad(std::uint32_t name, float x0, float x1, float z) {
        glLoadName(name);
        glBegin(GL_QUADS);
        glVertex3f(x0, -0.5f, z);
        glVertex3f(x1, -0.5f, z);
        glVertex3f(x1, 0.5f, z);
        glVertex3f(x0, 0.5f, z);
        glEnd();
    }
    std::optional<std::uint32_t> Pick(double x, double y, const std::function<void()>& draw) {
        return PickAt(x, y, {0, 0, kWidth, kHeight}, [] { glOrtho(-1, 1, -1, 1, -10, 10); }, draw);
    }
};

TEST_F(PickingGL, NearerObjectWinsThenTheFirstDrawnAndEmptySpaceHitsNothing) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    EXPECT_EQ(Pick(64, 64, [] {
                  Quad(3, -0.5f, 0.5f, -1.0f);
                  Quad(4, -0.5f, 0.5f, 2.0f);  // nearer: the orthographic view looks down -z
                  Quad(5, -0.5f, 0.5f, 1.0f);
              }),
              4u);
    EXPECT_EQ(Pick(64, 64, [] {
                  Quad(6, -0.5f, 0.5f, 0.0f);
                  Quad(7, -0.5f, 0.5f, 0.0f);
              }),
              6u);
    EXPECT_FALSE(Pick(2, 2, [] { Quad(8, -0.5f, 0.5f, 0.0f); }));

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLint renderMode = 0;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    EXPECT_EQ(renderMode, GL_RENDER);
    GLdouble projection[16] = {};
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(projection[0], 1.0);  // the identity the test started with
}

TEST(MouseTools, DragKeepsOnlyTheLargerClampedComponent) {
    EXPECT_EQ(DominantDelta(3, -7, 1), (DragDelta{0, -7}));
    EXPECT_EQ(DominantDelta(30, 12, 1), (DragDelta{10, 0}));   // clamped to 10 * s
    EXPECT_EQ(DominantDelta(30, -45, 2), (DragDelta{0, -20}));
    EXPECT_EQ(DominantDelta(-500, 0, 10), (DragDelta{-100, 0}));
    EXPECT_EQ(DominantDelta(5, 5, 1), (DragDelta{5, 0}));      // X on a tie
    EXPECT_EQ(DominantDelta(40, 0, 0), (DragDelta{10, 0}));    // sensitivity at least 1
    EXPECT_EQ(DominantDelta(400, 0, 99), (DragDelta{100, 0})); // and at most 10
}

TEST(MouseTools, TableGivesNumbersCommandsAxesAndFactors) {
    const auto& table = MouseToolTable();
    for (int i = 0; i < kMouseToolCount; ++i) {
        EXPECT_EQ(static_cast<int>(table[static_cast<std::size_t>(i)].tool), i);
    }
    EXPECT_EQ(ToolForCommand(32807), MouseTool::Select);
    EXPECT_EQ(ToolForCommand(32867), MouseTool::FieldOfView);
    EXPECT_EQ(ToolForCommand(32845), MouseTool::TextureScale);
    EXPECT_FALSE(ToolForCommand(32811));
    EXPECT_EQ(ToolInfo(MouseTool::Rotate).axes, (AxisFlags{true, false, false}));
    EXPECT_EQ(ToolInfo(MouseTool::TextureMove).axes, (AxisFlags{true, true, false}));
    EXPECT_EQ(ToolInfo(MouseTool::Select).axes, (AxisFlags{}));

    EXPECT_FLOAT_EQ(ToolFactor(MouseTool::Move, 2), 0.02f);
    EXPECT_FLOAT_EQ(ToolFactor(MouseTool::Pan, 1), 0.008f);
    EXPECT_FLOAT_EQ(ToolFactor(MouseTool::Orbit, 3), 0.6f);
    EXPECT_FLOAT_EQ(ToolFactor(MouseTool::Zoom, 10), 0.08f);
    EXPECT_FLOAT_EQ(ToolFactor(MouseTool::FieldOfView, 1), 0.1f);
    EXPECT_FLOAT_EQ(ToolFactor(MouseTool::TextureMove, 5), 0.005f);

    EXPECT_EQ(AxisForCommand(32870), 0);
    EXPECT_EQ(AxisForCommand(32812), 1);
    EXPECT_EQ(AxisForCommand(32872), 2);
    EXPECT_FALSE(AxisForCommand(32808));
    EXPECT_EQ(ToggleAxis(MouseTool::Move, {true, true, true}, 1), (AxisFlags{true, false, true}));
    EXPECT_EQ(ToggleAxis(MouseTool::Rotate, {true, false, false}, 2), (AxisFlags{false, false, true}));
    EXPECT_EQ(ToggleAxis(MouseTool::Rotate, {false, false, true}, 2), (AxisFlags{false, false, true}));

    EXPECT_EQ(ClampRotateStep(-25.0f), -10.0f);
    EXPECT_FLOAT_EQ(WrapDegrees(365.0f), 5.0f);
    EXPECT_FLOAT_EQ(WrapDegrees(-90.0f), 270.0f);
    EXPECT_LT(WrapDegrees(-1e-8f), 360.0f);
    EXPECT_EQ(ClampFieldOfView(0.2f), 1.0f);
    EXPECT_EQ(ClampFieldOfView(250.0f), 179.0f);
    EXPECT_EQ(ClampFieldOfView(NAN), 1.0f);
}

TEST(StatusText, FormatsOfEachTool) {
    EXPECT_EQ(FormatStatusXYZ(1.0f, -2.5f, 0.0f), "X 1.000, Y -2.500, Z 0.000");
    EXPECT_EQ(FormatStatusAngle(45.4f), "Angle  45\u00B0");
    EXPECT_EQ(FormatStatusXY(0.125f, 3.0f), "X 0.125, Y 3.000");
    EXPECT_EQ(FormatStatusOrbit(30.0f, 10.0f, 0.0f), "A 30.000, E 10.000, T 0.000");
    EXPECT_EQ(FormatStatusZoom(62.5f), "Zoom 62.500");
    EXPECT_EQ(FormatStatusZoom(123456.0f), "Zoom 10000.000");
    EXPECT_EQ(FormatStatusValue(359.5f), "359.500");
    EXPECT_EQ(FormatStatusFieldOfView(45.0f), "FOV 45.000");
    EXPECT_EQ(FormatStatusXYZ(3e38f, -3e38f, 3e38f).substr(0, 2), "X ");  // no overflow
}

class DisplayModeGL : public GLFixture {};

TEST_F(DisplayModeGL, EachModeSetsItsGLState) {
    struct Expected {
        int value;
        const char* text;
        int command;
        GLint polygon;
        bool lighting;
        GLint shade;
        bool cull;
        bool depth;
    };
    const Expected expected[] = {
        {0, "Points Fast", 32825, GL_POINT, false, GL_FLAT, false, false},
        {1, "Points", 32824, GL_POINT, true, GL_SMOOTH, false, false},
        {32, "Wireframe Fast", 32826, GL_LINE, false, GL_FLAT, false, true},
        {33, "Wireframe", 32820, GL_LINE, true, GL_SMOOTH, false, true},
        {65, "Flat", 32821, GL_FILL, true, GL_FLAT, true, true},
        {129, "Shaded", 32822, GL_FILL, true, GL_SMOOTH, true, true},
    };
    ASSERT_EQ(DisplayModeTable().size(), std::size(expected));
    for (const Expected& e : expected) {
        const DisplayModeInfo* mode = FindDisplayMode(e.value);
        ASSERT_NE(mode, nullptr) << e.value;
        EXPECT_STREQ(mode->menuText, e.text);
        EXPECT_EQ(DisplayModeForCommand(e.command), mode);
        // Start from the opposite state so every setting is seen to change.
        glEnable(GL_LINE_SMOOTH);
        e.lighting ? glDisable(GL_LIGHTING) : glEnable(GL_LIGHTING);
        e.depth ? glDisable(GL_DEPTH_TEST) : glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_ALWAYS);
        ApplyDisplayModeState(*mode);
        GLint polygon[2] = {}, shade = 0, depthFunc = 0;
        glGetIntegerv(GL_POLYGON_MODE, polygon);
        glGetIntegerv(GL_SHADE_MODEL, &shade);
        glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
        EXPECT_EQ(polygon[0], e.polygon) << e.text;
        EXPECT_EQ(polygon[1], e.polygon) << e.text;
        EXPECT_EQ(shade, e.shade) << e.text;
        EXPECT_EQ(glIsEnabled(GL_LIGHTING) == GL_TRUE, e.lighting) << e.text;
        EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, e.cull) << e.text;
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, e.depth) << e.text;
        if (e.depth) {
            EXPECT_EQ(depthFunc, GL_LESS) << e.text;
        }
        EXPECT_EQ(glIsEnabled(GL_NORMALIZE) == GL_TRUE || !e.lighting, true) << e.text;
        EXPECT_EQ(glIsEnabled(GL_LINE_SMOOTH) == GL_TRUE, e.lighting) << e.text;
    }
    EXPECT_EQ(FindDisplayMode(2), nullptr);
    EXPECT_EQ(DisplayModeForCommand(32855), nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
