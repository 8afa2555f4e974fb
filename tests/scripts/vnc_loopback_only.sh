#!/usr/bin/env bash
# Starts the program the way scripts/run.sh does without a display and checks
# that every socket it, its X server and its VNC server listen on is bound to
# the loopback interface: the session is meant for this machine's user only.
# Usage: vnc_loopback_only.sh SOURCE_DIR PROGRAM
set -euo pipefail
source_dir=$1
program=$2
asked_port=$((20000 + $$ % 10000))
# The process name, as the kernel keeps it (15 characters at most): matching
# the whole command line would also find the script that was given the path.
name=$(basename "$program" | cut -c1-15)

# The password goes to a folder of the test's own, not to the user's.
tmp=$(mktemp -d)
setsid env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM KV_VNC_PORT="$asked_port" \
    XDG_RUNTIME_DIR="$tmp" "$source_dir/scripts/serve-vnc.sh" "$program" >"$tmp/out" 2>&1 &
group=$!
trap 'kill -- -$group 2>/dev/null || true; rm -rf "$tmp"' EXIT

# The program's window is up once it has an X client next to the VNC server;
# waiting for the port alone would check before the program itself started.
# The port served is the one asked for unless something already listened there.
for _ in $(seq 300); do
  port=$(sed -n 's/^Serving .* on 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$tmp/out")
  [ -n "$port" ] && pgrep -g "$group" -x "$name" >/dev/null && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$tmp/out"; echo "FAIL: the script did not say where it serves"; exit 1; }
sleep 1
pgrep -g "$group" -x "$name" >/dev/null || { echo "FAIL: the program did not start"; exit 1; }
pids=$(pgrep -g "$group" | paste -sd'|')
[ -n "$pids" ] || { echo "FAIL: nothing was started"; exit 1; }
sockets=$(ss -Hltnp | grep -E "pid=($pids)," || true)
echo "$sockets"
echo "$sockets" | grep -q ":$port " || { echo "FAIL: nothing listens on port $port"; exit 1; }
outside=$(echo "$sockets" | awk '{print $4}' | grep -vE '^(127\.0\.0\.1|\[::1\]):' || true)
if [ -n "$outside" ]; then
  echo "FAIL: listening beyond loopback: $outside"
  exit 1
fi
echo "PASS: every listening socket is on loopback"
