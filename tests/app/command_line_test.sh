#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# The program's command line and its start without a display, as a user or a script meets them.
#   command_line_test.sh <crumlet> <version>
set -uo pipefail
program=$1
version=$2
work=$(mktemp -d /tmp/crumlet-cli-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

# expect <status> <args>...: runs the program with its output in $work/out and $work/err.
expect() {
  local want=$1; shift
  local got=0
  HOME="$work" timeout 20 "$program" "$@" >"$work/out" 2>"$work/err" || got=$?
  if [ "$got" != "$want" ]; then
    echo "FAIL: crumlet $* ended with $got, not $want"; cat "$work/out" "$work/err"
    failures=$((failures + 1))
    return 1
  fi
}
contains() {  # <file> <text>
  grep -qF -- "$2" "$work/$1" || { echo "FAIL: no '$2' in $1:"; cat "$work/$1"; failures=$((failures + 1)); }
}

expect 0 --help && contains out "Usage: crumlet" && contains out "--save-dir DIR"
[ -s "$work/err" ] && { echo "FAIL: --help wrote to stderr"; failures=$((failures + 1)); }
expect 0 -h && contains out "Usage: crumlet"
expect 0 --version && contains out "crumlet $version"
expect 0 -V && contains out "crumlet $version"
# A mistake: exactly the reason and a pointer to --help on stderr, nothing on stdout.
mistake() {  # <text the reason names> <args>...
  local names=$1; shift
  expect 2 "$@" || return
  if [ "$(wc -l <"$work/err")" != 2 ] || ! head -1 "$work/err" | grep -qF -- "$names" ||
    [ "$(tail -1 "$work/err")" != "Try 'crumlet --help'." ] || [ -s "$work/out" ]; then
    echo "FAIL: crumlet $* did not answer with its reason and the pointer to --help:"
    cat "$work/out" "$work/err"
    failures=$((failures + 1))
  fi
}
mistake no-such-option --no-such-option
mistake driver --driver
mistake --scale --scale twice
mistake stray stray
# One player per run: a recording is made or replayed, never both, and never beside a script.
mistake "exclude each other" --record a.replay --verify b.replay
mistake play --play

# No display at all: SDL would fall back to its invisible driver and the game would run unseen for
# ever; it must say why and end with status 1 at once instead.
start=$(date +%s%N)
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER HOME="$work" timeout 20 "$program" \
  >"$work/out" 2>"$work/err"
status=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$status" = 1 ] || { echo "FAIL: without a display the status is $status"; cat "$work/err"; failures=$((failures + 1)); }
contains err "no display to open a window on"
echo "no display: status $status after $elapsed_ms ms"

# A data folder without the game's files ends the start at once, before any window, with one line
# naming the folder and what is missing (not a bare menu and a runtime error at the first level).
mkdir "$work/empty-data"
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work" timeout 20 "$program" --data-dir "$work/empty-data" \
  >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] || { echo "FAIL: an empty data folder gives status $status"; failures=$((failures + 1)); }
if [ "$(wc -l <"$work/err")" != 1 ] || ! grep -qF "$work/empty-data/ lacks Media.kql, Maps/Map1-1.bin" "$work/err"; then
  echo "FAIL: the empty data folder is not named with what it lacks in one line:"; cat "$work/err"
  failures=$((failures + 1))
fi

[ "$failures" = 0 ] && echo "command line: all checks passed"
exit $((failures > 0))
