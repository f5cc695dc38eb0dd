// Feeds arbitrary bytes to the palette file reader (JASC text and RIFF).
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "media/Palette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    ParsePaletteFile(ByteBuffer(data, data + size));
    return 0;
}
