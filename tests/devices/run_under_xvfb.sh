#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Runs a test program on a private Xvfb display: real key and pointer events must reach our window
# alone, and another test's window on a shared display would take the focus and the pointer.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
# Xvfb picks a free display itself and names it once it accepts clients (-displayfd), so two runs
# never share one and the program never starts before its server. -noreset keeps the server as it
# is when its last client leaves: a reset then would turn away the next test's connection, and SDL
# would quietly fall back to a driver without windows.
tmp=$(mktemp -d) || exit 1
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT INT TERM
n=""
for _ in $(seq 600); do
  n=$(cat "$tmp/display" 2>/dev/null)
  [ -n "$n" ] && break
  kill -0 $xvfb 2>/dev/null || break
  sleep 0.1
done
if [ -z "$n" ]; then
  echo "Xvfb did not start within 60 s" >&2
  exit 1
fi
DISPLAY=:$n "$@"
