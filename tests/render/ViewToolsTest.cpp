// Picking through the view and every mouse tool, driven by plain input events.
#include <gtest/gtest.h>

#include <vector>

#include "ViewFixture.h"
#include "math/Quaternion.h"
#include "models/ModelFamilies.h"
#include "render/CommandIds.h"
#include "render/Framing.h"
#include "render/Placement.h"
#include "scene/EditHistory.h"
#include "scene/Primitives.h"
#include "support/ModelWriters.h"

namespace {

constexpr int kCentre = 64;  // of the 128 x 128 view

// The perspective camera looks straight down -z at the origin (the Front preset),
// so the movement vectors are the world axes and the screen centre shows (0, 0, 0).
class ViewTools : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        ASSERT_TRUE(view_->OnCommand(cmd::kFront));
        DefaultLight().Marker().SetPosition(0.0f, 3.0f, 0.0f);  // out of the way
        view_->Paint();  // the camera works out its movement vectors when applied
    }

    COGLCamera3D& Camera() { return static_cast<COGLViewport3D&>(view_->Viewport(0)).Camera3D(); }

    COGLObject* Selected(int typeCode = object_type::kBox) {
        COGLObject* object = Add(typeCode, {}, 0.5f);
        Scene().SetSelectedObject(object);
        return object;
    }

    // Presses at the centre, moves by each step in turn, releases.
    void Drag(const std::vector<std::pair<int, int>>& steps, MouseButton button = MouseButton::Left) {
        int x = kCentre;
        int y = kCentre;
        view_->MouseDown(Mouse(button, x, y));
        for (const auto& [dx, dy] : steps) {
            x += dx;
            y += dy;
            view_->MouseMove(Mouse(button, x, y));
        }
        view_->MouseUp(Mouse(button, x, y));
    }

    void Tool(int command) { ASSERT_TRUE(view_->OnCommand(command)); }
};

struct RecordingCursor : ViewCursor {
    void BeginDrag() override { calls.push_back("begin"); }
    void EndDrag(int x, int y) override { calls.push_back("end " + std::to_string(x) + "," + std::to_string(y)); }
    void WarpTo(int x, int y) override { calls.push_back("warp " + std::to_string(x) + "," + std::to_string(y)); }
    std::vector<std::string> calls;
};

void ExpectNear(const Vector3& actual, const Vector3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

}  // namespace

// --- Picking ---

TEST_F(ViewTools, ThePickedObjectIsTheNearerOfTwo) {
    COGLObject* far = Add(object_type::kBox, {0.0f, 0.0f, -1.0f}, 0.5f);
    COGLObject* nearer = Add(object_type::kBox, {0.0f, 0.0f, 1.5f}, 0.5f);
    EXPECT_TRUE(view_->PickAt(kCentre, kCentre));
    EXPECT_EQ(Scene().Selected(), nearer);
    // With the nearer one hidden the other is hit.
    nearer->Hide();
    view_->PickAt(kCentre, kCentre);
    EXPECT_EQ(Scene().Selected(), far);
}

TEST_F(ViewTools, OnEqualDepthTheFirstDrawnIsPicked) {
    COGLObject* first = Add(object_type::kBox, {}, 0.5f);
    Add(object_type::kBox, {}, 0.5f);
    view_->PickAt(kCentre, kCentre);
    EXPECT_EQ(Scene().Selected(), first);
}

