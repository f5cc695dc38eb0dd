#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "export/ExportCheck.h"
#include "export/GltfExport.h"
#include "export/ModelExport.h"
#include "maps/MapBackdrop.h"
#include "math/Matrix4.h"
#include "media/COGLTexture2D.h"
#include "models/ModelFixtures.h"
#include "models/halflife/COGLHLModel.h"
#include "models/quake1/COGLMDL.h"
#include "models/quake2/COGLMD2.h"
#include "models/quake2/COGLPlayer.h"
#include "models/sin/COGLSBM.h"
#include "models/sprite/COGLSprite.h"
#include "platform/Settings.h"
#include "render/COGLCamera.h"
#include "render/ViewFixture.h"
#include "scene/COGLDoc.h"
#include "scene/Geometry.h"
#include "support/MapWriters.h"
#include "support/MdlWriters.h"
#include "support/SpriteWriters.h"
#include "support/WriteFailure.h"

using export_check::ReadWithAssimp;
using export_check::Validate;

namespace {

std::string Sample(const std::string& relative) { return std::string(MAROVIN_SOURCE_DIR) + "/samples/" + relative; }

// Skins are GL textures: models load with a context current, into a scene.
class Export : public GLFixture {
protected:
    // Writes `object` alone, validates the file and reads it back.
    export_check::ReadBack WriteAndRead(COGLObject& object, const std::string& name,
                                        const GltfExportOptions& options = {}) {
        const std::string path = dir_.File(name);
        std::string error;
        EXPECT_TRUE(ExportObjectToFile(object, &scene_, path, options, error)) << error;
        const auto validation = Validate(path);
        EXPECT_EQ(validation.exitCode, 0) << validation.report;
        auto back = ReadWithAssimp(path);
        EXPECT_EQ(back.error, "") << path;
        return back;
    }

