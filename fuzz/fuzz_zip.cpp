// Opens arbitrary bytes as a zip archive (.pk3), then looks up, reads and lists every
// entry and decodes every picture.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "media/ZipArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzArchiveFile<ZipArchive>("zip", data, size);
}
