// Speed of the media layer: opening a large pak and building its tree, looking
// entries up, and decoding 1024 x 1024 pictures.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/COGLImage.h"
#include "media/CPakFile.h"
#include "platform/Host.h"
#include "support/MediaWriters.h"

namespace {
constexpr int kEntries = 20000;
constexpr int kSide = 1024;

// The names a large game archive holds: textures, models with their skins, sounds.
std::vector<std::string> PakNames() {
    std::vector<std::string> names;
    names.reserve(kEntries);
    for (int i = 0; names.size() < static_cast<std::size_t>(kEntries); ++i) {
        const std::string n = std::to_string(i);
        switch (i % 4) {
            case 0: names.push_back("textures/e" + std::to_string(i % 40) + "u1/wall" + n + ".wal"); break;
            case 1: names.push_back("models/monsters/m" + std::to_string(i / 4) + "/tris.md2"); break;
            case 2: names.push_back("models/monsters/m" + std::to_string(i / 4) + "/skin" + n + ".pcx"); break;
            default: names.push_back("sound/world/s" + n + ".wav"); break;
        }
    }
    return names;
}

class Fixture {
public:
    Fixture() {
        host_.quiet = true;
        SetHost(&host_);
        std::string pattern = (std::filesystem::temp_directory_path() / "marovin-bench-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        names_ = PakNames();
        fixtures::PakBuilder builder;
        for (const auto& name : names_) {
            builder.Add(name, "data");
        }
        pakPath_ = dir_ + "/big.pak";
        const ByteBuffer bytes = builder.Build();
        std::FILE* f = std::fopen(pakPath_.c_str(), "wb");
        if (f != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }

        fixtures::Indices indices(std::size_t(kSide) * kSide);
        for (std::size_t i = 0; i < indices.size(); ++i) {
            // Short runs and some literal bytes, as in real skins.
            indices[i] = static_cast<std::uint8_t>((i / 3) * 7 % 251);
        }
        pcx_ = fixtures::WritePcx(kSide, kSide, indices, fixtures::DistinctPalette());
        wal_ = fixtures::WriteWal(kSide, kSide, indices);
        ByteBuffer stored(std::size_t(kSide) * kSide * 4);
        for (std::size_t i = 0; i < stored.size(); ++i) {
            stored[i] = static_cast<std::uint8_t>(i * 13 / 7);
        }
        fixtures::TgaOptions options;
        options.bits = 32;
        tga_ = fixtures::WriteTga(kSide, kSide, stored, options);
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        SetHost(nullptr);
    }

    HeadlessHost host_;
    std::string dir_;
    std::string pakPath_;
    std::vector<std::string> names_;
    ByteBuffer pcx_;
    ByteBuffer wal_;
    ByteBuffer tga_;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_OpenPakAndBuildTree(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        CPakFile pak;
        if (!pak.Open(f.pakPath_)) {
            state.SkipWithError("cannot open the pak");
            return;
        }
        PakTreeNode root;
        pak.BuildDirectoryTree(root);
        benchmark::DoNotOptimize(root.children.size());
    }
}
BENCHMARK(BM_OpenPakAndBuildTree)->Unit(benchmark::kMillisecond);

void BM_FindEntry(benchmark::State& state) {
    Fixture& f = Shared();
    CPakFile pak;
    if (!pak.Open(f.pakPath_)) {
        state.SkipWithError("cannot open the pak");
        return;
    }
    // Asked in another letter case than stored, as scene files and models do.
    std::vector<std::string> queries;
    for (std::size_t i = 0; i < f.names_.size(); i += 7) {
        std::string q = f.names_[i];
        for (char& c : q) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        queries.push_back(q);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pak.FindEntry(queries[i]));
        i = (i + 1) % queries.size();
    }
}
BENCHMARK(BM_FindEntry);

void Decode(benchmark::State& state, PictureFormat format, const ByteBuffer& bytes) {
    COGLImage image;
    for (auto _ : state) {
        if (!image.LoadFromMemory(format, bytes.data(), bytes.size(), true, false, false)) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(image.Pixels().data());
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);  // pixels: items/s reads as pixels/s
}

void BM_DecodePcx1024(benchmark::State& state) { Decode(state, PictureFormat::Pcx, Shared().pcx_); }
void BM_DecodeTga1024(benchmark::State& state) { Decode(state, PictureFormat::Tga, Shared().tga_); }
void BM_DecodeWal1024(benchmark::State& state) { Decode(state, PictureFormat::Wal, Shared().wal_); }
BENCHMARK(BM_DecodePcx1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTga1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeWal1024)->Unit(benchmark::kMillisecond);
}  // namespace
