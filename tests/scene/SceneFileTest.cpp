#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>

#include "SceneFixture.h"
#include "media/COGLTexture2D.h"
#include "platform/Messages.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "scene/COGLText.h"
#include "scene/ObjectFactory.h"
#include "scene/Primitives.h"
#include "scene/SceneExtensions.h"
#include "scene/SceneFormat.h"
#include "scene/SceneViewLink.h"
#include "support/MediaWriters.h"
#include "support/TestSupport.h"
#include "support/WriteFailure.h"

namespace {

const std::string kLongName(120, 'n');
const std::string kLongText = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";  // 40 characters

// Every primitive, both light kinds, shadows on, blended shadows.
void BuildEveryPrimitive(COGLScene& scene) {
    scene.SetBackgroundColor(0.1f, 0.2f, 0.3f);
    scene.SetAmbient({0.25f, 0.3f, 0.35f, 1.0f});
    auto* point = scene.AddLight(std::make_unique<COGLPointLight>(1.0f, 2.0f, 3.0f));
    point->SetName("Key");
    point->SetDiffuse({0.9f, 0.8f, 0.7f, 1.0f});
    auto spotOwned = std::make_unique<COGLSpotLight>(-1.0f, 4.0f, 2.0f);
    spotOwned->SetCutOff(45.0f);
    spotOwned->SetQuadraticAttenuation(0.125f);
    spotOwned->Marker().RotateX(30.0f);
    auto* spot = scene.AddLight(std::move(spotOwned));

    const int codes[] = {object_type::kPlane,    object_type::kFloor,     object_type::kBox,      object_type::kSphere,
                         object_type::kRightWall, object_type::kLeftWall, object_type::kCeiling,  object_type::kText,
                         object_type::kRod,       object_type::kCylinder, object_type::kCone,     object_type::kDisk,
                         object_type::kBillboard};
    for (const int code : codes) {
        auto object = CreateObject(code);
        ASSERT_NE(object, nullptr) << code;
        object->SetName(ObjectClassName(code));
        scene.AddObject(std::move(object));
    }
    COGLObject* box = scene.ObjectAt(2);
    box->SetName(kLongName);
    box->SetPosition(1.5f, -2.0f, 3.0f);
    box->SetScale(2.0f, 0.5f, 1.0f);
    box->RotateY(90.0f);
    box->SetDiffuse(0.1f, 0.2f, 0.3f, 0.4f);
    box->SetTextureEnvMode(7681);  // GL_REPLACE
    box->Hide();
    auto* text = dynamic_cast<COGLText*>(scene.ObjectAt(7));
    ASSERT_NE(text, nullptr);
    text->SetText(kLongText);
    text->SetBold(true);
    text->SetExtrusion(0.5f);
    dynamic_cast<COGLPlane*>(scene.ObjectAt(1))->SetPlaneFlag(1);

    scene.AddShadowLight(spot);
    scene.AddShadowPlane(scene.ObjectAt(1));
    ASSERT_TRUE(scene.EnableShadows(true));
    scene.SetShadowBlending(true);
    scene.SetShadowOpacity(0.5f);
}

ByteBuffer SaveBody(const COGLScene& scene, const SceneViewLink& view) {
    BinaryWriter out;
    scene.Save(out, view);
    return out.Bytes();
}

ByteBuffer SaveFile(const COGLScene& scene, const SceneViewLink& view) {
    BinaryWriter out;
    out.WriteU32(scene_format::kMagic);
    out.WriteI32(scene_format::kVersion);
    scene.Save(out, view);
    return out.Bytes();
}

// Loads the body of a whole file (header skipped) into a fresh scene.
bool LoadFile(COGLScene& scene, SceneViewLink& view, const ByteBuffer& file, std::size_t size) {
    BinaryReader all(file.data(), size);
    all.Skip(4);
    const int version = all.ReadI32();
    BinaryReader body = all.Window(8, size - 8);
    return scene.Load(body, view, version, "/nonexistent/scene.dv");
}

void ExpectColor(BinaryReader& in, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(in.ReadF32(), r);
    EXPECT_FLOAT_EQ(in.ReadF32(), g);
    EXPECT_FLOAT_EQ(in.ReadF32(), b);
    EXPECT_FLOAT_EQ(in.ReadF32(), a);
}

class SceneFile : public HostFixture {
protected:
    void TearDown() override {
        EXPECT_EQ(COGLLight::LightsInUse(), 0) << "a light outlived its scene";
        HostFixture::TearDown();
    }
};

}  // namespace

