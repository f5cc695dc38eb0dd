// Half-Life studio models: reading a 1 MB model with 30 bones and 50 sequences
// (textures not uploaded) - goal under 1 ms - and drawing 32 animated, blended,
// textured figures of about 2,000 triangles and 30 bones at 1280 x 960 in a
// headless context, bone setup included - goal 30 frames per second; the same
// figures with chrome and additive faces, each holding a merged tool, within
// 15 % of that; and the bone set-up of a 128-bone model with four controllers
// and a four-way blend - goal under 40 microseconds a model a frame. Every
// studio .mdl under MAROVIN_BENCH_DATA is read (with its companions) as a
// benchmark of its own.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "BenchHost.h"
#include "models/ModelOpen.h"
#include "models/halflife/COGLHLModel.h"
#include "models/halflife/StudioBones.h"
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

namespace {
bool WriteBenchFile(const std::string& path, const ByteBuffer& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f != nullptr) {
        std::fclose(f);
    }
    return ok;
}

// The figure with its faces in turn solid, chrome and additive, as a scientist's
// glasses and a lab's glowing parts are.
fixtures::StudioModelDef ChromeAndAdditiveFigure() {
    fixtures::StudioModelDef m = fixtures::MakeFigure(30, kSegments);
    fixtures::StudioTextureDef chrome = m.textures.front();
    chrome.name = "chrome.bmp";
    chrome.flags = 0x2;
    fixtures::StudioTextureDef glow = m.textures.front();
    glow.name = "glow.bmp";
    glow.flags = 0x20;
    m.textures.push_back(chrome);
    m.textures.push_back(glow);
    m.skinFamilies = {{0, 1, 2}};
    fixtures::StudioSubmodelDef& body = m.bodyParts.front().models.front();
    fixtures::StudioMeshDef original = body.meshes.front();
    body.meshes = {{0, {}}, {1, {}}, {2, {}}};
    for (std::size_t c = 0; c < original.commands.size(); ++c) {
        body.meshes[c % 4 == 1 ? 1 : (c % 4 == 3 ? 2 : 0)].commands.push_back(original.commands[c]);
    }
    return m;
}

// A tool held in the figure's first arm: three of the figure's bone names in
// other letter cases (merged) and a tip of its own, a box of strips on each.
fixtures::StudioModelDef FigureTool() {
    fixtures::StudioModelDef m;
    m.name = "p_tool.mdl";
    const std::array<float, 6> unit{1.0f, 1.0f, 1.0f, 0.01f, 0.01f, 0.01f};
    const int hand = (30 - 1) / 5 * 2;  // the last bone of the first arm
    m.bones = {{"PELVIS", -1, {-1, -1, -1, -1, -1, -1}, {}, unit},
               {"BONE" + std::to_string(hand - 1), 0, {-1, -1, -1, -1, -1, -1}, {}, unit},
               {"Bone" + std::to_string(hand), 1, {-1, -1, -1, -1, -1, -1}, {}, unit},
               {"tip", 2, {-1, -1, -1, -1, -1, -1}, {6, 0, 0, 0, 0, 0}, unit}};
    fixtures::StudioSequenceDef idle;
    idle.label = "idle";
    idle.flags = 1;
    m.sequences = {idle};
    fixtures::StudioSubmodelDef tool;
    tool.name = "tool";
    for (const std::uint8_t bone : {std::uint8_t{2}, std::uint8_t{3}}) {
        for (int face = 0; face < 4; ++face) {
            fixtures::AddStudioQuad(tool, 0, bone, 1.0f + static_cast<float>(face), -1.0f, -1.0f, 1.0f, 1.0f);
        }
    }
    m.bodyParts = {{"tool", 1, {tool}}};
    m.textures = {{"tool.bmp", 0x2, 8, 8, {}, {}}};
    return m;
}

