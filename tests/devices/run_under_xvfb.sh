#!/bin/sh
# Runs a test program on a private Xvfb display: real key and pointer events must reach our window
# alone, and another test's window on a shared display would take the focus and the pointer.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
# Xvfb picks a free display number itself and writes it once it accepts clients: choosing one by
# looking for lock files first would race with other test runs starting at the same moment.
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$number"' EXIT INT TERM
for _ in $(seq 100); do
  [ -s "$number" ] && break
  sleep 0.1
done
n=$(head -n 1 "$number")
if [ -z "$n" ]; then
  echo "Xvfb did not start" >&2
  exit 1
fi
DISPLAY=:$n "$@"
