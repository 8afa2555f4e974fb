#!/usr/bin/env bash
# Starts the program the way scripts/run.sh does without a display and checks
# that every socket it, its X server and its VNC server listen on is bound to
# the loopback interface: the VNC server has no password.
# Usage: vnc_loopback_only.sh SOURCE_DIR PROGRAM
set -euo pipefail
source_dir=$1
program=$2
port=$((20000 + $$ % 10000))
# The process name, as the kernel keeps it (15 characters at most): matching
# the whole command line would also find the script that was given the path.
name=$(basename "$program" | cut -c1-15)

setsid env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM KV_VNC_PORT="$port" \
    "$source_dir/scripts/serve-vnc.sh" "$program" >/dev/null 2>&1 &
group=$!
trap 'kill -- -$group 2>/dev/null || true' EXIT

# The program's window is up once it has an X client next to the VNC server;
# waiting for the port alone would check before the program itself started.
for _ in $(seq 300); do
  ss -Hltn "sport = :$port" | grep -q . && pgrep -g "$group" -x "$name" >/dev/null && break
  sleep 0.1
done
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
