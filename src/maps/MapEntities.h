#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "maps/MapData.h"

// The entity lump: a text of `{ "key" "value" ... }` blocks, the first the
// worldspawn. Tokens are quoted strings or bare words, "//" starts a comment to the
// end of the line, and the text ends at its first NUL. A block cut short or a key
// without its value ends the reading; the blocks before it are kept.
std::vector<MapEntity> ParseEntities(std::string_view text);

// Whether the bytes read as an entity lump: the first thing in them, after
// blanks, is the "{" of a block.
bool LooksLikeEntities(std::string_view text);

// Fills the starts, the worldspawn's WAD list and sky name from the entities.
void ReadWorldInfo(MapData& map);
// The entity's "origin" key; zero when it has none or it does not read.
Vector3 EntityOrigin(const MapEntity& entity);

// The surface bits a brush entity's rendering keys give its faces: Half-Life's
// "rendermode" (texture or additive) with "renderamt", a Quake port's "alpha".
std::uint32_t EntityTranslucency(const MapEntity& entity, MapGame game);
