// The MD2 reader over arbitrary bytes: whatever the input, reading ends (accepted
// or "Not a valid MD2 File") without touching memory outside it, and an accepted
// model animates, walks its geometry, rebuilds its normals, copies and saves
// within its own data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "models/quake2/COGLMD2.h"
#include "models/quake2/MD2Open.h"
#include "platform/BinaryIO.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    OpensAsPlayer(data, size, MD2OpenOptions{});
    BinaryReader in(data, size);
    COGLMD2 model;  // no scene: skins are not looked for on disk
    if (!model.ReadMD2(in, 0, (size & 1) != 0)) {
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
        for (int tick = 0; tick < 3; ++tick) {
            model.AdvanceFrame();
            model.RefreshBounds();
        }
    }
    COGLMD2 copy;
    copy.CopyFrom(model);
    copy.RefreshBounds();
    BinaryWriter out;
    copy.Save(out, -1);
    return 0;
}
