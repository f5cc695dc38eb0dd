#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"

// A compiled map as plain checked data: what the map's drawing, its texture
// resolution, the hit tests and the command line need, with nothing of GL or the
// scene. Positions are in the game's own coordinates (Quake units, Z up), the axes
// the game's models use.

enum class MapGame { Quake2, Quake1, HalfLife };
// "Quake 2", "Quake", "Half-Life", as the game folders name them.
const char* MapGameName(MapGame game);

// What a face's surface is, whichever game said so: Quake 2 by its texture info's
// flags, Quake 1 and Half-Life by the texture's name ("sky...", "*...", "!...",
// "{...") and the texture info's no-lightmap flag.
namespace map_surface {
inline constexpr std::uint32_t kSky = 1u << 0;
inline constexpr std::uint32_t kLiquid = 1u << 1;          // warped: water, slime, lava
inline constexpr std::uint32_t kTranslucent33 = 1u << 2;   // drawn at a third of its opacity
inline constexpr std::uint32_t kTranslucent66 = 1u << 3;   // drawn at two thirds
inline constexpr std::uint32_t kMasked = 1u << 4;          // Half-Life "{": index 255 is a hole
inline constexpr std::uint32_t kNoDraw = 1u << 5;          // never drawn (Quake 2's no-draw)
inline constexpr std::uint32_t kFlowing = 1u << 6;         // Quake 2: the texture scrolls
inline constexpr std::uint32_t kLight = 1u << 7;           // Quake 2: the surface emits light
}  // namespace map_surface

struct MapVertex {
    Vector3 position;
    // Texture coordinates in texels of the face's texture (s across, t down from
    // the picture's top row).
    float s = 0.0f;
    float t = 0.0f;
    // Lightmap coordinates in luxels from the face's lightmap origin, half a luxel
    // in: (s - min * 16 + 8) / 16. Zero for a face without a lightmap.
    float lightS = 0.0f;
    float lightT = 0.0f;
};

struct MapFace {
    int model = 0;                 // 0 the world, N brush model N
    std::uint32_t firstVertex = 0;  // into MapData::vertices
    std::uint32_t vertexCount = 0;  // at least 3, in the file's winding
    int texture = 0;               // into MapData::textures
    std::uint32_t flags = 0;       // map_surface bits
    Vector3 normal;                // the plane's normal, turned to the side the face looks at
    float distance = 0.0f;         // of the plane along `normal`: dot(normal, p) == distance on the face
    // Light styles in use, 255 ending the list; style 0 is the normal light.
    std::array<std::uint8_t, 4> styles{255, 255, 255, 255};
    // Byte offset of the face's first lightmap in MapData::lighting; -1 when the
    // face has none (then lightWidth and lightHeight are 0).
    std::int32_t lightOffset = -1;
    int lightWidth = 0;   // luxels across (s)
    int lightHeight = 0;  // luxels down (t)
    // The luxel grid's origin in texels: (floor(min s / 16) * 16, floor(min t / 16) * 16).
    float lightOriginS = 0.0f;
    float lightOriginT = 0.0f;

    bool HasLightmap() const { return lightOffset >= 0; }
    // How many lightmaps the face stores one after another (one per style in use).
    int StyleCount() const;
};

struct MapTexture {
    std::string name;  // lower case, as faces use it (Quake 2 without "textures/" and ".wal")
    // Sizes in texels: from the map for Quake 1 and Half-Life; for Quake 2 those of
    // its picture, known once it is resolved (0 here).
    int width = 0;
    int height = 0;
    // Quake 1 and Half-Life: mip level 0 embedded in the map (width x height
    // palette indexes, top row first), empty when the map leaves the picture to a
    // WAD or its bytes did not check.
    ByteBuffer indexes;
    // Half-Life: the embedded picture's own palette (256 x R, G, B).
    std::optional<std::array<std::uint8_t, 768>> palette;
};

struct MapEntity {
    std::vector<std::pair<std::string, std::string>> pairs;  // in file order
    // The first value of `key` (keys without regard to case), or "" when none.
    const std::string& Value(const std::string& key) const;
    bool Has(const std::string& key) const;
};

struct MapStart {
    std::string className;  // info_player_start, info_player_deathmatch, ...
    Vector3 origin;
    float yaw = 0.0f;  // degrees about Z, 0 looking along +X
};

struct MapBrushModel {
    Vector3 mins;
    Vector3 maxs;
    Vector3 origin;
    // Its faces in MapData::faces (faces that were skipped are not counted).
    std::uint32_t firstFace = 0;
    std::uint32_t faceCount = 0;
};

struct MapData {
    MapGame game = MapGame::Quake2;
    int version = 0;  // 38, 29 or 30 as the header says

    std::vector<MapFace> faces;  // in face lump order, skipped faces left out
    std::vector<MapVertex> vertices;
    std::vector<MapTexture> textures;
    // The lighting lump as stored: R, G, B per luxel (Quake 2, Half-Life) or one
    // grey byte per luxel (Quake 1, `greyLighting`).
    ByteBuffer lighting;
    bool greyLighting = false;

    std::vector<MapEntity> entities;  // the first is the worldspawn
    std::vector<MapStart> starts;     // in file order
    std::vector<MapBrushModel> models;  // model 0 is the world

    // Worldspawn: Half-Life's "wad" list as base names ("halflife.wad"), in order;
    // the sky's name (Quake 2 "sky", Half-Life "skyname"), empty when none.
    std::vector<std::string> wads;
    std::string skyName;

    int faceLumpCount = 0;  // faces the face lump holds, skipped ones included
    int skippedFaces = 0;   // faces left out because they did not check

    std::span<const MapVertex> Vertices(const MapFace& face) const {
        return {vertices.data() + face.firstVertex, face.vertexCount};
    }
    const MapEntity* Worldspawn() const { return entities.empty() ? nullptr : &entities.front(); }
    // The brush model an entity's "model" key names ("*N"), or -1.
    int BrushModelOf(const MapEntity& entity) const;
};

// A map that reads, or the message that says why it does not ("The map NAME is
// not a Quake 2, Quake 1 or Half-Life map.", "The map NAME is damaged: ...").
struct MapReadResult {
    std::shared_ptr<const MapData> data;
    std::string error;
};
