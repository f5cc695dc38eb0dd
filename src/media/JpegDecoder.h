#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// JPEG decoding through the IJG library (libjpeg-turbo's libjpeg API).
enum class JpegStatus {
    Ok,
    NotRgb,  // decodes, but not to RGB (grayscale, CMYK, ...)
    Error,   // the library refused the data; `error` holds its message
};

struct JpegPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first
    std::string error;
};

// Pictures larger than this many pixels are refused before anything is allocated.
inline constexpr std::uint64_t kMaxJpegPixels = std::uint64_t(1) << 26;

JpegStatus DecodeJpeg(const std::uint8_t* data, std::size_t size, JpegPixels& out);
