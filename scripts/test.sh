#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer trees, and runs every test headless.
# Tests that need a window get an Xvfb display of their own when none is set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --asan

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
  done
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
