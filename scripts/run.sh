#!/usr/bin/env bash
# Builds Korvanta and starts it. With no display, serves the window over a VNC
# server on 127.0.0.1 instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ -x build/app/korvanta ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: serving Korvanta over VNC on 127.0.0.1:5900 (connect a VNC viewer there)."
    exec env QT_QPA_PLATFORM="vnc:addr=127.0.0.1:port=5900" build/app/korvanta "$@"
  fi
  exec build/app/korvanta "$@"
fi
exec build/cli/korvanta-cli --help
