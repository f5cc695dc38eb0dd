// The view's life, settings, layout, commands, animation tick and view record.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <limits>
#include <optional>

#include "platform/BinaryIO.h"
#include "platform/Messages.h"
#include "render/CommandIds.h"
#include "render/SceneRenderer.h"
#include "render/ViewLayout.h"
#include "scene/COGLDoc.h"
#include "scene/Primitives.h"
#include "ViewFixture.h"

namespace {

class ViewTest : public ViewFixture {};

// A box that counts its animation steps.
class Spinner : public COGLBox {
public:
    void StepAnimation() override { ++steps; }
    int steps = 0;
};

// A box that remembers the flags of its last draw.
class FlagRecorder : public COGLBox {
public:
    void Draw(int flags) override {
        last = flags;
        COGLBox::Draw(flags);
    }
    int last = -1;
};

COGLViewport3D& Perspective(COGLView& view, int slot = 0) {
    return static_cast<COGLViewport3D&>(view.Viewport(slot));
}

}  // namespace

TEST_F(ViewTest, FirstUpdateMakesOneDefaultLightAndResetsTheCameras) {
    ASSERT_EQ(Scene().Lights().size(), 1u);
    EXPECT_EQ(DefaultLight().Name(), "Default");
    EXPECT_FALSE(DefaultLight().IsSpot());
    EXPECT_EQ(view_->Document().Scene(), &Scene());
    EXPECT_EQ(view_->Document().View(), view_.get());

    EXPECT_TRUE(view_->Viewport(0).IsPerspective());
    EXPECT_EQ(view_->Viewport(0).Camera().type, COGLCamera::kPerspective);
    EXPECT_EQ(Perspective(*view_).FieldOfView(), 45.0f);
    EXPECT_EQ(view_->Viewport(1).Camera().type, COGLCamera::kFront);
    EXPECT_EQ(view_->Viewport(2).Camera().type, COGLCamera::kTop);
    EXPECT_EQ(view_->Viewport(3).Camera().type, COGLCamera::kLeft);
    EXPECT_EQ(view_->ActiveIndex(), 0);
    EXPECT_EQ(view_->PaneCount(), 1);
    EXPECT_EQ(view_->Viewport(0).DisplayMode(), kDisplayModeShaded);
    EXPECT_EQ(view_->Tool(), MouseTool::Select);
    EXPECT_TRUE(view_->MoveFast());
    EXPECT_FALSE(view_->HighlightSelected());

    // A second first update changes nothing.
    COGLScene* scene = &Scene();
    view_->OnInitialUpdate();
    EXPECT_EQ(view_->Scene(), scene);
    EXPECT_EQ(Scene().Lights().size(), 1u);
}

TEST_F(ViewTest, SettingsAreReadAtStartAndWrittenBackAtTheEnd) {
    view_.reset();
    settings_.SetInt("Settings", "MouseSensitivity", 25);
    settings_.SetInt("Settings", "ShowFrameTime", 1);
    settings_.SetInt("Settings", "ForceSWRender", 1);
    settings_.SetInt("Settings", "Grid", 1);
    settings_.SetInt("Settings", "Axis", 1);
    {
        COGLView view;
        EXPECT_EQ(view.MouseSensitivity(), 10);
        EXPECT_TRUE(view.ShowFrameTime());
        EXPECT_TRUE(view.Viewport(0).GridShown());
        EXPECT_TRUE(Perspective(view).AxisMarkersShown());
        ASSERT_TRUE(view.OnCommand(cmd::kGrid));
    }
    EXPECT_EQ(settings_.GetInt("Settings", "Grid", -1), 0);
    EXPECT_EQ(settings_.GetInt("Settings", "Axis", -1), 1);
    EXPECT_EQ(settings_.GetInt("Settings", "ForceSWRender", -1), 0);
    EXPECT_EQ(settings_.GetInt("Settings", "ShowFrameTime", -1), 1);

    settings_.SetInt("Settings", "MouseSensitivity", 0);
    settings_.SetInt("Settings", "ShowFrameTime", 0);
    COGLView view;
    EXPECT_EQ(view.MouseSensitivity(), 1);
    settings_.SetInt("Settings", "MouseSensitivity", 4);
    settings_.SetInt("Settings", "ShowFrameTime", 1);
    view.ApplyOptions();
    EXPECT_EQ(view.MouseSensitivity(), 4);
    view.Resize(32, 32);
    view.Paint();
    EXPECT_GT(view.Timer().AverageMicroseconds(), 0.0);
}