TEST_F(SceneFile, SavedBytesFollowTheLayoutFieldByField) {
    TempDir dir;
    const std::string texturePath = dir.Write("wall.tga", std::string("not decoded here"));
    COGLScene scene;
    BuildEveryPrimitive(scene);
    auto texture = std::make_unique<COGLTexture2D>();
    ASSERT_TRUE(texture->SetSource(texturePath, nullptr, 1));
    scene.AddTexture(std::move(texture));
    DefaultViewLink view;
    view.SetFieldOfView(60.0f);

    const ByteBuffer bytes = SaveBody(scene, view);
    BinaryReader in(bytes);
    // Settings block: 95 bytes.
    EXPECT_EQ(in.ReadU8(), 0);  // visual weapons not set up here
    EXPECT_FLOAT_EQ(in.ReadF32(), 0.1f);
    EXPECT_FLOAT_EQ(in.ReadF32(), 0.2f);
    EXPECT_FLOAT_EQ(in.ReadF32(), 0.3f);
    ExpectColor(in, 0.25f, 0.3f, 0.35f, 1.0f);
    EXPECT_EQ(in.ReadI32(), 2);   // lights
    EXPECT_EQ(in.ReadI32(), 13);  // objects
    EXPECT_EQ(in.ReadI32(), 1);   // textures
    EXPECT_EQ(in.ReadU8(), 1);    // shadows on
    EXPECT_EQ(in.ReadI32(), 1);   // the spot light is light 1
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(in.ReadI32(), -1);
    }
    EXPECT_EQ(in.ReadI32(), 1);  // the floor is object 1
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(in.ReadI32(), -1);
    }
    EXPECT_EQ(in.ReadU8(), 1);
    EXPECT_FLOAT_EQ(in.ReadF32(), 0.5f);
    EXPECT_EQ(in.Tell(), scene_format::kSettingsBlockSize);

    EXPECT_EQ(in.ReadI32(), 0);  // no paks
    EXPECT_EQ(in.ReadU8(), 0);   // no background image
    // View record: field of view, then center, eye, up, distance, roll, pitch, yaw.
    const float view_values[] = {60, 0, -1, 0, 0, 0, 0, 0, 1, 0, 8, 0, 10, 0};
    for (const float v : view_values) {
        EXPECT_FLOAT_EQ(in.ReadF32(), v);
    }
    // Texture record.
    EXPECT_EQ(in.ReadI32(), -1);
    EXPECT_EQ(in.ReadU8(), 1);
    EXPECT_EQ(in.ReadText(260), texturePath);

    // Point light.
    EXPECT_EQ(in.ReadI32(), 0);
    EXPECT_EQ(in.ReadText(100), "Key");
    ExpectColor(in, 0, 0, 0, 1);
    ExpectColor(in, 0.9f, 0.8f, 0.7f, 1.0f);
    ExpectColor(in, 1, 1, 1, 1);
    EXPECT_FLOAT_EQ(in.ReadF32(), 1.0f);
    EXPECT_FLOAT_EQ(in.ReadF32(), 2.0f);
    EXPECT_FLOAT_EQ(in.ReadF32(), 3.0f);
    EXPECT_FLOAT_EQ(in.ReadF32(), 1.0f);  // w
    EXPECT_EQ(in.ReadI32(), 1);           // marker shown
    EXPECT_EQ(in.ReadI32(), 1);           // enabled
    // Spot light: the common record, then its 36 bytes.
    EXPECT_EQ(in.ReadI32(), 1);
    EXPECT_EQ(in.ReadText(100), "Spot Light");
    in.Skip(48);
    EXPECT_FLOAT_EQ(in.ReadF32(), -1.0f);
    EXPECT_FLOAT_EQ(in.ReadF32(), 4.0f);
    EXPECT_FLOAT_EQ(in.ReadF32(), 2.0f);
    in.Skip(12);
    const Quaternion q = scene.LightAt(1)->Marker().Orientation();
    EXPECT_EQ(in.ReadF32(), q.x);
    EXPECT_EQ(in.ReadF32(), q.y);
    EXPECT_EQ(in.ReadF32(), q.z);
    EXPECT_EQ(in.ReadF32(), q.w);
    EXPECT_FLOAT_EQ(in.ReadF32(), 45.0f);   // cut-off
    EXPECT_FLOAT_EQ(in.ReadF32(), 0.0f);    // exponent
    EXPECT_FLOAT_EQ(in.ReadF32(), 1.0f);    // constant
    EXPECT_FLOAT_EQ(in.ReadF32(), 0.0f);    // linear
    EXPECT_FLOAT_EQ(in.ReadF32(), 0.125f);  // quadratic

    // Objects, each a type code and the 271-byte common record, plus the plane flag
    // for the plane family and the 82-byte text block for the text.
    for (int index = 0; index < 13; ++index) {
        const COGLObject& object = *scene.ObjectAt(index);
        const std::size_t start = in.Tell();
        EXPECT_EQ(in.ReadI32(), object.TypeCode());
        const std::string name = in.ReadText(100);
        if (index == 2) {
            EXPECT_EQ(name, kLongName.substr(0, 99));
            EXPECT_EQ(bytes[start + 4 + 99], 0);
            ExpectColor(in, 0.2f, 0.2f, 0.2f, 1.0f);
            ExpectColor(in, 0.1f, 0.2f, 0.3f, 0.4f);
            in.Skip(32 + 4);
            const Quaternion o = object.Orientation();
            EXPECT_EQ(in.ReadF32(), o.x);
            EXPECT_EQ(in.ReadF32(), o.y);
            EXPECT_EQ(in.ReadF32(), o.z);
            EXPECT_EQ(in.ReadF32(), o.w);
            EXPECT_FLOAT_EQ(in.ReadF32(), 2.0f);
            EXPECT_FLOAT_EQ(in.ReadF32(), 0.5f);
            EXPECT_FLOAT_EQ(in.ReadF32(), 1.0f);
            EXPECT_FLOAT_EQ(in.ReadF32(), 1.5f);
            EXPECT_FLOAT_EQ(in.ReadF32(), -2.0f);
            EXPECT_FLOAT_EQ(in.ReadF32(), 3.0f);
            EXPECT_FLOAT_EQ(in.ReadF32(), 1.5f);  // position x once more
            EXPECT_EQ(in.ReadU8(), 0);            // hidden
            EXPECT_EQ(in.ReadU8(), 0);
            EXPECT_EQ(in.ReadU8(), 0);
            EXPECT_EQ(in.ReadI32(), 0);                     // object mode
            EXPECT_EQ(in.ReadU32(), 0x80000000u);           // flags word: hidden
            EXPECT_EQ(in.ReadI32(), -1);                    // texture index
            in.Skip(36);
            EXPECT_EQ(in.ReadI32(), 7681);
            EXPECT_EQ(in.ReadI32(), 1);
        } else {
            EXPECT_EQ(name, ObjectClassName(object.TypeCode()));
            in.Skip(COGLObject::kRecordSize - 100);
        }
        EXPECT_EQ(in.Tell() - start, 4 + COGLObject::kRecordSize);
        if (dynamic_cast<const COGLPlane*>(&object) != nullptr) {
            EXPECT_EQ(in.ReadU8(), index == 1 ? 1 : 0);
        }
        if (index == 7) {
            EXPECT_EQ(in.ReadU8(), 1);             // bold
            EXPECT_FLOAT_EQ(in.ReadF32(), 0.0f);   // deviation
            EXPECT_FLOAT_EQ(in.ReadF32(), 0.5f);   // extrusion
            EXPECT_FLOAT_EQ(in.ReadF32(), 0.0f);   // spacing
            EXPECT_EQ(in.ReadI32(), 1);            // solid glyphs
            const std::size_t textAt = in.Tell();
            EXPECT_EQ(in.ReadText(32), kLongText.substr(0, 31));
            EXPECT_EQ(bytes[textAt + 31], 0);
            EXPECT_EQ(in.ReadText(32), "Arial");
            EXPECT_EQ(in.ReadU8(), 0);
            EXPECT_EQ(in.Tell() - start, 4 + COGLObject::kRecordSize + COGLText::kTextBlockSize);
        }
    }
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST_F(SceneFile, ShadowIndicesAreAllUnusedWhileShadowsAreOff) {
    COGLScene scene;
    BuildEveryPrimitive(scene);
    scene.EnableShadows(false);
    DefaultViewLink view;
    const ByteBuffer bytes = SaveBody(scene, view);
    BinaryReader in(bytes);
    in.Seek(1 + 12 + 16 + 12);
    EXPECT_EQ(in.ReadU8(), 0);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(in.ReadI32(), -1);
    }
}

