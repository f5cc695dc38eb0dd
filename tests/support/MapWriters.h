#pragma once

// The tests' own writer of compiled maps (Quake 2 IBSP 38, Quake 1 BSP 29,
// Half-Life BSP 30), laid out from the format's facts and not from the reader, so
// that the reader's tests compare against values known here. Header-only and free
// of the test framework, so benchmarks and the fuzz seed tool use it too.

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "math/Vector3.h"
#include "platform/BinaryIO.h"
#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"

namespace fixtures {

enum class MapKind { Quake2, Quake1, HalfLife };

// Header positions of the lumps the writer fills, per game.
struct MapLumpSlots {
    int entities, planes, textures, vertices, textureInfo, faces, lighting, edges, surfaceEdges, models, count;
};
inline MapLumpSlots MapSlots(MapKind kind) {
    if (kind == MapKind::Quake2) {
        return {0, 1, -1, 2, 5, 6, 7, 11, 12, 13, 19};
    }
    return {0, 1, 2, 3, 6, 7, 8, 12, 13, 14, 15};
}
// Where the header's {offset, length} of lump `slot` lies.
inline std::size_t MapLumpField(MapKind kind, int slot) {
    return (kind == MapKind::Quake2 ? 8u : 4u) + static_cast<std::size_t>(slot) * 8u;
}

class MapWriter {
public:
    // Quake 2 texture info flags.
    static constexpr std::int32_t kLight = 0x1, kSky = 0x4, kWarp = 0x8, kTrans33 = 0x10, kFlowing = 0x40,
                                  kNoDraw = 0x80;

    struct Face {
        std::vector<Vector3> points;  // clockwise seen from the front, as the compilers write them
        std::string texture;
        std::int32_t flags = 0;       // Quake 2 texture info flags
        bool lit = true;
        int styles = 1;               // lightmaps stored for it (lit faces)
        int model = 0;
    };
    // A Quake 1 / Half-Life mip texture of the map: embedded pixels, or only its
    // name and size (the picture lives in a WAD).
    struct Texture {
        std::string name;
        int width = 64;
        int height = 64;
        bool embedded = true;
    };
    struct Model {
        Vector3 mins, maxs, origin;
    };

    explicit MapWriter(MapKind kind) : kind_(kind) {}

    MapKind Kind() const { return kind_; }
    void SetEntities(const std::string& text) { entities_ = text; }
    // Half-Life maps of one expansion store the entity and plane lumps the other way round.
    void SetSwapFirstLumps(bool swap) { swapFirst_ = swap; }
    void AddTexture(const Texture& texture) { textures_.push_back(texture); }
    void AddModel(const Model& model) { models_.push_back(model); }
    // Faces must be added model by model, the world's first.
    void AddFace(const Face& face) { faces_.push_back(face); }

    // The normal a face's points give: clockwise seen from the front.
    static Vector3 NormalOf(const std::vector<Vector3>& p) {
        Vector3 n = (p[2] - p[0]).Cross(p[1] - p[0]);
        n.Normalize();
        return n;
    }
    // The texture axes Quake's compilers give a face by its normal's dominant axis:
    // floors and ceilings s = x, t = -y; walls across X s = y, t = -z; across Y s = x, t = -z.
    static std::pair<Vector3, Vector3> AxesOf(const Vector3& n) {
        const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
        if (az >= ax && az >= ay) {
            return {{1, 0, 0}, {0, -1, 0}};
        }
        if (ax >= ay) {
            return {{0, 1, 0}, {0, 0, -1}};
        }
        return {{1, 0, 0}, {0, 0, -1}};
    }
    // The grey value of luxel `index` of lightmap `style` of face `face`, as written.
    static std::uint8_t Luxel(int face, int style, int index) {
        return static_cast<std::uint8_t>(40 + face * 10 + style * 50 + index);
    }

