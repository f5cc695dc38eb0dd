// Drawing a real-sized Quake 2 map as a scene's backdrop at 1280 x 960 through the
// software renderer, with 8 animated models standing in it: goal at least 60 frames
// per second. The map is 900 rooms of 128 x 128 units with low walls, so that the
// eye at a start sees across most of its 9,000 lit faces (60 textures from a pak).
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "BenchHost.h"
#include "maps/MapBackdrop.h"
#include "media/Archive.h"
#include "models/quake2/COGLMD2.h"
#include "platform/Settings.h"
#include "render/COGLView.h"
#include "render/HeadlessContext.h"
#include "scene/COGLScene.h"
#include "support/MapWriters.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"

namespace {
constexpr int kWidth = 1280;
constexpr int kHeight = 960;
constexpr int kRoomsAcross = 30;
constexpr int kRooms = 900;  // ten faces each: floor, ceiling, four walls of two halves
constexpr int kTextures = 60;
constexpr int kModels = 8;

std::string TextureName(int i) { return "bench/t" + std::to_string(i % kTextures); }

ByteBuffer BenchMap() {
    fixtures::MapWriter map(fixtures::MapKind::Quake2);
    int face = 0;
    const auto add = [&](std::vector<Vector3> points) {
        fixtures::MapWriter::Face f;
        f.points = std::move(points);
        f.texture = TextureName(face++);
        map.AddFace(f);
    };
    for (int room = 0; room < kRooms; ++room) {
        const float x = static_cast<float>(room % kRoomsAcross) * 128.0f;
        const float y = static_cast<float>(room / kRoomsAcross) * 128.0f;
        add(fixtures::MapRectangle({x, y + 128, 0}, {128, 0, 0}, {0, -128, 0}));      // floor
        add(fixtures::MapRectangle({x, y, 160}, {128, 0, 0}, {0, 128, 0}));           // ceiling
        for (int half = 0; half < 2; ++half) {
            const float h = static_cast<float>(half) * 64.0f;
            add(fixtures::MapRectangle({x, y + h, 32}, {0, 64, 0}, {0, 0, -32}));             // west
            add(fixtures::MapRectangle({x + 128, y + h + 64, 32}, {0, -64, 0}, {0, 0, -32}));  // east
            add(fixtures::MapRectangle({x + h + 64, y, 32}, {-64, 0, 0}, {0, 0, -32}));        // south
            add(fixtures::MapRectangle({x + h, y + 128, 32}, {64, 0, 0}, {0, 0, -32}));        // north
        }
    }
    map.AddModel({{0, 0, 0}, {128.0f * kRoomsAcross, 128.0f * (kRooms / kRoomsAcross), 160}, {0, 0, 0}});
    map.SetEntities("{\n\"classname\" \"worldspawn\"\n}\n"
                    "{\n\"classname\" \"info_player_start\"\n\"origin\" \"64 64 24\"\n\"angle\" \"45\"\n}\n");
    return map.Build();
}

struct Fixture {
    std::string dir;
    bool ok = false;

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "marovin-map-draw-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        dir = pattern;
        fixtures::PakBuilder pak;
        pak.Add("pics/colormap.pcx", fixtures::WritePcx(8, 8, fixtures::Indices(64, 0), fixtures::DistinctPalette()));
        for (int i = 0; i < kTextures; ++i) {
            fixtures::Indices pixels(64 * 64);
            for (std::size_t p = 0; p < pixels.size(); ++p) {
                pixels[p] = static_cast<std::uint8_t>((p / 8 + static_cast<std::size_t>(i) * 3) % 240);
            }
            pak.Add("textures/" + TextureName(i) + ".wal", fixtures::WriteWal(64, 64, pixels));
        }
        pak.Add("maps/bench.bsp", BenchMap());
        pak.Add("box.md2", fixtures::WriteMd2(fixtures::MakeBoxModel(
                               fixtures::NumberedFrames({{"run", 6}}), {56, 52, 48, 44, 48, 52})));
        ok = WriteFileAtomically(dir + "/pak0.pak", pak.Build());
    }
    ~Fixture() {
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }
};
}  // namespace

static void BM_DrawQuake2MapWithAnimatedModels(benchmark::State& state) {
    QuietHost();
    MemorySettings settings;
    SetSettings(&settings);
    static Fixture f;
    std::string error;
    const auto gl = HeadlessContext::Create(kWidth, kHeight, &error);
    if (!f.ok || !gl) {
        state.SkipWithError(f.ok ? error.c_str() : "the pak was not written");
        SetSettings(nullptr);
        return;
    }
    {
        COGLView view;
        view.Create();
        view.OnInitialUpdate();
        view.Resize(kWidth, kHeight);
        COGLScene& scene = *view.Scene();
        const int pak = scene.AddPak(f.dir + "/pak0.pak");
        std::unique_ptr<MapBackdrop> map = pak >= 0 ? LoadMapBackdrop(scene, *scene.PakAt(pak), "maps/bench.bsp", error)
                                                    : nullptr;
        if (!map) {
            state.SkipWithError(error.c_str());
            SetSettings(nullptr);
            return;
        }
        const std::size_t faces = map->Data().faces.size();
        const std::size_t batches = map->Drawing().BatchCount();
        std::unique_ptr<SceneBackdrop> held = std::move(map);
        scene.SwapBackdrop(held);
        view.ViewFromStart(0);
        for (int i = 0; i < kModels; ++i) {
            auto model = std::make_unique<COGLMD2>(&scene);
            const PakEntry* entry = scene.PakAt(pak)->FindEntry("box.md2");
            if (entry == nullptr || !model->LoadFromPak(scene.PakAt(pak), *entry, false)) {
                state.SkipWithError("the model did not open");
                SetSettings(nullptr);
                return;
            }
            // A row across the view, a few rooms ahead of the start.
            model->SetPosition(6.0f + 1.2f * static_cast<float>(i), 0.0f, 9.0f - 1.2f * static_cast<float>(i));
            model->StartAnimation();
            scene.AddObject(std::move(model));
        }
        view.Paint();  // uploads the pictures and atlas pages
        glFinish();
        for (auto _ : state) {
            view.AnimationTick();
            view.Paint();
            glFinish();
        }
        state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
        state.counters["faces"] = static_cast<double>(faces);
        state.counters["batches"] = static_cast<double>(batches);
    }
    SetSettings(nullptr);
}
BENCHMARK(BM_DrawQuake2MapWithAnimatedModels)->Unit(benchmark::kMillisecond)->UseRealTime();
