#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "media/PngFile.h"

// A picture of palette indexes, top row first, as GIF stores it.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indexes;
    std::vector<std::array<std::uint8_t, 3>> palette;
    int transparentIndex = -1;  // -1: every pixel is opaque
};

struct QuantizeOptions {
    int maximumColors = 256;  // 2 to 256, the transparent index included
    // Pixels whose alpha is 0 (an RGBA picture) take an index of their own.
    bool transparent = false;
    // Ordered (Bayer) dithering of pictures with more colours than the palette:
    // steady from frame to frame, so a turntable does not crawl as error
    // diffusion would.
    bool dither = false;
};

// A palette of at most `maximumColors` entries for an RGB or RGBA picture and
// the picture in its indexes. A picture with that few colours keeps every one of
// them exactly (game art is paletted already); others are reduced by median cut.
IndexedImage QuantizeImage(const PngImage& image, const QuantizeOptions& options);