TEST_F(SceneFile, SaveLoadSaveGivesIdenticalBytes) {
    ByteBuffer first;
    {
        COGLScene scene;
        BuildEveryPrimitive(scene);
        DefaultViewLink view;
        view.SetFieldOfView(33.0f);
        first = SaveFile(scene, view);
    }
    COGLScene loaded;
    DefaultViewLink view;
    ASSERT_TRUE(LoadFile(loaded, view, first, first.size())) << loaded.LastLoadError();
    EXPECT_EQ(SaveFile(loaded, view), first);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(SceneFile, Version6FixtureLoadsWithEveryFieldInPlace) {
    fixture::Scene f;
    f.vwep = 1;
    f.background = {0.5f, 0.25f, 0.125f};
    f.ambient = {0.1f, 0.2f, 0.3f, 0.4f};
    f.shadows = 1;
    f.shadowLights[0] = 1;
    f.shadowLights[1] = 7;  // past the end: ignored
    f.shadowPlanes[0] = 1;
    f.blending = 1;
    f.opacity = 0.75f;
    f.fieldOfView = 60.0f;
    f.camera = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    fixture::Light point;
    point.name = "Lamp";
    point.ambient = {0.1f, 0.1f, 0.1f, 1};
    point.position = {4, 5, 6};
    point.w = 0.0f;
    point.shown = 0;
    point.enabled = 0;
    fixture::Light spot;
    spot.kind = 7;  // any kind but 0 is a spot light
    spot.name = "Beam";
    spot.orientation = {0.70710678f, 0, 0, 0.70710678f};  // 90 degrees about x
    spot.cutOff = 20.0f;
    spot.exponent = 2.0f;
    spot.linear = 0.5f;
    f.lights = {point, spot};
    fixture::Object box;
    box.code = object_type::kBox;
    box.name = "Crate";
    box.ambient = {0.1f, 0.2f, 0.3f, 0.4f};
    box.diffuse = {0.5f, 0.6f, 0.7f, 0.8f};
    box.specular = {0.9f, 1.0f, 0.9f, 0.8f};
    box.emission = {0.01f, 0.02f, 0.03f, 0.04f};
    box.shininess = 64.0f;
    box.orientation = {0, 0, 0.70710678f, 0.70710678f};
    box.scale = {2, 3, 4};
    box.position = {9, 8, 7};
    box.positionXAgain = -9.0f;  // the loader keeps this copy
    box.transparent = 1;
    box.animating = 1;
    box.mode = 5;
    box.flags = 0x10;
    box.textureIndex = 3;  // there is no such texture: untextured
    box.textureRotation = {10, 20, 30};
    box.textureScale = {0.5f, 0.25f, 2};
    box.textureTranslation = {0.1f, 0.2f, 0.3f};
    box.envMode = 7681;
    box.textureSetting = 9;
    fixture::Object floor;
    floor.code = object_type::kFloor;
    floor.name = "Ground";
    floor.planeFlag = 3;
    fixture::Object text;
    text.code = object_type::kText;
    text.text = fixture::TextBlock{1, 0.01f, 0.3f, 0.05f, 0, "Hello", "Courier", 1};
    f.objects = {box, floor, text};

    for (const int version : {6, 5}) {
        SCOPED_TRACE(version);
        f.version = version;
        host_.Clear();
        COGLScene scene;
        DefaultViewLink view;
        const ByteBuffer file = fixture::Write(f);
        ASSERT_TRUE(LoadFile(scene, view, file, file.size())) << scene.LastLoadError();

        EXPECT_TRUE(host_.HasMessage(msg::kSceneUsesVWep.text));
        EXPECT_EQ(scene.BackgroundColor(), (std::array<float, 3>{0.5f, 0.25f, 0.125f}));
        EXPECT_EQ(scene.Ambient(), ColorRGBA(0.1f, 0.2f, 0.3f, 0.4f));
        EXPECT_TRUE(scene.ShadowBlending());
        EXPECT_FLOAT_EQ(scene.ShadowOpacity(), 0.75f);
        EXPECT_EQ(view.FieldOfView(), version >= 6 ? 60.0f : DefaultViewLink::kDefaultFieldOfView);
        EXPECT_EQ(view.Camera()[0], 1.0f);
        EXPECT_EQ(view.Camera()[12], 13.0f);

        ASSERT_EQ(scene.Lights().size(), 2u);
        const COGLLight& lamp = *scene.LightAt(0);
        EXPECT_FALSE(lamp.IsSpot());
        EXPECT_EQ(lamp.Name(), "Lamp");
        EXPECT_EQ(lamp.Ambient(), ColorRGBA(0.1f, 0.1f, 0.1f, 1));
        EXPECT_EQ(lamp.Position(), Vector3(4, 5, 6));
        EXPECT_EQ(lamp.W(), 0.0f);
        EXPECT_FALSE(lamp.Marker().IsVisible());
        EXPECT_FALSE(lamp.IsEnabled());
        const auto* beam = dynamic_cast<const COGLSpotLight*>(scene.LightAt(1));
        ASSERT_NE(beam, nullptr);
        EXPECT_EQ(beam->Name(), "Beam");
        EXPECT_FLOAT_EQ(beam->CutOff(), 20.0f);
        EXPECT_FLOAT_EQ(beam->Exponent(), 2.0f);
        EXPECT_FLOAT_EQ(beam->LinearAttenuation(), 0.5f);
        // The direction follows the stored orientation: (0, 0, 1) turned 90 degrees about x.
        EXPECT_NEAR(beam->Direction().x, 0.0f, 1e-5f);
        EXPECT_NEAR(beam->Direction().y, -1.0f, 1e-5f);
        EXPECT_NEAR(beam->Direction().z, 0.0f, 1e-5f);

        ASSERT_EQ(scene.Objects().size(), 3u);
        const COGLObject& crate = *scene.ObjectAt(0);
        EXPECT_EQ(crate.TypeCode(), object_type::kBox);
        EXPECT_NE(dynamic_cast<const COGLBox*>(&crate), nullptr);
        EXPECT_EQ(crate.Name(), "Crate");
        EXPECT_EQ(crate.Ambient(), ColorRGBA(0.1f, 0.2f, 0.3f, 0.4f));
        EXPECT_EQ(crate.Diffuse(), ColorRGBA(0.5f, 0.6f, 0.7f, 0.8f));
        EXPECT_EQ(crate.Specular(), ColorRGBA(0.9f, 1.0f, 0.9f, 0.8f));
        EXPECT_EQ(crate.Emission(), ColorRGBA(0.01f, 0.02f, 0.03f, 0.04f));
        EXPECT_EQ(crate.Shininess(), 64.0f);
        EXPECT_EQ(crate.Orientation(), Quaternion(0, 0, 0.70710678f, 0.70710678f));
        EXPECT_EQ(crate.Scale(), Vector3(2, 3, 4));
        EXPECT_EQ(crate.Position(), Vector3(-9, 8, 7));
        EXPECT_TRUE(crate.IsVisible());
        EXPECT_TRUE(crate.IsTransparent());
        EXPECT_TRUE(crate.IsAnimating());
        EXPECT_EQ(crate.ObjectMode(), 5);
        EXPECT_EQ(crate.FlagsWord(), 0x10u);
        EXPECT_EQ(crate.Texture(), nullptr);
        EXPECT_EQ(crate.TextureRotation(), Vector3(10, 20, 30));
        EXPECT_EQ(crate.TextureScale(), Vector3(0.5f, 0.25f, 2));
        EXPECT_EQ(crate.TextureTranslation(), Vector3(0.1f, 0.2f, 0.3f));
        EXPECT_EQ(crate.TextureEnvMode(), 7681);
        EXPECT_EQ(crate.TextureSetting(), 9);
        const auto* ground = dynamic_cast<const COGLFloor*>(scene.ObjectAt(1));
        ASSERT_NE(ground, nullptr);
        EXPECT_EQ(ground->PlaneFlag(), 3);
        const auto* hello = dynamic_cast<const COGLText*>(scene.ObjectAt(2));
        ASSERT_NE(hello, nullptr);
        EXPECT_TRUE(hello->Bold());
        EXPECT_FLOAT_EQ(hello->Deviation(), 0.01f);
        EXPECT_FLOAT_EQ(hello->Extrusion(), 0.3f);
        EXPECT_FLOAT_EQ(hello->Spacing(), 0.05f);
        EXPECT_EQ(hello->OutlineFormat(), 0);
        EXPECT_EQ(hello->Text(), "Hello");
        EXPECT_EQ(hello->FontFace(), "Courier");
        EXPECT_TRUE(hello->Italic());

        ASSERT_EQ(scene.ShadowLights().size(), 1u);
        EXPECT_EQ(scene.ShadowLights()[0], scene.LightAt(1));
        ASSERT_EQ(scene.ShadowPlanes().size(), 1u);
        EXPECT_EQ(scene.ShadowPlanes()[0], scene.ObjectAt(1));
        EXPECT_TRUE(scene.ShadowsEnabled());

        // Status text and progress: one step for the settings, the pak list, the
        // background and the view, then one per record.
        EXPECT_EQ(host_.statusText, "");
        ASSERT_FALSE(host_.progressTexts.empty());
        EXPECT_EQ(host_.progressTexts.back(), msg::kLoading.text);
        EXPECT_EQ(host_.progressSteps, 4 + 2 + 3);
        EXPECT_EQ(host_.progressDepth, 0);
    }
}

TEST_F(SceneFile, MissingFilesAreAskedForAndDroppedWhenCancelled) {
    fixture::Scene f;
    f.paks = {"/nowhere/pak0.pak", ""};
    f.background_image = fixture::Texture{-1, 0, "/nowhere/sky.pcx"};
    f.textures = {{-1, 0, "/nowhere/wall.pcx"}, {1, 0, "textures/wall.wal"}};
    f.objects.push_back({});
    f.objects.back().textureIndex = 0;
    COGLScene scene;
    DefaultViewLink view;
    const ByteBuffer file = fixture::Write(f);
    ASSERT_TRUE(LoadFile(scene, view, file, file.size())) << scene.LastLoadError();
    EXPECT_EQ(scene.PakCount(), 0);
    EXPECT_EQ(scene.Textures().size(), 0u);
    EXPECT_EQ(scene.Background(), nullptr);
    EXPECT_EQ(scene.ObjectAt(0)->Texture(), nullptr);
    // The empty pak path is not asked for; the pak, background and plain texture are.
    const std::vector<std::string> expected = {
        "This PAK file cannot be located.  Please find it or Click Cancel.",
        "BACKGROUND cannot be located.  Please find it or Click Cancel.",
        "This TEXTURE cannot be located.  Please find it or Click Cancel.",
    };
    EXPECT_EQ(host_.prompts, expected);
    EXPECT_EQ(scene.Locator(), nullptr);
}

TEST_F(SceneFile, UnknownTypeCodesAreSkippedWithoutReadingTheirRecord) {
    fixture::Scene f;
    fixture::Object unknown;
    unknown.code = 99;
    unknown.codeOnly = true;
    fixture::Object noModelYet;  // a model code nobody registered
    noModelYet.code = object_type::kMD2;
    noModelYet.codeOnly = true;
    fixture::Object sphere;
    sphere.code = object_type::kSphere;
    sphere.name = "Ball";
    f.objects = {unknown, noModelYet, sphere};
    COGLScene scene;
    DefaultViewLink view;
    const ByteBuffer file = fixture::Write(f);
    ASSERT_TRUE(LoadFile(scene, view, file, file.size())) << scene.LastLoadError();
    ASSERT_EQ(scene.Objects().size(), 1u);
    EXPECT_EQ(scene.ObjectAt(0)->Name(), "Ball");
}

namespace {
// A stand-in model class: the common record, then an int32 saying whether its
// "game file" loaded.
class FakeModel : public COGLObject {
public:
    FakeModel() : COGLObject(object_type::kMD2) {}
    bool LoadFromScene(BinaryReader& in, int version, COGLScene& scene) override {
        seenScene = &scene;
        Load(in, version);
        loaded = in.ReadI32() != 0;
        return loaded;
    }
    bool IsLoaded() const override { return loaded; }
    bool loaded = false;
    COGLScene* seenScene = nullptr;
};

std::unique_ptr<COGLObject> MakeFakeModel() { return std::make_unique<FakeModel>(); }
}  // namespace

TEST_F(SceneFile, RegisteredModelClassesReadTheirRecordsAndJoinOnlyWhenLoaded) {
    ASSERT_TRUE(RegisterObjectClass(object_type::kMD2, "COGLMD2", &MakeFakeModel));
    fixture::Scene f;
    fixture::Object good;
    good.code = object_type::kMD2;
    good.name = "tank";
    good.extra = {1, 0, 0, 0};
    fixture::Object bad = good;
    bad.name = "missing";
    bad.extra = {0, 0, 0, 0};
    fixture::Object box;
    box.name = "after";
    f.objects = {good, bad, box};
    COGLScene scene;
    DefaultViewLink view;
    const ByteBuffer file = fixture::Write(f);
    const bool ok = LoadFile(scene, view, file, file.size());
    UnregisterObjectClass(object_type::kMD2);
    ASSERT_TRUE(ok) << scene.LastLoadError();
    ASSERT_EQ(scene.Objects().size(), 2u);
    EXPECT_EQ(scene.ObjectAt(0)->Name(), "tank");
    EXPECT_EQ(dynamic_cast<FakeModel*>(scene.ObjectAt(0))->seenScene, &scene);
    EXPECT_EQ(scene.ObjectAt(1)->Name(), "after");
    EXPECT_EQ(ObjectClassName(object_type::kMD2), nullptr);
}

TEST_F(SceneFile, ShadowsStayOffWhenTheTablesNameNothing) {
    fixture::Scene f;
    f.shadows = 1;
    f.lights.push_back({});
    f.objects.push_back({});
    COGLScene scene;
    DefaultViewLink view;
    const ByteBuffer file = fixture::Write(f);
    ASSERT_TRUE(LoadFile(scene, view, file, file.size()));
    EXPECT_FALSE(scene.ShadowsEnabled());
    EXPECT_TRUE(scene.ShadowLights().empty());
}

TEST_F(SceneFile, EveryTruncationFailsCleanlyAndLeavesNothingBehind) {
    ByteBuffer file;
    {
        COGLScene source;
        BuildEveryPrimitive(source);
        DefaultViewLink view;
        file = SaveFile(source, view);
    }
    COGLScene scene;
    DefaultViewLink view;
    for (std::size_t size = 8; size < file.size(); ++size) {
        ASSERT_FALSE(LoadFile(scene, view, file, size)) << size;
        ASSERT_TRUE(scene.Objects().empty()) << size;
        ASSERT_TRUE(scene.Lights().empty()) << size;
        ASSERT_EQ(COGLLight::LightsInUse(), 0) << size;
        ASSERT_TRUE(scene.ShadowPlanes().empty()) << size;
        ASSERT_FALSE(scene.ShadowsEnabled()) << size;
    }
    EXPECT_FALSE(scene.LastLoadError().empty());
    EXPECT_EQ(host_.progressDepth, 0);
    EXPECT_TRUE(LoadFile(scene, view, file, file.size()));
}

TEST_F(SceneFile, CountsTheFileCannotHoldAreRefusedBeforeAnythingIsMade) {
    const auto refuse = [&](fixture::Scene f) {
        host_.Clear();
        COGLScene scene;
        DefaultViewLink view;
        const ByteBuffer file = fixture::Write(f);
        EXPECT_FALSE(LoadFile(scene, view, file, file.size()));
        EXPECT_TRUE(scene.Lights().empty());
        EXPECT_TRUE(scene.Objects().empty());
        // No light was ever made, so the light table never ran out.
        EXPECT_FALSE(host_.HasMessage(msg::kNoMoreLights.text));
        EXPECT_TRUE(host_.progressTexts.empty());
    };
    fixture::Scene f;
    f.lightCount = 1000000;
    refuse(f);
    f.lightCount.reset();
    f.objectCount = std::numeric_limits<std::int32_t>::max();
    refuse(f);
    f.objectCount = -1;
    refuse(f);
    f.objectCount.reset();
    f.textureCount = 2;
    refuse(f);
    // The bound is exact: a file of nothing but point lights still loads.
    f.textureCount.reset();
    f.lights.assign(8, fixture::Light{});
    {
        host_.Clear();
        COGLScene scene;
        DefaultViewLink view;
        const ByteBuffer file = fixture::Write(f);
        EXPECT_TRUE(LoadFile(scene, view, file, file.size())) << scene.LastLoadError();
        EXPECT_EQ(scene.Lights().size(), 8u);
        EXPECT_FALSE(LoadFile(scene, view, file, file.size() - 1));
    }
    f.lights.clear();
    // A pak count larger than the bytes that follow.
    f.textureCount.reset();
    ByteBuffer file = fixture::Write(f);
    const std::size_t pakCountAt = 8 + scene_format::kSettingsBlockSize;
    file[pakCountAt + 3] = 0x10;
    COGLScene scene;
    DefaultViewLink view;
    EXPECT_FALSE(LoadFile(scene, view, file, file.size()));
    EXPECT_EQ(scene.PakCount(), 0);
}

// --- The document ---

class Document : public SceneFile {
protected:
    COGLScene scene_;
    DefaultViewLink view_;
    COGLDoc doc_{&scene_, &view_};
    TempDir dir_;
};

TEST_F(Document, SavesAndOpensThroughFiles) {
    BuildEveryPrimitive(scene_);
    const std::string path = dir_.File("room.dv");
    doc_.SetModified(true);
    ASSERT_TRUE(doc_.Save(path));
    EXPECT_FALSE(doc_.IsModified());
    EXPECT_EQ(doc_.PathName(), path);
    EXPECT_EQ(std::filesystem::directory_iterator(dir_.Path())->path().filename(), "room.dv");  // no temp left
    const auto saved = ReadWholeFile(path);
    ASSERT_TRUE(saved);
    EXPECT_EQ(scene_format::kMagic, BinaryReader(*saved).ReadU32());

    COGLScene other;
    DefaultViewLink otherView;
    scene_.Clear();
    COGLDoc reader(&other, &otherView);
    ASSERT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.FileVersion(), 6);
    EXPECT_EQ(other.Objects().size(), 13u);
    EXPECT_EQ(host_.waitCursorDepth, 0);
}

