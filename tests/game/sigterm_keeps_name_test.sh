#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# A name typed and then the program ended from outside (SIGTERM, which SDL turns into the same
# quit request as closing the window) while the name entry still shows: the profile must hold the
# name, and the program must end normally. The window is SDL's invisible one.
#   sigterm_keeps_name_test.sh <crumlet>
set -uo pipefail
program=$1
work=$(mktemp -d /tmp/crumlet-sigterm-XXXXXX)
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  cat "$work/out" "$work/err" 2>/dev/null
  exit 1
}

# The player entry, the name typed, a picture once it is typed; then the name entry stays open.
cat >"$work/session.txt" <<SCRIPT
seed 1
pacing off
keys 5 Down
keys 15 Return
type 20 bug
shot 30 $work/typed.png
SCRIPT

SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 \
  "$program" --windowed --save-dir "$work/player" --driver "$work/session.txt" \
  >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 600); do  # at most 60 s for a loaded machine
  [ -s "$work/typed.png" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended before the name was typed"
  sleep 0.1
done
[ -s "$work/typed.png" ] || fail "the name was not typed within 60 s"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" = 0 ] || fail "after SIGTERM the status is $status"
profile="$work/player/Maps/Player.bin"
[ "$(od -An -c "$profile" | tr -d ' \n')" = 'bug\0\0\0\0\0' ] ||
  fail "the profile holds $(od -An -c "$profile"), not the typed name"
echo "the typed name survived SIGTERM"
