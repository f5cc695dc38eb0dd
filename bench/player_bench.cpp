// Players where the game keeps them: listing every player of a game folder whose
// pak0 holds 500 player folders (about 20,000 entries), and opening one player of
// real size (198 frames, 13 weapons, 8 skins of 256 x 256) from a deflated pk3,
// its first weapon read as the window shows it; and a 48-frame 512 x 512 turntable
// of such a player, weapon in hand, drawn and written as GIF and as lossless WebP,
// with what the recording holds above a still picture (the goal: under 64 MB).
// Inputs are written at set-up by the tests' own writers.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchHost.h"
#include "PeakMemory.h"
#include "media/GameFolder.h"
#include "media/ZipArchive.h"
#include "models/ModelFamilies.h"
#include "models/quake2/COGLPlayer.h"
#include "models/quake2/PlayerFolders.h"
#include "render/COGLView.h"
#include "render/HeadlessContext.h"
#include "render/HeadlessView.h"
#include "render/MovieCapture.h"
#include "scene/COGLDoc.h"
#include "scene/COGLScene.h"
#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"

namespace {
constexpr int kPlayers = 500;
constexpr int kWeapons = 13;
constexpr int kSkins = 8;

std::filesystem::path ScratchFolder(const char* name) {
    const auto folder = std::filesystem::temp_directory_path() / (std::string("marovin-bench-") + name + "-" +
                                                                  std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

// A body of the game's size: 198 frames named as the game names them.
ByteBuffer RealSizedBody(const std::vector<std::string>& skins) {
    const std::vector<std::string> frames = fixtures::NumberedFrames(
        {{"stand", 40}, {"run", 6}, {"attack", 8}, {"pain", 12}, {"jump", 6}, {"flip", 12}, {"salute", 11},
         {"taunt", 17}, {"wave", 11}, {"point", 12}, {"crstnd", 19}, {"crwalk", 6}, {"crattak", 9}, {"crpain", 4},
         {"crdeath", 5}, {"death", 20}});
    fixtures::Md2Model model = fixtures::MakeTubeModel(16, 12, frames);
    model.skins = skins;
    return fixtures::WriteMd2(model);
}

ByteBuffer RealSizedSkin(int seed) {
    fixtures::Indices pixels(256 * 256);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(seed) * 31) ^ (i >> 8));
    }
    return fixtures::WritePcx(256, 256, pixels, fixtures::DistinctPalette());
}

}  // namespace

static void BM_ListPlayersOfAGameFolder(benchmark::State& state) {
    QuietHost();
    const auto folder = ScratchFolder("players");
    fixtures::PakBuilder pak;
    for (int p = 0; p < kPlayers; ++p) {
        const std::string dir = "players/p" + std::to_string(p) + "/";
        pak.Add(dir + "tris.md2", "body").Add(dir + "weapon.md2", "w").Add(dir + "weapon.pcx", "s");
        pak.Add(dir + "p_i.pcx", "icon").Add(dir + "ctf_r.pcx", "s").Add(dir + "ctf_b.pcx", "s");
        for (int w = 0; w < 12; ++w) {
            pak.Add(dir + "w_gun" + std::to_string(w) + ".md2", "w").Add(dir + "w_gun" + std::to_string(w) + ".pcx", "s");
        }
        for (int s = 0; s < 10; ++s) {
            pak.Add(dir + "skin" + std::to_string(s) + ".pcx", "s");
        }
    }
    fixtures::FolderBuilder game;
    game.Add("baseq2/pak0.pak", pak.Build());
    game.Write(folder.string());
    GameFolder opened;
    if (!opened.Open((folder / "baseq2").string())) {
        state.SkipWithError("the game folder did not open");
        return;
    }
    for (auto _ : state) {
        const std::vector<PlayerListing> players = ListPlayers(opened);
        if (players.size() != kPlayers) {
            state.SkipWithError("not every player was listed");
            break;
        }
        benchmark::DoNotOptimize(players.data());
    }
    state.counters["entries"] = opened.EntryCount();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ListPlayersOfAGameFolder)->Unit(benchmark::kMillisecond);

