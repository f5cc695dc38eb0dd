// Framing the selection or the scene, the wheel zoom and the middle-button pan.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>

#include "maps/MapBackdrop.h"
#include "render/CommandIds.h"
#include "render/Framing.h"
#include "scene/Primitives.h"
#include "support/MapWriters.h"
#include "ViewFixture.h"

namespace {

struct Extent {
    double left = 1e9;
    double bottom = 1e9;
    double right = -1e9;
    double top = -1e9;
};

class Framing : public ViewFixture {
protected:
    // Where the box's corners land in window pixels through the pane's camera.
    Extent Projected(int slot, const WorldBox& box) {
        COGLViewport& viewport = view_->Viewport(slot);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        viewport.ApplyProjection();
        viewport.ApplyCamera();
        std::array<double, 16> projection{};
        std::array<double, 16> modelview{};
        glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview.data());
        const PaneRect& pane = viewport.Rect();
        const std::array<GLint, 4> window{pane.x, pane.y, pane.width, pane.height};
        Extent e;
        for (int i = 0; i < 8; ++i) {
            const Vector3 c{(i & 1) ? box.hi.x : box.lo.x, (i & 2) ? box.hi.y : box.lo.y,
                            (i & 4) ? box.hi.z : box.lo.z};
            double x = 0;
            double y = 0;
            double z = 0;
            EXPECT_EQ(gluProject(c.x, c.y, c.z, modelview.data(), projection.data(), window.data(), &x, &y, &z),
                      GL_TRUE);
            EXPECT_GT(z, 0.0);  // in front of the near plane ...
            EXPECT_LT(z, 1.0);  // ... and before the far one
            e.left = std::min(e.left, x);
            e.right = std::max(e.right, x);
            e.bottom = std::min(e.bottom, y);
            e.top = std::max(e.top, y);
        }
        return e;
    }

    // Inside the pane, and filling most of it along one side.
    void ExpectFills(int slot, const WorldBox& box) {
        SCOPED_TRACE(slot);
        const PaneRect& pane = view_->Viewport(slot).Rect();
        const Extent e = Projected(slot, box);
        EXPECT_GE(e.left, pane.x - 0.5);
        EXPECT_GE(e.bottom, pane.y - 0.5);
        EXPECT_LE(e.right, pane.x + pane.width + 0.5);
        EXPECT_LE(e.top, pane.y + pane.height + 0.5);
        const double share = std::max((e.right - e.left) / pane.width, (e.top - e.bottom) / pane.height);
        EXPECT_GT(share, 0.7);
    }
};

TEST_F(Framing, FrameAllFitsTheSceneIntoThePerspectivePane) {
    COGLObject* far = Add(object_type::kBox, {3.0f, 1.0f, -2.0f}, 0.5f);
    Add(object_type::kSphere, {-1.0f, 0.0f, 1.0f}, 0.25f);
    EXPECT_TRUE(view_->IsEnabled(cmd::kFrameAll));
    EXPECT_FALSE(view_->IsEnabled(cmd::kFrameSelection));  // nothing selected
    EXPECT_FALSE(view_->OnCommand(cmd::kFrameSelection));
    ASSERT_TRUE(view_->OnCommand(cmd::kFrameAll));
    const auto all = SceneBounds(Scene());
    ASSERT_TRUE(all.has_value());
    EXPECT_FLOAT_EQ(all->hi.x, 3.5f);
    EXPECT_FLOAT_EQ(all->lo.x, -1.25f);
    ExpectFills(0, *all);

    // The selection alone, after an orbit: the camera keeps its angles.
    static_cast<COGLViewport3D&>(view_->Viewport(0)).Camera3D().AddYaw(40.0f);
    Scene().SetSelectedObject(far);
    ASSERT_TRUE(view_->OnCommand(cmd::kFrameSelection));
    EXPECT_FLOAT_EQ(static_cast<COGLViewport3D&>(view_->Viewport(0)).Camera3D().yaw, 40.0f);
    ExpectFills(0, *WorldBoundsOf(*far));
}

TEST_F(Framing, EveryPaneOrOnlyTheActiveOne) {
    COGLObject* box = Add(object_type::kBox, {0.5f, 2.0f, 0.0f}, 0.2f);
    box->SetScale(0.2f, 1.2f, 0.4f);  // tall and thin, like a player
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    const Vector3 untouched = view_->Viewport(1).Camera().eye;
    ASSERT_TRUE(view_->OnCommand(cmd::kFrameAll));  // slot 0 is active
    EXPECT_EQ(view_->Viewport(1).Camera().eye, untouched);

    ASSERT_TRUE(view_->OnCommand(cmd::kFrameAllEveryPane));
    const WorldBox bounds = *WorldBoundsOf(*box);
    for (int slot = 0; slot < COGLView::kViewportSlots; ++slot) {
        ExpectFills(slot, bounds);
    }
    // A hidden object has nothing to frame.
    box->Hide();
    EXPECT_FALSE(view_->OnCommand(cmd::kFrameAllEveryPane));
}

