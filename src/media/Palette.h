#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/BinaryIO.h"

// Process-wide colour tables for the image readers: the gamma table, the two
// built-in game palettes and the default palette read from "quake2.pal". The
// application builds them once at start-up, the gamma table first.

using RawPalette = std::array<std::uint8_t, 768>;     // 256 x R, G, B
using PaletteTable = std::array<std::uint8_t, 1024>;  // 256 x 4 bytes

// A palette passed through the gamma table, in both byte orders the readers use.
struct ConvertedPalette {
    PaletteTable rgb{};  // R, G, B, fourth byte
    PaletteTable bgr{};  // B, G, R, fourth byte
    const PaletteTable& Table(bool bgrOrder) const { return bgrOrder ? bgr : rgb; }
};

// The current gamma table (identity until BuildGammaTable is called).
const std::array<std::uint8_t, 256>& GammaTable();
// Rebuilds the gamma table for `gamma` and, from it, the converted tables of both
// built-in palettes. Tables built earlier (the default palette, loaded images)
// keep the values they were made with.
void BuildGammaTable(float gamma);

// The standard game palettes as shipped with the games.
const RawPalette& BuiltInQuake2Palette();
const RawPalette& BuiltInQuake1Palette();
const ConvertedPalette& Quake2Palette();
const ConvertedPalette& Quake1Palette();
// The palette of "quake2.pal", or the built-in Quake 2 palette when none was loaded.
const ConvertedPalette& DefaultPalette();

// Converts 256 entries of `stride` bytes (R, G, B first) through the gamma table;
// the fourth byte is taken from the entry when `stride` is 4, else 0.
ConvertedPalette ConvertPalette(const std::uint8_t* entries, int stride);

// Reads a palette file: JASC text ("JASC-PAL", 100, 256, then 256 lines of
// "R G B") or RIFF ("PAL " "data", version 768, 256 entries of R, G, B, flags).
// Returns 256 x 4 bytes, or nothing when the file is neither or fails a check.
std::optional<PaletteTable> ParsePaletteFile(const ByteBuffer& bytes);

// Start-up: reads "quake2.pal" from the program's directory, else from the per-user
// data directory, into the default palette. When there is none, or it is not a
// palette, says so and keeps the built-in Quake 2 palette. Returns whether the file
// was used.
bool LoadDefaultPalette();
// Forgets a loaded default palette (for tests).
void ResetDefaultPalette();