TEST_F(ViewTest, OneAndFourPanesAndTheVisibleToggle) {
    EXPECT_TRUE(view_->IsChecked(cmd::kOneViewport));
    EXPECT_FALSE(view_->IsEnabled(cmd::kVisible));
    EXPECT_FALSE(view_->OnCommand(cmd::kVisible));
    EXPECT_EQ(view_->Viewport(0).Rect(), (PaneRect{0, 0, kWidth, kHeight}));

    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    EXPECT_TRUE(view_->IsChecked(cmd::kFourViewports));
    const auto panes = LayoutPanes(kWidth, kHeight, 4, 0);
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(view_->Viewport(slot).Rect(), panes[static_cast<std::size_t>(slot)]) << slot;
    }
    view_->SetActiveViewport(3);
    ASSERT_TRUE(view_->IsEnabled(cmd::kVisible));
    ASSERT_TRUE(view_->OnCommand(cmd::kVisible));
    EXPECT_FALSE(view_->Viewport(3).IsVisible());
    EXPECT_FALSE(view_->IsChecked(cmd::kVisible));
    // Hidden panes keep their place.
    EXPECT_EQ(view_->Viewport(3).Rect(), panes[3]);

    // One pane shows the active viewport full size, visible again.
    ASSERT_TRUE(view_->OnCommand(cmd::kOneViewport));
    EXPECT_TRUE(view_->Viewport(3).IsVisible());
    EXPECT_EQ(view_->Viewport(3).Rect(), (PaneRect{0, 0, kWidth, kHeight}));
    EXPECT_EQ(view_->PaneCount(), 1);
}

TEST_F(ViewTest, PreviewAndFastEditReplaceTheActivePaneInPlace) {
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    EXPECT_FALSE(view_->IsEnabled(cmd::kPreview));
    const PaneRect rect = view_->Viewport(0).Rect();
    ASSERT_TRUE(view_->OnCommand(cmd::kFastEdit));
    EXPECT_FALSE(view_->Viewport(0).IsPerspective());
    EXPECT_EQ(view_->Viewport(0).Rect(), rect);
    EXPECT_FALSE(view_->IsEnabled(cmd::kAxisMarkers));
    EXPECT_FALSE(view_->IsEnabled(cmd::kFastEdit));
    EXPECT_FALSE(view_->OnCommand(cmd::kPerspective));
    EXPECT_FALSE(view_->IsChecked(cmd::kAxisMarkers));

    // An orthographic first slot takes the Right preset on a reset.
    view_->ResetCameras();
    EXPECT_EQ(view_->Viewport(0).Camera().type, COGLCamera::kRight);

    ASSERT_TRUE(view_->OnCommand(cmd::kPreview));
    EXPECT_TRUE(view_->Viewport(0).IsPerspective());
    EXPECT_EQ(view_->Viewport(0).Rect(), rect);
    ASSERT_TRUE(view_->OnCommand(cmd::kAxisMarkers));
    EXPECT_TRUE(view_->IsChecked(cmd::kAxisMarkers));
    ASSERT_TRUE(view_->OnCommand(cmd::kPerspective));
    EXPECT_EQ(view_->Viewport(0).Camera().type, COGLCamera::kPerspective);
}

TEST_F(ViewTest, DisplayModesAndPresetsActOnTheActivePaneOnly) {
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    ASSERT_TRUE(view_->OnCommand(cmd::kFlat));
    EXPECT_EQ(view_->Viewport(0).DisplayMode(), kDisplayModeFlat);
    EXPECT_TRUE(view_->IsChecked(cmd::kFlat));
    EXPECT_FALSE(view_->IsChecked(cmd::kShaded));
    EXPECT_EQ(view_->Viewport(2).DisplayMode(), kDisplayModeWireframeFast);

    view_->SetActiveViewport(2);
    EXPECT_TRUE(view_->IsChecked(cmd::kWireframeFast));
    ASSERT_TRUE(view_->OnCommand(cmd::kFront));
    EXPECT_EQ(view_->Viewport(2).Camera().type, COGLCamera::kFront);
    EXPECT_EQ(view_->Viewport(1).Camera().type, COGLCamera::kFront);
    EXPECT_EQ(view_->Viewport(0).Camera().type, COGLCamera::kPerspective);
    EXPECT_FALSE(view_->OnCommand(cmd::kPerspective));
    EXPECT_TRUE(view_->OnCommand(cmd::kTest));
    EXPECT_FALSE(view_->OnCommand(cmd::kSaveImage));  // not the view's
}

