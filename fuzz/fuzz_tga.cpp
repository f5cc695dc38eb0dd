// Feeds arbitrary bytes to the TGA reader, with and without resizing and in both byte orders.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "media/COGLImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    COGLImage image;
    image.LoadFromMemory(PictureFormat::Tga, data, size, false, false, false);
    image.LoadFromMemory(PictureFormat::Tga, data, size, true, true, true);
    return 0;
}
