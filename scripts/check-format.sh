#!/usr/bin/env bash
# Fails when a C++ source differs from the project's .clang-format (one house
# style). Fix with: cmake --build build --target format
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! clang-format --dry-run -Werror $files 2>"$log"; then
  grep -o '^[^:]*' "$log" | sort -u | sed 's/^/  not in the house style: /'
  echo "Run 'cmake --build build --target format' (clang-format -i) and commit." >&2
  exit 1
fi
echo "Format: every C++ source follows .clang-format."