TEST_F(ViewTest, ToolAndAxisCommandsKeepFlagsPerTool) {
    EXPECT_FALSE(view_->IsEnabled(cmd::kAxisX));
    EXPECT_FALSE(view_->OnCommand(cmd::kAxisX));
    ASSERT_TRUE(view_->OnCommand(cmd::kToolMove));
    EXPECT_TRUE(view_->IsChecked(cmd::kToolMove));
    EXPECT_FALSE(view_->IsChecked(cmd::kToolSelect));
    ASSERT_TRUE(view_->OnCommand(cmd::kAxisY2));
    EXPECT_EQ(view_->Axes(MouseTool::Move), (AxisFlags{true, false, true}));
    EXPECT_FALSE(view_->IsChecked(cmd::kAxisY));
    ASSERT_TRUE(view_->OnCommand(cmd::kToolRotate));
    ASSERT_TRUE(view_->OnCommand(cmd::kAxisZ));
    EXPECT_EQ(view_->Axes(MouseTool::Rotate), (AxisFlags{false, false, true}));
    EXPECT_EQ(view_->Axes(MouseTool::Move), (AxisFlags{true, false, true}));
    ASSERT_TRUE(view_->OnCommand(cmd::kMoveFast));
    EXPECT_FALSE(view_->IsChecked(cmd::kMoveFast));
    ASSERT_TRUE(view_->OnCommand(cmd::kHighlightSelected));
    EXPECT_TRUE(view_->IsChecked(cmd::kHighlightSelected));
}

TEST_F(ViewTest, AddLightAndAddObjectGoThroughTheChoosers) {
    ASSERT_TRUE(view_->OnCommand(cmd::kAddLight));
    ASSERT_TRUE(view_->OnCommand(cmd::kAddObject));
    ASSERT_EQ(Scene().Lights().size(), 2u);
    EXPECT_FALSE(Scene().LightAt(1)->IsSpot());
    ASSERT_EQ(Scene().Objects().size(), 1u);
    EXPECT_EQ(Scene().ObjectAt(0)->TypeCode(), object_type::kBox);
    EXPECT_TRUE(view_->Document().IsModified());

    std::optional<int> kind = 1;
    std::optional<int> type = object_type::kBillboard;
    view_->SetLightKindChooser([&] { return kind; });
    view_->SetObjectTypeChooser([&] { return type; });
    ASSERT_TRUE(view_->OnCommand(cmd::kAddLight));
    ASSERT_TRUE(view_->OnCommand(cmd::kAddObject));
    EXPECT_TRUE(Scene().LightAt(2)->IsSpot());
    EXPECT_EQ(Scene().ObjectAt(1)->TypeCode(), object_type::kBillboard);

    kind.reset();
    type.reset();
    EXPECT_FALSE(view_->OnCommand(cmd::kAddLight));
    EXPECT_FALSE(view_->OnCommand(cmd::kAddObject));
    EXPECT_FALSE(view_->AddObject(object_type::kMD2));  // models come from files
    EXPECT_FALSE(view_->AddObject(99));
    EXPECT_FALSE(view_->AddLight(2));
    EXPECT_EQ(Scene().Lights().size(), 3u);
    EXPECT_EQ(Scene().Objects().size(), 2u);

    // The eight GL lights run out; the ninth is refused and not kept.
    while (COGLLight::LightsInUse() < COGLLight::kMaxLights) {
        ASSERT_TRUE(view_->AddLight(0));
    }
    const std::size_t lights = Scene().Lights().size();
    host_.messages.clear();
    EXPECT_FALSE(view_->AddLight(0));
    EXPECT_TRUE(host_.HasMessage("No more lights are available."));
    EXPECT_EQ(Scene().Lights().size(), lights);
}

