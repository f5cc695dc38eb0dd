#!/usr/bin/env bash
# Installs what is missing, builds, and starts Marovin (arguments go to the program).
set -euo pipefail
cd "$(dirname "$0")"
scripts/build.sh
exec ./build/apps/marovin/marovin "$@"
