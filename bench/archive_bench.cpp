// Speed and size of the archives beside the pak: opening a large pk3 and building
// its tree, opening a whole game folder with its tree, reading one model out of a
// pk3, finding a name through a stack of ten archives, and the heap an open
// archive of 20,000 entries holds. Every input is written at set-up by the tests'
// own writers into a temporary folder.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/CPakFile.h"
#include "media/GameFolder.h"
#include "media/ZipArchive.h"
#include "platform/Host.h"
#include "support/ArchiveWriters.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"

namespace {
constexpr int kLargeEntries = 20000;
constexpr int kLooseFiles = 3000;
constexpr int kStackedArchives = 10;

// The names a large game archive holds: textures, models with their skins, sounds.
std::string NameOf(int i, const std::string& tag = "") {
    const std::string n = std::to_string(i);
    switch (i % 4) {
        case 0: return "textures/e" + std::to_string(i % 40) + "u1/wall" + tag + n + ".wal";
        case 1: return "models/monsters/m" + tag + std::to_string(i / 4) + "/tris.md2";
        case 2: return "models/monsters/m" + tag + std::to_string(i / 4) + "/skin" + n + ".pcx";
        default: return "sound/world/s" + tag + n + ".wav";
    }
}

ByteBuffer PakOf(int first, int count, const std::string& tag) {
    fixtures::PakBuilder pak;
    for (int i = first; i < first + count; ++i) {
        pak.Add(NameOf(i, tag), "data");
    }
    return pak.Build();
}

ByteBuffer ZipOf(int first, int count, const std::string& tag) {
    fixtures::ZipBuilder zip;
    for (int i = first; i < first + count; ++i) {
        zip.Add(NameOf(i, tag), "data", false);
    }
    return zip.Build();
}

class Fixture {
public:
    Fixture() {
        host_.quiet = true;
        SetHost(&host_);
        const char* tz = std::getenv("TZ");
        tzAsFound_ = tz != nullptr ? std::optional<std::string>(tz) : std::nullopt;
        std::string pattern = (std::filesystem::temp_directory_path() / "marovin-archive-bench-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();

        fixtures::FolderBuilder files;
        files.Add("big.pk3", ZipOf(0, kLargeEntries, ""));
        files.Add("big.pak", PakOf(0, kLargeEntries, ""));

        // One model of about 320 KB, deflated as a modder's zip tool does.
        model_ = fixtures::WriteMd2(fixtures::MakeTubeModel(24, 16, fixtures::NumberedFrames({{"run", 185}})));
        files.Add("model.pk3", fixtures::ZipBuilder().Add("models/tube/tris.md2", model_).Build());

        // A Quake 2 folder: four paks, two pk3s, 3,000 loose files.
        files.Add("game/baseq2/pak0.pak", PakOf(0, 3000, ""));
        for (int p = 1; p < 4; ++p) {
            files.Add("game/baseq2/pak" + std::to_string(p) + ".pak", PakOf(0, 500, "p" + std::to_string(p)));
        }
        files.Add("game/baseq2/maps.pk3", ZipOf(0, 1000, "z"));
        files.Add("game/baseq2/mods.pk3", ZipOf(500, 1000, ""));
        for (int i = 0; i < kLooseFiles; ++i) {
            files.Add("game/baseq2/" + NameOf(i, "loose"), "loose");
        }

        // Ten archives stacked: names overlap between neighbours, so lookups meet
        // both winners and hidden entries.
        for (int p = 0; p < kStackedArchives; ++p) {
            files.Add("stack/baseq2/pak" + std::to_string(p) + ".pak", PakOf(p * 500, 1000, ""));
        }
        ok_ = !dir_.empty() && files.Write(dir_);
        for (int i = 0; i < (kStackedArchives + 1) * 500; i += 3) {
            std::string q = NameOf(i);
            for (char& c : q) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
            queries_.push_back(q);
        }
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        SetHost(nullptr);
    }

    // The process's time zone as it came, or pinned as start-up may pin it.
    void UseTimeZone(bool pinned) const {
        if (pinned) {
            ZipArchive::PinTimeZone();
        } else if (tzAsFound_) {
            setenv("TZ", tzAsFound_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    HeadlessHost host_;
    std::string dir_;
    bool ok_ = false;
    std::optional<std::string> tzAsFound_;
    ByteBuffer model_;
    std::vector<std::string> queries_;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

template <typename Kind>
std::unique_ptr<Kind> Open(benchmark::State& state, const std::string& path) {
    auto archive = std::make_unique<Kind>();
    if (!Shared().ok_ || !archive->Open(path)) {
        state.SkipWithError(("cannot open " + path).c_str());
        return nullptr;
    }
    return archive;
}

// Arg 0: the time zone as the process found it; 1: pinned (ZipArchive::PinTimeZone).
template <typename Kind>
void OpenAndBuildTree(benchmark::State& state, const std::string& path) {
    Fixture& f = Shared();
    f.UseTimeZone(state.range(0) != 0);
    for (auto _ : state) {
        auto archive = Open<Kind>(state, f.dir_ + "/" + path);
        if (archive == nullptr) {
            break;
        }
        PakTreeNode root;
        archive->BuildDirectoryTree(root);
        benchmark::DoNotOptimize(root.children.size());
    }
    f.UseTimeZone(false);
}
void BM_OpenPk3AndBuildTree(benchmark::State& state) { OpenAndBuildTree<ZipArchive>(state, "big.pk3"); }
void BM_OpenGameFolderAndBuildTree(benchmark::State& state) { OpenAndBuildTree<GameFolder>(state, "game"); }
BENCHMARK(BM_OpenPk3AndBuildTree)->ArgName("pinned_tz")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenGameFolderAndBuildTree)->ArgName("pinned_tz")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReadDeflatedModelFromPk3(benchmark::State& state) {
    Fixture& f = Shared();
    auto zip = Open<ZipArchive>(state, f.dir_ + "/model.pk3");
    if (zip == nullptr) {
        return;
    }
    const PakEntry* entry = zip->FindEntry("models/tube/tris.md2");
    for (auto _ : state) {
        auto bytes = zip->ReadEntry(*entry);
        if (!bytes || bytes->size() != f.model_.size()) {
            state.SkipWithError("the model did not read back whole");
            return;
        }
        benchmark::DoNotOptimize(bytes->data());
    }
    state.counters["model_bytes"] = static_cast<double>(f.model_.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(f.model_.size()));
}
BENCHMARK(BM_ReadDeflatedModelFromPk3)->Unit(benchmark::kMillisecond);

void BM_FindThroughStackOfTen(benchmark::State& state) {
    Fixture& f = Shared();
    auto game = Open<GameFolder>(state, f.dir_ + "/stack/baseq2");
    if (game == nullptr) {
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(game->FindEntry(f.queries_[i]));
        i = (i + 1) % f.queries_.size();
    }
    state.counters["sources"] = game->SourceCount() - 1;  // less the loose files
}
BENCHMARK(BM_FindThroughStackOfTen);

// The heap an open archive of 20,000 entries holds: its entries and name index
// and, for the pk3, libzip's own directory.
template <typename Kind>
void IndexMemory(benchmark::State& state, const std::string& file) {
    Fixture& f = Shared();
    for (auto _ : state) {
        ::malloc_trim(0);
        const std::size_t before = ::mallinfo2().uordblks;
        auto archive = Open<Kind>(state, f.dir_ + "/" + file);
        if (archive == nullptr) {
            return;
        }
        const std::size_t after = ::mallinfo2().uordblks;
        state.counters["heap_bytes"] = static_cast<double>(after - before);
        state.counters["bytes_per_entry"] = static_cast<double>(after - before) / archive->EntryCount();
    }
}
void BM_IndexMemoryPak(benchmark::State& state) { IndexMemory<CPakFile>(state, "big.pak"); }
void BM_IndexMemoryPk3(benchmark::State& state) { IndexMemory<ZipArchive>(state, "big.pk3"); }
BENCHMARK(BM_IndexMemoryPak)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexMemoryPk3)->Iterations(3)->Unit(benchmark::kMillisecond);
}  // namespace
