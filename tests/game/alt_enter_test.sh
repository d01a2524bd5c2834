#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Alt+Enter in the title menu switches the display mode and is never taken for Return: on GOHOME
# the game must go on running, and Return alone afterwards must still quit it. Real key events
# from the X server (xdotool); skipped (status 77) without a display or xdotool.
#   alt_enter_test.sh <crumlet>
set -uo pipefail
program=$1
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
  echo "needs an X display and xdotool"
  exit 77
fi
work=$(mktemp -d /tmp/crumlet-altenter-XXXXXX)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  xdotool keyup Alt_L keyup Return keyup Down 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  cat "$work/out" "$work/err" 2>/dev/null
  exit 1
}
wait_for() {  # <seconds> <command>...
  local tries=$(($1 * 10)); shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}
# Holds the keys until the check passes (at most 60 s), then lets them go: a busy machine may show
# a frame only every few hundred milliseconds, and a short press could fall between two frames.
hold_until() {  # <keys> <command>...
  local keys=$1 ok=0; shift
  xdotool keydown $keys
  wait_for 60 "$@" || ok=1
  xdotool keyup $keys
  return $ok
}
shots=0
# One more screenshot (F12): proof that at least one more frame ran since the last.
next_frame() {
  shots=$((shots + 1))
  hold_until F12 test -e "$work/Screenshots/shot$(printf %04d $shots).png"
}
geometry() { xdotool getwindowgeometry "$window" 2>/dev/null | grep Geometry; }

SDL_AUDIODRIVER=dummy "$program" --windowed --save-dir "$work" >"$work/out" 2>"$work/err" &
pid=$!
window=""
find_window() { window=$(xdotool search --name '^Crumlet$' 2>/dev/null | head -1); [ -n "$window" ]; }
wait_for 60 find_window || fail "no window"
wait_for 60 grep -qx "Init OK" "$work/out" || fail "no start-up"
# Without a window manager the keyboard focus must be set outright; keys sent before it arrives go
# elsewhere.
focused() { xdotool windowfocus "$window" 2>/dev/null; [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]; }
wait_for 60 focused || fail "the window never got the keyboard"

# F12 is handled in the first frame presented after the key, and start-up presents none after
# "Init OK": the screenshot appears once the menu runs.
next_frame || fail "the menu never ran"

# Down held for at least 40 frames: the box slides down to the last entry, GOHOME, in 24 and
# stays there.
xdotool keydown Down
for _ in $(seq 40); do next_frame || break; done
xdotool keyup Down
[ "$shots" -gt 40 ] || fail "the menu stopped presenting frames"

windowed=$(geometry)
switched() { [ "$(geometry)" != "$windowed" ]; }
hold_until "Alt_L Return" switched || fail "Alt+Enter did not switch the display mode"
for _ in $(seq 10); do next_frame || break; done
kill -0 "$pid" 2>/dev/null || fail "Alt+Enter on GOHOME ended the game"

hold_until Return test ! -e "/proc/$pid" || fail "Return on GOHOME did not quit"
wait "$pid"
status=$?
pid=""
[ "$status" = 0 ] || fail "the game ended with status $status"
[ -e "$work/Maps/Player.bin" ] || fail "GOHOME saved no profile"
echo "Alt+Enter left the game running; Return then quit it"