TEST_F(Document, RefusesWrongMagicOldVersionsAndBrokenFiles) {
    fixture::Scene f;
    f.magic = 0x31565544u;  // "DUV1"
    const std::string notDuv = dir_.Write("a.dv", fixture::Write(f));
    EXPECT_FALSE(doc_.Open(notDuv));
    EXPECT_TRUE(host_.HasMessage(notDuv + " is not a DUV File."));

    f.magic = scene_format::kMagic;
    f.version = 4;
    const std::string old = dir_.Write("b.dv", fixture::Write(f));
    EXPECT_FALSE(doc_.Open(old));
    EXPECT_TRUE(host_.HasMessage(old + " is not compatable with this version of DUV."));

    f.version = 5;
    f.objects.push_back({});
    ByteBuffer bytes = fixture::Write(f);
    const std::string good = dir_.Write("c.dv", bytes);
    EXPECT_TRUE(doc_.Open(good));
    EXPECT_EQ(doc_.FileVersion(), 5);
    scene_.Clear();

    bytes.resize(bytes.size() - 1);
    host_.Clear();
    EXPECT_FALSE(doc_.Open(dir_.Write("d.dv", bytes)));
    EXPECT_TRUE(host_.HasMessage(msg::kFailedToOpenDocument.text));
    EXPECT_TRUE(scene_.Objects().empty());

    host_.Clear();
    EXPECT_FALSE(doc_.Open(dir_.Write("e.dv", ByteBuffer{'D', 'U'})));
    EXPECT_TRUE(host_.HasMessage(msg::kFailedToOpenDocument.text));
    EXPECT_FALSE(doc_.Open(dir_.File("none.dv")));
    EXPECT_TRUE(host_.HasMessage(msg::kInvalidFilename.text));
    EXPECT_EQ(doc_.PathName(), good);
}

