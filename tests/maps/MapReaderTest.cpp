// The map reader over the tests' own room in all three games: what it reads,
// where rays meet it, which pictures its game folder gives it, and what it does
// with damaged maps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maps/MapDrawing.h"
#include "maps/MapReader.h"
#include "maps/MapTextures.h"
#include "maps/MapTrace.h"
#include "media/GameFolder.h"
#include "support/MapWriters.h"
#include "support/TestSupport.h"

namespace {
using fixtures::MapKind;
using fixtures::MapWriter;

constexpr MapKind kKinds[] = {MapKind::Quake2, MapKind::Quake1, MapKind::HalfLife};

const char* KindName(MapKind kind) {
    return kind == MapKind::Quake2 ? "Quake 2" : kind == MapKind::Quake1 ? "Quake 1" : "Half-Life";
}

std::shared_ptr<const MapData> ReadRoom(MapKind kind, bool swapFirstLumps = false) {
    MapWriter writer = fixtures::WriteRoomMap(kind, fixtures::RoomWorldspawn(kind));
    writer.SetSwapFirstLumps(swapFirstLumps);
    MapReadResult read = ReadMap(writer.Build(), "room.bsp");
    EXPECT_EQ(read.error, "");
    return read.data;
}

void ExpectVector(const Vector3& actual, const Vector3& expected, const std::string& what) {
    EXPECT_FLOAT_EQ(actual.x, expected.x) << what;
    EXPECT_FLOAT_EQ(actual.y, expected.y) << what;
    EXPECT_FLOAT_EQ(actual.z, expected.z) << what;
}

// Face `face` of the room as the reader gave it, with its game's own order of
// faces: the pane is the last face in Quake 1 and Half-Life (brush model 2).
int PaneIndex(MapKind kind) { return kind == MapKind::Quake2 ? 7 : 9; }
int DoorIndex(MapKind kind) { return kind == MapKind::Quake2 ? 8 : 7; }

}  // namespace

