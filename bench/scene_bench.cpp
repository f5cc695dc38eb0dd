// Saving and loading a scene of 1,000 primitives and 8 lights; the goal is under
// 20 ms for each.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchHost.h"
#include "platform/BinaryIO.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"
#include "scene/SceneViewLink.h"

namespace {
constexpr int kObjects = 1000;
constexpr int kLights = 8;
const int kCodes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16};

void Fill(COGLScene& scene) {
    for (int i = 0; i < kLights; ++i) {
        if (i % 2 == 0) {
            scene.AddLight(std::make_unique<COGLPointLight>(static_cast<float>(i), 2.0f, 3.0f));
        } else {
            scene.AddLight(std::make_unique<COGLSpotLight>(static_cast<float>(i), 2.0f, 3.0f));
        }
    }
    for (int i = 0; i < kObjects; ++i) {
        auto object = CreateObject(kCodes[i % std::size(kCodes)]);
        object->SetName("Object " + std::to_string(i));
        object->SetPosition(static_cast<float>(i % 10), static_cast<float>(i / 10 % 10), static_cast<float>(i / 100));
        object->RotateY(static_cast<float>(i));
        scene.AddObject(std::move(object));
    }
    scene.AddShadowLight(scene.LightAt(0));
    scene.AddShadowPlane(scene.ObjectAt(1));
    scene.EnableShadows(true);
}

// The host prints messages by default; a benchmark has none to show.
ByteBuffer SavedScene() {
    COGLScene scene;
    Fill(scene);
    DefaultViewLink view;
    BinaryWriter out;
    scene.Save(out, view);
    return out.Bytes();
}
}  // namespace

static void BM_SaveScene(benchmark::State& state) {
    QuietHost();
    COGLScene scene;
    Fill(scene);
    DefaultViewLink view;
    for (auto _ : state) {
        BinaryWriter out;
        scene.Save(out, view);
        benchmark::DoNotOptimize(out.Bytes().data());
    }
}
BENCHMARK(BM_SaveScene)->Unit(benchmark::kMillisecond);

static void BM_LoadScene(benchmark::State& state) {
    QuietHost();
    const ByteBuffer bytes = SavedScene();
    DefaultViewLink view;
    for (auto _ : state) {
        COGLScene scene;
        BinaryReader in(bytes);
        if (!scene.Load(in, view, 6, "/tmp/bench.dv") || scene.Objects().size() != kObjects) {
            state.SkipWithError("the scene did not load");
            break;
        }
        benchmark::DoNotOptimize(scene.Objects().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadScene)->Unit(benchmark::kMillisecond);
