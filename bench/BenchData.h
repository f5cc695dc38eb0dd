#pragma once

// Benchmarks of the user's own game data: every file under the folder named by
// MAROVIN_BENCH_DATA (searched to any depth) whose extension is one of a family's
// becomes one benchmark of its own, named "<family>/<path under the folder>", so
// a modder can time the reader on the files they care about. Nothing is
// registered when the variable is unset or names no folder.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/BinaryIO.h"
#include "platform/FileSystem.h"

namespace bench_data {

// Runs one timed iteration loop over the bytes of one file.
using FileBenchmark = std::function<void(benchmark::State&, const ByteBuffer& bytes, const std::string& path)>;

// Registers `run` for each matching file; returns how many were registered. Meant
// for a namespace-scope initialiser, before the benchmark runner starts.
inline int RegisterFiles(const std::string& family, const std::vector<std::string>& extensions, FileBenchmark run) {
    const char* root = std::getenv("MAROVIN_BENCH_DATA");
    std::error_code error;
    if (root == nullptr || *root == '\0' || !std::filesystem::is_directory(root, error)) {
        return 0;
    }
    std::vector<std::filesystem::path> files;
    for (auto it = std::filesystem::recursive_directory_iterator(
             root, std::filesystem::directory_options::skip_permission_denied, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string extension = fs_util::ToLower(fs_util::ExtensionOf(it->path().string()));
        if (it->is_regular_file(error) &&
            std::find(extensions.begin(), extensions.end(), extension) != extensions.end()) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        const std::string path = file.string();
        const std::string name = family + "/" + std::filesystem::relative(file, root, error).string();
        benchmark::RegisterBenchmark(name.c_str(), [run, path](benchmark::State& state) {
            const auto bytes = ReadWholeFile(path);
            if (!bytes) {
                state.SkipWithError(("cannot read " + path).c_str());
                return;
            }
            run(state, *bytes, path);
            state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                                    static_cast<std::int64_t>(bytes->size()));
        })->Unit(benchmark::kMillisecond);
    }
    return static_cast<int>(files.size());
}

}  // namespace bench_data
