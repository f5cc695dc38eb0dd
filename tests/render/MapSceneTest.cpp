// A compiled map as the scene's backdrop: standing objects in it, saving it with
// the scene, and drawing it textured and lit.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <optional>
#include <memory>

#include "maps/MapBackdrop.h"
#include "maps/MapOpen.h"
#include "media/Archive.h"
#include "media/PngFile.h"
#include "math/Quaternion.h"
#include "models/ModelFamilies.h"
#include "models/quake2/COGLMD2.h"
#include "platform/BinaryIO.h"
#include "render/BackdropPlacement.h"
#include "render/CommandIds.h"
#include "render/ViewFixture.h"
#include "scene/COGLDoc.h"
#include "scene/EditHistory.h"
#include "scene/SceneViewLink.h"
#include "support/MapWriters.h"
#include "support/ModelWriters.h"
#include "support/RunCommand.h"

namespace {
using fixtures::MapKind;

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class MapSceneTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        RegisterModelClasses();
        RegisterMapOpeners();
        game_ = fixtures::WriteRoomGame(MapKind::Quake2, dir_.Path());
        scene_.AddPak(game_);
    }

    std::unique_ptr<MapBackdrop> Room() {
        std::string error;
        auto map = LoadMapBackdrop(scene_, game_ + "/maps/room.bsp", error);
        EXPECT_TRUE(map) << error;
        return map;
    }

    TempDir dir_;
    std::string game_;
    COGLScene scene_;
};
}  // namespace

// The room's first start is at (64, 64, 24) facing 90 degrees (along +Y); its floor
// lies at z = 0. The scene holds the game's (x, y, z) at 0.05 (y, z, x).
TEST_F(MapSceneTest, PlaceAtAndDropToFloorStandObjectsWhereTheGameWould) {
    EditHistory history;
    history.ReplaceBackdrop(scene_, Room(), "Open Map");
    const std::vector<BackdropStart> starts = scene_.Backdrop()->Starts();
    ASSERT_EQ(starts.size(), 2u);
    ExpectNear(starts[0].position, {3.2f, 1.2f, 3.2f});
    EXPECT_FLOAT_EQ(starts[0].yaw, 90.0f);

    // A Quake 2 model's origin is 24 units above its feet (its first frame's base
    // is at z = -24): at the start, its feet are on the floor.
    auto model = std::make_unique<COGLMD2>(&scene_);
    ASSERT_TRUE(model->LoadFile(dir_.Write("box.md2", fixtures::WriteMd2(fixtures::MakeBoxModel({"stand01"}, {56}))),
                                false));
    COGLObject* placed = scene_.AddObject(std::move(model));
    ASSERT_TRUE(PlaceAtStart(scene_, history, *placed, starts[0]));
    ExpectNear(placed->Position(), {3.2f, 0.0f, 3.2f});
    // It faces the start's way: its game +X (drawn along its own -Z) now points along
    // the game's +Y, the scene's +X.
    ExpectNear(placed->Orientation().ToMatrix().TransformVector({0.0f, 0.0f, -1.0f}), {1.0f, 0.0f, 0.0f});
    EXPECT_EQ(history.UndoName(), "Place At");

    // Lifted 5 units above the middle of the room, it comes down onto the floor.
    placed->SetPosition(0.0f, 5.0f, 0.0f);
    ASSERT_TRUE(DropToFloor(scene_, history, *placed));
    ExpectNear(placed->Position(), {0.0f, 0.0f, 0.0f});
    // A box of half size 1 sunk into the floor comes up until its bottom rests on it;
    // over the pool (surface at z = 16) it rests on the water.
    COGLObject* box = scene_.AddObject(CreateObject(object_type::kBox));
    box->SetPosition(0.5f, 0.5f, 0.5f);
    ASSERT_TRUE(DropToFloor(scene_, history, *box));
    ExpectNear(box->Position(), {0.5f, 1.0f, 0.5f});
    box->SetPosition(-3.2f, 4.0f, -3.2f);  // game (-64, -64): inside the pool
    ASSERT_TRUE(DropToFloor(scene_, history, *box));
    ExpectNear(box->Position(), {-3.2f, 0.8f + 1.0f, -3.2f});
    EXPECT_EQ(history.UndoName(), "Drop to Floor");
    ASSERT_TRUE(history.Undo(scene_));
    ExpectNear(box->Position(), {-3.2f, 4.0f, -3.2f});

    // Outside the room there is nothing below.
    box->SetPosition(50.0f, 4.0f, 50.0f);
    EXPECT_FALSE(DropToFloor(scene_, history, *box));
    // Clearing the scene takes the map too, as one step.
    history.Clear(scene_, "Clear");
    EXPECT_EQ(scene_.Backdrop(), nullptr);
    ASSERT_TRUE(history.Undo(scene_));
    EXPECT_NE(scene_.Backdrop(), nullptr);
}

