#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Installs what is missing, builds the normal and the sanitizer trees, and runs every test headless.
# Tests that need a window get an Xvfb display of their own when none is set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --asan

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display and names it once it accepts clients. -noreset keeps the server as
  # it is when its last client leaves: a reset then turns away the next test's window, and SDL
  # falls back to a driver without windows.
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 600); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$displayfile")"
  rm -f "$displayfile"
fi
# Software GL and no sound card: what a CI machine has. Leak checks stay off: Mesa and SDL keep
# driver allocations until exit, which would drown real reports.
export LIBGL_ALWAYS_SOFTWARE=1
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

jobs=$(nproc 2>/dev/null || echo 2)
status=0
echo "== Tests (normal build)"
ctest --test-dir build --output-on-failure -j "$jobs" || status=1
echo "== Tests (AddressSanitizer + UndefinedBehaviorSanitizer build)"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1
exit $status
