#include "media/BmpDecoder.h"

#include <FreeImage.h>

#include <algorithm>
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
constexpr std::size_t kInfoHeaderCompressionEnd = 20;  // headers this long name their compression
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
// 8192 x 8192: more than any game texture, and within what decoding may allocate.
constexpr std::uint64_t kMaxEncodedPixels = std::uint64_t(1) << 26;

std::int32_t ReadI32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return static_cast<std::int32_t>(v);  // bitmaps are little-endian, as are the machines we build for
}

std::uint32_t ReadU32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return v;
}

// Checks the header before the library allocates for it: sane sides, and pixels
// the file can hold. Uncompressed rows must all be there (a few bytes claiming a
// huge picture would otherwise be decoded, blank, at full size); run-length
// encoded ones may skip ahead freely, so their picture is held to a size a
// texture can be.
bool HeaderIsSane(const std::uint8_t* data, std::size_t size) {
    if (size < kFileHeaderSize + kInfoHeaderMinSize || data[0] != 'B' || data[1] != 'M') {
        return false;
    }
    const std::uint8_t* info = data + kFileHeaderSize;
    const std::uint32_t headerSize = ReadU32(info);
    long width = 0;
    long height = 0;
    unsigned bits = 0;
    std::uint32_t compression = kUncompressed;
    if (headerSize == kCoreHeaderSize) {
        width = info[4] | (info[5] << 8);
        height = info[6] | (info[7] << 8);
        bits = info[10] | (info[11] << 8);
    } else {
        width = ReadI32(info + 4);
        height = std::labs(static_cast<long>(ReadI32(info + 8)));  // negative: stored top-down
        bits = info[14] | (info[15] << 8);
        if (headerSize >= kInfoHeaderCompressionEnd && size >= kFileHeaderSize + kInfoHeaderCompressionEnd) {
            compression = ReadU32(info + 16);
        }
    }
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return false;
    }
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    if (compression == kRle8 || compression == kRle4) {
        return pixels <= kMaxEncodedPixels;
    }
    if (compression != kUncompressed && compression != kBitFields) {
        return pixels <= kMaxEncodedPixels;  // left to the library, which refuses what it cannot read
    }
    const std::uint64_t offset = ReadU32(data + 10);
    const std::uint64_t rowBytes = (std::uint64_t(width) * std::max(bits, 1u) + 31) / 32 * 4;
    return offset <= size && rowBytes * std::uint64_t(height) <= size - offset;
}

struct MemoryCloser {
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
struct BitmapCloser {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};

}  // namespace

bool DecodeBmp(const std::uint8_t* data, std::size_t size, int& width, int& height, std::vector<std::uint8_t>& rgb) {
    if (data == nullptr || size > static_cast<std::size_t>(INT_MAX) || !HeaderIsSane(data, size)) {
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