// The map saves in the extension area after the last object; without one the file
// is byte for byte what it was, and the map's settings come back with it.
TEST_F(MapSceneTest, SceneFileKeepsTheMapAndWritesNothingWithoutOne) {
    DefaultViewLink link;
    COGLDoc doc(&scene_, &link);
    scene_.AddObject(CreateObject(object_type::kSphere));
    ASSERT_TRUE(doc.Save(dir_.File("plain.dv")));
    const ByteBuffer plain = *ReadWholeFile(dir_.File("plain.dv"));

    ASSERT_TRUE(doc.OpenFile(game_ + "/maps/room.bsp").succeeded);
    ASSERT_NE(scene_.Backdrop(), nullptr);
    BackdropSettings settings = scene_.Backdrop()->Settings();
    EXPECT_EQ(settings.brightness, 2.0f);
    ASSERT_EQ(scene_.Backdrop()->BrushEntityNames(), std::vector<std::string>{"func_door *1"});
    settings.brightness = 1.5f;
    settings.sky = false;
    settings.brushEntitiesShown = {0};
    scene_.Backdrop()->SetSettings(settings);
    ASSERT_TRUE(doc.Save(dir_.File("map.dv")));
    const ByteBuffer withMap = *ReadWholeFile(dir_.File("map.dv"));
    ASSERT_GT(withMap.size(), plain.size() + 8);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), withMap.begin()));
    EXPECT_EQ(std::memcmp(withMap.data() + plain.size(), "MVX1MAP1", 8), 0);

    // Undoing the map gives today's bytes again.
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(scene_.Backdrop(), nullptr);
    ASSERT_TRUE(doc.Save(dir_.File("again.dv")));
    EXPECT_EQ(*ReadWholeFile(dir_.File("again.dv")), plain);

    COGLScene reopened;
    DefaultViewLink reopenedLink;
    COGLDoc reader(&reopened, &reopenedLink);
    ASSERT_TRUE(reader.Open(dir_.File("map.dv")));
    EXPECT_EQ(reopened.LoadSkippedRecords(), 0);
    ASSERT_NE(reopened.Backdrop(), nullptr);
    EXPECT_EQ(reopened.Backdrop()->Settings(), settings);
    EXPECT_EQ(reopened.Backdrop()->Starts().size(), 2u);
    EXPECT_EQ(reopened.Objects().size(), 1u);
}

namespace {
class MapDrawTest : public ViewFixture {};
}  // namespace