TEST_F(Document, AFailedSaveSaysSoAndLeavesNoFileBehind) {
    const std::string target = dir_.Path() + "/folder.dv";
    std::filesystem::create_directory(target);  // cannot be replaced by a file
    EXPECT_FALSE(doc_.Save(target));
    EXPECT_TRUE(host_.HasMessage(msg::kFailedToSaveDocument.text));
    EXPECT_TRUE(std::filesystem::is_directory(target));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    EXPECT_FALSE(doc_.Save(dir_.Path() + "/missing/x.dv"));
}

TEST_F(Document, AFullDiskKeepsTheSavedSceneAndTheDocumentsName) {
    BuildEveryPrimitive(scene_);
    const std::string path = dir_.File("room.dv");
    ASSERT_TRUE(doc_.Save(path));
    EXPECT_TRUE(doc_.LastSaveError().empty());
    scene_.Clear();
    doc_.SetModified(true);
    const auto before = FolderContents(dir_.Path());
    {
        FileSizeLimit limit(64);  // less than the empty scene
        EXPECT_FALSE(doc_.Save(dir_.File("other.dv")));
        EXPECT_FALSE(doc_.Save(path));
    }
    EXPECT_EQ(host_.messages.size(), 2u);
    EXPECT_TRUE(host_.HasMessage(msg::kFailedToSaveDocument.text));
    EXPECT_EQ(doc_.LastSaveError(), "cannot write '" + path + "': File too large");
    EXPECT_EQ(FolderContents(dir_.Path()), before);
    EXPECT_TRUE(doc_.IsModified());  // nothing was saved
    EXPECT_EQ(doc_.PathName(), path);
}

