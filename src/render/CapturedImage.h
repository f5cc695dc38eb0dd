#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Kept apart from the writers (ImageOutput.h) so that the view's header, which
// holds a capture, brings in no more than the picture itself.

// A picture read back from the framebuffer in the layout of a device-independent
// bitmap: rows bottom-up (the first row in memory is the bottom of the picture),
// each pixel blue, green, red and, with 4 bytes per pixel, alpha. Every row starts
// on a 4-byte boundary, so the bytes go into a BMP file unchanged.
struct CapturedImage {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;  // 3 or 4
    std::vector<std::uint8_t> pixels;

    bool Empty() const { return width <= 0 || height <= 0 || pixels.empty(); }
    // Bytes from one row to the next (width * bytesPerPixel rounded up to 4).
    std::size_t Stride() const { return RowStride(width, bytesPerPixel); }
    static std::size_t RowStride(int width, int bytesPerPixel);
    // The first byte of a row counted from the bottom of the picture.
    const std::uint8_t* Row(int rowFromBottom) const { return pixels.data() + Stride() * std::size_t(rowFromBottom); }
    std::uint8_t* Row(int rowFromBottom) { return pixels.data() + Stride() * std::size_t(rowFromBottom); }
};