    TempDir dir_;
    COGLScene scene_;
};

TEST_F(Export, APlayerCarriesItsWeaponAndEveryAnimationAtTenFramesASecond) {
    const model_fixtures::PlayerFolder folder = model_fixtures::WritePlayerFolder(dir_, "players/male", false);
    COGLPlayer player(&scene_);
    ASSERT_TRUE(player.LoadFile(folder.body, false));
    ASSERT_TRUE(player.SetFirstWeapon());
    ASSERT_TRUE(player.ApplyFirstSkin());
    const auto back = WriteAndRead(player, "male.glb");

    const auto* body = back.Mesh("male");
    const auto* weapon = back.Mesh("male weapon");
    ASSERT_NE(body, nullptr);
    ASSERT_NE(weapon, nullptr);
    // Nine distinct frames (stand 4, run 3, pain 2; the whole-table clip repeats them).
    EXPECT_EQ(body->morphTargets, 8u);
    EXPECT_EQ(body->faces, static_cast<unsigned>(player.TriangleCount()));
    // The weapon has stand and run: seven frames of its own.
    EXPECT_EQ(weapon->morphTargets, 6u);
    EXPECT_TRUE(back.HasNode("male weapon"));

    ASSERT_NE(back.Animation("stand"), nullptr);
    EXPECT_NEAR(back.Animation("stand")->seconds, 0.4, 1e-6) << "four frames shown a tenth of a second each";
    EXPECT_NEAR(back.Animation("run")->seconds, 0.3, 1e-6);
    ASSERT_NE(back.Animation("pain"), nullptr);
    EXPECT_EQ(back.Animation("run")->morphChannels, 2u) << "body and weapon move together";
    EXPECT_EQ(back.animations.size(), player.Animations().size());
    EXPECT_EQ(back.textures, 2u) << "the body's skin and the weapon's, inside the .glb (the other skin is a variant)";
}

TEST_F(Export, AShownFlagPlaysAlongAsAChildToo) {
    const model_fixtures::PlayerFolder folder = model_fixtures::WritePlayerFolder(dir_);
    settings_.SetInt(settings_keys::kVWep, settings_keys::kEnabled, 1);
    settings_.SetString(settings_keys::kVWep, settings_keys::kVWepPakFile, dir_.Write("vwep.pak", model_fixtures::FlagPak()));
    scene_.SetUpVisualWeapons();
    COGLPlayer player(&scene_);
    ASSERT_TRUE(player.LoadFile(folder.body, false));
    ASSERT_TRUE(player.SetFirstWeapon());
    player.ShowFlag();
    ASSERT_TRUE(player.FlagShown());
    const auto back = WriteAndRead(player, "flag.glb");
    ASSERT_NE(back.Mesh("male flag"), nullptr);
    EXPECT_EQ(back.Mesh("male flag")->morphTargets, 6u) << "the flag's stand and run";
    EXPECT_EQ(back.Animation("stand")->morphChannels, 3u) << "body, weapon and flag";

    player.HideFlag();
    EXPECT_EQ(WriteAndRead(player, "hidden.glb").Mesh("male flag"), nullptr);
}

TEST_F(Export, OneAnimationAndAChosenSkinAreWhatTheFileShows) {
    const model_fixtures::PlayerFolder folder = model_fixtures::WritePlayerFolder(dir_, "players/male", false);
    COGLPlayer player(&scene_);
    ASSERT_TRUE(player.LoadFile(folder.body, false));
    ASSERT_TRUE(player.ApplyFirstSkin());
    GltfExportOptions options;
    options.animation = "run";
    options.skin = 1;
    const auto back = WriteAndRead(player, "run.gltf", options);
    ASSERT_EQ(back.animations.size(), 1u);
    EXPECT_EQ(back.animations[0].name, "run");
    ASSERT_NE(back.Mesh("male"), nullptr);
    EXPECT_EQ(back.Mesh("male")->morphTargets, 2u) << "run's three frames only";
    EXPECT_TRUE(std::filesystem::exists(dir_.File("run.bin")));
    EXPECT_TRUE(std::filesystem::exists(dir_.File("run_0.png"))) << "pictures beside a .gltf";

    std::string error;
    options.skin = 7;
    EXPECT_FALSE(ExportObjectToFile(player, &scene_, dir_.File("x.glb"), options, error));
    EXPECT_NE(error.find("2 skins"), std::string::npos) << error;
    options = {};
    options.animation = "fly";
    EXPECT_FALSE(ExportObjectToFile(player, &scene_, dir_.File("x.glb"), options, error));
    EXPECT_NE(error.find("no animation named 'fly'"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("x.glb")));
}

// The welded vertices, morphed to each frame, are exactly the triangles drawing
// sends for that frame, turned to face counter-clockwise.
TEST_F(Export, EveryMorphTargetRebuildsItsFrameAsDrawn) {
    COGLMD2 model(&scene_);
    ASSERT_TRUE(model.LoadFile(Sample("models/banner/tris.md2"), false));
    MorphModelExport gathered;
    std::string error;
    ASSERT_TRUE(GatherMorphModel(model, ClipsOf(model, ""), gathered, error)) << error;
    EXPECT_LT(gathered.VertexCount(), gathered.indices.size()) << "shared corners are welded";
    const ModelAnimation& wave = *model.FindAnimation("wave");
    const auto& clip = gathered.animations[1];
    ASSERT_EQ(clip.name, "wave");
    ASSERT_EQ(clip.frames.size(), static_cast<std::size_t>(wave.frameCount));
    for (int f = 0; f < wave.frameCount; f += 3) {
        RecordingGeometrySink drawn;
        ASSERT_TRUE(model.EmitFrame(wave, f, drawn));
        const auto& positions = gathered.positions[static_cast<std::size_t>(clip.frames[static_cast<std::size_t>(f)])];
        std::size_t corner = 0;
        for (const auto& strip : drawn.Primitives()) {
            corner += strip.vertices.size() >= 3 ? (strip.vertices.size() - 2) * 3 : 0;
        }
        ASSERT_EQ(corner, gathered.indices.size());
        // Each exported triangle is a drawn one (reversed), so its corners and
        // area match: compare the summed cross products, which flip with the winding.
        Vector3 drawnArea;
        for (const auto& strip : drawn.Primitives()) {
            const auto& v = strip.vertices;
            for (std::size_t i = 2; i < v.size(); ++i) {
                const bool fan = strip.mode == GL_TRIANGLE_FAN;
                const Vector3& a = fan ? v[0].position : v[i % 2 == 0 ? i - 2 : i - 1].position;
                const Vector3& b = fan ? v[i - 1].position : v[i % 2 == 0 ? i - 1 : i - 2].position;
                drawnArea += (b - a).Cross(v[i].position - a);
            }
        }
        Vector3 exportedArea;
        const auto at = [&](std::size_t i) {
            const std::size_t v = gathered.indices[i];
            return Vector3{positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]};
        };
        for (std::size_t i = 0; i + 2 < gathered.indices.size(); i += 3) {
            exportedArea += (at(i + 1) - at(i)).Cross(at(i + 2) - at(i));
        }
        EXPECT_NEAR(exportedArea.x, -drawnArea.x, 1e-2f) << "frame " << f;
        EXPECT_NEAR(exportedArea.y, -drawnArea.y, 1e-2f) << "frame " << f;
        EXPECT_NEAR(exportedArea.z, -drawnArea.z, 1e-2f) << "frame " << f;
    }
}