TEST_F(ViewTest, CopyDuplicatesTheSelectedObjectOrLight) {
    EXPECT_FALSE(view_->IsEnabled(cmd::kCopy));
    COGLObject* crate = Add(object_type::kCylinder, {1.0f, 2.0f, 3.0f}, 0.5f);
    crate->SetName("Crate");
    Scene().SetSelectedObject(crate);
    ASSERT_TRUE(view_->OnCommand(cmd::kCopy));
    ASSERT_EQ(Scene().Objects().size(), 2u);
    const COGLObject& copy = *Scene().ObjectAt(1);
    EXPECT_EQ(copy.Name(), "Copy of Crate");
    EXPECT_EQ(copy.TypeCode(), object_type::kCylinder);
    EXPECT_EQ(copy.Position(), crate->Position());
    EXPECT_NE(copy.PickName(), crate->PickName());
    EXPECT_NE(dynamic_cast<const COGLCylinder*>(&copy), nullptr);

    ASSERT_TRUE(view_->AddLight(1));
    COGLLight* spot = Scene().LightAt(1);
    spot->SetName("Lamp");
    Scene().SetSelectedLight(spot);
    ASSERT_TRUE(view_->OnCommand(cmd::kCopy));
    ASSERT_EQ(Scene().Lights().size(), 3u);
    EXPECT_TRUE(Scene().LightAt(2)->IsSpot());
    EXPECT_EQ(Scene().LightAt(2)->Name(), "Copy of Lamp");
    EXPECT_NE(Scene().LightAt(2)->GLLight(), spot->GLLight());
}

TEST_F(ViewTest, ClearAsksBeforeClearing) {
    Add(object_type::kBox, {});
    host_.yesNoAnswer = MessageResult::No;
    ASSERT_TRUE(view_->OnCommand(cmd::kClear));
    EXPECT_TRUE(host_.HasMessage("Clear the Scene?"));
    EXPECT_EQ(Scene().Objects().size(), 1u);

    Perspective(*view_).Camera3D().AddYaw(40.0f);
    host_.yesNoAnswer = MessageResult::Yes;
    ASSERT_TRUE(view_->OnCommand(cmd::kClear));
    EXPECT_TRUE(Scene().Objects().empty());
    EXPECT_TRUE(Scene().Lights().empty());
    EXPECT_EQ(Perspective(*view_).Camera3D().yaw, 0.0f);
}

TEST_F(ViewTest, AnimationTicksOnlyForAPerspectivePane) {
    auto spinner = std::make_unique<Spinner>();
    Spinner* spin = spinner.get();
    Scene().AddObject(std::move(spinner));
    EXPECT_FALSE(view_->AnimationTick());  // nothing animates yet
    spin->SetAnimating(true);
    const int repaints = host_.repaints;
    EXPECT_TRUE(view_->AnimationTick());
    EXPECT_EQ(spin->steps, 1);
    EXPECT_GT(host_.repaints, repaints);

    view_->SuspendAnimation(true);
    EXPECT_FALSE(view_->AnimationTick());
    view_->SuspendAnimation(false);

    ASSERT_TRUE(view_->OnCommand(cmd::kFastEdit));
    EXPECT_FALSE(view_->AnimationTick());
    EXPECT_EQ(spin->steps, 1);
}

TEST_F(ViewTest, ViewRecordKeepsFieldOfViewAndCamera) {
    COGLViewport3D& perspective = Perspective(*view_);
    perspective.SetFieldOfView(60.0f);
    perspective.Camera3D().AddYaw(33.0f);
    perspective.Camera3D().AddDistance(-2.5f);
    BinaryWriter out;
    view_->SaveViewRecord(out);
    ASSERT_EQ(out.Size(), SceneViewLink::kViewportRecordSize + SceneViewLink::kCameraRecordSize);

    view_->ResetViewports();
    EXPECT_EQ(perspective.FieldOfView(), 45.0f);
    {
        BinaryReader in(out.Bytes());
        view_->LoadViewRecord(in, 6);
    }
    EXPECT_EQ(perspective.FieldOfView(), 60.0f);
    EXPECT_EQ(perspective.Camera3D().yaw, 33.0f);
    EXPECT_EQ(perspective.Camera3D().distance, 5.5f);
    EXPECT_EQ(perspective.Camera3D().type, COGLCamera::kPerspective);
    EXPECT_TRUE(perspective.Camera3D().dirty);

    // Version 5 files have no field of view: the camera record comes first.
    {
        ByteBuffer cameraOnly(out.Bytes().begin() + 4, out.Bytes().end());
        BinaryReader in(cameraOnly);
        view_->LoadViewRecord(in, 5);
    }
    EXPECT_EQ(perspective.FieldOfView(), 45.0f);
    EXPECT_EQ(perspective.Camera3D().yaw, 33.0f);

    // A short record throws before anything is taken.
    ByteBuffer shortRecord(out.Bytes().begin(), out.Bytes().begin() + 30);
    BinaryReader shortIn(shortRecord);
    EXPECT_THROW(view_->LoadViewRecord(shortIn, 6), ReadError);
    EXPECT_EQ(perspective.Camera3D().yaw, 0.0f);
    EXPECT_EQ(perspective.FieldOfView(), 45.0f);
}

