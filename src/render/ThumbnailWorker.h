#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The thumbnail worker: a process of its own, so that a file that crashes a reader
// cannot take the window down and the window never waits on GL. It reads one
// request a line from `in`:
//
//     <id> TAB <size> TAB <frames> TAB <archive> TAB <name>
//
// (id a decimal number, size 16..1024, frames 1 or more, archive empty when name is
// a file) and answers each, in order, with one line on `out`, flushed at once:
//
//     ok TAB <id> TAB <png path> TAB <facts as one line of JSON>
//     fail TAB <id> TAB <reason>
//
// A malformed line is answered "fail", with its id or 0, and the worker goes on.
// The PNG lies in the thumbnail cache (DefaultThumbnailDirectory); where that
// cannot be used, in a folder of the worker's own that goes when it ends. Returns
// the process's exit code: 0 at the end of the input, 1 when `out` fails.
//
// The model classes must be registered (RegisterModelClasses) before it runs.
// When `out` is the standard output, that stream is kept for the answers alone:
// anything else written to it goes to the standard error instead.
int RunThumbnailWorker(std::FILE* in, std::FILE* out);
// The same with the cache in `cacheDirectory` (with its trailing "/").
int RunThumbnailWorker(std::FILE* in, std::FILE* out, const std::string& cacheDirectory);

// The memory a worker may take for its data: far more than any real model needs.
inline constexpr std::uint64_t kThumbnailWorkerMemory = 2ull * 1024 * 1024 * 1024;
// Caps this process's data (its heap and private writable mappings) at `bytes`, so
// that a hostile file's sizes make an allocation fail in the worker, which then
// answers "fail" or ends, instead of swamping the machine. The data limit rather
// than the address space's: GL drivers and malloc's per-thread arenas reserve far
// more address space than they ever fill. The programs call it before
// RunThumbnailWorker; false when it could not be set, and in builds with a
// sanitizer, whose shadow memory counts as data, it sets none.
bool LimitWorkerMemory(std::uint64_t bytes = kThumbnailWorkerMemory);
