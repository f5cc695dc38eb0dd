// The SiN base model reader over arbitrary bytes: whatever the input, reading ends
// (accepted or refused with ReadError) without touching memory outside it, and
// every index of an accepted model names a vertex and a texture coordinate there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "FuzzSupport.h"
#include "models/sin/SinModelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    try {
        const SbmModel model = ReadSbm(BinaryReader(data, size));
        for (const SbmGroup& group : model.groups) {
            for (const SbmTriangle& t : group.triangles) {
                for (int k = 0; k < 3; ++k) {
                    if (t.xyz[static_cast<std::size_t>(k)] >= model.vertexCount ||
                        t.st[static_cast<std::size_t>(k)] >= model.st.size()) {
                        std::abort();
                    }
                }
            }
        }
    } catch (const ReadError&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
