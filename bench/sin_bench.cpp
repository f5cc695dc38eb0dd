// SiN models: loading a definition with a 2,000-vertex, 3-group base model and 10
// animations of 40 frames (skins excluded) - goal under 2 ms. Every .def under
// MAROVIN_BENCH_DATA is loaded as a benchmark of its own, its files looked for
// beside it as Open Model does.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchData.h"
#include "BenchHost.h"
#include "models/sin/COGLSBM.h"
#include "platform/BinaryIO.h"
#include "platform/Host.h"
#include "support/SinWriters.h"

namespace {
constexpr int kVertices = 2000;
constexpr int kGroups = 3;
constexpr int kAnimations = 10;
constexpr int kFrames = 40;

// A strip of kVertices vertices cut into three groups of triangles, and its
// animations, written once to a folder under the temporary directory.
const std::string& DefinitionPath() {
    static const std::string path = [] {
        const std::filesystem::path dir = std::filesystem::temp_directory_path() / "marovin-sin-bench/models/bench";
        std::filesystem::create_directories(dir);
        fixtures::SbmSpec model;
        model.vertexCount = kVertices;
        for (int i = 0; i < kVertices; ++i) {
            model.st.push_back({static_cast<float>(i % 2), static_cast<float>(i) / kVertices});
        }
        const int triangles = kVertices - 2;
        for (int g = 0; g < kGroups; ++g) {
            fixtures::SbmGroupSpec group{g + 1, {}};
            for (int t = g * triangles / kGroups; t < (g + 1) * triangles / kGroups; ++t) {
                const auto a = static_cast<std::int16_t>(t);
                const auto b = static_cast<std::int16_t>(t + 1);
                const auto c = static_cast<std::int16_t>(t + 2);
                group.triangles.push_back({{a, b, c}, {a, b, c}});
            }
            model.groups.push_back(group);
        }
        std::vector<std::string> lines = {"path models/bench", "bench.sbm", "id 3 cloth twosided"};
        WriteFileAtomically((dir / "bench.sbm").string(), fixtures::WriteSbm(model));
        for (int a = 0; a < kAnimations; ++a) {
            fixtures::SamSpec animation;
            animation.name = "anim" + std::to_string(a);
            for (int f = 0; f < kFrames; ++f) {
                fixtures::SamFrameSpec frame;
                frame.scale = {0.5f, 0.5f, 0.5f + 0.01f * static_cast<float>(f)};
                for (int v = 0; v < kVertices; ++v) {
                    frame.vertices.push_back({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                              static_cast<std::uint8_t>(f), static_cast<std::uint8_t>(v % 162)});
                }
                animation.frames.push_back(frame);
            }
            const std::string file = "anim" + std::to_string(a) + ".sam";
            WriteFileAtomically((dir / file).string(), fixtures::WriteSam(animation));
            lines.push_back(animation.name + " " + file);
        }
        const std::string text = fixtures::SinDefText(lines);
        const std::string def = (dir / "bench.def").string();
        WriteFileAtomically(def, ByteBuffer(text.begin(), text.end()));
        return def;
    }();
    return path;
}
}  // namespace

static void BM_LoadSinDefinition(benchmark::State& state) {
    QuietHost();
    const std::string& path = DefinitionPath();
    for (auto _ : state) {
        COGLSBM model;  // no scene: the skins are not read
        if (!model.LoadFile(path) || model.Animations().size() != kAnimations) {
            state.SkipWithError("the definition did not load");
            break;
        }
        benchmark::DoNotOptimize(model.GetAnimation());
    }
}
BENCHMARK(BM_LoadSinDefinition)->Unit(benchmark::kMillisecond);

[[maybe_unused]] const int g_sinDataFiles = bench_data::RegisterFiles(
    "LoadSinDef", {"def"}, [](benchmark::State& state, const ByteBuffer&, const std::string& path) {
        QuietHost();
        for (auto _ : state) {
            COGLSBM model;
            if (!model.LoadFile(path)) {
                state.SkipWithError("the definition did not load");
                break;
            }
            benchmark::DoNotOptimize(model.GetAnimation());
        }
    });
