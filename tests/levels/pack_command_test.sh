#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# --check-levels and --levels as an author meets them: verdicts and exit statuses, and a refused
# pack ending the program with status 2 before any window opens.
#   pack_command_test.sh <crumlet> <example pack>
set -uo pipefail
program=$1
example=$2
work=$(mktemp -d /tmp/crumlet-packs-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {  # <status> <args>...: output in $work/out and $work/err
  local want=$1; shift
  local got=0
  # No display: a refused pack must end before any window, and a start failure's message box
  # (shown to desktop starts) would wait for a player.
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work" CRUMLET_SAVE_DIR="$work/player" \
    timeout 20 "$program" "$@" >"$work/out" 2>"$work/err" || got=$?
  if [ "$got" != "$want" ]; then
    echo "FAIL: crumlet $* ended with $got, not $want"; cat "$work/out" "$work/err"
    failures=$((failures + 1))
  fi
}
contains() {  # <file> <text>
  grep -qF -- "$2" "$work/$1" || { echo "FAIL: no '$2' in $1:"; cat "$work/$1"; failures=$((failures + 1)); }
}
lacks() {  # <file> <text>
  ! grep -qF -- "$2" "$work/$1" || { echo "FAIL: '$2' in $1:"; cat "$work/$1"; failures=$((failures + 1)); }
}

cp -r "$example" "$work/good"
expect 0 --check-levels "$work/good"
contains out "$work/good/01.txt: ok"
contains out "$work/good/03.txt: ok"
contains out "3 of 3 levels good; the pack is good"

# Level 2 with its flower walled in: a verdict per level, the fault at its line and cell.
cp -r "$example" "$work/bad"
sed -i 's/^#cccccc#######cccf##$/#cccccc#######ccc#f#/' "$work/bad/02.txt"
expect 1 --check-levels "$work/bad"
contains out "$work/bad/01.txt: ok"
contains out "$work/bad/02.txt: refused"
contains out "$work/bad/02.txt:13:19: flower at (18, 6) cannot be reached"
contains out "2 of 3 levels good; the pack is refused"

# Playing it: all or nothing, refused before the window (no display is needed to get there), and
# nothing compiled into the player folder.
expect 2 --levels "$work/bad"
contains err "$work/bad/02.txt:13:19: flower at (18, 6) cannot be reached"
lacks out "Init OK"
[ -e "$work/player/packs" ] && { echo "FAIL: a refused pack left files"; failures=$((failures + 1)); }

# A name is looked up in the player folder's levels/; settings.ini's [game] levels is used when
# the command line names no pack.
mkdir -p "$work/player/levels" && cp -r "$work/bad" "$work/player/levels/mine"
expect 2 --levels mine
contains err "$work/player/levels/mine/02.txt:13:19:"
printf '[game]\nlevels = levels/mine\n' >"$work/player/settings.ini"
expect 2
contains err "levels/mine/02.txt:13:19:"
contains err "[game] levels in $work/player/settings.ini"

expect 1 --check-levels "$work/nothing-here"
contains out "no such folder"
expect 2 --check-levels
contains err "check-levels"

[ "$failures" = 0 ] && echo "pack command line: all good"
exit $((failures > 0))