    ByteBuffer Build() const {
        const MapLumpSlots slots = MapSlots(kind_);
        std::vector<ByteBuffer> lumps(static_cast<std::size_t>(slots.count));
        BinaryWriter planes, vertices, edges, surfaceEdges, faces, info, lighting, models;
        std::map<std::tuple<float, float, float, float, float, float, std::string, std::int32_t>, int> infos;
        edges.WriteU16(0);  // edge 0 cannot be walked backwards: the compilers leave it unused
        edges.WriteU16(0);
        int vertexCount = 0, edgeCount = 1, surfaceEdgeCount = 0, planeCount = 0;
        for (std::size_t f = 0; f < faces_.size(); ++f) {
            const Face& face = faces_[f];
            const Vector3 n = NormalOf(face.points);
            // Every other face stores its plane turned away and says so with its side.
            const bool back = f % 2 == 1;
            const Vector3 stored = back ? -n : n;
            planes.WriteF32(stored.x);
            planes.WriteF32(stored.y);
            planes.WriteF32(stored.z);
            planes.WriteF32(stored.Dot(face.points[0]));
            planes.WriteI32(0);
            const int plane = planeCount++;
            const int firstSurfaceEdge = surfaceEdgeCount;
            const int firstVertex = vertexCount;
            for (const Vector3& p : face.points) {
                vertices.WriteF32(p.x);
                vertices.WriteF32(p.y);
                vertices.WriteF32(p.z);
                ++vertexCount;
            }
            const int count = static_cast<int>(face.points.size());
            for (int k = 0; k < count; ++k) {
                const int a = firstVertex + k;
                const int b = firstVertex + (k + 1) % count;
                // Odd edges are stored the other way and walked backwards.
                if (k % 2 == 1) {
                    edges.WriteU16(static_cast<std::uint16_t>(b));
                    edges.WriteU16(static_cast<std::uint16_t>(a));
                    surfaceEdges.WriteI32(-edgeCount);
                } else {
                    edges.WriteU16(static_cast<std::uint16_t>(a));
                    edges.WriteU16(static_cast<std::uint16_t>(b));
                    surfaceEdges.WriteI32(edgeCount);
                }
                ++edgeCount;
                ++surfaceEdgeCount;
            }
            const auto [s, t] = AxesOf(n);
            const int texinfo = InfoIndex(info, infos, s, t, face);
            faces.WriteU16(static_cast<std::uint16_t>(plane));
            faces.WriteI16(back ? 1 : 0);
            faces.WriteI32(firstSurfaceEdge);
            faces.WriteI16(static_cast<std::int16_t>(count));
            faces.WriteI16(static_cast<std::int16_t>(texinfo));
            for (int style = 0; style < 4; ++style) {
                faces.WriteU8(face.lit && style < face.styles ? static_cast<std::uint8_t>(style) : 255);
            }
            if (!face.lit) {
                faces.WriteI32(-1);
                continue;
            }
            faces.WriteI32(static_cast<std::int32_t>(lighting.Size()));
            const auto [width, height] = LuxelsOf(face, s, t);
            for (int style = 0; style < face.styles; ++style) {
                for (int i = 0; i < width * height; ++i) {
                    const std::uint8_t grey = Luxel(static_cast<int>(f), style, i);
                    lighting.WriteU8(grey);
                    if (kind_ != MapKind::Quake1) {
                        lighting.WriteU8(static_cast<std::uint8_t>(grey / 2));
                        lighting.WriteU8(static_cast<std::uint8_t>(255 - grey));
                    }
                }
            }
        }
        for (std::size_t m = 0; m < models_.size(); ++m) {
            const Model& model = models_[m];
            for (const Vector3& v : {model.mins, model.maxs, model.origin}) {
                models.WriteF32(v.x);
                models.WriteF32(v.y);
                models.WriteF32(v.z);
            }
            models.WriteZeros(kind_ == MapKind::Quake2 ? 4 : 20);
            int first = 0;
            while (first < static_cast<int>(faces_.size()) && faces_[static_cast<std::size_t>(first)].model != static_cast<int>(m)) {
                ++first;
            }
            int count = 0;
            while (first + count < static_cast<int>(faces_.size()) &&
                   faces_[static_cast<std::size_t>(first + count)].model == static_cast<int>(m)) {
                ++count;
            }
            models.WriteI32(count == 0 ? 0 : first);
            models.WriteI32(count);
        }
        ByteBuffer entityText(entities_.begin(), entities_.end());
        entityText.push_back(0);
        lumps[static_cast<std::size_t>(slots.entities)] = entityText;
        lumps[static_cast<std::size_t>(slots.planes)] = planes.Bytes();
        lumps[static_cast<std::size_t>(slots.vertices)] = vertices.Bytes();
        lumps[static_cast<std::size_t>(slots.edges)] = edges.Bytes();
        lumps[static_cast<std::size_t>(slots.surfaceEdges)] = surfaceEdges.Bytes();
        lumps[static_cast<std::size_t>(slots.faces)] = faces.Bytes();
        lumps[static_cast<std::size_t>(slots.textureInfo)] = info.Bytes();
        lumps[static_cast<std::size_t>(slots.lighting)] = lighting.Bytes();
        lumps[static_cast<std::size_t>(slots.models)] = models.Bytes();
        if (slots.textures >= 0) {
            lumps[static_cast<std::size_t>(slots.textures)] = MipLump();
        }
        if (swapFirst_) {
            std::swap(lumps[0], lumps[1]);
        }

        BinaryWriter out;
        if (kind_ == MapKind::Quake2) {
            out.WriteBytes("IBSP", 4);
            out.WriteI32(38);
        } else {
            out.WriteI32(kind_ == MapKind::Quake1 ? 29 : 30);
        }
        const std::size_t directory = out.Size();
        out.WriteZeros(static_cast<std::size_t>(slots.count) * 8);
        for (int slot = 0; slot < slots.count; ++slot) {
            const ByteBuffer& lump = lumps[static_cast<std::size_t>(slot)];
            out.PatchI32(directory + static_cast<std::size_t>(slot) * 8, static_cast<std::int32_t>(out.Size()));
            out.PatchI32(directory + static_cast<std::size_t>(slot) * 8 + 4, static_cast<std::int32_t>(lump.size()));
            out.WriteBytes(lump.data(), lump.size());
            while (out.Size() % 4 != 0) {
                out.WriteU8(0);
            }
        }
        return out.Bytes();
    }