TEST_F(Document, OpenFileDispatchesByExtensionInAnyCase) {
    fixture::Scene f;
    f.objects.push_back({});
    f.objects.back().name = "loaded";
    const std::string path = dir_.Write("ROOM.DV", fixture::Write(f));
    scene_.AddObject(std::make_unique<COGLSphere>());
    const int resetsBefore = view_.ResetCount();
    const OpenFileResult scene = doc_.OpenFile(path);
    EXPECT_EQ(scene.kind, OpenedKind::Scene);
    EXPECT_TRUE(scene.succeeded);
    ASSERT_EQ(scene_.Objects().size(), 1u);  // cleared before opening
    EXPECT_EQ(scene_.ObjectAt(0)->Name(), "loaded");
    EXPECT_GT(view_.ResetCount(), resetsBefore);
    EXPECT_GT(host_.refreshes, 0);

    const OpenFileResult pak = doc_.OpenFile(dir_.File("missing.PAK"));
    EXPECT_EQ(pak.kind, OpenedKind::Pak);
    EXPECT_FALSE(pak.succeeded);
    EXPECT_TRUE(host_.HasMessage(msg::kErrorOpeningFile.text));

    // A pak already listed answers with its own place, not the list's last one.
    const ByteBuffer archive = fixtures::PakBuilder().Add("pics/a.pcx", ByteBuffer(4, 0)).Build();
    const std::string first = dir_.Write("first.pak", archive);
    EXPECT_EQ(doc_.OpenFile(first).pakPosition, 0);
    EXPECT_EQ(doc_.OpenFile(dir_.Write("second.pak", archive)).pakPosition, 1);
    const OpenFileResult again = doc_.OpenFile(first);
    EXPECT_TRUE(again.succeeded);
    EXPECT_EQ(again.pakPosition, 0);
    EXPECT_EQ(scene_.PakCount(), 2);

    std::string opened;
    COGLDoc::RegisterModelOpener("md2", [&](const std::string& p, COGLDoc& doc) {
        opened = p;
        return &doc == &doc_;
    });
    const OpenFileResult model = doc_.OpenFile("/x/tris.Md2");
    COGLDoc::UnregisterModelOpener("md2");
    EXPECT_EQ(model.kind, OpenedKind::Model);
    EXPECT_TRUE(model.succeeded);
    EXPECT_EQ(opened, "/x/tris.Md2");

    const OpenFileResult other = doc_.OpenFile("/x/readme.txt");
    EXPECT_EQ(other.kind, OpenedKind::Nothing);
    EXPECT_FALSE(doc_.OpenFile("/x/tris.md2").succeeded);  // no opener any more
    EXPECT_EQ(scene_.Objects().size(), 1u);
}

