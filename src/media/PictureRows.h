#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the picture readers and the rest of COGLImage share.
namespace picture_rows {

// The palette index that stands for "see through" in the games' pictures.
inline constexpr int kTransparentIndex = 255;

// The largest run-length output one input byte can stand for bounds what a hostile
// header can make us allocate.
inline bool FitsRunLength(std::uint64_t outputs, std::size_t inputBytes, int maxRun) {
    return outputs <= std::uint64_t(inputBytes) * std::uint64_t(maxRun);
}

inline std::uint64_t Area(std::int64_t width, std::int64_t height) {
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
}

void FlipRows(std::vector<std::uint8_t>& pixels, std::size_t rowBytes, int height);
void ShowCouldNotLoad();

}  // namespace picture_rows
