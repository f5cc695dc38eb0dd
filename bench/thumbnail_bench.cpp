// Thumbnails of a mod's worth of real-sized models (600 triangles, 200 frames, a
// 256 x 256 skin each) at 128 pixels, by one worker in this process through the
// software renderer:
// - one model drawn (the goal: well under 30 ms);
// - 500 models with an empty cache (the goal: under 15 s on two cores, that is
//   two workers, each taking half);
// - the same 500 again from the cache by a worker just started (the goal: under 1 s).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "BenchHost.h"
#include "models/ModelFamilies.h"
#include "render/ThumbnailCache.h"
#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"

namespace {
constexpr int kModels = 500;
constexpr int kSize = 128;

// A game folder of kModels models, each with its skin beside it, written once and
// removed when the program ends.
class ModFolder {
public:
    ModFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "marovin-bench-thumbs-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        root_ = pattern;
        fixtures::Indices skin(std::size_t(256) * 256);
        for (std::size_t i = 0; i < skin.size(); ++i) {
            skin[i] = static_cast<std::uint8_t>((i % 256) / 16 * 16 + (i / 256) / 16);
        }
        const ByteBuffer skinBytes = fixtures::WritePcx(256, 256, skin, fixtures::DistinctPalette());
        fixtures::FolderBuilder folder;
        for (int m = 0; m < kModels; ++m) {
            char name[32];
            std::snprintf(name, sizeof name, "models/m%03d/", m);
            fixtures::Md2Model model = fixtures::MakeTubeModel(
                20, 15, fixtures::NumberedFrames({{"stand", 40}, {"run", 6 * 10}, {"attack", 50}, {"pain", 50}}));
            model.skinWidth = model.skinHeight = 256;
            model.skins = {std::string(name) + "skin.pcx"};
            folder.Add(std::string(name) + "tris.md2", fixtures::WriteMd2(model));
            folder.Add(std::string(name) + "skin.pcx", skinBytes);
            entries_.push_back(std::string(name) + "tris.md2");
        }
        if (!folder.Write(root_ + "/mod")) {
            root_.clear();
        }
    }
    ~ModFolder() {
        if (!root_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(root_, ignored);
        }
    }
    ModFolder(const ModFolder&) = delete;
    ModFolder& operator=(const ModFolder&) = delete;

    bool Ready() const { return !root_.empty(); }
    std::string Mod() const { return root_ + "/mod"; }
    std::string Cache() const { return root_ + "/cache/"; }
    const std::vector<std::string>& Entries() const { return entries_; }

private:
    std::string root_;
    std::vector<std::string> entries_;
};

ModFolder& Mod() {
    QuietHost();
    RegisterModelClasses();
    static ModFolder mod;
    return mod;
}

// Asks for every model's thumbnail; false (with the reason) at the first that fails.
bool ThumbnailEvery(benchmark::State& state, Thumbnailer& thumbnailer, bool expectCached) {
    for (const std::string& entry : Mod().Entries()) {
        const Thumbnailer::Result result = thumbnailer.Get({Mod().Mod(), entry, kSize, 1});
        if (!result.ok || result.fromCache != expectCached) {
            state.SkipWithError((entry + ": " + (result.ok ? "cache not as expected" : result.reason)).c_str());
            return false;
        }
        benchmark::DoNotOptimize(result.picture.pixels.data());
    }
    return true;
}

void BM_ThumbnailOneModel(benchmark::State& state) {
    if (!Mod().Ready()) {
        state.SkipWithError("cannot write the models");
        return;
    }
    Thumbnailer thumbnailer("");  // no cache: every request draws
    const ThumbnailRequest request{Mod().Mod(), Mod().Entries().front(), kSize, 1};
    thumbnailer.Get(request);  // the view and the archive, made once per worker
    for (auto _ : state) {
        const Thumbnailer::Result result = thumbnailer.Get(request);
        if (!result.ok) {
            state.SkipWithError(result.reason.c_str());
            return;
        }
    }
}
BENCHMARK(BM_ThumbnailOneModel)->Unit(benchmark::kMillisecond);

void BM_Thumbnail500ModelsCold(benchmark::State& state) {
    if (!Mod().Ready()) {
        state.SkipWithError("cannot write the models");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::error_code ignored;
        std::filesystem::remove_all(Mod().Cache(), ignored);
        state.ResumeTiming();
        // A worker just started: its view, its archive and its cache begin empty.
        Thumbnailer thumbnailer(Mod().Cache());
        if (!ThumbnailEvery(state, thumbnailer, false)) {
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kModels);
}
BENCHMARK(BM_Thumbnail500ModelsCold)->Unit(benchmark::kSecond)->Iterations(2);

void BM_Thumbnail500ModelsFromCache(benchmark::State& state) {
    if (!Mod().Ready()) {
        state.SkipWithError("cannot write the models");
        return;
    }
    {
        Thumbnailer filling(Mod().Cache());
        for (const std::string& entry : Mod().Entries()) {
            filling.Get({Mod().Mod(), entry, kSize, 1});
        }
    }
    for (auto _ : state) {
        Thumbnailer thumbnailer(Mod().Cache());
        if (!ThumbnailEvery(state, thumbnailer, true)) {
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kModels);
}
BENCHMARK(BM_Thumbnail500ModelsFromCache)->Unit(benchmark::kMillisecond);

}  // namespace