TEST_F(Document, ClearTheSceneKeepsPaksAndResetsTheView) {
    BuildEveryPrimitive(scene_);
    scene_.SetSelectedObject(scene_.ObjectAt(0));
    view_.SetFieldOfView(80.0f);
    doc_.ClearScene();
    EXPECT_TRUE(scene_.Objects().empty());
    EXPECT_TRUE(scene_.Lights().empty());
    EXPECT_EQ(scene_.Selected(), nullptr);
    EXPECT_FALSE(scene_.ShadowsEnabled());
    EXPECT_EQ(view_.FieldOfView(), DefaultViewLink::kDefaultFieldOfView);
    EXPECT_GT(host_.refreshes, 0);
    EXPECT_GT(host_.repaints, 0);
}

namespace {
// A scene-level block as a layer above would register one (the map backdrop).
bool g_writeTestBlock = false;
std::vector<std::uint8_t> g_readTestBlock;
bool WriteTestBlock(const COGLScene& scene, BinaryWriter& out) {
    if (!g_writeTestBlock) {
        return false;
    }
    out.WriteI32(static_cast<std::int32_t>(scene.Objects().size()));
    out.WriteText("backdrop", 12);
    return true;
}
void ReadTestBlock(BinaryReader& payload, COGLScene& /*scene*/) {
    g_readTestBlock = payload.ReadBytes(payload.Remaining());
}
}  // namespace

