// The Quake 1 model reader over arbitrary bytes: whatever the input, reading ends
// (accepted or "Not a valid MDL (classic quake model) file.") without touching
// memory outside it, and an accepted model animates, walks its geometry, copies
// and saves within its own data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "models/quake1/COGLMDL.h"
#include "platform/BinaryIO.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    BinaryReader in(data, size);
    COGLMDL model;  // no scene and no GL: skins are read but not kept
    if (!model.ReadMDL(in)) {
        return 0;
    }
    if (!model.IsReady() || model.GetAnimation() == nullptr || model.Animations().empty()) {
        std::abort();  // an accepted model always has its animations
    }
    int walked = 0;
    for (const auto& animation : model.Animations()) {
        if (++walked > 4) {
            break;
        }
        model.SetAnimation(animation.get());
        model.Play();
        for (int tick = 0; tick < 3; ++tick) {
            model.AdvanceFrame();
            model.RefreshBounds();
        }
    }
    COGLMDL copy;
    copy.CopyFrom(model);
    copy.RefreshBounds();
    BinaryWriter out;
    copy.Save(out, -1);
    return 0;
}