    // The luxel grid of a face: per axis floor(min / 16) to ceil(max / 16), both included.
    static std::pair<int, int> LuxelsOf(const Face& face, const Vector3& s, const Vector3& t) {
        float minS = 1e30f, maxS = -1e30f, minT = 1e30f, maxT = -1e30f;
        for (const Vector3& p : face.points) {
            minS = std::fmin(minS, p.Dot(s));
            maxS = std::fmax(maxS, p.Dot(s));
            minT = std::fmin(minT, p.Dot(t));
            maxT = std::fmax(maxT, p.Dot(t));
        }
        const int width = static_cast<int>(std::ceil(maxS / 16) - std::floor(minS / 16)) + 1;
        const int height = static_cast<int>(std::ceil(maxT / 16) - std::floor(minT / 16)) + 1;
        return {width, height};
    }

    // A mip texture's pixel at (x, y): a pattern that differs per texture, with
    // index 255 (a hole in a masked picture) at (1, 0).
    static std::uint8_t TexturePixel(int texture, int x, int y) {
        if (x == 1 && y == 0) {
            return 255;
        }
        return static_cast<std::uint8_t>((texture * 31 + x + y * 3) % 255);
    }

private:
    int InfoIndex(BinaryWriter& info, std::map<std::tuple<float, float, float, float, float, float, std::string,
                                                          std::int32_t>, int>& infos,
                  const Vector3& s, const Vector3& t, const Face& face) const {
        const auto key = std::make_tuple(s.x, s.y, s.z, t.x, t.y, t.z, face.texture, face.flags);
        if (const auto found = infos.find(key); found != infos.end()) {
            return found->second;
        }
        const int index = static_cast<int>(infos.size());
        infos.emplace(key, index);
        for (const Vector3& axis : {s, t}) {
            info.WriteF32(axis.x);
            info.WriteF32(axis.y);
            info.WriteF32(axis.z);
            info.WriteF32(0.0f);
        }
        if (kind_ == MapKind::Quake2) {
            info.WriteI32(face.flags);
            info.WriteI32(0);
            info.WriteText(face.texture, 32);
            info.WriteI32(-1);
        } else {
            int mip = 0;
            while (mip < static_cast<int>(textures_.size()) && textures_[static_cast<std::size_t>(mip)].name != face.texture) {
                ++mip;
            }
            info.WriteI32(mip);
            info.WriteI32(face.lit ? 0 : 1);
        }
        return index;
    }

