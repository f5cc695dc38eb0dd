// One shaded frame of a busy scene at 1280 x 960 through the software renderer:
// 130 textured primitives (ten of each kind), 8 lights, 2 of them casting shadows
// onto 2 planes. The goal is at least 30 frames per second.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BenchHost.h"
#include "media/COGLTexture2D.h"
#include "platform/Host.h"
#include "platform/Settings.h"
#include "render/COGLView.h"
#include "render/HeadlessContext.h"
#include "scene/COGLLight.h"
#include "scene/COGLScene.h"
#include "scene/ObjectFactory.h"

namespace {
constexpr int kWidth = 1280;
constexpr int kHeight = 960;
const int kKinds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16};
constexpr int kEachKind = 10;
constexpr int kLights = 8;

std::unique_ptr<COGLTexture2D> Checker() {
    constexpr int kSide = 64;
    std::vector<std::uint8_t> rgb(std::size_t(kSide) * kSide * 3);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            std::uint8_t* p = rgb.data() + (std::size_t(y) * kSide + std::size_t(x)) * 3;
            p[0] = light ? 230 : 60;
            p[1] = light ? 200 : 90;
            p[2] = light ? 150 : 140;
        }
    }
    auto texture = std::make_unique<COGLTexture2D>();
    texture->FromPixels(rgb.data(), kSide, kSide);
    return texture;
}

// The view of the scene above: the shadow receivers are the first floor, turned
// into a wide ground, and the first left wall, standing behind everything.
void BuildScene(COGLView& view) {
    COGLScene& scene = *view.Scene();
    COGLTexture2D* texture = scene.AddTexture(Checker());
    COGLObject* ground = nullptr;
    COGLObject* backWall = nullptr;
    int index = 0;
    for (const int kind : kKinds) {
        for (int i = 0; i < kEachKind; ++i, ++index) {
            auto object = CreateObject(kind);
            object->SetName("Object " + std::to_string(index));
            object->SetPosition(-3.0f + 0.5f * static_cast<float>(index % 13), -0.7f,
                                -2.0f + 0.45f * static_cast<float>(index / 13));
            object->SetScale(0.2f, 0.2f, 0.2f);
            object->RotateY(static_cast<float>(index * 7));
            object->SetTexture(texture);
            COGLObject* added = scene.AddObject(std::move(object));
            if (kind == 1 && ground == nullptr) {
                ground = added;
                ground->SetPosition(0.0f, -1.0f, 0.0f);
                ground->SetScale(5.0f, 1.0f, 5.0f);
                ground->SetOrientation({});
            }
            if (kind == 5 && backWall == nullptr) {
                backWall = added;
                backWall->SetPosition(-4.0f, 0.5f, 0.0f);
                backWall->SetScale(1.0f, 2.0f, 5.0f);
                backWall->SetOrientation({});
            }
        }
    }
    // The first light is the view's own "Default".
    for (int i = 1; i < kLights; ++i) {
        const float x = -3.0f + static_cast<float>(i);
        if (i % 2 == 0) {
            scene.AddLight(std::make_unique<COGLSpotLight>(x, 3.0f, 2.0f));
        } else {
            scene.AddLight(std::make_unique<COGLPointLight>(x, 2.5f, 2.5f));
        }
    }
    for (const auto& light : scene.Lights()) {
        light->SetDiffuse({0.25f, 0.25f, 0.25f, 1.0f});
    }
    scene.AddShadowLight(scene.LightAt(0));
    scene.AddShadowLight(scene.LightAt(1));
    scene.AddShadowPlane(ground);
    scene.AddShadowPlane(backWall);
    scene.EnableShadows(true);
}

void RenderFrames(benchmark::State& state, bool blendedShadows) {
    QuietHost();
    MemorySettings settings;
    SetSettings(&settings);
    std::string error;
    const auto gl = HeadlessContext::Create(kWidth, kHeight, &error);
    if (!gl) {
        state.SkipWithError(error.c_str());
        return;
    }
    {
        COGLView view;
        view.Create();
        view.OnInitialUpdate();
        view.Resize(kWidth, kHeight);
        BuildScene(view);
        view.Scene()->SetShadowBlending(blendedShadows);
        view.Scene()->SetShadowOpacity(0.5f);
        view.Paint();  // builds the display lists
        glFinish();
        for (auto _ : state) {
            view.Paint();
            glFinish();
        }
        state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    }
    SetSettings(nullptr);
}
}  // namespace

static void BM_RenderShadedFrame(benchmark::State& state) { RenderFrames(state, false); }
BENCHMARK(BM_RenderShadedFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_RenderShadedFrameBlendedShadows(benchmark::State& state) { RenderFrames(state, true); }
BENCHMARK(BM_RenderShadedFrameBlendedShadows)->Unit(benchmark::kMillisecond)->UseRealTime();
