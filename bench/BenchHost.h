#pragma once

#include "platform/Host.h"

// The host every benchmark runs under: headless, and quiet, so that messages a
// timed reader shows cost nothing and print nothing.
inline HeadlessHost& QuietHost() {
    static HeadlessHost host;
    host.quiet = true;
    SetHost(&host);
    return host;
}