TEST(MapReader, RoomOfEachGameReadsAsWritten) {
    for (const MapKind kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        const auto map = ReadRoom(kind);
        ASSERT_NE(map, nullptr);
        EXPECT_EQ(map->game, kind == MapKind::Quake2 ? MapGame::Quake2
                             : kind == MapKind::Quake1 ? MapGame::Quake1 : MapGame::HalfLife);
        EXPECT_EQ(map->version, kind == MapKind::Quake2 ? 38 : kind == MapKind::Quake1 ? 29 : 30);
        ASSERT_EQ(map->faces.size(), 10u);
        EXPECT_EQ(map->faceLumpCount, 10);
        EXPECT_EQ(map->skippedFaces, 0);

        // Textures in the order faces first use them, each once.
        const fixtures::MapRoomNames names = fixtures::RoomTextureNames(kind);
        std::vector<std::string> used;
        for (const MapTexture& texture : map->textures) {
            used.push_back(texture.name);
        }
        std::vector<std::string> expected = {names.floor, names.wall, names.sky, names.water};
        if (kind == MapKind::Quake2) {
            expected.insert(expected.end(), {names.glass, names.door, names.nowhere});
        } else {
            expected.insert(expected.end(), {names.door, names.nowhere, names.glass});
        }
        EXPECT_EQ(used, expected);

        // The floor: its polygon in the file's winding (odd edges are stored
        // backwards), clockwise seen from above, its plane stored facing up.
        const MapFace& floor = map->faces[0];
        const auto corners = map->Vertices(floor);
        ASSERT_EQ(corners.size(), 4u);
        ExpectVector(corners[0].position, {-128, 128, 0}, "floor 0");
        ExpectVector(corners[1].position, {128, 128, 0}, "floor 1");
        ExpectVector(corners[2].position, {128, -128, 0}, "floor 2");
        ExpectVector(corners[3].position, {-128, -128, 0}, "floor 3");
        ExpectVector(floor.normal, {0, 0, 1}, "floor normal");
        EXPECT_FLOAT_EQ(floor.distance, 0.0f);
        EXPECT_LT((corners[1].position - corners[0].position).Cross(corners[2].position - corners[0].position)
                      .Dot(floor.normal), 0.0f);
        // s = x, t = -y; the luxel grid runs from -8 to 8 luxels on both axes.
        EXPECT_FLOAT_EQ(corners[0].s, -128.0f);
        EXPECT_FLOAT_EQ(corners[0].t, -128.0f);
        EXPECT_EQ(floor.lightWidth, 17);
        EXPECT_EQ(floor.lightHeight, 17);
        EXPECT_EQ(floor.StyleCount(), 2);
        EXPECT_EQ(floor.lightOffset, 0);
        EXPECT_FLOAT_EQ(corners[0].lightS, 0.5f);
        EXPECT_FLOAT_EQ(corners[0].lightT, 0.5f);
        EXPECT_FLOAT_EQ(corners[2].lightS, 16.5f);
        EXPECT_FLOAT_EQ(corners[2].lightT, 16.5f);
        const std::size_t luxel = kind == MapKind::Quake1 ? 1 : 3;
        EXPECT_EQ(map->greyLighting, kind == MapKind::Quake1);
        ASSERT_GE(map->lighting.size(), 17u * 17u * luxel * 2);
        EXPECT_EQ(map->lighting[0], MapWriter::Luxel(0, 0, 0));
        EXPECT_EQ(map->lighting[17 * 17 * luxel], MapWriter::Luxel(0, 1, 0));  // style 1 follows style 0
        if (kind != MapKind::Quake1) {
            EXPECT_EQ(map->lighting[1], MapWriter::Luxel(0, 0, 0) / 2);
        }

        // The first wall's plane is stored facing out, its side turns it in.
        const MapFace& wall = map->faces[1];
        ExpectVector(wall.normal, {1, 0, 0}, "wall normal");
        EXPECT_FLOAT_EQ(wall.distance, -128.0f);
        EXPECT_EQ(wall.lightWidth, 17);  // s = y from -128 to 128
        EXPECT_EQ(wall.lightHeight, 9);  // t = -z from -128 to 0
        EXPECT_EQ(wall.lightOffset, static_cast<std::int32_t>(17 * 17 * 2 * luxel));
        EXPECT_FLOAT_EQ(map->Vertices(wall)[0].lightT, 0.5f);   // z = 128: t = -128, the grid's top
        EXPECT_FLOAT_EQ(map->Vertices(wall)[2].lightT, 8.5f);   // z = 0

        const MapFace& sky = map->faces[5];
        EXPECT_NE(sky.flags & map_surface::kSky, 0u);
        EXPECT_FALSE(sky.HasLightmap());
        EXPECT_EQ(sky.lightWidth, 0);
        EXPECT_NE(map->faces[6].flags & map_surface::kLiquid, 0u);
        EXPECT_FALSE(map->faces[6].HasLightmap());

        // The pane: translucent by its flag (Quake 2) or its entity's keys.
        const MapFace& pane = map->faces[static_cast<std::size_t>(PaneIndex(kind))];
        EXPECT_EQ(pane.flags & (map_surface::kTranslucent33 | map_surface::kTranslucent66), map_surface::kTranslucent33);
        EXPECT_EQ((pane.flags & map_surface::kMasked) != 0, kind == MapKind::HalfLife);
        EXPECT_EQ(pane.model, kind == MapKind::Quake2 ? 0 : 2);
        EXPECT_EQ(pane.lightWidth, 5);
        EXPECT_EQ(pane.lightHeight, 5);

        // The door: brush model 1, two faces, the entity that names it.
        const MapFace& door = map->faces[static_cast<std::size_t>(DoorIndex(kind))];
        EXPECT_EQ(door.model, 1);
        ExpectVector(door.normal, {0, -1, 0}, "door normal");
        EXPECT_EQ(door.lightWidth, 5);
        EXPECT_EQ(door.lightHeight, 7);
        ASSERT_EQ(map->models.size(), kind == MapKind::Quake2 ? 2u : 3u);
        EXPECT_EQ(map->models[1].firstFace, static_cast<std::uint32_t>(DoorIndex(kind)));
        EXPECT_EQ(map->models[1].faceCount, 2u);
        EXPECT_EQ(map->models[0].faceCount, kind == MapKind::Quake2 ? 8u : 7u);
        ExpectVector(map->models[1].maxs, {32, 128, 96}, "door maxs");

        ASSERT_EQ(map->entities.size(), kind == MapKind::Quake2 ? 5u : 6u);
        EXPECT_EQ(map->Worldspawn()->Value("message"), "the test room");
        EXPECT_EQ(map->BrushModelOf(map->entities[3]), 1);
        ASSERT_EQ(map->starts.size(), 2u);
        EXPECT_EQ(map->starts[0].className, "info_player_start");
        ExpectVector(map->starts[0].origin, {64, 64, 24}, "start 0");
        EXPECT_FLOAT_EQ(map->starts[0].yaw, 90.0f);
        EXPECT_EQ(map->starts[1].className, "info_player_deathmatch");
        ExpectVector(map->starts[1].origin, {-64, -32, 24}, "start 1");
        EXPECT_FLOAT_EQ(map->starts[1].yaw, 180.0f);  // from "angles"

        EXPECT_EQ(map->skyName, kind == MapKind::Quake2 ? "space" : kind == MapKind::HalfLife ? "desert" : "");
        const std::vector<std::string> wads = {"halflife.wad", "extra.wad"};
        EXPECT_EQ(map->wads, kind == MapKind::HalfLife ? wads : std::vector<std::string>());
    }
    // A Half-Life map with its first two lumps swapped reads the same.
    const auto swapped = ReadRoom(MapKind::HalfLife, true);
    ASSERT_NE(swapped, nullptr);
    EXPECT_EQ(swapped->entities.size(), 6u);
    EXPECT_EQ(swapped->faces.size(), 10u);
    ExpectVector(swapped->faces[1].normal, {1, 0, 0}, "swapped wall normal");
}

