#!/usr/bin/env bash
# The program on a real X display under a window manager, driven from the
# keyboard with xdotool as a user would, its windows measured with xwininfo:
#  - the main window asks for the screen's corner and gets it;
#  - the add-tables window opens under it and stays on the screen, the code
#    window opens right of it, over none of its grids;
#  - a long report's preview opens maximised on its first page;
#  - closing the main window while the preview and both companions are open
#    ends the program.
# Usage: desktop_session.sh KORVANTA KORVANTA_CLI CORPUS_DIR [SCREENSHOT_DIR]
# Exits 77 (skipped) when a tool of the desktop or the corpus is missing.
set -euo pipefail
korvanta=$1 cli=$2 corpus=$3 shots=${4:-}

for tool in Xvfb openbox xdotool xwininfo xprop import compare; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -d "$corpus" ] || { echo "SKIP: no table corpus at $corpus"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -n "$shots" ] && [ -n "${DISPLAY:-}" ] && import -window root "$shots/failure.png" 2>/dev/null
  exit 1
}

readonly screen_w=1024 screen_h=800
Xvfb -displayfd 3 -nolisten tcp -screen 0 ${screen_w}x${screen_h}x24 3>"$work/display" \
  2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(tr -d '\n' <"$work/display")"
export QT_QPA_PLATFORM=xcb
# The program keeps its recent dictionaries in the user's settings: here, not at home.
export XDG_CONFIG_HOME="$work/config"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# A loaded machine (a build on every core) may take several seconds to start it.
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for _ in $(seq 300); do
  wm_up && break
  sleep 0.1
done
wm_up || fail "the window manager did not start: $(cat "$work/openbox.log")"

# A dictionary of every table of the corpus, long enough for nine pages and
# more; each table is copied with the files beside it (memo files).
mkdir -p "$work/app/Datas" "$work/tables"
n=0
while IFS= read -r dir; do
  n=$((n + 1))
  mkdir -p "$work/tables/$n"
  cp "$dir"/* "$work/tables/$n/" 2>/dev/null || true
done < <(find "$corpus" -iname '*.db' -exec dirname {} \; | sort -u)
"$cli" capture "$work/app/Datas/paye.DB" "$work"/tables/*/*.[dD][bB] --create \
  >"$work/capture.log" 2>&1 || true
[ -s "$work/app/Datas/paye.DB" ] || fail "no dictionary: $(cat "$work/capture.log")"
cp "$korvanta" "$work/app/korvanta"

# ---- helpers ----------------------------------------------------------------
# Outer rectangle (frame included) of a window: "left top width height".
outer() {
  local id=$1 x y w h ext l r t b
  eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X/{print "x="$4}
      /Absolute upper-left Y/{print "y="$4} /Width:/{print "w="$2} /Height:/{print "h="$2}')"
  ext=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  read -r l r t b <<<"${ext:-0 0 0 0}"
  echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
window_named() { # waits for a visible window of the program whose title matches
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --all --onlyvisible --pid "$app" --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no window named '$1'"
}
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" || true; }
settle() { sleep 0.7; }

# ---- start-up: the corner, asked as a position the manager honours -----------
(cd "$work/app" && exec ./korvanta) >"$work/app.log" 2>&1 &
app=$!
pids+=($app)
main=$(window_named '^Korvanta')
settle
xprop -id "$main" WM_NORMAL_HINTS | grep -Eq '(user|program) specified location: 0, 0' ||
  fail "no position in the hints: $(xprop -id "$main" WM_NORMAL_HINTS)"
read -r ml mt mw mh <<<"$(outer "$main")"
[ "$ml $mt" = "0 0" ] || fail "main window at $ml,$mt, not at the corner"

# ---- Ctrl+O, Enter: the dictionary; Options > Add window, Options > Code window -----
xdotool windowactivate --sync "$main"
xdotool key ctrl+o
settle
xdotool key Return
window_named 'paye\.DB' >/dev/null
settle
menu() { xdotool key "alt+$1"; settle; xdotool key "$2"; }
menu o a
add=$(window_named '^Add window')
xdotool windowactivate --sync "$main"
menu o c
code=$(window_named 'Code window|code - ')
settle
read -r al at aw ah <<<"$(outer "$add")"
read -r cl ct cw ch <<<"$(outer "$code")"
echo "main $ml,$mt ${mw}x$mh; add $al,$at ${aw}x$ah; code $cl,$ct ${cw}x$ch"
[ "$al" -eq "$ml" ] && [ "$at" -gt $((mt + mh - 1)) ] || fail "add window not under the main window"
[ $((at + ah)) -le $screen_h ] || fail "add window's foot at $((at + ah)), off the screen"
[ "$cl" -ge $((ml + mw)) ] || fail "code window over the main window (left $cl)"
[ $((cl + cw)) -le $screen_w ] && [ $((ct + ch)) -le $screen_h ] || fail "code window off the screen"
shot main-with-companions

# ---- Ctrl+P: the preview, maximised, on page 1 --------------------------------
xdotool windowactivate --sync "$main"
xdotool key ctrl+p
preview=$(window_named '^Impression')
sleep 2
read -r pl pt pw ph <<<"$(outer "$preview")"
[ "$pw" -ge $((screen_w - 2)) ] && [ "$ph" -ge $((screen_h - 40)) ] || fail "preview not maximised"
# "First page" must change nothing on the pages if they opened on the first.
pages="$((pw - 40))x$((ph - 120))+20+80"
import -window root -crop "$pages" "$work/opened.png"
shot preview-first-page
xdotool windowactivate --sync "$preview"
xdotool mousemove --window "$preview" 126 14 click 1
sleep 1
import -window root -crop "$pages" "$work/first.png"
differing=$(compare -metric AE "$work/opened.png" "$work/first.png" null: 2>&1 || true)
[ "$differing" = "0" ] || fail "the preview did not open on page 1 ($differing pixels differ)"

# ---- closing the main window ends the program, preview and companions included ----
xdotool windowactivate --sync "$main" 2>/dev/null
xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
  fail "the program still runs after its main window was closed"
fi
wait "$app" && status=0 || status=$?
[ "$status" -eq 0 ] || { cat "$work/app.log" >&2; fail "the program ended with status $status"; }
echo "PASS"
