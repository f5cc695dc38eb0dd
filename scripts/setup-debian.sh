#!/usr/bin/env bash
# Installs every Debian package Marovin needs to build, test and run, and the
# glTF validator its export tests use.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri mesa-utils
  libjpeg-dev libpng-dev libfreetype-dev libfontconfig-dev libfreeimage-dev libtinygltf-dev libassimp-dev libzip-dev
  libgif-dev libwebp-dev
  fonts-liberation2 fonts-dejavu-core
  qt6-base-dev libqt6opengl6-dev libqt6openglwidgets6 qt6-qpa-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev llvm
  xvfb xauth xdg-utils python3 python3-pil
  bubblewrap shared-mime-info libxml2-utils libglib2.0-bin
  dpkg-dev appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# Node.js runs the glTF validator of the export tests; any Node.js 18 or newer
# serves, so one the machine already has is kept.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  missing+=(nodejs npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
fi

# The Khronos glTF validator, from npm's registry, at the version the tests know.
validator_version=2.0.0-dev.3.10
if ! grep -qs "\"version\": \"$validator_version\"" "$(npm root -g)/gltf-validator/package.json"; then
  echo "Installing: gltf-validator@$validator_version (npm)"
  $sudo npm install -g --no-fund --no-audit "gltf-validator@$validator_version"
fi
