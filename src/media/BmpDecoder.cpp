#include "media/BmpDecoder.h"

#include <FreeImage.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Larger sides than this are hostile: the library would try to allocate them.
constexpr long kMaxSide = 32768;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;  // OS/2 1.x: 16-bit width and height
constexpr std::size_t kInfoHeaderMinSize = 16;

std::int32_t ReadI32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return static_cast<std::int32_t>(v);  // bitmaps are little-endian, as are the machines we build for
}

// Checks the header's sides before the library allocates for them.
bool SidesAreSane(const std::uint8_t* data, std::size_t size) {
    if (size < kFileHeaderSize + kInfoHeaderMinSize || data[0] != 'B' || data[1] != 'M') {
        return false;
    }
    const std::uint8_t* info = data + kFileHeaderSize;
    std::uint32_t headerSize = 0;
    std::memcpy(&headerSize, info, 4);
    long width = 0;
    long height = 0;
    if (headerSize == kCoreHeaderSize) {
        width = info[4] | (info[5] << 8);
        height = info[6] | (info[7] << 8);
    } else {
        width = ReadI32(info + 4);
        height = std::labs(static_cast<long>(ReadI32(info + 8)));  // negative: stored top-down
    }
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

struct MemoryCloser {
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
struct BitmapCloser {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};

}  // namespace

bool DecodeBmp(const std::uint8_t* data, std::size_t size, int& width, int& height, std::vector<std::uint8_t>& rgb) {
    if (data == nullptr || size > static_cast<std::size_t>(INT_MAX) || !SidesAreSane(data, size)) {
        return false;
    }
    // The library only reads the memory; its interface is not const-correct.
    std::unique_ptr<FIMEMORY, MemoryCloser> memory(
        FreeImage_OpenMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)));
    if (!memory) {
        return false;
    }
    std::unique_ptr<FIBITMAP, BitmapCloser> loaded(FreeImage_LoadFromMemory(FIF_BMP, memory.get(), BMP_DEFAULT));
    if (!loaded || FreeImage_GetImageType(loaded.get()) != FIT_BITMAP) {
        return false;
    }
    std::unique_ptr<FIBITMAP, BitmapCloser> bitmap(FreeImage_ConvertTo24Bits(loaded.get()));
    if (!bitmap) {
        return false;
    }
    const unsigned w = FreeImage_GetWidth(bitmap.get());
    const unsigned h = FreeImage_GetHeight(bitmap.get());
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) {
        return false;
    }
    rgb.resize(std::size_t(w) * h * 3);
    std::uint8_t* out = rgb.data();
    for (unsigned y = 0; y < h; ++y) {  // the library's line 0 is the bottom one
        const BYTE* line = FreeImage_GetScanLine(bitmap.get(), static_cast<int>(y));
        for (unsigned x = 0; x < w; ++x, out += 3) {
            const BYTE* pixel = line + std::size_t(x) * 3;
            out[0] = pixel[FI_RGBA_RED];
            out[1] = pixel[FI_RGBA_GREEN];
            out[2] = pixel[FI_RGBA_BLUE];
        }
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}
