#!/usr/bin/env bash
# Installs what is missing on Debian 12 (run as root), then configures and builds
# Korvanta into build/. Safe to run again: it installs only what is missing and
# rebuilds only what changed.
#
#   scripts/setup.sh run    what building and running the programs needs; builds them
#   scripts/setup.sh [test] that, plus what the tests, benchmarks and checks need
#                           (independent readers, a database server, a window manager
#                           to drive, packaging checkers, sanitizer runtimes); builds all
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-test}
case "$mode" in
  run|test) ;;
  *) echo "usage: scripts/setup.sh [run|test]" >&2; exit 2 ;;
esac

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins libsqlite3-dev
          xvfb xauth x11vnc iproute2 fonts-dejavu-core fonts-liberation2)
if [ "$mode" = test ]; then
  packages+=(pxlib-dev sqlite3 clang clang-format clang-tidy libclang-rt-14-dev
             openbox xdotool x11-utils python3 openssl imagemagick file
             appstream desktop-file-utils lintian strace postgresql)
fi
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
if [ "$mode" = run ]; then
  cmake --build build -j "$jobs" --target korvanta korvanta-cli korvanta-report
else
  cmake --build build -j "$jobs"
fi
