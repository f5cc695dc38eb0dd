#!/usr/bin/env bash
# Configures and builds everything into build/ (installing packages first).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f build/Makefile ]; then
  generator=(-G Ninja)
fi
cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"