TEST(MapReader, TracesMeetTheFacesTheGameDraws) {
    const auto map = ReadRoom(MapKind::Quake2);
    ASSERT_NE(map, nullptr);
    const Vector3 down{0, 0, -1};
    auto hit = Trace(*map, {0, 0, 100}, down, 1000);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->face, 0);
    EXPECT_FLOAT_EQ(hit->distance, 100.0f);
    ExpectVector(hit->point, {0, 0, 0}, "floor hit");
    // Above the pool: the liquid stops the ray unless it is passed through.
    hit = Trace(*map, {-64, -64, 100}, down * 5.0f, 1000);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->face, 6);
    EXPECT_FLOAT_EQ(hit->distance, 84.0f);
    MapTraceOptions solid;
    solid.skipFlags |= map_surface::kLiquid;
    hit = Trace(*map, {-64, -64, 100}, down, 1000, solid);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->face, 0);
    // From above the room the sky is seen from behind and lets the ray in.
    hit = Trace(*map, {0, 0, 200}, down, 1000);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->face, 0);
    EXPECT_FALSE(Trace(*map, {0, 0, 200}, down, 150));
    // Towards the door, then without brush models, the wall behind it.
    hit = Trace(*map, {0, 0, 48}, {0, 1, 0}, 1000);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->face, 8);
    EXPECT_FLOAT_EQ(hit->distance, 120.0f);
    MapTraceOptions worldOnly;
    worldOnly.brushModels = false;
    hit = Trace(*map, {0, 0, 48}, {0, 1, 0}, 1000, worldOnly);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->face, 4);
    ExpectVector(hit->normal, {0, -1, 0}, "wall hit normal");
    EXPECT_FALSE(Trace(*map, {0, 0, 48}, {0, 0, 0}, 1000));

    // A door built round an origin brush is stored about the map's origin and
    // stands at its entity's origin, for drawing and for traces alike.
    for (const MapKind kind : {MapKind::Quake2, MapKind::HalfLife}) {
        MapWriter writer(kind);
        writer.AddTexture({"door"});
        writer.AddModel({{-64, -64, -8}, {64, 64, 0}, {0, 0, 0}});
        writer.AddModel({{-32, -4, -48}, {32, 4, 48}, {0, 0, 0}});
        writer.AddFace({fixtures::MapRectangle({-64, 64, 0}, {128, 0, 0}, {0, -128, 0}), "door", 0, false, 1, 0});
        writer.AddFace({fixtures::MapRectangle({-32, 0, 48}, {64, 0, 0}, {0, 0, -96}), "door", 0, false, 1, 1});
        writer.SetEntities("{\n\"classname\" \"worldspawn\"\n}\n{\n\"classname\" \"func_door_rotating\"\n"
                           "\"model\" \"*1\"\n\"origin\" \"8 120 48\"\n}\n");
        const MapReadResult read = ReadMap(writer.Build(), "rotating.bsp");
        ASSERT_TRUE(read.data) << read.error;
        ASSERT_EQ(read.data->faces.size(), 2u);
        const MapFace& door = read.data->faces[1];
        ExpectVector(read.data->Vertices(door)[0].position, {-24, 120, 96}, "door corner");
        hit = Trace(*read.data, {8, 0, 48}, {0, 1, 0}, 1000);
        ASSERT_TRUE(hit);
        EXPECT_EQ(hit->face, 1);
        EXPECT_FLOAT_EQ(hit->distance, 120.0f);
    }
}