TEST_F(Framing, TheWheelZoomsThePaneUnderThePointer) {
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    view_->Paint();
    COGLCamera& perspective = view_->Viewport(0).Camera();  // upper right
    auto& front = static_cast<COGLCamera2D&>(view_->Viewport(1).Camera());  // upper left
    const float distance = perspective.distance;
    view_->Wheel(Mouse(MouseButton::None, kWidth * 3 / 4, kHeight / 4), kWheelNotch);
    EXPECT_FLOAT_EQ(perspective.distance, distance * 0.9f);
    view_->Wheel(Mouse(MouseButton::None, kWidth * 3 / 4, kHeight / 4), -2 * kWheelNotch);
    EXPECT_FLOAT_EQ(perspective.distance, distance * 0.9f * 1.2f);
    EXPECT_EQ(host_.statusText.substr(0, 5), "Zoom ");

    const float scale = front.scale;
    view_->Wheel(Mouse(MouseButton::None, kWidth / 4, kHeight / 4), kWheelNotch);
    EXPECT_EQ(view_->ActiveIndex(), 1);
    EXPECT_GT(front.scale, scale);
    view_->Paint();
    EXPECT_FLOAT_EQ(front.GetZoomPercent(), front.scale * 100.0f);
}

TEST_F(Framing, TheMiddleButtonPansWithAnyTool) {
    ASSERT_TRUE(view_->OnCommand(cmd::kFront));
    view_->Paint();
    COGLObject* box = Add(object_type::kBox, {}, 0.5f);
    Scene().SetSelectedObject(box);
    ASSERT_TRUE(view_->OnCommand(cmd::kToolMove));
    COGLCamera3D& camera = static_cast<COGLViewport3D&>(view_->Viewport(0)).Camera3D();
    view_->MouseDown(Mouse(MouseButton::Middle, 64, 64));
    EXPECT_FALSE(view_->FastDrawing());  // the object is not being moved
    view_->MouseMove(Mouse(MouseButton::Middle, 74, 64));
    view_->MouseUp(Mouse(MouseButton::Middle, 74, 64));
    EXPECT_NEAR(camera.center.x, 0.08f, 1e-5f);
    EXPECT_EQ(box->Position(), Vector3{});

    // With Select the middle button pans too, and picks nothing.
    ASSERT_TRUE(view_->OnCommand(cmd::kToolSelect));
    Scene().SetSelectedObject(nullptr);
    view_->MouseDown(Mouse(MouseButton::Middle, 64, 64));
    view_->MouseMove(Mouse(MouseButton::Middle, 64, 54));
    view_->MouseUp(Mouse(MouseButton::Middle, 64, 54));
    EXPECT_NEAR(camera.center.y, 0.08f, 1e-5f);
    EXPECT_EQ(Scene().Selected(), nullptr);
}

}  // namespace

// A scene holding only a map frames the map; with objects, Frame All is theirs,
// and the map frames again when it is the selection.
TEST_F(Framing, TheMapFramesWhenAloneOrSelected) {
    TempDir dir;
    const std::string game = fixtures::WriteRoomGame(fixtures::MapKind::Quake2, dir.Path());
    std::string error;
    std::unique_ptr<SceneBackdrop> map = LoadMapBackdrop(Scene(), game + "/maps/room.bsp", error);
    ASSERT_TRUE(map) << error;
    WorldBox room;
    ASSERT_TRUE(map->Bounds(room.lo, room.hi));
    Scene().SwapBackdrop(map);
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    EXPECT_FALSE(view_->IsEnabled(cmd::kFrameSelection));
    ASSERT_TRUE(view_->IsEnabled(cmd::kFrameAll));
    ASSERT_TRUE(view_->OnCommand(cmd::kFrameAllEveryPane));
    ExpectFills(2, room);  // the top pane

    COGLObject* box = Add(object_type::kBox, {0.5f, 1.0f, 0.0f}, 0.2f);
    ASSERT_TRUE(view_->OnCommand(cmd::kFrameAllEveryPane));
    ExpectFills(2, *WorldBoundsOf(*box));
    Scene().SelectBackdrop();
    EXPECT_FALSE(view_->IsEnabled(cmd::kDelete));
    ASSERT_TRUE(view_->OnCommand(cmd::kFrameSelectionEveryPane));
    ExpectFills(2, room);
}
