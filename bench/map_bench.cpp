// Opening a real-sized Quake 2 map: 9,000 lit faces (about 2.5 MB, its textures
// in a pak of the game) read into checked data with every texture found and
// decoded through the game's palette - goal under 300 ms, and the memory it holds
// under 64 MB (held_MB: the map's data and its pictures; peak_growth_MB: how far
// the process's peak rose while opening, 0 while freed memory from writing the map
// covers it). The pak is opened once, as the scene holds it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "BenchHost.h"
#include "PeakMemory.h"
#include "maps/MapReader.h"
#include "maps/MapTextures.h"
#include "media/CPakFile.h"
#include "support/MapWriters.h"
#include "support/MediaWriters.h"

namespace {
constexpr int kFaces = 9000;
constexpr int kTextures = 60;

std::string TextureName(int i) { return "bench/t" + std::to_string(i % kTextures); }

// Floors and walls of 112 x 96 units on a grid, lit (8 x 7 luxels), one texture
// of 60 per face in turn.
ByteBuffer BenchMap() {
    fixtures::MapWriter map(fixtures::MapKind::Quake2);
    for (int i = 0; i < kFaces; ++i) {
        const Vector3 base{static_cast<float>(i % 100) * 128.0f, static_cast<float>(i / 100) * 128.0f,
                           static_cast<float>(i % 7) * 16.0f};
        fixtures::MapWriter::Face face;
        switch (i % 3) {
            case 0:
                face.points = fixtures::MapRectangle(base, {112, 0, 0}, {0, -96, 0});
                break;
            case 1:
                face.points = fixtures::MapRectangle(base, {0, 112, 0}, {0, 0, -96});
                break;
            default:
                face.points = fixtures::MapRectangle(base, {-112, 0, 0}, {0, 0, -96});
                break;
        }
        face.texture = TextureName(i);
        face.styles = i % 10 == 0 ? 2 : 1;
        map.AddFace(face);
    }
    map.AddModel({{0, 0, 0}, {12800, 11520, 256}, {0, 0, 0}});
    map.SetEntities("{\n\"classname\" \"worldspawn\"\n\"sky\" \"unit1_\"\n}\n"
                    "{\n\"classname\" \"info_player_start\"\n\"origin\" \"64 64 24\"\n}\n");
    return map.Build();
}

struct Fixture {
    std::string dir;
    ByteBuffer map = BenchMap();
    CPakFile pak;
    bool ok = false;

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "marovin-map-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        dir = pattern;
        fixtures::PakBuilder builder;
        builder.Add("pics/colormap.pcx", fixtures::WritePcx(8, 8, fixtures::Indices(64, 0), fixtures::DistinctPalette()));
        for (int i = 0; i < kTextures; ++i) {
            fixtures::Indices pixels(64 * 64);
            for (std::size_t p = 0; p < pixels.size(); ++p) {
                pixels[p] = static_cast<std::uint8_t>((p + static_cast<std::size_t>(i) * 3) % 240);
            }
            builder.Add("textures/" + TextureName(i) + ".wal", fixtures::WriteWal(64, 64, pixels));
        }
        const ByteBuffer bytes = builder.Build();
        ok = WriteFileAtomically(dir + "/pak0.pak", bytes) && pak.Open(dir + "/pak0.pak");
    }
    ~Fixture() {
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }
};

void BM_OpenQuake2MapWithTextures(benchmark::State& state) {
    QuietHost();
    static Fixture f;
    if (!f.ok) {
        state.SkipWithError("the pak did not open");
        return;
    }
    ResetPeak();
    const double before = PeakResident();
    std::size_t missing = 0;
    double held = 0.0;
    for (auto _ : state) {
        MapReadResult read = ReadMap(f.map, "bench.bsp");
        if (!read.data) {
            state.SkipWithError(read.error.c_str());
            return;
        }
        const MapPictures pictures = ResolveMapPictures(*read.data, {&f.pak}, "");
        missing = pictures.missing.size();
        benchmark::DoNotOptimize(pictures.textures.data());
        const MapData& data = *read.data;
        held = static_cast<double>(data.faces.capacity() * sizeof(MapFace) +
                                   data.vertices.capacity() * sizeof(MapVertex) + data.lighting.capacity());
        for (const MapPicture& picture : pictures.textures) {
            held += static_cast<double>(picture.rgba.capacity());
        }
    }
    state.counters["held_MB"] = held / kMegabyte;
    if (held >= 64.0 * kMegabyte) {
        state.SkipWithError("the map held 64 MB or more");
    }
    state.counters["peak_growth_MB"] = (PeakResident() - before) / kMegabyte;
    state.counters["map_MB"] = static_cast<double>(f.map.size()) / kMegabyte;
    state.counters["missing"] = static_cast<double>(missing);
    if (missing != 0) {
        state.SkipWithError("textures were not found");
    }
}
BENCHMARK(BM_OpenQuake2MapWithTextures)->Unit(benchmark::kMillisecond);

}  // namespace