    ByteBuffer MipLump() const {
        BinaryWriter lump;
        lump.WriteI32(static_cast<std::int32_t>(textures_.size()));
        const std::size_t table = lump.Size();
        lump.WriteZeros(textures_.size() * 4);
        for (std::size_t i = 0; i < textures_.size(); ++i) {
            const Texture& texture = textures_[i];
            lump.PatchI32(table + i * 4, static_cast<std::int32_t>(lump.Size()));
            lump.WriteText(texture.name, 16);
            lump.WriteU32(static_cast<std::uint32_t>(texture.width));
            lump.WriteU32(static_cast<std::uint32_t>(texture.height));
            if (!texture.embedded) {
                lump.WriteZeros(16);
                continue;
            }
            std::uint32_t at = 40;
            for (int level = 0; level < 4; ++level) {
                lump.WriteU32(at);
                at += static_cast<std::uint32_t>((texture.width >> level) * (texture.height >> level));
            }
            for (int level = 0; level < 4; ++level) {
                for (int y = 0; y < texture.height >> level; ++y) {
                    for (int x = 0; x < texture.width >> level; ++x) {
                        lump.WriteU8(TexturePixel(static_cast<int>(i), x, y));
                    }
                }
            }
            if (kind_ == MapKind::HalfLife) {
                lump.WriteU16(256);
                for (int c = 0; c < 256; ++c) {
                    lump.WriteU8(static_cast<std::uint8_t>(c));
                    lump.WriteU8(static_cast<std::uint8_t>(255 - c));
                    lump.WriteU8(static_cast<std::uint8_t>(c / 2));
                }
            }
        }
        return lump.Bytes();
    }

