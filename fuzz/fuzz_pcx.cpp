// Feeds arbitrary bytes to the PCX reader, with and without resizing and in both byte orders.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "media/COGLImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    COGLImage image;
    image.LoadFromMemory(PictureFormat::Pcx, data, size, false, false, false);
    image.LoadFromMemory(PictureFormat::Pcx, data, size, true, true, true);
    return 0;
}
