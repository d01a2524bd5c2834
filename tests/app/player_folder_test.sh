#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# The player folder as a hostile environment leaves it, met by the program at start-up (no display
# needed: all of it happens before the window opens).
#   player_folder_test.sh <crumlet>
set -uo pipefail
program=$1
work=$(mktemp -d /tmp/crumlet-folder-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; cat "$work/err"; failures=$((failures + 1)); }

# start <save folder>: the program without a display; its status in $status, stderr in $work/err.
start() {
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER HOME="$work" timeout 20 "$program" \
    --save-dir "$1" >/dev/null 2>"$work/err" || status=$?
}

# Something else in the lock's place must not switch the one-program guard off: every program
# ends with status 1 before it touches the folder.
for kind in folder fifo link dangling; do
  save=$work/lock-$kind
  mkdir -p "$save"
  case $kind in
    folder) mkdir "$save/.tovrik-lock" ;;
    fifo) mkfifo "$save/.tovrik-lock" ;;
    link) touch "$work/elsewhere"; ln -s "$work/elsewhere" "$save/.tovrik-lock" ;;
    dangling) ln -s "$work/nothing" "$save/.tovrik-lock" ;;
  esac
  start "$save"
  [ "$status" = 1 ] || fail "a $kind lock: status $status"
  grep -q "tovrik-lock is not a regular file" "$work/err" || fail "a $kind lock is not named"
  grep -q "no display" "$work/err" && fail "a $kind lock: the program went on"
  [ -e "$work/nothing" ] && fail "the dangling lock link was followed"
  [ -e "$save/settings.ini" ] && fail "a $kind lock: the folder was touched"
done

# settings.ini as a FIFO (no writer: an open would wait for ever) or a link to an endless device:
# named at once, the defaults apply and the start goes on (here to its missing display).
for kind in fifo zero; do
  save=$work/settings-$kind
  mkdir -p "$save"
  case $kind in
    fifo) mkfifo "$save/settings.ini" ;;
    zero) ln -s /dev/zero "$save/settings.ini" ;;
  esac
  start "$save"
  [ "$status" = 1 ] || fail "settings.ini as $kind: status $status (124: it blocked)"
  grep -q "settings.ini is not a regular file; the defaults apply" "$work/err" ||
    fail "settings.ini as $kind is not named"
done

[ "$failures" = 0 ] && echo "player folder: all checks passed"
exit $((failures > 0))