// Looking straight down at the middle of the floor: the floor's picture times its
// lightmap there (luxel 144 of face 0: 184, 92, 71 as the writer stores it) times
// the brightness; looking up, the sky box's top (grey 104).
TEST_F(MapDrawTest, DrawsTheRoomTexturedLitAndUnderItsSky) {
    RegisterMapOpeners();
    TempDir dir;
    const std::string game = fixtures::WriteRoomGame(MapKind::Quake2, dir.Path());
    // The scene has not opened the game: the map finds its pictures in the game
    // whose maps folder it lies in.
    std::string error;
    auto map = LoadMapBackdrop(Scene(), game + "/maps/room.bsp", error);
    ASSERT_TRUE(map) << error;
    const std::unique_ptr<Archive> enclosing = OpenEnclosingGame(game + "/maps/room.bsp");
    ASSERT_TRUE(enclosing);
    const MapPictures pictures = ResolveMapPictures(map->Data(), {enclosing.get()}, {});
    ASSERT_TRUE(pictures.textures[0].HasPixels());
    const std::uint8_t* floor = pictures.textures[0].rgba.data();
    EXPECT_EQ(map->MissingPictures(), std::vector<std::string>{"base/nowhere"});
    EXPECT_EQ(map->Drawing().AtlasPageCount(), 1);
    view_->Document().History().ReplaceBackdrop(Scene(), std::move(map), "Open Map");
    while (Scene().LightAt(0) != nullptr) {
        Scene().RemoveLight(Scene().LightAt(0));
    }

    auto& camera = static_cast<COGLViewport3D&>(view_->Viewport(0)).Camera3D();
    camera.FlyTo({0.0f, 5.0f, 0.0f}, 0.0f, 89.0f);
    BackdropSettings settings = Scene().Backdrop()->Settings();
    settings.brightness = 1.0f;
    Scene().Backdrop()->SetSettings(settings);
    view_->Paint();
    const auto lit = Pixel(kWidth / 2, kHeight / 2);
    const float luxel[3] = {184.0f, 92.0f, 71.0f};
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(lit[static_cast<std::size_t>(c)], floor[c] * luxel[c] / 255.0f, 4.0f) << "channel " << c;
    }
    // Twice the brightness, twice the light (below saturation).
    settings.brightness = 2.0f;
    Scene().Backdrop()->SetSettings(settings);
    view_->Paint();
    const auto brighter = Pixel(kWidth / 2, kHeight / 2);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(brighter[static_cast<std::size_t>(c)], std::min(255.0f, floor[c] * 2.0f * luxel[c] / 255.0f), 6.0f);
    }

    camera.FlyTo({0.0f, 3.0f, 0.0f}, 0.0f, -89.0f);
    view_->Paint();
    const auto sky = Pixel(kWidth / 2, kHeight / 2);
    EXPECT_NEAR(sky[0], 104, 6);
    EXPECT_EQ(sky[0], sky[1]);
    EXPECT_EQ(sky[1], sky[2]);
    // With the sky off the scene's background shows through the ceiling.
    settings.sky = false;
    Scene().Backdrop()->SetSettings(settings);
    Scene().SetBackgroundColor(1.0f, 0.0f, 0.0f);
    view_->Paint();
    const auto open = Pixel(kWidth / 2, kHeight / 2);
    EXPECT_EQ(open[0], 255);
    EXPECT_EQ(open[1], 0);

    // The flat panes, whatever their depth range, draw the map's edges; without the
    // map none of those lines remain.
    const auto outlinePixels = [] {
        glFinish();
        std::vector<unsigned char> rgba(static_cast<std::size_t>(kWidth * kHeight * 4));
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        int count = 0;
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            count += std::abs(rgba[i] - 77) <= 2 && std::abs(rgba[i + 1] - 97) <= 2 && std::abs(rgba[i + 2] - 140) <= 2 ? 1 : 0;
        }
        return count;
    };
    ASSERT_TRUE(view_->OnCommand(cmd::kFourViewports));
    view_->Paint();
    EXPECT_GT(outlinePixels(), 100);
    ASSERT_TRUE(view_->Document().History().Undo(Scene()));
    ASSERT_EQ(Scene().Backdrop(), nullptr);
    view_->Paint();
    EXPECT_EQ(outlinePixels(), 0);
}

