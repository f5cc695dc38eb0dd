// The MD2 reader over arbitrary bytes: whatever the input, reading ends (a model
// or a ReadError) without touching memory outside it, and the frames and commands
// of a model it accepts decode within its data. The model class accepts exactly
// what the reader accepts ("Not a valid MD2 File" otherwise), and an accepted
// model animates, walks its geometry, rebuilds its normals, copies and saves
// within its own data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "FuzzSupport.h"
#include "models/quake2/COGLMD2.h"
#include "models/quake2/MD2Open.h"
#include "models/quake2/Md2Reader.h"
#include "platform/BinaryIO.h"

namespace {
// Reads the bytes with the reader alone and decodes every frame name and every
// vertex the commands name; false when the reader refuses them.
bool ReadAlone(const std::uint8_t* data, std::size_t size) {
    try {
        BinaryReader in(data, size);
        const Md2Data md2 = ReadMd2Data(in);
        for (int frame = 0; frame < md2.frameCount; ++frame) {
            const std::uint8_t* bytes = md2.frames.data() + static_cast<std::size_t>(frame) * md2.frameSize;
            Md2FrameName(bytes);
            const Md2FrameTransform transform = ReadMd2FrameTransform(bytes);
            ForEachMd2Command(md2.commands, [&](bool /*fan*/, const std::uint32_t* vertices, std::size_t n) {
                for (std::size_t v = 0; v < n; ++v) {
                    Md2VertexPosition(transform, vertices[v * md2_format::kCommandVertexWords + 2]);
                }
            });
        }
        return true;
    } catch (const ReadError&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    OpensAsPlayer("models/fuzz/tris.md2", data, size, MD2OpenOptions{});
    const bool readAlone = ReadAlone(data, size);
    BinaryReader in(data, size);
    COGLMD2 model;  // no scene: skins are not looked for on disk
    if (model.ReadMD2(in, 0, (size & 1) != 0) != readAlone) {
        std::abort();  // the model class takes what its reader takes, nothing else
    }
    if (!readAlone) {
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
