#!/usr/bin/env bash
# Serves the program over VNC as root the way scripts/run.sh does without a
# display, then tries to reach it as another local user (nobody), who already
# listens on the port asked for: the served port must be another one held by
# the script's own VNC server, the X display must refuse nobody, the VNC server
# must offer password authentication only and refuse a wrong answer (while
# taking the printed password), the secrets must be readable by root alone,
# and they must be gone once the script is stopped.
# Usage: vnc_owner_only.sh SOURCE_DIR PROGRAM
set -euo pipefail
source_dir=$1
program=$2
if [ "$(id -u)" != 0 ] || ! command -v runuser >/dev/null; then
  echo "SKIP: needs root and runuser to try the served window as another user"
  exit 0
fi
as_nobody() { runuser -u nobody -- env PATH=/usr/local/bin:/usr/bin:/bin "$@"; }
for tool in xdpyinfo xwininfo python3 openssl; do
  as_nobody sh -c "command -v $tool" >/dev/null ||
    { echo "SKIP: $tool is missing (scripts/setup.sh installs it)"; exit 0; }
done

asked_port=$((20000 + $$ % 10000))
name=$(basename "$program" | cut -c1-15)
tmp=$(mktemp -d)
mkdir -m 0700 "$tmp/run"
intruder=""
served=""
cleanup() {
  [ -z "$served" ] || kill -- -"$served" 2>/dev/null || true
  [ -z "$intruder" ] || kill -- -"$intruder" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
wait_for() {
  for _ in $(seq 300); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
listening() { ss -Hltn "sport = :$1" | grep -q .; }

setsid runuser -u nobody -- env PATH=/usr/local/bin:/usr/bin:/bin python3 -m http.server --bind 127.0.0.1 "$asked_port" >/dev/null 2>&1 &
intruder=$!
wait_for listening "$asked_port" || fail "nobody's listener on $asked_port did not start"

setsid env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM KV_VNC_PORT="$asked_port" \
  XDG_RUNTIME_DIR="$tmp/run" "$source_dir/scripts/serve-vnc.sh" "$program" >"$tmp/out" 2>&1 &
served=$!
program_started() { grep -q '^Serving' "$tmp/out" && pgrep -g "$served" -x "$name" >/dev/null; }
wait_for program_started || { cat "$tmp/out"; fail "the program was not served"; }
port=$(sed -n 's/^Serving .* on 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$tmp/out")
password=$(sed -n 's/^VNC password for this run: //p' "$tmp/out")
echo "asked for $asked_port (taken by nobody), served on $port, password of ${#password} characters"
[ -n "$port" ] && [ "$port" != "$asked_port" ] || fail "served port '$port' is not another port"
[ ${#password} = 8 ] || fail "the printed password is not 8 characters long"
vnc_pid=$(pgrep -g "$served" -x x11vnc) || fail "no x11vnc of the script's own"
listeners=$(ss -Hltnp "sport = :$port")
echo "$listeners"
[ -n "$listeners" ] && ! grep -qv "pid=$vnc_pid," <<<"$listeners" ||
  fail "port $port is not held by the script's x11vnc ($vnc_pid) alone"

program_pid=$(pgrep -g "$served" -x "$name")
environment=$(tr '\0' '\n' <"/proc/$program_pid/environ")
display=$(sed -n 's/^DISPLAY=//p' <<<"$environment")
authority=$(sed -n 's/^XAUTHORITY=//p' <<<"$environment")
[ -n "$display" ] && [ -n "$authority" ] || fail "the program got no DISPLAY or XAUTHORITY"
# The program reached its display through the cookie it was given.
program_window() {
  XAUTHORITY="$authority" xwininfo -root -children -display "$display" 2>/dev/null | grep -q '^ *0x[0-9a-f]* "'
}
wait_for program_window || fail "the program shows no window on $display"
if as_nobody xdpyinfo -display "$display" >"$tmp/xdpyinfo" 2>&1; then
  fail "nobody opened the display $display"
fi
grep -q "unable to open display" "$tmp/xdpyinfo" || fail "unexpected: $(cat "$tmp/xdpyinfo")"
echo "nobody could not open $display"
as_nobody cat "$authority" >/dev/null 2>&1 && fail "nobody read the X authority file"

passfiles=("$tmp/run/korvanta"/*)
[ ${#passfiles[@]} = 1 ] || fail "expected one password file: ${passfiles[*]}"
mode=$(stat -c %a "${passfiles[0]}")
[ "$mode" = 600 ] || fail "the password file has mode $mode"
[ "$(head -n1 "${passfiles[0]}")" = "$password" ] || fail "the password file does not hold the printed password"

# Speaks RFB 3.8 by hand: the server must offer VNC authentication (2) and
# never None (1); the answer to its challenge is the challenge DES-encrypted
# with the password, each key byte's bits reversed.
rfb_session() {
  as_nobody python3 - "$port" "$1" <<'EOF'
import socket, subprocess, sys

port, password = int(sys.argv[1]), sys.argv[2]

def read_exactly(sock, n):
    data = b""
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            sys.exit("the server closed the connection after %r" % data)
        data += chunk
    return data

def answer(challenge):
    key = bytes(int(format(b, "08b")[::-1], 2) for b in password.encode()[:8].ljust(8, b"\0"))
    return subprocess.run(["openssl", "enc", "-des-ecb", "-nopad", "-K", key.hex(),
                           "-provider", "legacy", "-provider", "default"],
                          input=challenge, capture_output=True, check=True).stdout

with socket.create_connection(("127.0.0.1", port), timeout=10) as sock:
    version = read_exactly(sock, 12)
    if not version.startswith(b"RFB 003."):
        sys.exit("not an RFB server: %r" % version)
    sock.sendall(b"RFB 003.008\n")
    count = read_exactly(sock, 1)[0]
    types = list(read_exactly(sock, count))
    if count == 0 or 1 in types or 2 not in types:
        sys.exit("security types offered: %r" % types)
    sock.sendall(b"\x02")
    challenge = read_exactly(sock, 16)
    response = answer(challenge) if password else bytes(16)
    sock.sendall(response)
    result = int.from_bytes(read_exactly(sock, 4), "big")
    print("security types %r, result %d" % (types, result))
    sys.exit(0 if result == 0 else 3)
EOF
}
status=0
rfb_session "$password" || status=$?
[ $status = 0 ] || fail "the printed password was refused (status $status)"
status=0
rfb_session "" || status=$?
[ $status = 3 ] || fail "a wrong password was not refused as such (status $status)"

kill "$served"
wait "$served" 2>/dev/null || true
served_group=$served
served=""
kill -- -"$served_group" 2>/dev/null || true
[ ! -e "${passfiles[0]}" ] || fail "the password file outlived the session"
[ ! -e "$authority" ] || fail "the X authority file outlived the session"
echo "PASS: the served window is for root alone"