    MapKind kind_;
    std::string entities_ = "{\n\"classname\" \"worldspawn\"\n}\n";
    bool swapFirst_ = false;
    std::vector<Texture> textures_;
    std::vector<Model> models_;
    std::vector<Face> faces_;
};

// A rectangle from `corner` along `u` then `v`: corner, +u, +u+v, +v; its front
// is the side v x u points to.
inline std::vector<Vector3> MapRectangle(const Vector3& corner, const Vector3& u, const Vector3& v) {
    return {corner, corner + u, corner + u + v, corner + v};
}

// The test room, the same in all three games: a 256 x 256 x 128 room around the
// origin (floor z = 0) seen from inside, its ceiling the sky, a pool of liquid, a
// translucent pane, a door (brush model 1) and two starts. Faces, in order:
//   0 floor (two light styles)  1..4 walls x = -128, x = 128, y = -128, y = 128
//   5 ceiling (sky, unlit)  6 pool surface at z = 16 (liquid, unlit)  7 pane at
//   x = 64 (translucent)  8 door at y = 120 (model 1)  9 a wall of the door with a
//   texture no archive holds.
// Quake 1 and Half-Life make the pane brush model 2 (a func_wall at half opacity:
// "alpha" 0.5; Half-Life rendermode 2, renderamt 85); Quake 2 flags it 33 %
// translucent. Textures: Quake 2 "base/floor", "base/wall", "sky/space" (sky),
// "base/water" (warp), "base/glass", "base/door", "base/nowhere"; Quake 1 "floor",
// "wall", "sky1", "*water", "glass", "door", "nowhere" (not embedded); Half-Life the
// same with "!water", "{grate" for the pane and "door" and "nowhere" left to WADs.
struct MapRoomNames {
    std::string floor, wall, sky, water, glass, door, nowhere;
};
inline MapRoomNames RoomTextureNames(MapKind kind) {
    switch (kind) {
        case MapKind::Quake2:
            return {"base/floor", "base/wall", "sky/space", "base/water", "base/glass", "base/door", "base/nowhere"};
        case MapKind::Quake1:
            return {"floor", "wall", "sky1", "*water", "glass", "door", "nowhere"};
        case MapKind::HalfLife:
            break;
    }
    return {"floor", "wall", "sky", "!water", "{grate", "door", "nowhere"};
}

inline MapWriter WriteRoomMap(MapKind kind, const std::string& worldspawnExtra = "") {
    MapWriter map(kind);
    const MapRoomNames names = RoomTextureNames(kind);
    const bool quake2 = kind == MapKind::Quake2;
    if (!quake2) {
        for (const std::string* name : {&names.floor, &names.wall, &names.sky, &names.water, &names.glass, &names.door,
                                        &names.nowhere}) {
            const bool embedded = name != &names.nowhere && !(kind == MapKind::HalfLife && name == &names.door);
            map.AddTexture({*name, 64, 32, embedded});
        }
    }
    using Face = MapWriter::Face;
    const auto add = [&](std::vector<Vector3> points, const std::string& texture, std::int32_t flags, bool lit,
                         int model, int styles = 1) {
        Face face;
        face.points = std::move(points);
        face.texture = texture;
        face.flags = flags;
        face.lit = lit;
        face.model = model;
        face.styles = styles;
        map.AddFace(face);
    };
    const std::int32_t sky = quake2 ? MapWriter::kSky : 0;
    const std::int32_t warp = quake2 ? MapWriter::kWarp : 0;
    const std::int32_t trans = quake2 ? MapWriter::kTrans33 : 0;
    add(MapRectangle({-128, 128, 0}, {256, 0, 0}, {0, -256, 0}), names.floor, 0, true, 0, 2);
    add(MapRectangle({-128, -128, 128}, {0, 256, 0}, {0, 0, -128}), names.wall, 0, true, 0);
    add(MapRectangle({128, 128, 128}, {0, -256, 0}, {0, 0, -128}), names.wall, 0, true, 0);
    add(MapRectangle({128, -128, 128}, {-256, 0, 0}, {0, 0, -128}), names.wall, 0, true, 0);
    add(MapRectangle({-128, 128, 128}, {256, 0, 0}, {0, 0, -128}), names.wall, 0, true, 0);
    add(MapRectangle({-128, -128, 128}, {256, 0, 0}, {0, 256, 0}), names.sky, sky, false, 0);
    add(MapRectangle({-96, -32, 16}, {64, 0, 0}, {0, -64, 0}), names.water, warp, false, 0);
    const int paneModel = quake2 ? 0 : 2;
    const auto pane = MapRectangle({64, 32, 64}, {0, -64, 0}, {0, 0, -64});
    const auto door = MapRectangle({-32, 120, 96}, {64, 0, 0}, {0, 0, -96});
    const auto doorSide = MapRectangle({32, 128, 96}, {0, -8, 0}, {0, 0, -96});
    if (quake2) {
        add(pane, names.glass, trans, true, 0);
        add(door, names.door, 0, true, 1);
        add(doorSide, names.nowhere, 0, true, 1);
    } else {
        // Faces go model by model: the door (1) before the pane (2).
        add(door, names.door, 0, true, 1);
        add(doorSide, names.nowhere, 0, true, 1);
        add(pane, names.glass, 0, true, paneModel);
    }
    map.AddModel({{-128, -128, 0}, {128, 128, 128}, {0, 0, 0}});
    map.AddModel({{-32, 120, 0}, {32, 128, 96}, {0, 0, 0}});
    if (!quake2) {
        map.AddModel({{64, -32, 0}, {64, 32, 64}, {0, 0, 0}});
    }
    std::string text = "{\n\"classname\" \"worldspawn\"\n\"message\" \"the test room\"\n" + worldspawnExtra + "}\n";
    text += "{\n\"classname\" \"info_player_start\"\n\"origin\" \"64 64 24\"\n\"angle\" \"90\"\n}\n";
    text += "{\n\"classname\" \"info_player_deathmatch\"\n\"origin\" \"-64 -32 24\"\n\"angles\" \"0 180 0\"\n}\n";
    text += "// the door opens upwards\n{\n\"classname\" \"func_door\"\n\"model\" \"*1\"\n\"angle\" \"-1\"\n}\n";
    if (kind == MapKind::Quake1) {
        text += "{\n\"classname\" \"func_wall\"\n\"model\" \"*2\"\n\"alpha\" \"0.5\"\n}\n";
    } else if (kind == MapKind::HalfLife) {
        text += "{\n\"classname\" \"func_wall\"\n\"model\" \"*2\"\n\"rendermode\" \"2\"\n\"renderamt\" \"85\"\n}\n";
    }
    text += "{\n\"classname\" \"light\"\n\"origin\" \"0 0 96\"\n}\n";
    map.SetEntities(text);
    return map;
}

// The sky the room's worldspawn names, per game: Quake 2 "space", Half-Life "desert".
inline std::string RoomWorldspawn(MapKind kind) {
    switch (kind) {
        case MapKind::Quake2:
            return "\"sky\" \"space\"\n";
        case MapKind::Quake1:
            return {};
        case MapKind::HalfLife:
            break;
    }
    return "\"skyname\" \"desert\"\n\"wad\" \"\\sierra\\half-life\\valve\\halflife.wad;c:\\maps\\extra.wad\"\n";
}

// A game installation in miniature below `root` with the room at GAME/maps/room.bsp
// (GAME baseq2, id1 or valve), holding every picture of the room but "nowhere":
//   Quake 2: baseq2/pak0.pak with pics/colormap.pcx (the distinct palette), a
//     64 x 32 WAL per texture whose every index is 10 + its position in the room's
//     names, and the sky env/space{rt,bk,lf,ft,up,dn}.tga (2 x 2, grey 100 + side).
//   Quake 1: id1/pak0.pak with gfx/palette.lmp (the distinct palette).
//   Half-Life: valve/halflife.wad (a WAD3 holding an unused picture), the door in
//     valve/maps/extra.wad beside the map (found through the worldspawn's list
//     only), the sky valve/gfx/env/desert*.tga.
// Returns the game folder's path.
inline std::string WriteRoomGame(MapKind kind, const std::string& root) {
    const MapRoomNames names = RoomTextureNames(kind);
    FolderBuilder folder;
    const auto sky = [](int side) {
        TgaOptions options;
        const auto grey = static_cast<std::uint8_t>(100 + side);
        return WriteTga(2, 2, ByteBuffer(12, grey), options);
    };
    const char* sides[] = {"rt", "bk", "lf", "ft", "up", "dn"};
    std::string game;
    if (kind == MapKind::Quake2) {
        game = "baseq2";
        PakBuilder pak;
        pak.Add("pics/colormap.pcx", WritePcx(8, 8, Indices(64, 0), DistinctPalette()));
        const std::string* textures[] = {&names.floor, &names.wall, &names.sky, &names.water, &names.glass, &names.door};
        for (std::size_t i = 0; i < std::size(textures); ++i) {
            pak.Add("textures/" + *textures[i] + ".wal",
                    WriteWal(64, 32, Indices(64 * 32, static_cast<std::uint8_t>(10 + i))));
        }
        for (int side = 0; side < 6; ++side) {
            pak.Add(std::string("env/space") + sides[side] + ".tga", sky(side));
        }
        folder.Add(game + "/pak0.pak", pak.Build());
    } else if (kind == MapKind::Quake1) {
        game = "id1";
        const Palette768 palette = DistinctPalette();
        PakBuilder pak;
        pak.Add("gfx/palette.lmp", ByteBuffer(palette.begin(), palette.end()));
        folder.Add(game + "/pak0.pak", pak.Build());
    } else {
        game = "valve";
        WadBuilder unused(true);
        unused.AddMip("unused", 16, 16, Indices(256, 1), WadBuilder::Colours(256, {{9, 9, 9}}));
        folder.Add(game + "/halflife.wad", unused.Build());
        WadBuilder extra(true);
        extra.AddMip("door", 32, 16, Indices(512, 7), WadBuilder::Colours(256, {{200, 100, 50}}));
        folder.Add(game + "/maps/extra.wad", extra.Build());
        for (int side = 0; side < 6; ++side) {
            folder.Add(game + "/gfx/env/desert" + sides[side] + ".tga", sky(side));
        }
    }
    folder.Add(game + "/maps/room.bsp", WriteRoomMap(kind, RoomWorldspawn(kind)).Build());
    folder.Write(root);
    return root + "/" + game;
}

}  // namespace fixtures
