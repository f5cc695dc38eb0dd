#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "maps/MapData.h"

class Archive;

// The pictures a map's faces and sky are drawn with, found as its game finds them;
// no GL. A picture not found (or that does not decode) is left empty and its
// texture's name listed: the drawing shows a checker in its place.

struct MapPicture {
    int width = 0;
    int height = 0;
    // R, G, B, A per texel, the picture's top row first (where t = 0).
    std::vector<std::uint8_t> rgba;
    bool HasPixels() const { return !rgba.empty(); }
};

// The sky box's sides in the order the games name them: env/NAMErt ... NAMEdn.
inline constexpr std::array<const char*, 6> kMapSkySides{"rt", "bk", "lf", "ft", "up", "dn"};

struct MapPictures {
    std::vector<MapPicture> textures;  // one per MapData::textures
    std::vector<std::string> missing;  // names of the textures not found, in texture order
    // The sky box, in kMapSkySides order; all empty unless every side was found.
    std::array<MapPicture, 6> sky;
    bool HasSky() const { return sky[0].HasPixels(); }
};

// Finds every texture of the map and its sky box in `archives` (the scene's
// archives and game folders, first asked first; may be empty) and, for a map read
// from disk, `mapFolder` (its folder, where a Half-Life map's WADs may lie; empty
// for a map inside an archive):
//   Quake 2: textures/NAME.wal with the game's palette (pics/colormap.pcx of the
//     archive holding it); the sky env/SKYrt.tga (or .pcx) ...
//   Quake 1: the map's own pictures with the game's palette (gfx/palette.lmp from
//     the archives, else the built-in one), else a WAD's picture of that name.
//   Half-Life: the map's own pictures with their palettes, else a WAD's picture of
//     that name: the archives' WADs, then those the worldspawn lists, found as
//     NAME.wad in the archives or in `mapFolder`; "{" pictures keep index 255 as a
//     hole. The sky gfx/env/SKYrt.tga ...
// Nothing here shows a message: what failed is in `missing`.
MapPictures ResolveMapPictures(const MapData& map, const std::vector<Archive*>& archives, const std::string& mapFolder);

// The game folder a map on disk lies in (".../baseq2/maps/x.bsp"), opened; nothing
// when the map is not in a game's maps folder.
std::unique_ptr<Archive> OpenEnclosingGame(const std::string& mapPath);
