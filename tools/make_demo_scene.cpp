// Writes the project's demo scene through the program's own classes: a textured
// floor that receives shadows, a few primitives, two lights and the sample banner
// model waving, as SCENEDIR/demo.dv.
//
//   make_demo_scene SCENEDIR BANNERDIR
//
// A scene file keeps the paths it was made with, and a path that is not found is
// looked for by its file name beside the scene. So everything the demo uses is
// written (the floor's checker.pcx) or copied (the banner's tris.md2 and skin.pcx)
// beside demo.dv, and named there by file name alone: the demo opens from any
// directory and on any machine.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "media/COGLTexture2D.h"
#include "media/Palette.h"
#include "models/COGLModel.h"
#include "models/ModelFamilies.h"
#include "platform/BinaryIO.h"
#include "render/COGLView.h"
#include "render/HeadlessContext.h"
#include "scene/COGLDoc.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "support/MediaWriters.h"

namespace {
constexpr int kCheckerSize = 64;
constexpr int kTile = 8;

// Two-tone stone tiles with a darker grout line: reads well under the shadows.
ByteBuffer CheckerPcx() {
    fixtures::Palette768 palette{};
    const std::uint8_t colours[3][3] = {{150, 140, 120}, {95, 100, 110}, {60, 58, 55}};
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 3; ++c) {
            palette[static_cast<std::size_t>(3 * i + c)] = colours[i][c];
        }
    }
    fixtures::Indices pixels(kCheckerSize * kCheckerSize);
    for (int y = 0; y < kCheckerSize; ++y) {
        for (int x = 0; x < kCheckerSize; ++x) {
            const bool grout = x % kTile == 0 || y % kTile == 0;
            const int tile = (x / kTile + y / kTile) % 2;
            pixels[static_cast<std::size_t>(y * kCheckerSize + x)] = static_cast<std::uint8_t>(grout ? 2 : tile);
        }
    }
    return fixtures::WritePcx(kCheckerSize, kCheckerSize, pixels, palette);
}

bool Copy(const std::string& from, const std::string& to) {
    const std::optional<ByteBuffer> bytes = ReadWholeFile(from);
    return bytes && WriteFileAtomically(to, *bytes);
}

COGLObject* Add(COGLView& view, int type, const std::string& name, float x, float y, float z) {
    if (!view.AddObject(type)) {
        return nullptr;
    }
    COGLObject* object = view.Scene()->Objects().back().get();
    object->SetName(name);
    object->SetPosition(x, y, z);
    return object;
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "make_demo_scene: %s\n", what.c_str());
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo_scene SCENEDIR BANNERDIR\n");
        return 2;
    }
    const std::string bannerDirectory = std::filesystem::absolute(argv[2]).string();
    if (chdir(argv[1]) != 0) {
        return Fail(std::string("cannot enter ") + argv[1]);
    }
    const ByteBuffer checker = CheckerPcx();
    if (!WriteFileAtomically("checker.pcx", checker) || !Copy(bannerDirectory + "/tris.md2", "tris.md2") ||
        !Copy(bannerDirectory + "/skin.pcx", "skin.pcx")) {
        return Fail("cannot write the demo's files");
    }

    std::string error;
    const auto gl = HeadlessContext::Create(64, 64, &error);
    if (!gl) {
        return Fail(error);
    }
    BuildGammaTable(1.0f);
    RegisterModelClasses();
    COGLView view;
    view.Create();
    view.OnInitialUpdate();
    view.Resize(640, 480);
    COGLScene& scene = *view.Scene();
    scene.SetBackgroundColor(0.18f, 0.22f, 0.32f);

    COGLObject* floor = Add(view, object_type::kFloor, "Floor", 0.0f, -1.0f, 0.0f);
    auto texture = std::make_unique<COGLTexture2D>();
    if (floor == nullptr || !texture->SetSource("checker.pcx", nullptr, 0) || !texture->Load()) {
        return Fail("cannot make the floor");
    }
    floor->SetTexture(scene.AddTexture(std::move(texture)));

    COGLObject* box = Add(view, object_type::kBox, "Crate", -1.5f, -0.6f, 0.3f);
    COGLObject* sphere = Add(view, object_type::kSphere, "Ball", 1.2f, -0.6f, 0.5f);
    COGLObject* cylinder = Add(view, object_type::kCylinder, "Pillar", -0.8f, -1.0f, -0.8f);
    COGLObject* cone = Add(view, object_type::kCone, "Cone", 2.0f, -0.6f, -0.6f);
    if (box == nullptr || sphere == nullptr || cylinder == nullptr || cone == nullptr) {
        return Fail("cannot add the primitives");
    }
    for (COGLObject* object : {box, sphere, cylinder, cone}) {
        object->SetScale(0.4f, 0.4f, 0.4f);
    }
    floor->SetScale(4.0f, 1.0f, 4.0f);
    // Cylinders and cones are built along z: stand them up.
    cylinder->RotateX(-90.0f);
    cone->RotateX(90.0f);
    box->SetDiffuse(0.75f, 0.45f, 0.2f, 1.0f);
    sphere->SetDiffuse(0.2f, 0.45f, 0.85f, 1.0f);
    sphere->SetSpecular(1.0f, 1.0f, 1.0f, 1.0f);
    sphere->SetShininess(60.0f);
    cylinder->SetDiffuse(0.7f, 0.7f, 0.65f, 1.0f);
    cone->SetDiffuse(0.3f, 0.7f, 0.3f, 1.0f);

    COGLLight& sun = *scene.Lights().front();
    sun.Marker().SetPosition(1.0f, 2.5f, 2.0f);
    if (!view.AddLight(0)) {
        return Fail("cannot add the second light");
    }
    COGLLight& fill = *scene.Lights().back();
    fill.SetName("Fill");
    fill.Marker().SetPosition(-2.5f, 1.0f, 2.5f);
    fill.SetDiffuse({0.35f, 0.35f, 0.45f, 1.0f});

    // By its full path, so the model finds its skin beside it; elsewhere the scene
    // finds tris.md2 beside itself by name.
    if (!view.Document().OpenFile(std::filesystem::absolute("tris.md2").string()).succeeded || scene.Selected() == nullptr) {
        return Fail("cannot open the banner model");
    }
    auto* banner = dynamic_cast<COGLModel*>(scene.Selected());
    if (banner == nullptr) {
        return Fail("the banner is not a model");
    }
    banner->SetName("Banner");
    banner->SetPosition(0.2f, -0.2f, -0.5f);
    banner->SetScale(0.022f, 0.022f, 0.022f);
    banner->SelectAnimationByName("wave");
    banner->SetLoop(true);
    banner->SetInterpolate(true);
    banner->Play();

    scene.AddShadowPlane(floor);
    scene.AddShadowLight(&sun);
    scene.EnableShadows(true);
    scene.SetSelectedObject(nullptr);

    if (!view.Document().Save("demo.dv")) {
        return Fail("cannot write demo.dv");
    }
    std::printf("wrote %s/demo.dv\n", argv[1]);
    return 0;
}
