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
expect 2 --no-such-option && contains err "no-such-option" && contains err "Usage: crumlet"
[ -s "$work/out" ] && { echo "FAIL: a mistake wrote the usage to stdout"; failures=$((failures + 1)); }
expect 2 --driver && contains err "driver" && contains err "Usage: crumlet"
expect 2 --scale twice && contains err "--scale"
expect 2 stray && contains err "stray"
# One player per run: a recording is made or replayed, never both, and never beside a script.
expect 2 --record a.replay --verify b.replay && contains err "exclude each other"
expect 2 --play && contains err "play"

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

[ "$failures" = 0 ] && echo "command line: all checks passed"
exit $((failures > 0))
