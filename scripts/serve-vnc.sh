#!/usr/bin/env bash
# Runs a program on a virtual X display and serves that display over VNC on the
# loopback interface only: the VNC server has no password, so it must not be
# reachable from the network. Reach it from another machine through an SSH
# tunnel (ssh -L 5900:127.0.0.1:5900 HOST).
# Usage: scripts/serve-vnc.sh PROGRAM [ARGS...]; KV_VNC_PORT overrides 5900.
set -euo pipefail
port="${KV_VNC_PORT:-5900}"
workdir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number and writes it to the file; it takes no
# TCP connections, only the local socket.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$workdir/display" 2>"$workdir/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
  [ -s "$workdir/display" ] && break
  sleep 0.1
done
[ -s "$workdir/display" ] || { echo "Xvfb did not start:" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
display=":$(tr -d '\n' <"$workdir/display")"

x11vnc -display "$display" -rfbport "$port" -localhost -listen 127.0.0.1 -noipv6 \
       -nopw -forever -shared -quiet -o "$workdir/x11vnc.log" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  ss -Hltn "sport = :$port" | grep -q . && break
  kill -0 "${pids[-1]}" 2>/dev/null || { echo "x11vnc did not start:" >&2; cat "$workdir/x11vnc.log" >&2; exit 1; }
  sleep 0.1
done

echo "Serving Korvanta over VNC on 127.0.0.1:$port (loopback only; connect a VNC viewer there)."
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$@" &
pids+=($!)
wait "${pids[-1]}"