TEST(MapTextures, RoomPicturesResolveThroughItsGameFolder) {
    for (const MapKind kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        TempDir dir;
        const std::string gamePath = fixtures::WriteRoomGame(kind, dir.Path());
        GameFolder game;
        ASSERT_TRUE(game.Open(gamePath));
        const auto bytes = ReadWholeFile(gamePath + "/maps/room.bsp");
        ASSERT_TRUE(bytes);
        const MapReadResult read = ReadMap(*bytes, "room.bsp");
        ASSERT_NE(read.data, nullptr) << read.error;
        const MapData& map = *read.data;
        const MapPictures pictures = ResolveMapPictures(map, {&game}, gamePath + "/maps");
        ASSERT_EQ(pictures.textures.size(), map.textures.size());
        const std::vector<std::string> missing = {kind == MapKind::Quake2 ? "base/nowhere" : "nowhere"};
        EXPECT_EQ(pictures.missing, missing);
        const fixtures::Palette768 distinct = fixtures::DistinctPalette();
        const MapPicture& floor = pictures.textures[0];
        if (kind == MapKind::Quake2) {
            // The WAL's index 10 in the game's palette (colormap.pcx), not the built-in one.
            ASSERT_EQ(floor.width, 64);
            ASSERT_EQ(floor.height, 32);
            EXPECT_EQ(floor.rgba[0], distinct[30]);
            EXPECT_EQ(floor.rgba[1], distinct[31]);
            EXPECT_EQ(floor.rgba[2], distinct[32]);
            EXPECT_EQ(floor.rgba[3], 255);
        } else {
            // The embedded pixels, top row first: index 0 at (0, 0), 255 at (1, 0).
            ASSERT_EQ(floor.width, 64);
            ASSERT_EQ(floor.height, 32);
            if (kind == MapKind::Quake1) {
                EXPECT_EQ(floor.rgba[0], distinct[0]);  // gfx/palette.lmp of the game
                EXPECT_EQ(floor.rgba[1], distinct[1]);
                EXPECT_EQ(floor.rgba[4 + 3], 255);
            } else {
                EXPECT_EQ(floor.rgba[0], 0);  // the map's own palette: index c is (c, 255 - c, c / 2)
                EXPECT_EQ(floor.rgba[1], 255);
                EXPECT_EQ(floor.rgba[4 + 3], 255);  // index 255 is a hole only in "{" pictures
            }
            // The row below starts at index 3.
            const std::size_t below = 64 * 4;
            EXPECT_EQ(floor.rgba[below + 0], kind == MapKind::Quake1 ? distinct[9] : 3);
        }
        if (kind == MapKind::HalfLife) {
            const MapPicture& grate = pictures.textures[6];
            ASSERT_TRUE(grate.HasPixels());
            EXPECT_EQ(grate.rgba[3], 255);
            EXPECT_EQ(grate.rgba[4 + 3], 0);
            // The door, from extra.wad beside the map, as the worldspawn's list names it.
            const MapPicture& door = pictures.textures[4];
            ASSERT_EQ(door.width, 32);
            EXPECT_EQ(door.rgba[0], 200);
            EXPECT_EQ(door.rgba[1], 100);
        }
        EXPECT_EQ(pictures.HasSky(), kind != MapKind::Quake1);
        if (pictures.HasSky()) {
            EXPECT_EQ(pictures.sky[4].width, 2);
            EXPECT_EQ(pictures.sky[4].rgba[0], 104);  // "up"
        }
        // Without its game only the embedded pictures are found.
        const MapPictures alone = ResolveMapPictures(map, {}, "");
        EXPECT_EQ(alone.missing.size(), kind == MapKind::Quake2 ? 7u : kind == MapKind::Quake1 ? 1u : 2u);
        EXPECT_FALSE(alone.HasSky());
    }
}