TEST_F(Export, AFullDiskKeepsTheEarlierExportAndLeavesNoPartOfTheNewOne) {
    const model_fixtures::PlayerFolder folder = model_fixtures::WritePlayerFolder(dir_, "players/male", false);
    COGLPlayer player(&scene_);
    ASSERT_TRUE(player.LoadFile(folder.body, false));
    ASSERT_TRUE(player.ApplyFirstSkin());
    std::string error;
    ASSERT_TRUE(ExportObjectToFile(player, &scene_, dir_.File("male.glb"), {}, error)) << error;
    ASSERT_TRUE(ExportObjectToFile(player, &scene_, dir_.File("male.gltf"), {}, error)) << error;
    ASSERT_TRUE(std::filesystem::exists(dir_.File("male_0.png")));
    auto before = FolderContents(dir_.Path());

    GltfExportOptions options;
    options.animation = "run";  // a file that differs from the earlier one
    for (const char* name : {"male.glb", "male.gltf"}) {
        {
            FileSizeLimit limit(512);
            EXPECT_FALSE(ExportObjectToFile(player, &scene_, dir_.File(name), options, error)) << name;
        }
        EXPECT_NE(error.find("': File too large"), std::string::npos) << error;
    }
    EXPECT_EQ(FolderContents(dir_.Path()), before);

    // A .gltf whose own name is taken by a folder: its .bin and pictures were
    // written and renamed first, and go again.
    std::filesystem::create_directory(dir_.File("taken.gltf"));
    before = FolderContents(dir_.Path());
    EXPECT_FALSE(ExportObjectToFile(player, &scene_, dir_.File("taken.gltf"), options, error));
    EXPECT_EQ(FolderContents(dir_.Path()), before);
}

// Names in game files are 8-bit Windows text; glTF is UTF-8.
TEST_F(Export, NamesInWindowsTextComeOutAsUtf8) {
    const std::string path =
        dir_.Write("models/can/tris.md2", model_fixtures::AnimatedBox({{"\xFC" "ber", 2}, {"\x80uro", 2}}));
    COGLMD2 model(&scene_);
    ASSERT_TRUE(model.LoadFile(path, false));
    const auto back = WriteAndRead(model, "can.glb");
    EXPECT_NE(back.Animation("\xC3\xBC" "ber"), nullptr);
    EXPECT_NE(back.Animation("\xE2\x82\xAC" "uro"), nullptr);
}

// A file can name more frames and triangles than gathering should hold.
TEST_F(Export, AModelTooLargeToGatherIsRefusedWithAReason) {
    const auto names = fixtures::NumberedFrames({{"stand", 600}});
    const std::string path = dir_.Write("big/tris.md2", fixtures::WriteMd2(fixtures::MakeTubeModel(64, 40, names)));
    COGLMD2 model(&scene_);
    ASSERT_TRUE(model.LoadFile(path, false));
    std::string error;
    EXPECT_FALSE(ExportObjectToFile(model, &scene_, dir_.File("big.glb"), {}, error));
    EXPECT_EQ(error, "the model has too many frames and triangles to export");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("big.glb")));
}