// 32 copies of `model` (each with a copy of `follower` when given), animated
// and drawn each iteration at 1280 x 960.
void Draw32(benchmark::State& state, const fixtures::StudioModelDef& model, const fixtures::StudioModelDef* follower) {
    QuietHost();
    std::string error;
    auto gl = HeadlessContext::Create(kWidth, kHeight, &error);
    if (!gl) {
        state.SkipWithError(("no GL context: " + error).c_str());
        return;
    }
    const std::string path = (std::filesystem::temp_directory_path() / "marovin-bench-figure.mdl").string();
    const std::string followerPath = (std::filesystem::temp_directory_path() / "marovin-bench-p_tool.mdl").string();
    if (!WriteBenchFile(path, fixtures::WriteStudioModel(model)) ||
        (follower != nullptr && !WriteBenchFile(followerPath, fixtures::WriteStudioModel(*follower)))) {
        state.SkipWithError("cannot write the figure");
        return;
    }
    {
        COGLScene scene;
        COGLHLModel original(&scene);
        if (!original.LoadFile(path) || original.Skins().empty()) {
            state.SkipWithError("the figure did not load");
            return;
        }
        if (follower != nullptr) {
            auto tool = std::make_unique<COGLHLModel>(&scene);
            if (!tool->LoadFile(followerPath) || !original.SetFollower(std::move(tool))) {
                state.SkipWithError("the tool did not follow the figure");
                return;
            }
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
    std::filesystem::remove(followerPath);
}
}  // namespace

// The plain figures: the baseline of the next benchmark.
static void BM_Draw32StudioModels(benchmark::State& state) { Draw32(state, fixtures::MakeFigure(30, kSegments), nullptr); }
BENCHMARK(BM_Draw32StudioModels)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 32 figures with chrome and additive faces, each holding a tool merged
// onto its arm's bones - goal within 15 % of the plain figures' time.
static void BM_Draw32ChromeAdditiveWithFollowers(benchmark::State& state) {
    const fixtures::StudioModelDef tool = FigureTool();
    Draw32(state, ChromeAndAdditiveFigure(), &tool);
}
BENCHMARK(BM_Draw32ChromeAdditiveWithFollowers)->Unit(benchmark::kMillisecond)->UseRealTime();

namespace {
// 128 bones in a tree (each a child of the one eight before it), every channel
// of every bone changing on every frame in each of four blends, four rotation
// controllers and the mouth on bones of their own.
const StudioData& BoneSetupModel() {
    static const std::shared_ptr<const StudioData> data = [] {
        fixtures::StudioModelDef m;
        m.name = "bones128.mdl";
        constexpr int kBones = 128;
        constexpr int kFrames = 30;
        for (int b = 0; b < kBones; ++b) {
            m.bones.push_back({"bone" + std::to_string(b), b < 8 ? -1 : b - 8, {-1, -1, -1, -1, -1, -1},
                               {1.0f, 0.5f, 2.0f, 0.0f, 0.0f, 0.0f}, {0.1f, 0.1f, 0.1f, 0.002f, 0.002f, 0.002f}});
        }
        for (int c = 0; c < 5; ++c) {
            m.controllers.push_back({10 + c * 20, c == 4 ? 0x1 : (0x8 << (c % 3)) | (c == 0 ? 0x8000 : 0),
                                     c == 4 ? 0.0f : -90.0f, c == 4 ? 2.0f : 90.0f, 0, c});
            m.bones[static_cast<std::size_t>(10 + c * 20)].controller[c == 4 ? 0 : 3 + c % 3] = c;
        }
        fixtures::StudioSequenceDef aim;
        aim.label = "aim4";
        aim.flags = 1;
        aim.frames = kFrames;
        aim.blends.assign(4, fixtures::StudioBlendDef(kBones));
        for (std::size_t blend = 0; blend < 4; ++blend) {
            for (std::size_t b = 0; b < kBones; ++b) {
                for (std::size_t c = 0; c < 6; ++c) {
                    std::vector<std::int16_t> values;
                    for (int f = 0; f < kFrames; ++f) {
                        values.push_back(static_cast<std::int16_t>((f * 13 + static_cast<int>(b * 7 + c * 3 + blend * 29)) % 300 - 150));
                    }
                    aim.blends[blend][b][c] = fixtures::RunLength(values);
                }
            }
        }
        aim.blendType = {0x8, 0x10};
        aim.blendStart = {-90.0f, -45.0f};
        aim.blendEnd = {90.0f, 45.0f};
        m.sequences = {aim};
        const StudioReadResult read = ReadStudioModel(fixtures::WriteStudioModel(m), "bones128.mdl", {});
        return read.data;
    }();
    return *data;
}
}  // namespace

// Bone set-up of one model for one frame: four controllers, the mouth and a
// four-way blend over 128 bones - goal under 40 microseconds.
static void BM_StudioBoneSetup128FourBlends(benchmark::State& state) {
    QuietHost();
    const StudioData& data = BoneSetupModel();
    if (data.bones.size() != 128) {
        state.SkipWithError("the model did not read");
        return;
    }
    StudioPose pose;
    pose.controllers = {30.0f, -20.0f, 45.0f, 10.0f};
    pose.mouth = 1.0f;
    pose.blend = {0.3f, 0.7f};
    std::vector<BoneMatrix> bones;
    int step = 0;
    for (auto _ : state) {
        pose.frame = static_cast<float>(step % 29) + 0.5f;
        pose.controllers[0] = static_cast<float>(step % 360);
        ++step;
        SetUpBones(data, pose, bones);
        benchmark::DoNotOptimize(bones.data());
    }
}
BENCHMARK(BM_StudioBoneSetup128FourBlends)->Unit(benchmark::kMicrosecond);
