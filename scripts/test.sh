#!/usr/bin/env bash
# Installs what is missing, builds everything, checks that every C++ source follows the
# house style (.clang-format) and the naming rule (.clang-tidy), and runs the whole test
# suite headless; then rebuilds everything under AddressSanitizer + UBSan (engine, dataset
# layer, store, capture, the CLI and the windows) and runs those tests again (the fuzz
# corpus replay among them).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/check-naming.sh build
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON -DKV_CORE_ONLY=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
