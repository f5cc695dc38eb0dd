// The scene file loader over arbitrary bytes: whatever the input, the load must
// end (true or false) without reading out of bounds, and leave no light behind.
// The model classes are registered as the program does, so model records are
// read by their own loaders (the files they name are not there: each is dropped).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "models/ModelFamilies.h"
#include "platform/BinaryIO.h"
#include "platform/Host.h"
#include "scene/COGLLight.h"
#include "scene/COGLScene.h"
#include "scene/SceneViewLink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static HeadlessHost host;
    static const bool registered = [] {
        RegisterModelClasses();
        return true;
    }();
    (void)registered;
    host.quiet = true;
    host.Clear();
    SetHost(&host);
    BinaryReader in(data, size);
    try {
        if (size < 8 || in.ReadU32() != 0x32565544u) {
            return 0;
        }
        const int version = in.ReadI32();
        if (version <= 4) {
            return 0;
        }
        COGLScene scene;
        DefaultViewLink view;
        scene.Load(in, view, version, "/nonexistent/fuzz.dv");
    } catch (const ReadError&) {
        return 0;
    }
    if (COGLLight::LightsInUse() != 0) {
        std::abort();  // a light outlived its scene
    }
    return 0;
}
