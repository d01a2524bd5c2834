#!/bin/sh
# Runs a test program on a private Xvfb display: real key and pointer events must reach our window
# alone, and another test's window on a shared display would take the focus and the pointer.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
n=55
while [ -e /tmp/.X$n-lock ] && [ $n -lt 99 ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT INT TERM
for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
  [ -e /tmp/.X11-unix/X$n ] && break
  sleep 0.1
done
DISPLAY=:$n "$@"
