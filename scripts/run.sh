#!/usr/bin/env bash
# Builds Korvanta and starts it. With no display, serves the window over VNC on
# 127.0.0.1 only, behind a password it prints once (scripts/serve-vnc.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
if [ -x build/app/korvanta ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec scripts/serve-vnc.sh build/app/korvanta "$@"
  fi
  exec build/app/korvanta "$@"
fi
exec build/cli/korvanta-cli --help