TEST_F(ViewTools, EmptySpaceClearsTheSelectionAndMarkersSelectTheirLight) {
    COGLObject* box = Selected();
    host_.refreshes = 0;
    EXPECT_FALSE(view_->PickAt(3, 3));
    EXPECT_EQ(Scene().Selected(), nullptr);
    EXPECT_GT(host_.refreshes, 0);

    box->SetPosition(2.5f, 0.0f, 0.0f);
    DefaultLight().Marker().SetPosition(0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(view_->PickAt(kCentre, kCentre));
    EXPECT_EQ(Scene().SelectedLight(), &DefaultLight());
}

TEST_F(ViewTools, TheObjectUnderAPointIsFoundWithoutSelectingIt) {
    COGLObject* other = Selected();
    other->SetPosition(2.5f, 0.0f, 0.0f);
    COGLObject* box = Add(object_type::kBox, {}, 0.5f);
    host_.refreshes = 0;
    EXPECT_EQ(view_->ObjectAt(kCentre, kCentre), box);
    EXPECT_EQ(Scene().Selected(), other);
    EXPECT_EQ(host_.refreshes, 0);
    EXPECT_EQ(view_->ObjectAt(3, 3), nullptr);
    // A light's marker in front is looked through: it is no object to land on.
    DefaultLight().Marker().SetPosition(0.0f, 0.0f, 1.5f);
    EXPECT_EQ(view_->ObjectAt(kCentre, kCentre), box);
    box->Hide();
    EXPECT_EQ(view_->ObjectAt(kCentre, kCentre), nullptr);
    EXPECT_EQ(Scene().Selected(), other);
}

TEST_F(ViewTools, ClickingAPaneMakesItActiveAndPicksThroughItsCamera) {
    COGLObject* box = Add(object_type::kBox, {}, 0.5f);
    DefaultLight().Marker().SetPosition(2.0f, 3.0f, 2.0f);  // not above the box
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    view_->Paint();
    // The lower left pane (the Top camera): its centre shows the origin.
    const PaneRect pane = view_->Viewport(2).Rect();
    const int x = pane.x + pane.width / 2;
    const int y = kHeight - 1 - (pane.y + pane.height / 2);
    view_->MouseDown(Mouse(MouseButton::Left, x, y));
    view_->MouseUp(Mouse(MouseButton::Left, x, y));
    EXPECT_EQ(view_->ActiveIndex(), 2);
    EXPECT_EQ(Scene().Selected(), box);
    // A double click picks with any tool.
    Scene().SetSelectedObject(nullptr);
    Tool(cmd::kToolZoom);
    view_->DoubleClick(Mouse(MouseButton::Left, x, y));
    EXPECT_EQ(Scene().Selected(), box);
}

// --- Object tools ---

TEST_F(ViewTools, MoveFollowsOnlyTheDominantAxisWithTheClampAndFactor) {
    COGLObject* box = Selected();
    Tool(cmd::kToolMove);
    Drag({{5, 3}});  // mostly sideways: only X
    ExpectNear(box->Position(), {0.05f, 0.0f, 0.0f});
    EXPECT_EQ(host_.statusText, "X 0.050, Y 0.000, Z 0.000");
    Drag({{2, -40}});  // up, clamped to 10 pixels at sensitivity 1
    ExpectNear(box->Position(), {0.05f, 0.1f, 0.0f});
    Drag({{0, 4}}, MouseButton::Right);  // in and out of the screen
    ExpectNear(box->Position(), {0.05f, 0.1f, 0.04f});

    view_->SetMouseSensitivity(3);
    Drag({{50, 0}});  // clamped to 30 pixels at 0.03 each
    ExpectNear(box->Position(), {0.95f, 0.1f, 0.04f});

    Tool(cmd::kAxisX);  // X off: sideways drags do nothing
    Drag({{8, 0}});
    ExpectNear(box->Position(), {0.95f, 0.1f, 0.04f});
    EXPECT_TRUE(view_->Document().IsModified());
}

TEST_F(ViewTools, MoveInAnOrthographicPaneFollowsTheScreen) {
    COGLObject* box = Selected();
    Tool(cmd::kFastEdit);
    view_->Paint();
    Tool(cmd::kToolMove);
    Drag({{10, 0}});
    ExpectNear(box->Position(), {0.1f, 0.0f, 0.0f});  // Front: screen right is +x
    Drag({{0, -10}});
    ExpectNear(box->Position(), {0.1f, 0.1f, 0.0f});
    Drag({{0, 10}}, MouseButton::Right);
    ExpectNear(box->Position(), {0.1f, 0.1f, 0.1f});  // towards the viewer is +z
}

TEST_F(ViewTools, RotateClampsEachStepAndAccumulates) {
    COGLObject* box = Selected();
    Tool(cmd::kToolRotate);
    Drag({{25, 0}});  // one event: at most 10 degrees
    COGLBox expected;
    expected.RotateX(-10.0f);
    EXPECT_NEAR(box->Orientation().x, expected.Orientation().x, 1e-6f);
    EXPECT_NEAR(box->Orientation().w, expected.Orientation().w, 1e-6f);
    EXPECT_FLOAT_EQ(view_->RotateAngle(), 10.0f);
    EXPECT_EQ(host_.statusText, "Angle  10\u00B0");

    Drag({{-4, 0}, {-4, 0}, {-4, 0}});
    EXPECT_FLOAT_EQ(view_->RotateAngle(), 348.0f);  // wrapped

    Tool(cmd::kAxisY);  // Rotate turns about one axis: Y now
    const Quaternion before = box->Orientation();
    Drag({{0, 5}});
    COGLBox turned;
    turned.SetOrientation(before);
    turned.RotateY(5.0f);
    EXPECT_NEAR(box->Orientation().y, turned.Orientation().y, 1e-6f);
}

TEST_F(ViewTools, RotatingASpotLightTurnsItsBeam) {
    ASSERT_TRUE(view_->AddLight(1));
    auto* spot = static_cast<COGLSpotLight*>(Scene().LightAt(1));
    Scene().SetSelectedLight(spot);
    const Vector3 before = spot->Direction();
    Tool(cmd::kToolRotate);
    Drag({{10, 0}});
    EXPECT_NE(spot->Direction(), before);
}

TEST_F(ViewTools, ScaleMultipliesByTheShareOfTheWindowWidth) {
    COGLObject* box = Selected();
    Tool(cmd::kToolScale);
    Drag({{8, 3}});
    const float factor = 1.0f + 8.0f / 128.0f;
    ExpectNear(box->Scale(), {0.5f * factor, 0.5f * factor, 0.5f * factor});
    EXPECT_EQ(host_.statusText.substr(0, 2), "X ");
    Drag({{2, 9}});  // vertical: no horizontal share, no change
    ExpectNear(box->Scale(), {0.5f * factor, 0.5f * factor, 0.5f * factor});
    Tool(cmd::kAxisY);
    Tool(cmd::kAxisZ);
    Drag({{-8, 0}});
    EXPECT_NEAR(box->Scale().x, 0.5f * factor * (1.0f - 8.0f / 128.0f), 1e-6f);
    EXPECT_NEAR(box->Scale().y, 0.5f * factor, 1e-6f);
}

TEST_F(ViewTools, ObjectToolsWithoutASelectionDoNothing) {
    COGLObject* box = Add(object_type::kBox, {}, 0.5f);
    Tool(cmd::kToolMove);
    Drag({{10, 0}});
    ExpectNear(box->Position(), {});
    EXPECT_FALSE(view_->Document().IsModified());
}

// --- Camera tools ---

TEST_F(ViewTools, PanOrbitAndZoomMoveTheActiveCamera) {
    Tool(cmd::kToolPan);
    Drag({{10, 2}});
    ExpectNear(Camera().center, {0.08f, 0.0f, 0.0f});
    EXPECT_EQ(host_.statusText, "X 0.080, Y 0.000, Z 0.000");

    Tool(cmd::kToolOrbit);
    Drag({{10, 0}});
    EXPECT_FLOAT_EQ(Camera().yaw, 2.0f);
    Drag({{0, 5}});
    EXPECT_FLOAT_EQ(Camera().pitch, 1.0f);
    Drag({{-3, 0}}, MouseButton::Right);
    EXPECT_FLOAT_EQ(Camera().roll, 359.4f);
    EXPECT_EQ(Camera().type, COGLCamera::kPerspective);
    EXPECT_EQ(host_.statusText, "A 2.000, E 1.000, T 359.400");

    Tool(cmd::kToolZoom);
    Drag({{10, 0}});
    EXPECT_FLOAT_EQ(Camera().distance, 8.0f - 0.08f);
    Drag({{0, 10}});  // only horizontal drags zoom
    EXPECT_FLOAT_EQ(Camera().distance, 8.0f - 0.08f);
    EXPECT_EQ(host_.statusText.substr(0, 5), "Zoom ");
}

TEST_F(ViewTools, OrthographicPanesPanButDoNotOrbit) {
    Tool(cmd::kFastEdit);
    view_->Paint();
    COGLCamera& flat = view_->Viewport(0).Camera();
    Tool(cmd::kToolOrbit);
    const Vector3 eye = flat.eye;
    Drag({{10, 10}});
    EXPECT_EQ(flat.eye, eye);
    Tool(cmd::kToolPan);
    Drag({{10, 0}});
    EXPECT_NE(flat.eye, eye);
    EXPECT_EQ(host_.statusText.find("Z"), std::string::npos);  // "X %3.3f, Y %3.3f"
}

TEST_F(ViewTools, FieldOfViewStaysWithinItsBounds) {
    auto& perspective = static_cast<COGLViewport3D&>(view_->Viewport(0));
    Tool(cmd::kToolFieldOfView);
    Drag({{10, 0}});
    EXPECT_FLOAT_EQ(perspective.FieldOfView(), 46.0f);
    EXPECT_EQ(host_.statusText, "FOV 46.000");
    std::vector<std::pair<int, int>> wide(200, {10, 0});
    Drag(wide);
    EXPECT_EQ(perspective.FieldOfView(), 179.0f);
    std::vector<std::pair<int, int>> narrow(300, {-10, 0});
    Drag(narrow);
    EXPECT_EQ(perspective.FieldOfView(), 1.0f);

    Tool(cmd::kFastEdit);
    Tool(cmd::kToolFieldOfView);
    host_.statusText.clear();
    Drag({{10, 0}});
    EXPECT_TRUE(host_.statusText.empty());
}

// --- Texture tools ---

TEST_F(ViewTools, TextureToolsChangeTheTexturePlacement) {
    COGLObject* box = Selected();
    Tool(cmd::kToolTextureMove);
    Drag({{10, 0}});
    Drag({{0, -5}});
    ExpectNear(box->TextureTranslation(), {0.01f, 0.005f, 0.0f});
    EXPECT_EQ(host_.statusText, "X 0.010, Y 0.005");

    Tool(cmd::kToolTextureScale);
    Drag({{8, 0}});
    ExpectNear(box->TextureScale(), {1.0625f, 1.0625f, 1.0625f});

    Tool(cmd::kToolTextureRotate);
    Drag({{-6, 0}});
    EXPECT_FLOAT_EQ(box->TextureRotation().x, 354.0f);  // wrapped into [0, 360)
    EXPECT_EQ(box->TextureRotation().y, 0.0f);
    EXPECT_EQ(host_.statusText, "354.000");
}

// --- Keys, cursor and fast drawing ---

TEST_F(ViewTools, ArrowKeysStepLikeAOnePixelDrag) {
    COGLObject* box = Selected();
    view_->KeyDown({ViewKey::Right, 0});
    ExpectNear(box->Position(), {});  // the Select tool ignores them

    Tool(cmd::kToolMove);
    view_->KeyDown({ViewKey::Right, 0});
    ExpectNear(box->Position(), {0.01f, 0.0f, 0.0f});
    view_->KeyDown({ViewKey::Up, kModifierShift});
    ExpectNear(box->Position(), {0.01f, 0.1f, 0.0f});
    view_->KeyDown({ViewKey::Down, kModifierControl});  // the right button: in and out
    ExpectNear(box->Position(), {0.01f, 0.1f, 0.01f});
    view_->KeyUp({ViewKey::Control, 0});
    view_->KeyDown({ViewKey::Left, 0});
    ExpectNear(box->Position(), {0.0f, 0.1f, 0.01f});
}

TEST_F(ViewTools, EachDragAndArrowKeyIsOneStepOfTheHistory) {
    COGLObject* box = Selected();
    EditHistory& history = view_->Document().History();
    const std::size_t before = history.UndoCount();
    Tool(cmd::kToolRotate);
    Drag({{5, 0}, {5, 0}, {5, 0}});
    EXPECT_EQ(history.UndoCount(), before + 1);
    EXPECT_EQ(history.UndoName(), "Rotate");
    view_->KeyDown({ViewKey::Right, 0});
    EXPECT_EQ(history.UndoCount(), before + 2);

    // Undo waits while a drag goes on: the drag's step is taken when it ends.
    Tool(cmd::kToolMove);
    view_->MouseDown(Mouse(MouseButton::Left, 40, 50));
    view_->MouseMove(Mouse(MouseButton::Left, 45, 50));
    EXPECT_FALSE(view_->OnCommand(cmd::kUndo));
    view_->MouseUp(Mouse(MouseButton::Left, 45, 50));
    EXPECT_EQ(history.UndoName(), "Move");
    ASSERT_TRUE(view_->OnCommand(cmd::kUndo));
    ASSERT_TRUE(view_->OnCommand(cmd::kUndo));
    ASSERT_TRUE(view_->OnCommand(cmd::kUndo));
    EXPECT_EQ(box->Orientation(), Quaternion());
    ExpectNear(box->Position(), {});
}

TEST_F(ViewTools, DragsHideTheCursorAndWarpItBackInsideTheWindow) {
    RecordingCursor cursor;
    view_->SetCursor(&cursor);
    COGLObject* box = Selected();
    Tool(cmd::kToolMove);
    view_->MouseDown(Mouse(MouseButton::Left, 40, 50));
    EXPECT_TRUE(view_->IsDragging());
    EXPECT_TRUE(view_->FastDrawing());
    EXPECT_TRUE(view_->ObjectBeingDragged());
    view_->MouseMove(Mouse(MouseButton::Left, 30, 50));
    view_->MouseMove(Mouse(MouseButton::Left, -5, 50));  // left the window
    view_->MouseMove(Mouse(MouseButton::Left, 42, 50));  // after the warp, from (40, 50)
    view_->MouseUp(Mouse(MouseButton::Right, 42, 50));   // not the dragging button
    EXPECT_TRUE(view_->IsDragging());
    view_->MouseUp(Mouse(MouseButton::Left, 42, 50));
    EXPECT_FALSE(view_->IsDragging());
    EXPECT_FALSE(view_->FastDrawing());
    EXPECT_EQ(cursor.calls, (std::vector<std::string>{"begin", "warp 40,50", "end 40,50"}));
    // -10 (clamped), then -10 (the clamp again for -35), then +2.
    EXPECT_NEAR(box->Position().x, -0.18f, 1e-5f);

    ASSERT_TRUE(view_->OnCommand(cmd::kMoveFast));
    view_->MouseDown(Mouse(MouseButton::Left, 40, 50));
    EXPECT_FALSE(view_->FastDrawing());
    EXPECT_TRUE(view_->ObjectBeingDragged());
    view_->MouseUp(Mouse(MouseButton::Left, 40, 50));
    view_->SetCursor(nullptr);
}

// --- Placing what is added ---

TEST(Placement, RaysLandOnBoxesTheFloorOrTheCameraDepth) {
    const WorldBox unit{{-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}};
    EXPECT_FLOAT_EQ(*RayEntersBox({{0.0f, 0.0f, 5.0f}, {0.0f, 0.0f, -2.0f}}, unit), 2.0f);
    EXPECT_FLOAT_EQ(*RayEntersBox({{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f}}, unit), 0.0f);  // from inside
    EXPECT_FALSE(RayEntersBox({{0.0f, 0.0f, 5.0f}, {0.0f, 0.0f, 1.0f}}, unit));             // behind
    EXPECT_FALSE(RayEntersBox({{3.0f, 0.0f, 5.0f}, {0.0f, 0.0f, -1.0f}}, unit));            // beside

    // Over a box: on its top, under the pointer. Down onto the floor when near
    // enough; else the camera's depth, the object centred there.
    const PointerRay down{{0.0f, 4.0f, 4.0f}, {0.0f, -1.0f, -1.0f}};
    LandingPoint on = LandAt(down, unit, -1.0f, 100.0f, {});
    EXPECT_TRUE(on.standing);
    EXPECT_FLOAT_EQ(on.point.y, 1.0f);
    EXPECT_FLOAT_EQ(on.point.z, 1.0f);
    on = LandAt(down, std::nullopt, -1.0f, 100.0f, {});
    EXPECT_TRUE(on.standing);
    EXPECT_FLOAT_EQ(on.point.y, -1.0f);
    EXPECT_FLOAT_EQ(on.point.z, -1.0f);
    on = LandAt(down, std::nullopt, -1.0f, 2.0f, {0.0f, 2.0f, 0.0f});
    EXPECT_FALSE(on.standing);
    EXPECT_FLOAT_EQ(on.point.y, 1.0f);  // where the ray passes (0, 2, 0) most closely
    EXPECT_FLOAT_EQ(on.point.z, 1.0f);
    on = LandAt({{0.0f, 0.0f, 8.0f}, {0.0f, 0.5f, -1.0f}}, std::nullopt, -1.0f, 100.0f, {0.0f, 0.0f, 0.0f});
    EXPECT_FALSE(on.standing);  // looking up never meets the floor
    const WorldBox tall{{-1.0f, 0.0f, -1.0f}, {1.0f, 4.0f, 1.0f}};
    const Vector3 stand = LandingOffset({{5.0f, 2.0f, 0.0f}, true}, tall);
    EXPECT_EQ(stand, (Vector3{5.0f, 2.0f, 0.0f}));
    const Vector3 centred = LandingOffset({{5.0f, 2.0f, 0.0f}, false}, tall);
    EXPECT_EQ(centred, (Vector3{5.0f, 0.0f, 0.0f}));

    // Beside: clear of the last by a tenth of the wider, along the level floor
    // axis nearest the pane's right, at the height it was made.
    const WorldBox last{{2.0f, -1.0f, -1.0f}, {4.0f, 1.0f, 1.0f}};
    const WorldBox added{{-0.5f, 3.0f, -0.5f}, {0.5f, 4.0f, 0.5f}};
    EXPECT_EQ(BesideOffset(last, added, {1.0f, 0.3f, 0.1f}), (Vector3{3.0f + 1.5f + 0.2f, 0.0f, 0.0f}));
    EXPECT_EQ(BesideOffset(last, added, {0.2f, 0.0f, -0.9f}), (Vector3{3.0f, 0.0f, -1.7f}));
    EXPECT_EQ(BesideOffset(last, added, {-1.0f, 0.0f, 0.0f}), (Vector3{1.3f, 0.0f, 0.0f}));
}

// The window places what it adds; the command line (placing off) keeps the origin.
// A model is placed by the box of its first frame before it was ever drawn.
TEST_F(ViewTools, AddedObjectsStandBesideTheLastAndDroppedOnesUnderThePointer) {
    ASSERT_TRUE(view_->AddObject(object_type::kBox));
    ASSERT_TRUE(view_->AddObject(object_type::kBox));
    EXPECT_EQ(Scene().ObjectAt(1)->Position(), (Vector3{}));
    view_->ClearScene();
    ASSERT_TRUE(view_->OnCommand(cmd::kFront));

    view_->SetPlacesAddedObjects(true);
    ASSERT_TRUE(view_->AddObject(object_type::kBox));
    EXPECT_EQ(Scene().ObjectAt(0)->Position(), (Vector3{}));  // nothing to stand beside
    RegisterModelClasses();
    TempDir dir;
    const std::string md2 = dir.Write("crate/tris.md2", fixtures::WriteMd2(fixtures::MakeBoxModel({"stand"}, {48.0f})));
    ASSERT_TRUE(view_->Document().OpenFile(md2).succeeded);
    COGLObject* model = Scene().ObjectAt(1);
    const auto first = WorldBoundsOf(*Scene().ObjectAt(0));
    const auto beside = WorldBoundsOf(*model);
    ASSERT_TRUE(first && beside);
    EXPECT_GT(beside->lo.x, first->hi.x);  // clear of the box, to its right
    EXPECT_NEAR(model->Position().y, 0.0f, 1e-5f);
    EXPECT_NEAR(model->Position().z, 0.0f, 1e-5f);

    // Dropped on the box's face: on its top, above where the pointer met it.
    // Dropped below the horizon: on the floor (the scene's bottom); above it: at
    // the camera's depth; both under the pointer, found there by a pick.
    view_->Paint();
    const auto drop = [&](int x, int y) {
        view_->SetDropPoint(x, y);
        EXPECT_TRUE(view_->AddObject(object_type::kSphere));
        view_->Paint();
        return Scene().ObjectAt(static_cast<int>(Scene().Objects().size()) - 1);
    };
    const float floor = std::min(first->lo.y, beside->lo.y);
    COGLObject* onTop = drop(kCentre, kCentre);
    EXPECT_NEAR(WorldBoundsOf(*onTop)->lo.y, first->hi.y, 1e-4f);
    EXPECT_NEAR(WorldBoundsOf(*onTop)->Center().x, 0.0f, 0.05f);  // half a pixel off the axis
    EXPECT_NEAR(WorldBoundsOf(*onTop)->Center().z, first->hi.z, 0.05f);
    COGLObject* onFloor = drop(20, 80);
    EXPECT_NEAR(WorldBoundsOf(*onFloor)->lo.y, floor, 1e-4f);
    EXPECT_EQ(view_->ObjectAt(20, 80), onFloor);
    COGLObject* inAir = drop(10, 6);
    EXPECT_GT(WorldBoundsOf(*inAir)->lo.y, first->hi.y);
    EXPECT_EQ(view_->ObjectAt(10, 6), inAir);
    // The drop point serves one object only: the next stands beside the last.
    ASSERT_TRUE(view_->AddObject(object_type::kSphere));
    EXPECT_GT(WorldBoundsOf(*Scene().Objects().back())->lo.x, WorldBoundsOf(*inAir)->hi.x);
}
