// Half-Life studio models: reading a 1 MB model with 30 bones and 50 sequences
// (textures not uploaded) - goal under 1 ms - and drawing 32 animated, blended,
// textured figures of about 2,000 triangles and 30 bones at 1280 x 960 in a
// headless context, bone setup included - goal 30 frames per second. Every
// studio .mdl under MAROVIN_BENCH_DATA is read (with its companions) as a
// benchmark of its own.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "BenchHost.h"
#include "models/ModelOpen.h"
#include "models/halflife/COGLHLModel.h"
#include "models/halflife/StudioFormat.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "render/HeadlessContext.h"
#include "scene/COGLScene.h"
#include "support/StudioWriters.h"

namespace {
constexpr int kSequences = 50;
constexpr int kFramesPerSequence = 48;
constexpr int kCopies = 32;
constexpr int kWidth = 1280;
constexpr int kHeight = 960;
constexpr int kSegments = 9;  // 29 limb bones x 4 faces x 2 x 9: 2,088 triangles

// The figure with 47 more sequences whose every channel changes on every frame,
// and a 256 x 256 skin: about 1 MB.
const ByteBuffer& LargeModel() {
    static const ByteBuffer bytes = [] {
        fixtures::StudioModelDef m = fixtures::MakeFigure(30, kSegments);
        m.textures.front().width = 256;
        m.textures.front().height = 256;
        m.textures.front().indexes.assign(256 * 256, 1);
        while (static_cast<int>(m.sequences.size()) < kSequences) {
            fixtures::StudioSequenceDef s;
            s.label = "seq" + std::to_string(m.sequences.size());
            s.frames = kFramesPerSequence;
            s.blends[0].resize(m.bones.size());
            for (std::size_t b = 0; b < m.bones.size(); ++b) {
                for (std::size_t c = 0; c < 6; ++c) {
                    std::vector<std::int16_t> values;
                    for (int f = 0; f < kFramesPerSequence; ++f) {
                        values.push_back(static_cast<std::int16_t>((f * 7 + static_cast<int>(b * 6 + c)) % 200 - 100));
                    }
                    s.blends[0][b][c] = fixtures::RunLength(values);
                }
            }
            m.sequences.push_back(s);
        }
        return fixtures::WriteStudioModel(m);
    }();
    return bytes;
}
}  // namespace

static void BM_ReadStudioModel(benchmark::State& state) {
    QuietHost();
    const ByteBuffer& bytes = LargeModel();
    for (auto _ : state) {
        const StudioReadResult read = ReadStudioModel(bytes, "bench.mdl", {});
        if (!read.data || read.data->sequences.size() != kSequences) {
            state.SkipWithError(("the model did not read: " + read.error).c_str());
            break;
        }
        benchmark::DoNotOptimize(read.data.get());
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / (1024.0 * 1024.0);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadStudioModel)->Unit(benchmark::kMillisecond);

namespace {
[[maybe_unused]] const int g_studioDataFiles = bench_data::RegisterFiles(
    "ReadStudioModel", {"mdl"}, [](benchmark::State& state, const ByteBuffer& bytes, const std::string& path) {
        QuietHost();
        if (MdlFamilyOf(bytes.data(), bytes.size()) != MdlFamily::HalfLife) {
            state.SkipWithError("a Quake model, not a studio model");
            return;
        }
        const StudioCompanionReader companions = [](const std::string& name) {
            return ReadWholeFile(fs_util::ResolvePath(name));
        };
        for (auto _ : state) {
            const StudioReadResult read = ReadStudioModel(bytes, path, companions);
            if (!read.data) {
                state.SkipWithError(read.error.c_str());
                break;
            }
            benchmark::DoNotOptimize(read.data.get());
        }
    });
}  // namespace

static void BM_Draw32StudioModels(benchmark::State& state) {
    QuietHost();
    std::string error;
    auto gl = HeadlessContext::Create(kWidth, kHeight, &error);
    if (!gl) {
        state.SkipWithError(("no GL context: " + error).c_str());
        return;
    }
    const std::string path = (std::filesystem::temp_directory_path() / "marovin-bench-figure.mdl").string();
    {
        const ByteBuffer figure = fixtures::WriteStudioModel(fixtures::MakeFigure(30, kSegments));
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr || std::fwrite(figure.data(), 1, figure.size(), f) != figure.size()) {
            state.SkipWithError("cannot write the figure");
            if (f != nullptr) {
                std::fclose(f);
            }
            return;
        }
        std::fclose(f);
    }
    {
        COGLScene scene;
        COGLHLModel original(&scene);
        if (!original.LoadFile(path) || original.Skins().empty()) {
            state.SkipWithError("the figure did not load");
            return;
        }
        std::vector<std::unique_ptr<COGLHLModel>> copies;
        for (int i = 0; i < kCopies; ++i) {
            auto copy = std::make_unique<COGLHLModel>(&scene);
            copy->CopyFrom(original);
            // Half walk, half aim (the blended sequence), each at its own pace.
            copy->SetAnimation(copy->Animations()[i % 2 == 0 ? 1 : 2].get());
            copy->SetPosition(static_cast<float>(i % 8) * 3.0f - 10.5f, 0.0f, static_cast<float>(i / 8) * -4.0f);
            copy->SetSpeed(0.1f + 0.01f * static_cast<float>(i));
            copy->Play();
            copies.push_back(std::move(copy));
        }
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 0.5, 200.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0.0, 4.0, 14.0, 0.0, 1.5, -6.0, 0.0, 1.0, 0.0);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
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
    std::filesystem::remove(path);
}
BENCHMARK(BM_Draw32StudioModels)->Unit(benchmark::kMillisecond)->UseRealTime();
