#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes a Windows bitmap of any kind the desktop reads (1 to 32 bits, OS/2 and
// Windows headers, run-length encoded 4- and 8-bit, bit fields) into 8-bit RGB
// pixels, bottom row first as bitmaps and textures keep them. Returns false for
// anything it cannot read.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, int& width, int& height, std::vector<std::uint8_t>& rgb);