static void BM_OpenAPlayerFromAPk3(benchmark::State& state) {
    QuietHost();
    std::string error;
    auto gl = HeadlessContext::Create(64, 64, &error);
    if (!gl) {
        state.SkipWithError(("no GL context: " + error).c_str());
        return;
    }
    const auto folder = ScratchFolder("pk3");
    fixtures::ZipBuilder zip;
    zip.Add("players/hero/tris.md2", RealSizedBody({"players/hero/skin0.pcx"}));
    zip.Add("players/hero/weapon.md2", RealSizedBody({"players/hero/weapon.pcx"}));
    zip.Add("players/hero/weapon.pcx", RealSizedSkin(99));
    for (int w = 1; w < kWeapons; ++w) {
        zip.Add("players/hero/w_gun" + std::to_string(w) + ".md2", RealSizedBody({}));
    }
    for (int s = 0; s < kSkins; ++s) {
        zip.Add("players/hero/skin" + std::to_string(s) + ".pcx", RealSizedSkin(s));
    }
    const std::string path = (folder / "hero.pk3").string();
    if (!WriteFileAtomically(path, zip.Build())) {
        state.SkipWithError("cannot write the pk3");
        return;
    }
    {
        COGLScene scene;
        ZipArchive pk3;
        if (!pk3.Open(path)) {
            state.SkipWithError("the pk3 did not open");
            return;
        }
        const PakEntry* body = pk3.FindEntry("players/hero/tris.md2");
        for (auto _ : state) {
            COGLPlayer player(&scene);
            if (!player.LoadFromPak(&pk3, *body, false) || !player.SetFirstWeapon() ||
                player.Skins().size() != kSkins || player.Weapons().size() != kWeapons) {
                state.SkipWithError("the player did not open whole");
                break;
            }
            benchmark::DoNotOptimize(player.CurrentWeapon());
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_OpenAPlayerFromAPk3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rendering included: each iteration draws every frame and writes the file.
static void BM_TurntableOfAPlayer(benchmark::State& state, MovieFormat format, const char* name) {
    QuietHost();
    RegisterModelClasses();
    const auto folder = ScratchFolder("turntable");
    std::filesystem::create_directories(folder / "players" / "hero");
    const std::string body = (folder / "players/hero/tris.md2").string();
    if (!WriteFileAtomically(body, RealSizedBody({"players/hero/skin0.pcx"})) ||
        !WriteFileAtomically((folder / "players/hero/skin0.pcx").string(), RealSizedSkin(0)) ||
        !WriteFileAtomically((folder / "players/hero/weapon.md2").string(), RealSizedBody({})) ||
        !WriteFileAtomically((folder / "players/hero/weapon.pcx").string(), RealSizedSkin(1))) {
        state.SkipWithError("cannot write the player");
        return;
    }
    std::string error;
    {
        auto headless = StartHeadlessView(512, 512, &error, nullptr, false);
        if (!headless || !headless->view->Document().OpenFile(body).succeeded) {
            state.SkipWithError(("the player did not open: " + error).c_str());
            return;
        }
        COGLView& view = *headless->view;
        view.Paint();
        view.Frame(true, true);
        MovieSpec movie;
        movie.turntable = true;
        movie.frames = 48;
        movie.width = 512;
        movie.height = 512;
        movie.orbit = MovieSpec::Orbit::Scene;
        const MovieOutput output{(folder / name).string(), format};
        // Frames go to the encoder as they are drawn: what the recording holds
        // above a still picture of the same size must not grow with the frames.
        if (!view.Capture(movie.width, movie.height, 4)) {
            state.SkipWithError("no still picture");
            return;
        }
        view.Release();
        ResetPeak();
        const double before = PeakResident();
        for (auto _ : state) {
            if (!SaveMovie(view, movie, output, nullptr, error)) {
                state.SkipWithError(error.c_str());
                break;
            }
        }
        const double growth = (PeakResident() - before) / kMegabyte;
        state.counters["peak_growth_MB"] = growth;
        if (growth >= 64.0) {
            state.SkipWithError("the recording held 64 MB or more above the still picture's");
        }
        if (const auto size = FileSize(output.path)) {
            state.counters["bytes"] = static_cast<double>(*size);
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK_CAPTURE(BM_TurntableOfAPlayer, gif, MovieFormat::Gif, "turn.gif")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_TurntableOfAPlayer, lossless_webp, MovieFormat::WebP, "turn.webp")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
