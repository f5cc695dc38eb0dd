#pragma once

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