// A liquid ripples and a flowing floor scrolls as the scene's animations play (80
// steps a second), the way the game moves them; nothing moves before that.
TEST_F(MapDrawTest, LiquidsRippleAndFlowingFacesScrollWhileTheSceneAnimates) {
    RegisterMapOpeners();
    TempDir dir;
    fixtures::MapWriter writer(MapKind::Quake2);
    fixtures::MapWriter::Face floor;
    floor.points = fixtures::MapRectangle({-128, 128, 0}, {256, 0, 0}, {0, -256, 0});
    floor.texture = "base/belt";
    floor.flags = fixtures::MapWriter::kFlowing;
    writer.AddFace(floor);
    fixtures::MapWriter::Face pool;
    pool.points = fixtures::MapRectangle({-96, -32, 16}, {64, 0, 0}, {0, -64, 0});
    pool.texture = "base/water";
    pool.flags = fixtures::MapWriter::kWarp;
    pool.lit = false;
    writer.AddFace(pool);
    writer.AddModel({{-128, -128, 0}, {128, 128, 16}, {0, 0, 0}});
    writer.SetEntities("{\n\"classname\" \"worldspawn\"\n}\n");
    std::string error;
    auto map = LoadMapBackdrop(Scene(), dir.Write("flow.bsp", writer.Build()), error);
    ASSERT_TRUE(map) << error;
    // The pool spans x and y from -96 to -32: cut at -64 both ways into four cells.
    EXPECT_EQ(map->Drawing().TriangleCount(), 2u + 8u);
    const MapBackdrop& drawn = *map;
    const auto corner = [&](std::size_t face) {
        const MapFace& f = drawn.Data().faces[face];
        return drawn.Data().vertices[f.firstVertex];
    };
    // The pictures are missing: checkers 64 texels square.
    const auto expectCorner = [&](std::size_t face, float s, float t) {
        const auto drawnAt = drawn.Drawing().FirstCornerPictureCoordinates(face);
        ASSERT_TRUE(drawnAt);
        EXPECT_NEAR((*drawnAt)[0], s / 64.0f, 1e-4f) << "face " << face;
        EXPECT_NEAR((*drawnAt)[1], t / 64.0f, 1e-4f) << "face " << face;
    };
    const MapVertex belt = corner(0);
    const MapVertex water = corner(1);
    const auto ripple = [&](float seconds) {
        expectCorner(1, water.s + 8.0f * std::sin(water.t / 8.0f + seconds),
                     water.t + 8.0f * std::sin(water.s / 8.0f + seconds));
    };
    view_->Document().History().ReplaceBackdrop(Scene(), std::move(map), "Open Map");
    auto model = std::make_unique<COGLMD2>(&Scene());
    ASSERT_TRUE(model->LoadFile(dir.Write("run.md2", fixtures::WriteMd2(fixtures::MakeBoxModel(
                                                         fixtures::NumberedFrames({{"run", 2}}), {56, 52}))),
                                false));
    COGLObject* runner = Scene().AddObject(std::move(model));
    view_->Paint();
    expectCorner(0, belt.s, belt.t);
    ripple(0.0f);

    runner->StartAnimation();
    for (int step = 0; step < 80; ++step) {
        ASSERT_TRUE(Scene().StepAnimations());
    }
    view_->Paint();
    // A second on: the belt 1.6 pictures along -s (38.4 texels past the whole ones).
    expectCorner(0, belt.s - 38.4f, belt.t);
    ripple(1.0f);
}

