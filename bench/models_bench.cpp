// Quake 2 models: reading a 198-frame, 600-triangle model (skins excluded) -
// goal under 2 ms - and drawing 32 animated, interpolated, textured copies of it
// with 8 lights at 1280 x 960 in a headless context - goal 30 frames per second.
// Every .md2 under MAROVIN_BENCH_DATA is read as a benchmark of its own.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchHost.h"
#include "media/COGLTexture2D.h"
#include "models/quake2/COGLMD2.h"
#include "platform/BinaryIO.h"
#include "platform/Host.h"
#include "render/HeadlessContext.h"
#include "scene/COGLScene.h"
#include "BenchData.h"
#include "support/ModelWriters.h"

namespace {
constexpr int kFrames = 198;
constexpr int kCopies = 32;
constexpr int kLights = 8;
constexpr int kWidth = 1280;
constexpr int kHeight = 960;

// 30 quads around and 10 high: 600 triangles, 341 vertices, 198 frames in runs
// of 40, 6, 20, 40, 12, 80.
const ByteBuffer& ModelBytes() {
    static const ByteBuffer bytes = [] {
        const auto names = fixtures::NumberedFrames({{"stand", 40}, {"run", 6}, {"attack", 20}, {"pain", 40},
                                                     {"jump", 12}, {"death", 80}});
        fixtures::Md2Model model = fixtures::MakeTubeModel(30, 10, names);
        model.skins = {"models/bench/skin.pcx"};
        return fixtures::WriteMd2(model);
    }();
    return bytes;
}
}  // namespace

static void BM_ReadMD2(benchmark::State& state) {
    QuietHost();
    const ByteBuffer& bytes = ModelBytes();
    for (auto _ : state) {
        COGLMD2 model;  // no scene: the skins are not read
        BinaryReader in(bytes);
        if (!model.ReadMD2(in, 0, false) || model.GetFrameCount() != kFrames) {
            state.SkipWithError("the model did not read");
            break;
        }
        benchmark::DoNotOptimize(model.GetAnimation());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadMD2)->Unit(benchmark::kMillisecond);

namespace {
[[maybe_unused]] const int g_md2DataFiles = bench_data::RegisterFiles(
    "ReadMD2", {"md2"}, [](benchmark::State& state, const ByteBuffer& bytes, const std::string&) {
        QuietHost();
        for (auto _ : state) {
            COGLMD2 model;
            BinaryReader in(bytes);
            if (!model.ReadMD2(in, 0, false)) {
                state.SkipWithError("not a valid MD2 file");
                break;
            }
            benchmark::DoNotOptimize(model.GetAnimation());
        }
    });
}  // namespace

static void BM_Draw32AnimatedModels(benchmark::State& state) {
    QuietHost();
    std::string error;
    auto gl = HeadlessContext::Create(kWidth, kHeight, &error);
    if (!gl) {
        state.SkipWithError(("no GL context: " + error).c_str());
        return;
    }
    {
        COGLScene scene;
        std::vector<std::uint8_t> rgb(256 * 256 * 3);
        for (std::size_t i = 0; i < rgb.size(); ++i) {
            rgb[i] = static_cast<std::uint8_t>((i * 7) ^ (i / 768));
        }
        COGLTexture2D skin;
        skin.FromPixels(rgb.data(), 256, 256);

        COGLMD2 original(&scene);
        BinaryReader in(ModelBytes());
        original.ReadMD2(in, 0, false);
        original.SetTexture(&skin);
        std::vector<std::unique_ptr<COGLMD2>> copies;
        for (int i = 0; i < kCopies; ++i) {
            auto copy = std::make_unique<COGLMD2>(&scene);
            copy->CopyFrom(original);
            copy->SetPosition(static_cast<float>(i % 8) * 3.0f - 10.5f, 0.0f, static_cast<float>(i / 8) * -3.0f);
            copy->SetSpeed(0.1f + 0.01f * static_cast<float>(i));
            copy->SetInterpolate(true);
            copies.push_back(std::move(copy));
        }

        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 0.5, 200.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0.0, 6.0, 16.0, 0.0, 0.0, -4.0, 0.0, 1.0, 0.0);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_NORMALIZE);
        glEnable(GL_LIGHTING);
        for (int i = 0; i < kLights; ++i) {
            const GLenum light = static_cast<GLenum>(GL_LIGHT0 + i);
            const float position[] = {static_cast<float>(i % 4) * 6.0f - 9.0f, 4.0f, static_cast<float>(i / 4) * -8.0f + 4.0f,
                                      1.0f};
            const float diffuse[] = {0.3f, 0.3f, 0.3f, 1.0f};
            glLightfv(light, GL_POSITION, position);
            glLightfv(light, GL_DIFFUSE, diffuse);
            glEnable(light);
        }
        for (auto _ : state) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            for (const auto& copy : copies) {
                copy->AdvanceFrame();
                copy->Draw(COGLObject::kDrawMaterial);
            }
            glFinish();
        }
        state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
        if (glGetError() != GL_NO_ERROR) {
            state.SkipWithError("GL reported an error");
        }
    }
}
BENCHMARK(BM_Draw32AnimatedModels)->Unit(benchmark::kMillisecond)->UseRealTime();
