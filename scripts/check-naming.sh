#!/usr/bin/env bash
# Fails when a class member breaks the naming rule of .clang-tidy (private and
# protected data members are m_camelCase). Reads build/compile_commands.json, so
# it runs after a build (the test sources include the moc output they generate).
# Usage: check-naming.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tidy=$(command -v run-clang-tidy || command -v run-clang-tidy-14 || true)
if [ -z "$tidy" ]; then
  echo "check-naming: run-clang-tidy is missing (apt-get install clang-tidy)" >&2
  exit 2
fi
root=$(pwd)
folders=$(git ls-files '*.cpp' | cut -d/ -f1 | sort -u | paste -sd'|')
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# run-clang-tidy exits 0 even when a check fires in some versions: judge by its output.
# It always colours its output: strip the colours before reading it.
"$tidy" -p "$build" -quiet -j "$(nproc)" "^$root/($folders)/.*\\.cpp\$" 2>&1 |
  sed -E 's/\x1b\[[0-9;]*m//g' >"$log" || true
if grep -E '(warning|error): .*\[readability-identifier-naming' "$log" | sort -u >"$log.found" &&
   [ -s "$log.found" ]; then
  sed 's/^/  /' "$log.found"
  rm -f "$log.found"
  echo "Naming: members above break the rule in .clang-tidy (m_camelCase)." >&2
  exit 1
fi
rm -f "$log.found"
if grep -qE '^Error|error: ' "$log"; then
  grep -E '^Error|error: ' "$log" | head -20 >&2
  echo "check-naming: clang-tidy could not read some sources" >&2
  exit 2
fi
echo "Naming: every class member follows .clang-tidy."
