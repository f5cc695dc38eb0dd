// Opens arbitrary bytes as a pak archive, then looks up, reads and lists every
// entry.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "media/CPakFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzArchiveFile<CPakFile>("pak", data, size);
}
