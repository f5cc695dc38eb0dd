#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "maps/MapData.h"

// The cuts a map's liquids may make in all; faces after that are drawn whole.
inline constexpr std::size_t kMostLiquidCuts = std::size_t{1} << 16;

// A convex face cut into cells by the planes x, y, z = multiples of 64 map units,
// as the games cut their liquids so that a ripple bends the picture across them;
// a face wider than 32 cells gets bigger ones. Every piece keeps the face's winding
// and carries its picture and lightmap coordinates. `budget` is the cuts the map
// may still make, and goes down by those made.
std::vector<std::vector<MapVertex>> CutIntoCells(std::span<const MapVertex> polygon, std::size_t& budget);
