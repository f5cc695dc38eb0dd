#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes a Windows bitmap of any depth the decoder library reads into 8-bit RGB
// pixels, top row first. Returns false for anything it cannot read.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, int& width, int& height, std::vector<std::uint8_t>& rgb);
