#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// 8-bit RGB or RGBA pixels with the top row first, as PNG stores them.
struct PngImage {
    int width = 0;
    int height = 0;
    int channels = 0;  // 3 or 4
    std::vector<std::uint8_t> pixels;
};

// The PNG file's bytes; `fast` trades size for speed (exports with many skins).
std::optional<std::vector<std::uint8_t>> EncodePng(const PngImage& image, bool fast = false);
// Encodes in memory and writes through WriteFileAtomically, so a failed write
// leaves no partial file and never destroys an existing one; `error`, when
// given, says why it failed.
bool WritePng(const std::string& path, const PngImage& image, std::string* error = nullptr);
// Reads any PNG, converted to 8-bit RGB (no alpha in the file) or RGBA.
std::optional<PngImage> ReadPng(const std::string& path);
// The same from bytes in memory (a texture inside a pk3). Nothing for bytes that
// are not a whole PNG, or for one larger than kMaxPngPixels pixels, which is
// refused before anything is allocated for its pixels.
inline constexpr std::uint64_t kMaxPngPixels = std::uint64_t(1) << 26;
std::optional<PngImage> DecodePng(const std::uint8_t* data, std::size_t size);