TEST_F(Export, AQuakeOneModelKeepsItsGroupsAndEmbeddedSkins) {
    const std::string path =
        dir_.Write("progs/box.mdl", fixtures::WriteMdl(fixtures::MakeBoxMdl({{"stand1"}, {"stand2"}, {"run1", "run2", "run3"}}, 2)));
    COGLMDL model(&scene_);
    ASSERT_TRUE(model.LoadFile(path));
    ASSERT_TRUE(model.ApplyFirstSkin());  // as opening it in the program does
    const auto back = WriteAndRead(model, "box.glb");
    ASSERT_EQ(back.meshes.size(), 1u);
    EXPECT_EQ(back.meshes[0].faces, static_cast<unsigned>(model.TriangleCount()));
    EXPECT_EQ(back.animations.size(), model.Animations().size());
    ASSERT_NE(back.Animation("run"), nullptr);
    EXPECT_NEAR(back.Animation("run")->seconds, 0.3, 1e-6);
    EXPECT_EQ(back.textures, 1u) << "the skin shown (the other is a variant)";
}

TEST_F(Export, ASinModelExportsFromItsDefinition) {
    COGLSBM model(&scene_);
    ASSERT_TRUE(model.LoadFile(Sample("models/sin/figure.def")));
    const auto back = WriteAndRead(model, "figure.glb");
    ASSERT_EQ(back.meshes.size(), 1u);
    EXPECT_GT(back.meshes[0].morphTargets, 0u);
    ASSERT_EQ(back.animations.size(), model.Animations().size());
    for (const auto& animation : model.Animations()) {
        const auto* exported = back.Animation(animation->name);
        ASSERT_NE(exported, nullptr) << animation->name;
        EXPECT_NEAR(exported->seconds, animation->frameCount / 10.0, 1e-6) << animation->name;
    }
}

TEST_F(Export, AHalfLifeModelIsASkinWithItsBonesAndASequenceEach) {
    COGLHLModel model(&scene_);
    ASSERT_TRUE(model.LoadFile(Sample("models/figure/figure.mdl")));
    const StudioData& data = *model.Studio()->Data();
    const auto back = WriteAndRead(model, "figure.glb");
    ASSERT_EQ(back.meshes.size(), 1u);
    EXPECT_GT(back.meshes[0].bones, 0u);
    EXPECT_EQ(back.meshes[0].morphTargets, 0u);
    ASSERT_EQ(back.animations.size(), data.sequences.size());
    for (const StudioSequence& sequence : data.sequences) {
        const auto* exported = back.Animation(sequence.label);
        ASSERT_NE(exported, nullptr) << sequence.label;
        EXPECT_NEAR(exported->seconds, (sequence.frameCount - 1) / sequence.fps, 1e-4) << sequence.label;
        EXPECT_GT(exported->nodeChannels, 0u);
    }
    for (const StudioBone& bone : data.bones) {
        EXPECT_TRUE(back.HasNode(bone.name)) << bone.name << " (repeated names are numbered)";
    }

    GltfExportOptions options;
    options.animation = data.sequences.back().label;
    const auto one = WriteAndRead(model, "one.glb", options);
    ASSERT_EQ(one.animations.size(), 1u);
    EXPECT_EQ(one.animations[0].name, data.sequences.back().label);
}

// The glTF itself, as an independent loader reads it.
tinygltf::Model LoadGlb(const std::string& path) {
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error;
    std::string warning;
    EXPECT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
    return model;
}

bool Uses(const tinygltf::Model& model, const std::string& extension) {
    return std::find(model.extensionsUsed.begin(), model.extensionsUsed.end(), extension) != model.extensionsUsed.end();
}