// render --at looks from a start of the map with the models standing before the
// eye; a start the map lacks, or --at without a map, is a usage error.
TEST(MapRenderCli, LooksFromAStartWithTheModelsStandingInFront) {
    TempDir dir;
    const std::string game = fixtures::WriteRoomGame(MapKind::Quake2, dir.Path());
    const std::string box = dir.Write("box.md2", fixtures::WriteMd2(fixtures::MakeBoxModel({"stand01"}, {56})));
    const auto run = [&](const std::string& arguments) {
        return RunCommand("XDG_CACHE_HOME=" + dir.Path() + "/cache " + MAROVIN_CLI + " render " + arguments + " 2>&1");
    };
    const std::string map = "'" + game + "' '" + game + "/maps/room.bsp' ";
    const CommandOutput empty = run(map + "--at 0 --size 64x48 -o '" + dir.File("empty.png") + "'");
    ASSERT_EQ(empty.exitCode, 0) << empty.text;
    const CommandOutput placed = run(map + "'" + box + "' --at 0 --size 64x48 -o '" + dir.File("placed.png") + "'");
    ASSERT_EQ(placed.exitCode, 0) << placed.text;
    const std::optional<PngImage> without = ReadPng(dir.File("empty.png"));
    const std::optional<PngImage> with = ReadPng(dir.File("placed.png"));
    ASSERT_TRUE(without && with);
    // The box stands in the middle of the picture, below the eye; the wall it hides
    // is what the empty room shows there.
    const std::size_t middle = (std::size_t(with->height) * 3 / 4 * std::size_t(with->width) + std::size_t(with->width) / 2) *
                               std::size_t(with->channels);
    EXPECT_FALSE(std::equal(with->pixels.begin() + static_cast<long>(middle), with->pixels.begin() + static_cast<long>(middle) + 3,
                            without->pixels.begin() + static_cast<long>(middle)));

    // A moving picture from the same start: its first frame shows the box where render put it.
    const CommandOutput animated = RunCommand("XDG_CACHE_HOME=" + dir.Path() + "/cache " + MAROVIN_CLI + " animate " +
                                              map + "'" + box + "' --at 0 --size 64x48 --frames 2 -o '" +
                                              dir.File("frame_%d.png") + "' 2>&1");
    ASSERT_EQ(animated.exitCode, 0) << animated.text;
    const std::optional<PngImage> first = ReadPng(dir.File("frame_0.png"));
    ASSERT_TRUE(first);
    EXPECT_FALSE(std::equal(first->pixels.begin() + static_cast<long>(middle), first->pixels.begin() + static_cast<long>(middle) + 3,
                            without->pixels.begin() + static_cast<long>(middle)));

    // Without --at a map among the inputs is seen from its first start; a scene
    // saved from the second start keeps its own camera.
    const CommandOutput unplaced = run(map + "'" + box + "' --size 64x48 -o '" + dir.File("first.png") + "'");
    ASSERT_EQ(unplaced.exitCode, 0) << unplaced.text;
    const CommandOutput second = run(map + "'" + box + "' --at 1 --size 64x48 --save-scene '" + dir.File("second.dv") +
                                     "' -o '" + dir.File("second.png") + "'");
    ASSERT_EQ(second.exitCode, 0) << second.text;
    const CommandOutput reopened = run("'" + dir.File("second.dv") + "' --size 64x48 -o '" + dir.File("again.png") + "'");
    ASSERT_EQ(reopened.exitCode, 0) << reopened.text;
    const std::optional<PngImage> firstStart = ReadPng(dir.File("first.png"));
    const std::optional<PngImage> secondStart = ReadPng(dir.File("second.png"));
    const std::optional<PngImage> again = ReadPng(dir.File("again.png"));
    ASSERT_TRUE(firstStart && secondStart && again);
    EXPECT_EQ(firstStart->pixels, with->pixels);
    EXPECT_NE(secondStart->pixels, with->pixels);
    EXPECT_EQ(again->pixels, secondStart->pixels);

    const CommandOutput pastTheEnd = run(map + "--at 2 -o '" + dir.File("x.png") + "'");
    EXPECT_EQ(pastTheEnd.exitCode, 2);
    EXPECT_NE(pastTheEnd.text.find("the map has 2 starts: --at 2 is not one of them"), std::string::npos) << pastTheEnd.text;
    const CommandOutput noMap = run("'" + box + "' --at 0 -o '" + dir.File("x.png") + "'");
    EXPECT_EQ(noMap.exitCode, 2);
    EXPECT_NE(noMap.text.find("--at needs a map (.bsp) among the inputs"), std::string::npos) << noMap.text;
    const CommandOutput badPoint = run(map + "--at 1,2 -o '" + dir.File("x.png") + "'");
    EXPECT_NE(badPoint.text.find("--at takes a start's index or X,Y,Z"), std::string::npos) << badPoint.text;
}
