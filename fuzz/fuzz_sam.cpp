// The SiN animation reader over arbitrary bytes: whatever the input, reading ends
// (accepted or refused with ReadError) without touching memory outside it, and
// every frame of an accepted animation has all its vertices inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "FuzzSupport.h"
#include "models/sin/SinAnimFile.h"

namespace {
volatile std::uint8_t g_lastVertexByte = 0;  // every frame's last vertex byte is read into it
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    try {
        const SamAnimation animation = ReadSam(ByteBuffer(data, data + size));
        const std::size_t vertexBytes = static_cast<std::size_t>(animation.vertexCount) * sam_format::kVertexSize;
        for (std::size_t f = 0; f < animation.frames.size(); ++f) {
            if (animation.frames[f].vertices + vertexBytes > animation.bytes.size()) {
                std::abort();
            }
            g_lastVertexByte = animation.Vertices(f)[vertexBytes - 1];
        }
    } catch (const ReadError&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