TEST_F(Export, SpritesShowTheirPictureUnlitAndBlendedAsDrawn) {
    fixtures::SprSprite sprite;
    sprite.frames.push_back({false, {fixtures::SolidPicture(10, 8, 4, true)}, {}});
    COGLSprite masked(&scene_);
    ASSERT_TRUE(masked.LoadFile(dir_.Write("s.spr", fixtures::WriteSpr(sprite))));
    const auto back = WriteAndRead(masked, "masked.glb");
    ASSERT_EQ(back.meshes.size(), 1u);
    EXPECT_EQ(back.meshes[0].faces, 2u);
    const tinygltf::Model gltf = LoadGlb(dir_.File("masked.glb"));
    ASSERT_EQ(gltf.materials.size(), 1u);
    EXPECT_EQ(gltf.materials[0].alphaMode, "MASK") << "index 255 is cut out";
    EXPECT_TRUE(gltf.materials[0].doubleSided);
    EXPECT_TRUE(Uses(gltf, "KHR_materials_unlit"));
    ASSERT_EQ(gltf.images.size(), 1u);

    sprite.version = 2;
    sprite.textureFormat = 1;  // additive
    COGLSprite additive(&scene_);
    ASSERT_TRUE(additive.LoadFile(dir_.Write("a.spr", fixtures::WriteSpr(sprite))));
    WriteAndRead(additive, "additive.glb");
    const tinygltf::Model added = LoadGlb(dir_.File("additive.glb"));
    ASSERT_EQ(added.materials.size(), 1u);
    EXPECT_EQ(added.materials[0].alphaMode, "BLEND");
    ASSERT_TRUE(added.materials[0].extras.Has("additive"));
}

TEST_F(Export, EverySkinIsAVariantOfTheMaterial) {
    const model_fixtures::PlayerFolder folder = model_fixtures::WritePlayerFolder(dir_, "players/male", false);
    COGLPlayer player(&scene_);
    ASSERT_TRUE(player.LoadFile(folder.body, false));
    ASSERT_TRUE(player.ApplyFirstSkin());
    WriteAndRead(player, "variants.glb");
    const tinygltf::Model gltf = LoadGlb(dir_.File("variants.glb"));
    ASSERT_TRUE(Uses(gltf, "KHR_materials_variants"));
    const tinygltf::Value& variants = gltf.extensions.at("KHR_materials_variants").Get("variants");
    ASSERT_EQ(variants.ArrayLen(), player.Skins().size());
    EXPECT_EQ(variants.Get(0).Get("name").Get<std::string>(), player.Skins()[0]->Name());
    const tinygltf::Primitive& body = gltf.meshes[0].primitives[0];
    const tinygltf::Value& mappings = body.extensions.at("KHR_materials_variants").Get("mappings");
    EXPECT_EQ(mappings.ArrayLen(), player.Skins().size());
    EXPECT_EQ(mappings.Get(0).Get("material").Get<int>(), body.material) << "the skin shown is the mesh's material";
}

class SceneExport : public ViewFixture {};

TEST_F(SceneExport, TheDemoSceneCarriesEveryObjectLightAndTheCamera) {
    ASSERT_TRUE(view_->Document().OpenFile(Sample("scenes/demo.dv")).succeeded);
    view_->Paint();
    TempDir dir;
    GltfExportOptions options;
    options.camera = view_->ExportedCamera();
    ASSERT_TRUE(options.camera.has_value());
    std::string error;
    const std::string path = dir.File("demo.glb");
    ASSERT_TRUE(ExportSceneToFile(Scene(), path, options, error)) << error;
    const auto validation = Validate(path);
    EXPECT_EQ(validation.exitCode, 0) << validation.report;
    const auto back = ReadWithAssimp(path);
    ASSERT_EQ(back.error, "");
    int lights = 0;
    for (const auto& light : Scene().Lights()) {
        lights += light->IsEnabled() ? 1 : 0;
    }
    EXPECT_EQ(back.lights, static_cast<unsigned>(lights));
    EXPECT_EQ(back.cameras, 1u);
    for (const auto& object : Scene().Objects()) {
        EXPECT_TRUE(back.HasNode(object->Name())) << object->Name();
    }
}

