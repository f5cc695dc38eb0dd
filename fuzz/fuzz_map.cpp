// The map reader over arbitrary bytes, then what the drawing and the tools do with
// a map that reads: its pictures found through a small WAD, its lightmaps packed
// and faces batched (liquids cut into cells) as the drawing makes them before any
// GL, and rays traced through it. Reading ends (a map or one of the map messages)
// without touching memory outside the input; every face the reader keeps stays
// inside the data it gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "maps/MapCells.h"
#include "maps/MapDrawing.h"
#include "maps/MapReader.h"
#include "maps/MapTextures.h"
#include "maps/MapTrace.h"
#include "media/WadArchive.h"

namespace {

// A WAD3 holding one 16 x 16 mip texture named "floor", made once.
WadArchive& SmallWad() {
    static WadArchive wad;
    static const bool opened = [] {
        BinaryWriter lump;
        lump.WriteText("floor", 16);
        lump.WriteU32(16);
        lump.WriteU32(16);
        std::uint32_t at = 40;
        for (int level = 0; level < 4; ++level) {
            lump.WriteU32(at);
            at += static_cast<std::uint32_t>((16 >> level) * (16 >> level));
        }
        lump.WriteZeros(at - 40);
        lump.WriteU16(256);
        lump.WriteZeros(768);
        BinaryWriter file;
        file.WriteBytes("WAD3", 4);
        file.WriteI32(1);
        file.WriteI32(static_cast<std::int32_t>(12 + lump.Size()));
        file.WriteBytes(lump.Bytes().data(), lump.Size());
        file.WriteI32(12);
        file.WriteI32(static_cast<std::int32_t>(lump.Size()));
        file.WriteI32(static_cast<std::int32_t>(lump.Size()));
        file.WriteU8(WadArchive::kTypeMipWad3);
        file.WriteU8(0);
        file.WriteU16(0);
        file.WriteText("floor", 16);
        return wad.OpenBytes("small.wad", file.Bytes());
    }();
    (void)opened;
    return wad;
}

void Check(const MapData& map) {
    for (const MapFace& face : map.faces) {
        if (face.vertexCount < 3 || face.firstVertex + static_cast<std::uint64_t>(face.vertexCount) > map.vertices.size() ||
            face.texture < 0 || static_cast<std::size_t>(face.texture) >= map.textures.size() || face.model < 0 ||
            static_cast<std::size_t>(face.model) >= map.models.size()) {
            std::abort();
        }
        if (face.HasLightmap()) {
            const std::uint64_t bytes = static_cast<std::uint64_t>(face.StyleCount()) *
                                        static_cast<std::uint64_t>(face.lightWidth) *
                                        static_cast<std::uint64_t>(face.lightHeight) * (map.greyLighting ? 1u : 3u);
            if (face.lightWidth <= 0 || face.lightHeight <= 0 || face.lightWidth > map_format::kMaxLuxels ||
                face.lightHeight > map_format::kMaxLuxels ||
                static_cast<std::uint64_t>(face.lightOffset) + bytes > map.lighting.size()) {
                std::abort();
            }
        }
    }
    for (const MapTexture& texture : map.textures) {
        if (!texture.indexes.empty() &&
            texture.indexes.size() != static_cast<std::size_t>(texture.width) * static_cast<std::size_t>(texture.height)) {
            std::abort();
        }
    }
    for (const MapBrushModel& model : map.models) {
        if (model.firstFace + static_cast<std::uint64_t>(model.faceCount) > map.faces.size()) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    const MapReadResult read = ReadMap(ByteBuffer(data, data + size), "fuzz.bsp");
    if (!read.data) {
        if (read.error.empty()) {
            std::abort();
        }
        return 0;
    }
    const MapData& map = *read.data;
    Check(map);
    const MapPictures pictures = ResolveMapPictures(map, {&SmallWad()}, "");
    if (pictures.textures.size() != map.textures.size()) {
        std::abort();
    }
    const MapDrawing drawing(read.data, pictures);
    if (drawing.TriangleCount() > map.vertices.size() + kMostLiquidCuts * 2) {
        std::abort();  // a fan per face, a cell per cut: nothing else adds triangles
    }
    // A few starts are enough: each trace walks every face.
    for (std::size_t i = 0; i < map.starts.size() && i < 4; ++i) {
        Trace(map, map.starts[i].origin, {0, 0, -1}, 4096);
    }
    Trace(map, {0, 0, 0}, {1, 1, -1}, 1e9f, MapTraceOptions{0, false});
    return 0;
}