TEST(MapReader, DamagedMapsAreRefusedOrLoseOnlyTheirBadFaces) {
    const MapKind kind = MapKind::Quake1;
    const fixtures::MapLumpSlots slots = fixtures::MapSlots(kind);
    const ByteBuffer good = fixtures::WriteRoomMap(kind).Build();
    const auto lumpOffset = [&](int slot) {
        return static_cast<std::size_t>(fixtures::ReadI32At(good, fixtures::MapLumpField(kind, slot)));
    };
    const auto refusal = [](ByteBuffer bytes) { return ReadMap(std::move(bytes), "maps/room.bsp").error; };
    const std::string damaged = "The map maps/room.bsp is damaged: ";

    EXPECT_EQ(refusal(ByteBuffer{'h', 'e', 'l', 'l', 'o', '!', '!', '!'}),
              "The map maps/room.bsp is not a Quake 2, Quake 1 or Half-Life map.");
    ByteBuffer quake2 = fixtures::WriteRoomMap(MapKind::Quake2).Build();
    fixtures::PatchI32(quake2, 4, 37);
    EXPECT_EQ(refusal(quake2), "The map maps/room.bsp is not a Quake 2, Quake 1 or Half-Life map.");
    EXPECT_EQ(refusal(ByteBuffer(good.begin(), good.begin() + 40)),
              "The map maps/room.bsp is not a Quake 2, Quake 1 or Half-Life map.");

    ByteBuffer bytes = good;
    fixtures::PatchI32(bytes, fixtures::MapLumpField(kind, slots.faces) + 4, 1 << 30);
    EXPECT_EQ(refusal(bytes), damaged + "its face lump runs past the end of the file.");
    bytes = good;
    fixtures::PatchI32(bytes, fixtures::MapLumpField(kind, slots.edges), -4);
    EXPECT_EQ(refusal(bytes), damaged + "its edge lump runs past the end of the file.");
    bytes = good;
    fixtures::PatchI32(bytes, fixtures::MapLumpField(kind, slots.planes) + 4,
                     fixtures::ReadI32At(good, fixtures::MapLumpField(kind, slots.planes) + 4) - 1);
    EXPECT_EQ(refusal(bytes), damaged + "its plane lump does not hold whole records.");
    bytes = good;
    fixtures::PatchI32(bytes, fixtures::MapLumpField(kind, slots.models) + 4, 0);
    EXPECT_EQ(refusal(bytes), damaged + "its model lump is empty.");
    bytes = good;
    fixtures::PatchI32(bytes, lumpOffset(slots.textures), 1 << 24);
    EXPECT_EQ(refusal(bytes), damaged + "its texture lump lists more textures than it holds.");
    bytes = good;
    for (std::size_t face = 0; face < 10; ++face) {
        bytes[lumpOffset(slots.faces) + face * 20] = 0xFF;  // plane 0xFFxx: past the planes
        bytes[lumpOffset(slots.faces) + face * 20 + 1] = 0xFF;
    }
    EXPECT_EQ(refusal(bytes), damaged + "none of its faces can be drawn.");

    // Faces that do not check are left out and counted; the rest stand.
    bytes = good;
    const std::size_t faces = lumpOffset(slots.faces);
    fixtures::PatchI32(bytes, faces + 1 * 20 + 4, 1000);          // wall: surface edges past the lump
    fixtures::PatchI32(bytes, faces + 2 * 20 + 16, 1 << 20);      // wall: lightmap past the lighting
    bytes[faces + 3 * 20 + 10] = 0xFF;                           // wall: texture info -1
    bytes[faces + 3 * 20 + 11] = 0xFF;
    // The pane's first surface edge names an edge past the edge lump.
    const std::size_t paneEdges = lumpOffset(slots.surfaceEdges) +
                                  static_cast<std::size_t>(fixtures::ReadI32At(good, faces + 9 * 20 + 4)) * 4;
    fixtures::PatchI32(bytes, paneEdges, -100000);
    const MapReadResult read = ReadMap(bytes, "maps/room.bsp");
    ASSERT_NE(read.data, nullptr) << read.error;
    EXPECT_EQ(read.data->faceLumpCount, 10);
    EXPECT_EQ(read.data->skippedFaces, 4);
    ASSERT_EQ(read.data->faces.size(), 6u);
    EXPECT_EQ(read.data->models[0].faceCount, 4u);
    EXPECT_EQ(read.data->models[1].firstFace, 4u);
    EXPECT_EQ(read.data->models[2].faceCount, 0u);

    // A brush model whose faces another model holds claims none: the pane then
    // belongs to no model and is left out.
    bytes = good;
    fixtures::PatchI32(bytes, lumpOffset(slots.models) + 2 * 64 + 56, 7);
    const MapReadResult overlapping = ReadMap(bytes, "maps/room.bsp");
    ASSERT_NE(overlapping.data, nullptr) << overlapping.error;
    EXPECT_EQ(overlapping.data->skippedFaces, 1);
    EXPECT_EQ(overlapping.data->models[1].faceCount, 2u);
    EXPECT_EQ(overlapping.data->models[2].faceCount, 0u);

    // A lit face larger than the games' 18 luxels is left out too.
    MapWriter wide = fixtures::WriteRoomMap(kind);
    MapWriter::Face big;
    big.points = fixtures::MapRectangle({-160, 128, 8}, {288, 0, 0}, {0, -64, 0});  // 19 luxels across
    big.texture = "floor";
    big.model = 2;
    wide.AddFace(big);
    const MapReadResult wideRead = ReadMap(wide.Build(), "wide.bsp");
    ASSERT_NE(wideRead.data, nullptr) << wideRead.error;
    EXPECT_EQ(wideRead.data->faceLumpCount, 11);
    EXPECT_EQ(wideRead.data->skippedFaces, 1);

    // Faces far beyond any real map still draw: a liquid 2e18 units across is cut
    // into 32 x 32 cells of two triangles each rather than 64-unit ones.
    MapWriter far(MapKind::Quake2);
    MapWriter::Face sea;
    sea.points = fixtures::MapRectangle({-1e18f, 1e18f, 0}, {2e18f, 0, 0}, {0, -2e18f, 0});
    sea.texture = "base/water";
    sea.flags = MapWriter::kWarp;
    sea.lit = false;
    far.AddFace(sea);
    far.AddModel({{-1e18f, -1e18f, 0}, {1e18f, 1e18f, 0}, {0, 0, 0}});
    far.SetEntities("{\n\"classname\" \"worldspawn\"\n}\n");
    const MapReadResult farRead = ReadMap(far.Build(), "far.bsp");
    ASSERT_NE(farRead.data, nullptr) << farRead.error;
    const MapDrawing drawing(farRead.data, MapPictures{});
    EXPECT_EQ(drawing.TriangleCount(), 2u * 32u * 32u);
}
