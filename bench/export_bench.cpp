// glTF export: a Quake 2 player of 198 frames with 16 skins of 256 x 256 and its
// weapon (198 frames too) written as one .glb - goal under 100 ms. Skins are
// read back from GL, so the player loads with a headless context current.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "BenchHost.h"
#include "export/GltfExport.h"
#include "models/quake2/COGLPlayer.h"
#include "platform/BinaryIO.h"
#include "render/HeadlessContext.h"
#include "scene/COGLScene.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"

namespace {
constexpr int kSkins = 16;
constexpr int kSkinSide = 256;

// A player folder under a fresh temporary directory: a 600-triangle body and a
// 300-triangle weapon, both with the usual player runs, and the skins.
std::string WritePlayer(const std::string& root) {
    const auto names = fixtures::NumberedFrames({{"stand", 40}, {"run", 6}, {"attack", 8}, {"pain", 12},
                                                 {"jump", 6}, {"flip", 12}, {"salute", 11}, {"taunt", 17},
                                                 {"wave", 11}, {"point", 12}, {"death", 63}});
    const std::string folder = root + "/players/bench/";
    std::filesystem::create_directories(folder);
    fixtures::Md2Model body = fixtures::MakeTubeModel(30, 10, names);
    WriteFileAtomically(folder + "tris.md2", fixtures::WriteMd2(body));
    fixtures::Md2Model weapon = fixtures::MakeTubeModel(15, 10, names, 4.0f, 24.0f);
    weapon.skins = {"players/bench/weapon.pcx"};
    WriteFileAtomically(folder + "weapon.md2", fixtures::WriteMd2(weapon));
    fixtures::Indices pixels(static_cast<std::size_t>(kSkinSide * kSkinSide));
    for (int skin = 0; skin <= kSkins; ++skin) {
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = static_cast<std::uint8_t>((i * 7 + i / kSkinSide * 3 + static_cast<std::size_t>(skin) * 11) % 256);
        }
        const std::string name = skin == kSkins ? "weapon.pcx" : "skin" + std::to_string(skin) + ".pcx";
        WriteFileAtomically(folder + name, fixtures::WritePcx(kSkinSide, kSkinSide, pixels, fixtures::DistinctPalette()));
    }
    return folder + "tris.md2";
}
}  // namespace

static void BM_ExportPlayerWithWeaponToGlb(benchmark::State& state) {
    QuietHost();
    std::string error;
    const auto gl = HeadlessContext::Create(64, 64, &error);
    if (!gl) {
        state.SkipWithError(error.c_str());
        return;
    }
    char pattern[] = "/tmp/marovin-export-bench-XXXXXX";
    const char* root = mkdtemp(pattern);
    if (root == nullptr) {
        state.SkipWithError("no temporary directory");
        return;
    }
    {
        COGLScene scene;
        COGLPlayer player(&scene);
        if (!player.LoadFile(WritePlayer(root), false) || !player.SetFirstWeapon() || !player.ApplyFirstSkin() ||
            player.Skins().size() != kSkins || player.GetFrameCount() != 198) {
            state.SkipWithError("the player did not load");
        } else {
            const std::string out = std::string(root) + "/player.glb";
            for (auto _ : state) {
                if (!ExportObjectToFile(player, &scene, out, {}, error)) {
                    state.SkipWithError(error.c_str());
                    break;
                }
            }
            state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
        }
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_ExportPlayerWithWeaponToGlb)->Unit(benchmark::kMillisecond)->UseRealTime();
