#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (run as root), then
# configures and builds Korvanta into build/. Safe to run again: it installs
# only what is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
          pxlib-dev libsqlite3-dev sqlite3 clang clang-format libclang-rt-14-dev
          xvfb xauth x11vnc openbox xdotool x11-utils python3 openssl iproute2 imagemagick file
          appstream desktop-file-utils lintian fonts-dejavu-core fonts-liberation2 strace
          postgresql)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
