#!/usr/bin/env bash
# Runs a program on a virtual X display and serves that display over VNC to the
# person who started it, on the loopback interface only. The program often runs
# as root and its dialogs can write any file, so other local users must get
# neither the display (it takes only clients holding a cookie kept in a private
# folder) nor the VNC session (it asks for a password made for this run, shown
# once). Reach it from another machine through an SSH tunnel
# (ssh -L 5900:127.0.0.1:5900 HOST).
# Usage: scripts/serve-vnc.sh PROGRAM [ARGS...]; KV_VNC_PORT overrides 5900, the
# first port tried: when something else listens there, the next 20 are tried.
set -euo pipefail
umask 077
first_port="${KV_VNC_PORT:-5900}"
ports_to_try=21
if ! [[ $first_port =~ ^[1-9][0-9]{0,4}$ ]] || ((first_port > 65536 - ports_to_try)); then
  echo "KV_VNC_PORT must be a port number up to $((65536 - ports_to_try)): $first_port" >&2
  exit 2
fi
workdir=$(mktemp -d)
authfile="$workdir/Xauthority"
passfile=""
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$workdir"
  [ -z "$passfile" ] || rm -f "$passfile"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "$1" >&2
  [ -z "${2:-}" ] || cat "$2" >&2
  exit 1
}

# VNC passwords live where the user's other session secrets do; a folder that
# is a link or belongs to someone else could hand the password to its owner.
password_folder() {
  local base
  if [[ ${XDG_RUNTIME_DIR:-} == /* ]] && [ -d "$XDG_RUNTIME_DIR" ] && [ ! -L "$XDG_RUNTIME_DIR" ] &&
    [ -O "$XDG_RUNTIME_DIR" ]; then
    base="$XDG_RUNTIME_DIR"
  else
    [[ ${HOME:-} == /* ]] || fail "HOME is not an absolute path: cannot store the VNC password."
    base="$HOME/.config"
  fi
  mkdir -p "$base/korvanta"
  if [ -L "$base/korvanta" ] || [ ! -d "$base/korvanta" ] || [ ! -O "$base/korvanta" ]; then
    fail "$base/korvanta is not a folder of yours: cannot store the VNC password there."
  fi
  chmod 0700 "$base/korvanta"
  echo "$base/korvanta"
}

# VNC authentication uses the first 8 characters only, so all 8 are random.
random_password() {
  local chars
  chars=$(head -c 512 /dev/urandom | LC_ALL=C tr -dc 'A-Za-z0-9')
  ((${#chars} >= 8)) || fail "Could not draw a random VNC password."
  echo "${chars:0:8}"
}

# Secrets go to xauth through its standard input: a command line can be read
# by every local user.
add_cookie() {
  printf 'add %s . %s\n' "$1" "$cookie" | xauth -q -f "$authfile" source -
}

# The server loads every cookie of its file whatever display it names, so a
# placeholder entry protects it from its first connection; once its number is
# known, clients get an entry naming it.
start_x_server() {
  : >"$authfile"
  add_cookie :0
  Xvfb -displayfd 3 -nolisten tcp -auth "$authfile" -screen 0 1280x800x24 \
    3>"$workdir/display" 2>"$workdir/xvfb.log" &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$workdir/display" ] && break
    sleep 0.1
  done
  [ -s "$workdir/display" ] || fail "Xvfb did not start:" "$workdir/xvfb.log"
  display=":$(tr -d '\n' <"$workdir/display")"
  if [ "$display" != :0 ]; then
    add_cookie "$display"
    xauth -q -f "$authfile" remove :0
  fi
}

# True when every socket listening on the port belongs to the given process:
# a listener of another user on the same port (on IPv6, say) could catch a
# viewer aimed at "localhost" and relay its password answer.
holds_port() {
  local listeners
  listeners=$(ss -Hltnp "sport = :$2")
  [ -n "$listeners" ] && ! grep -qv "pid=$1," <<<"$listeners"
}

# Starts the VNC server on the port; true once it alone listens there, false
# (with the server stopped) when the port turned out to be taken.
serve_on_port() {
  local port=$1 vnc_pid listeners
  x11vnc -display "$display" -auth "$authfile" -rfbport "$port" -localhost -listen 127.0.0.1 \
    -noipv6 -passwdfile "$passfile" -forever -shared -quiet \
    -o "$workdir/x11vnc.log" >/dev/null 2>&1 &
  vnc_pid=$!
  pids+=("$vnc_pid")
  for _ in $(seq 100); do
    holds_port "$vnc_pid" "$port" && return 0
    kill -0 "$vnc_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$vnc_pid" 2>/dev/null; then
    listeners=$(ss -Hltn "sport = :$port")
    stop_last_vnc_server "$vnc_pid"
    [ -n "$listeners" ] && return 1
    fail "x11vnc did not listen on port $port within 10 seconds:" "$workdir/x11vnc.log"
  fi
  stop_last_vnc_server "$vnc_pid"
  grep -q "could not obtain listening port" "$workdir/x11vnc.log" && return 1
  fail "x11vnc did not start:" "$workdir/x11vnc.log"
}

# Forgets a server that has been reaped, so that the cleanup never signals a
# process id the system may have handed to someone else since.
stop_last_vnc_server() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  unset 'pids[-1]'
}

main() {
  local folder password port
  folder=$(password_folder)
  password=$(random_password)
  passfile=$(mktemp -p "$folder" vnc-password.XXXXXXXX)
  printf '%s\n' "$password" >"$passfile"
  cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  start_x_server
  for ((port = first_port; port < first_port + ports_to_try; port++)); do
    ss -Hltn "sport = :$port" | grep -q . && continue
    serve_on_port "$port" && break
  done
  ((port < first_port + ports_to_try)) ||
    fail "No free port for VNC between $first_port and $((first_port + ports_to_try - 1))."

  echo "Serving Korvanta over VNC on 127.0.0.1:$port (loopback only)."
  echo "VNC password for this run: $password"
  echo "On this machine, point a VNC viewer at 127.0.0.1, port $port. From another machine,"
  echo "tunnel first (ssh -L $port:127.0.0.1:$port HOST), then use localhost, port $port."
  DISPLAY="$display" XAUTHORITY="$authfile" QT_QPA_PLATFORM=xcb "$@" &
  pids+=($!)
  wait "${pids[-1]}"
}

main "$@"