TEST_F(ViewTest, HostileViewRecordsAreKeptDrawable) {
    BinaryWriter out;
    out.WriteF32(1000.0f);  // field of view
    for (int i = 0; i < 13; ++i) {
        out.WriteF32(i == 9 ? std::numeric_limits<float>::quiet_NaN() : 1.0f);  // distance
    }
    BinaryReader in(out.Bytes());
    view_->LoadViewRecord(in, 6);
    COGLViewport3D& perspective = Perspective(*view_);
    EXPECT_EQ(perspective.FieldOfView(), 179.0f);
    EXPECT_TRUE(std::isfinite(perspective.Camera3D().distance));
    EXPECT_EQ(perspective.Camera3D().distance, 8.0f);  // the reset camera stays
}

TEST_F(ViewTest, SceneFilesCarryTheViewsCamera) {
    TempDir dir;
    Add(object_type::kSphere, {0.5f, 0.0f, 0.0f});
    Perspective(*view_).Camera3D().AddPitch(20.0f);
    Perspective(*view_).SetFieldOfView(30.0f);
    const std::string path = dir.File("scene.dv");
    ASSERT_TRUE(view_->Document().Save(path));

    view_->ClearScene();
    EXPECT_EQ(Perspective(*view_).Camera3D().pitch, 10.0f);
    const OpenFileResult opened = view_->Document().OpenFile(path);
    EXPECT_EQ(opened.kind, OpenedKind::Scene);
    ASSERT_TRUE(opened.succeeded);
    EXPECT_EQ(Scene().Objects().size(), 1u);
    EXPECT_EQ(Perspective(*view_).Camera3D().pitch, 30.0f);
    EXPECT_EQ(Perspective(*view_).FieldOfView(), 30.0f);
}

TEST_F(ViewTest, PaintClearsToTheSceneColourOnlyForOnePerspectivePane) {
    Scene().SetBackgroundColor(0.0f, 1.0f, 0.0f);
    DefaultLight().Marker().Hide();
    view_->Paint();
    EXPECT_EQ(Pixel(2, 2)[1], 255);
    EXPECT_EQ(Pixel(2, 2)[0], 0);

    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    for (int slot = 1; slot < 4; ++slot) {
        view_->Viewport(slot).SetGridShown(false);
    }
    view_->Paint();
    // The perspective pane (upper right) is filled with the scene's colour, the
    // orthographic ones are grey.
    EXPECT_EQ(Pixel(kWidth - 3, kHeight - 3)[1], 255);
    EXPECT_EQ(Pixel(kWidth - 3, kHeight - 3)[0], 0);
    EXPECT_EQ(Pixel(10, 10)[0], 191);

    ASSERT_TRUE(view_->OnCommand(cmd::kOneViewport));
    ASSERT_TRUE(view_->OnCommand(cmd::kFastEdit));
    view_->Viewport(0).SetGridShown(false);
    view_->Paint();
    EXPECT_EQ(Pixel(kWidth / 2 + 7, kHeight / 2 + 7)[0], 191);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ViewTest, OrthographicPanesUseTheCoarseListOnlyForTheFastDraggedSelection) {
    auto* dragged = static_cast<FlagRecorder*>(Scene().AddObject(std::make_unique<FlagRecorder>()));
    auto* still = static_cast<FlagRecorder*>(Scene().AddObject(std::make_unique<FlagRecorder>()));
    Scene().SetSelectedObject(dragged);
    RenderSceneWireframe(Scene(), false);
    EXPECT_EQ(dragged->last & COGLObject::kDrawAlternate, 0);
    EXPECT_EQ(still->last & COGLObject::kDrawAlternate, 0);
    RenderSceneWireframe(Scene(), true);
    EXPECT_NE(dragged->last & COGLObject::kDrawAlternate, 0);
    EXPECT_EQ(still->last & COGLObject::kDrawAlternate, 0);
}
