#include "media/BmpDecoder.h"

#include <climits>

// The bitmap reader comes from stb_image, limited to BMP and to memory input.
// Its internal assertions would end the process on a decoder bug; a bad file must
// only fail the read, so they are compiled out.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_ASSERT(x) ((void)0)
#define STBI_MAX_DIMENSIONS 32768
#include <stb/stb_image.h>

bool DecodeBmp(const std::uint8_t* data, std::size_t size, int& width, int& height, std::vector<std::uint8_t>& rgb) {
    if (data == nullptr || size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    int w = 0;
    int h = 0;
    int components = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &components, 3);
    if (pixels == nullptr) {
        return false;
    }
    if (w <= 0 || h <= 0) {
        stbi_image_free(pixels);
        return false;
    }
    width = w;
    height = h;
    rgb.assign(pixels, pixels + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
    stbi_image_free(pixels);
    return true;
}
