// Quake 1 models and sprites: reading a 150-frame, 1,000-triangle model with 8
// embedded 296 x 194 skins into the reader's checked data (skins as palette
// indexes; making and uploading their textures excluded) - goal under 1 ms - and
// drawing 32 animated Quake models and 32 animated sprites through the view at
// 1280 x 960 in a headless context - goal 30 frames per second. Every .mdl of
// the Quake family and every .sp2 and .spr under MAROVIN_BENCH_DATA is read as a
// benchmark of its own.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BenchHost.h"
#include "models/ModelOpen.h"
#include "models/quake1/COGLMDL.h"
#include "models/quake1/MdlReader.h"
#include "models/sprite/COGLSprite.h"
#include "models/sprite/SpriteReader.h"
#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Settings.h"
#include "render/COGLView.h"
#include "render/HeadlessContext.h"
#include "scene/COGLScene.h"
#include "BenchData.h"
#include "support/MdlWriters.h"
#include "support/ModelWriters.h"
#include "support/SpriteWriters.h"

namespace {
constexpr int kFrames = 150;
constexpr int kSkins = 8;
constexpr int kSkinWidth = 296;
constexpr int kSkinHeight = 194;
constexpr int kCopies = 32;
constexpr int kWidth = 1280;
constexpr int kHeight = 960;

// The Quake 2 benchmark's tube, 25 around and 20 high (1,000 triangles, 546
// vertices), as a Quake 1 model: one header scale for all frames (the tube's
// frames share theirs), skin coordinates from each vertex's place on the tube,
// frames in runs of 30, 8, 24, 40, 12 and 36, the last two as frame groups.
const ByteBuffer& ModelBytes() {
    static const ByteBuffer bytes = [] {
        constexpr int kSegments = 25;
        constexpr int kRings = 20;
        const auto names = fixtures::NumberedFrames({{"stand", 30}, {"run", 8}, {"attack", 24}, {"pain", 40},
                                                     {"jump", 12}, {"death", 36}});
        const fixtures::Md2Model tube = fixtures::MakeTubeModel(kSegments, kRings, names);
        fixtures::MdlModel m;
        m.scale = tube.frames.front().scale;
        m.origin = tube.frames.front().translate;
        m.skinWidth = kSkinWidth;
        m.skinHeight = kSkinHeight;
        for (int k = 0; k < kSkins; ++k) {
            std::vector<std::uint8_t> skin(static_cast<std::size_t>(kSkinWidth) * kSkinHeight);
            for (std::size_t i = 0; i < skin.size(); ++i) {
                skin[i] = static_cast<std::uint8_t>((i / 8 + i / (8 * kSkinWidth) + static_cast<std::size_t>(k)) % 224);
            }
            m.skins.push_back(std::move(skin));
        }
        const int around = kSegments + 1;
        m.vertexCount = around * (kRings + 1);
        for (int v = 0; v < m.vertexCount; ++v) {
            m.texCoords.push_back({0, (v % around) * (kSkinWidth - 1) / kSegments,
                                   (kRings - v / around) * (kSkinHeight - 1) / kRings});
        }
        for (const fixtures::Md2Triangle& t : tube.triangles) {
            m.triangles.push_back({1, {t.vertex[0], t.vertex[1], t.vertex[2]}});
        }
        const std::size_t groupsFrom = names.size() - 48;
        for (std::size_t f = 0; f < tube.frames.size(); ++f) {
            fixtures::MdlFrameSpec frame;
            frame.name = tube.frames[f].name;
            for (const fixtures::Md2Vertex& v : tube.frames[f].vertices) {
                frame.vertices.push_back({v.x, v.y, v.z, v.normal});
            }
            // Frames from `groupsFrom` on come in groups of six.
            if (f < groupsFrom || (f - groupsFrom) % 6 == 0) {
                m.entries.push_back({f >= groupsFrom, {}});
            }
            m.entries.back().frames.push_back(std::move(frame));
        }
        return fixtures::WriteMdl(m);
    }();
    return bytes;
}

// A Quake 1 sprite of one group of eight 32 x 32 pictures: a disc of one colour
// per picture on the transparent index.
const ByteBuffer& SpriteBytes() {
    static const ByteBuffer bytes = [] {
        fixtures::SprSprite sprite;
        fixtures::SprFrame group;
        group.group = true;
        for (int p = 0; p < 8; ++p) {
            fixtures::SprPicture picture = fixtures::SolidPicture(static_cast<std::uint8_t>(32 + 16 * p), 32, 32);
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    if (std::hypot(x - 15.5, y - 15.5) > 10.0 + p) {
                        picture.indexes[static_cast<std::size_t>(y * 32 + x)] = 255;
                    }
                }
            }
            group.pictures.push_back(std::move(picture));
            group.times.push_back(0.1f * static_cast<float>(p + 1));
        }
        sprite.frames.push_back(std::move(group));
        return fixtures::WriteSpr(sprite);
    }();
    return bytes;
}
}  // namespace