// A map goes out as drawn: a mesh per picture under the map's node, its light in
// the vertex colours (linear), see-through faces blended, hidden doors left out.
TEST_F(SceneExport, AMapsWorldGoesOutWithItsLightInTheVertexColours) {
    TempDir dir;
    const std::string game = fixtures::WriteRoomGame(fixtures::MapKind::Quake2, dir.Path());
    std::string error;
    std::unique_ptr<SceneBackdrop> map = LoadMapBackdrop(Scene(), game + "/maps/room.bsp", error);
    ASSERT_TRUE(map) << error;
    BackdropSettings settings;
    settings.brightness = 1.0f;
    map->SetSettings(settings);
    Scene().SwapBackdrop(map);
    ASSERT_TRUE(Scene().Objects().empty());
    const auto exported = [&](const std::string& name) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(ExportSceneToFile(Scene(), path, {}, error)) << error << ": a map alone is worth exporting";
        const auto validation = Validate(path);
        EXPECT_EQ(validation.exitCode, 0) << validation.report;
        return LoadGlb(path);
    };
    const auto meshNamed = [](const tinygltf::Model& gltf, const std::string& name) -> const tinygltf::Primitive* {
        for (const tinygltf::Mesh& mesh : gltf.meshes) {
            if (mesh.name == name) {
                return &mesh.primitives.at(0);
            }
        }
        return nullptr;
    };
    const auto childrenOfMap = [](const tinygltf::Model& gltf) {
        for (const tinygltf::Node& node : gltf.nodes) {
            if (node.name == "room.bsp") {
                return node.children.size();
            }
        }
        return std::size_t{0};
    };

    const tinygltf::Model gltf = exported("room.glb");
    // Floor, wall, water, glass, door and the door's missing picture; not the sky.
    EXPECT_EQ(childrenOfMap(gltf), 6u);
    EXPECT_EQ(meshNamed(gltf, "room.bsp sky/space"), nullptr);
    const tinygltf::Primitive* floor = meshNamed(gltf, "room.bsp base/floor");
    ASSERT_NE(floor, nullptr);
    // The floor's first corner is the first luxel of its lightmap: grey, grey / 2, 255 - grey.
    const tinygltf::Accessor& colours = gltf.accessors.at(static_cast<std::size_t>(floor->attributes.at("COLOR_0")));
    const tinygltf::BufferView& view = gltf.bufferViews.at(static_cast<std::size_t>(colours.bufferView));
    float first[4];
    std::memcpy(first, gltf.buffers[0].data.data() + view.byteOffset + colours.byteOffset, sizeof first);
    const int grey = fixtures::MapWriter::Luxel(0, 0, 0);
    const int stored[3] = {grey, grey / 2, 255 - grey};
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(first[c], std::pow(stored[c] / 255.0, 2.2), 1e-4) << "channel " << c;
    }
    EXPECT_FLOAT_EQ(first[3], 1.0f);
    const tinygltf::Primitive* glass = meshNamed(gltf, "room.bsp base/glass");
    const tinygltf::Primitive* water = meshNamed(gltf, "room.bsp base/water");
    ASSERT_NE(glass, nullptr);
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(gltf.materials.at(static_cast<std::size_t>(glass->material)).alphaMode, "BLEND");
    EXPECT_TRUE(gltf.materials.at(static_cast<std::size_t>(water->material)).doubleSided);
    EXPECT_EQ(gltf.materials.at(static_cast<std::size_t>(floor->material)).alphaMode, "OPAQUE");

    settings.brushEntitiesShown = {0};
    Scene().Backdrop()->SetSettings(settings);
    EXPECT_EQ(childrenOfMap(exported("closed.glb")), 4u) << "the hidden door and its side stay out";
}

// The exported camera undoes exactly what the view's camera gives GL.
TEST_F(SceneExport, TheCameraIsTheInverseOfTheViewsModelview) {
    COGLCamera& camera = view_->ActiveViewport().Camera();
    auto& orbit = static_cast<COGLCamera3D&>(camera);
    orbit.AddPitch(20.0f);
    orbit.AddYaw(-35.0f);
    orbit.center = {0.5f, -0.25f, 1.0f};
    const auto exported = view_->ExportedCamera();
    ASSERT_TRUE(exported.has_value());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.Apply();
    Matrix4 worldToEye;
    glGetDoublev(GL_MODELVIEW_MATRIX, worldToEye.Data());
    std::array<double, 16> cameraToWorld{};
    std::copy(exported->cameraToWorld.begin(), exported->cameraToWorld.end(), cameraToWorld.begin());
    const Matrix4 product = worldToEye * Matrix4(cameraToWorld);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_NEAR(product(row, col), row == col ? 1.0 : 0.0, 1e-4) << row << "," << col;
        }
    }
    EXPECT_FLOAT_EQ(exported->yfovDegrees, 45.0f);
}

}  // namespace
