// Raw palette indices as model skins and sprite frames read them. The first three
// bytes choose the width, height and sprite mode; with enough bytes the next 1024
// are the sprite palette; the rest are the indices.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "media/COGLImage.h"
#include "platform/BinaryIO.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    if (size < 3) {
        return 0;
    }
    const int width = data[0] + 1;
    const int height = data[1] + 1;
    const int mode = data[2] % 6;
    BinaryReader rest(data + 3, size - 3);
    COGLImage image;
    BinaryReader skin = rest;
    image.LoadIndexed(skin, width, height);
    if (rest.Size() >= 1024) {
        const std::uint8_t* palette = rest.ReadSpan(1024);
        image.LoadIndexed(rest, palette, width, height, mode);
    }
    return 0;
}