TEST_F(SceneFile, SceneBlocksComeAfterTheLastRecordOnlyWhenTheyHaveSomethingToSay) {
    RegisterSceneBlock("TSTB", &WriteTestBlock, &ReadTestBlock);
    COGLScene scene;
    BuildEveryPrimitive(scene);
    DefaultViewLink view;
    g_writeTestBlock = false;
    const ByteBuffer plain = SaveFile(scene, view);
    g_writeTestBlock = true;
    const ByteBuffer extended = SaveFile(scene, view);
    g_writeTestBlock = false;
    // The plain scene's bytes, then "MVX1", "TSTB", the payload's length and the payload.
    ASSERT_EQ(extended.size(), plain.size() + 4 + 8 + 16);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), extended.begin()));
    EXPECT_EQ(std::string(extended.begin() + static_cast<std::ptrdiff_t>(plain.size()),
                          extended.begin() + static_cast<std::ptrdiff_t>(plain.size()) + 8),
              "MVX1TSTB");

    COGLScene loaded;
    ASSERT_TRUE(LoadFile(loaded, view, extended, extended.size())) << loaded.LastLoadError();
    EXPECT_EQ(loaded.LoadSkippedRecords(), 0);
    ASSERT_EQ(g_readTestBlock.size(), 16u);
    EXPECT_EQ(g_readTestBlock[0], 13) << "the objects' count it wrote";
    EXPECT_EQ(loaded.Objects().size(), scene.Objects().size());

    // Blocks this program does not know, or whose object is not there, are skipped and counted.
    ByteBuffer foreign = extended;
    std::copy_n("ZZZZ", 4, foreign.begin() + static_cast<std::ptrdiff_t>(plain.size()) + 4);
    BinaryWriter orphan;
    orphan.WriteBytes("OBJX", 4);
    orphan.WriteU32(4);
    orphan.WriteI32(99);
    foreign.insert(foreign.end(), orphan.Bytes().begin(), orphan.Bytes().end());
    foreign.insert(foreign.end(), {'O', 'B'});  // a cut block header
    COGLScene other;
    g_readTestBlock.clear();
    ASSERT_TRUE(LoadFile(other, view, foreign, foreign.size())) << other.LastLoadError();
    EXPECT_EQ(other.LoadSkippedRecords(), 3);
    EXPECT_TRUE(g_readTestBlock.empty());
    EXPECT_EQ(other.Objects().size(), scene.Objects().size());
}
