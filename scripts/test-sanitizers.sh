#!/usr/bin/env bash
# Builds the project with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (every finding fatal) in build-sanitize/ and runs every test there, the GL and
# GUI tests included. Leaks inside the system's GL, font and window libraries are
# suppressed by library name (tests/sanitizers/lsan.supp); the project's own are not.
# Libraries stay loaded to the end (tests/sanitizers/keep_loaded.c) so that every
# leak is reported with the library it came from.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
build=build-sanitize
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$build/Makefile" ]; then
  generator=(-G Ninja)
fi
cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMAROVIN_SANITIZE=ON -DMAROVIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
clang -shared -fPIC -O2 -o "$build/libkeep_loaded.so" tests/sanitizers/keep_loaded.c
# LeakSanitizer's own tracking of blocks handed out by __tls_get_addr misreads
# this glibc's thread vectors and crashes its leak check at exit, depending on
# the heap's layout; untracked, those blocks are still found through the
# thread's own pointers, so no leak goes unseen.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:intercept_tls_get_addr=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
export LD_PRELOAD="$PWD/$build/libkeep_loaded.so"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900