static void BM_ReadMDL(benchmark::State& state) {
    QuietHost();
    const ByteBuffer& bytes = ModelBytes();
    for (auto _ : state) {
        BinaryReader in(bytes);
        const MdlData data = ReadMdlData(in);
        if (data.frames.size() != kFrames || data.skins.size() != kSkins) {
            state.SkipWithError("the model did not read");
            break;
        }
        benchmark::DoNotOptimize(data.frames.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadMDL)->Unit(benchmark::kMillisecond);

namespace {
[[maybe_unused]] const int g_mdlDataFiles = bench_data::RegisterFiles(
    "ReadMDL", {"mdl"}, [](benchmark::State& state, const ByteBuffer& bytes, const std::string&) {
        QuietHost();
        if (MdlFamilyOf(bytes.data(), bytes.size()) != MdlFamily::Quake) {
            state.SkipWithError("a Half-Life model, not a Quake model");
            return;
        }
        for (auto _ : state) {
            try {
                BinaryReader in(bytes);
                benchmark::DoNotOptimize(ReadMdlData(in).frames.data());
            } catch (const ReadError&) {
                state.SkipWithError("not a valid MDL (classic quake model) file");
                break;
            }
        }
    });

[[maybe_unused]] const int g_spriteDataFiles = bench_data::RegisterFiles(
    "ReadSprite", {"sp2", "spr"}, [](benchmark::State& state, const ByteBuffer& bytes, const std::string& path) {
        QuietHost();
        const bool quake2 = fs_util::ToLower(fs_util::ExtensionOf(path)) == "sp2";
        for (auto _ : state) {
            const SpriteReadResult read = ReadSpriteData(bytes, quake2);
            if (!read.data) {
                state.SkipWithError(read.error.text);
                break;
            }
            benchmark::DoNotOptimize(read.data->pictures.data());
        }
    });
}  // namespace

static void BM_Draw32ModelsAnd32Sprites(benchmark::State& state) {
    QuietHost();
    MemorySettings settings;
    SetSettings(&settings);
    std::string error;
    const auto gl = HeadlessContext::Create(kWidth, kHeight, &error);
    if (!gl) {
        state.SkipWithError(("no GL context: " + error).c_str());
        SetSettings(nullptr);
        return;
    }
    {
        COGLView view;
        view.Create();
        view.OnInitialUpdate();
        view.Resize(kWidth, kHeight);
        COGLScene& scene = *view.Scene();
        COGLMDL original(&scene);
        BinaryReader in(ModelBytes());
        COGLSprite flame(&scene);
        if (!original.ReadMDL(in) || !original.ApplyFirstSkin() || !flame.ReadSprite(SpriteBytes())) {
            state.SkipWithError("the model or the sprite did not read");
            SetSettings(nullptr);
            return;
        }
        for (int i = 0; i < kCopies; ++i) {
            const float x = static_cast<float>(i % 8) * 0.8f - 2.8f;
            const float z = static_cast<float>(i / 8) * -0.8f;
            auto model = std::make_unique<COGLMDL>(&scene);
            model->CopyFrom(original);
            model->SetPosition(x, -0.8f, z);
            model->SetScale(0.015f, 0.015f, 0.015f);
            model->SetSpeed(0.1f + 0.01f * static_cast<float>(i));
            model->Play();
            scene.AddObject(std::move(model));
            auto sprite = std::make_unique<COGLSprite>(&scene);
            sprite->CopyFrom(flame);
            sprite->SetPosition(x + 0.4f, 0.2f, z);
            sprite->SetScale(0.015f, 0.015f, 0.015f);
            sprite->SetSpeed(0.1f + 0.01f * static_cast<float>(i));
            sprite->Play();
            scene.AddObject(std::move(sprite));
        }
        view.Paint();
        glFinish();
        for (auto _ : state) {
            scene.StepAnimations();
            view.Paint();
            glFinish();
        }
        state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
        if (glGetError() != GL_NO_ERROR) {
            state.SkipWithError("GL reported an error");
        }
    }
    SetSettings(nullptr);
}
BENCHMARK(BM_Draw32ModelsAnd32Sprites)->Unit(benchmark::kMillisecond)->UseRealTime();
