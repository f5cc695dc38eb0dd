#pragma once

// Shared set-up of the fuzz targets: a quiet headless host whose message list does
// not grow, and logs that have nowhere to go, so no run touches the disk for them.

#include "platform/FileSystem.h"
#include "platform/Host.h"

inline void PrepareFuzzRun() {
    static HeadlessHost host;
    static bool once = [] {
        host.quiet = true;
        SetHost(&host);
        paths::SetProgramDirectoryForTesting("/dev/null/marovin-fuzz");
        paths::SetUserDirectoriesForTesting("/dev/null/marovin-fuzz", "/dev/null/marovin-fuzz");
        return true;
    }();
    (void)once;
    host.Clear();
}
