// Opens arbitrary bytes as a WAD2 or WAD3 texture file, then looks up, reads and lists every
// entry and decodes every picture.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "media/WadArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzArchiveFile<WadArchive>("wad", data, size);
}
