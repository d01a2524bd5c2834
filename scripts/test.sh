#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Installs what is missing, builds the normal and the sanitizer trees, and runs every test headless.
# Tests that need a window get an Xvfb display of their own when none is set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --asan

# The browser build for the test web_browser_session: emscripten (web.sh installs it), Chromium
# and the DevTools client when the package archive has them. Without them that test is skipped
# and says why; a browser build that fails leaves no build-web/ files, and the test fails.
web_missing=()
for p in chromium python3-websocket; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || web_missing+=("$p")
done
if [ ${#web_missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -q \
    --no-install-recommends "${web_missing[@]}" || echo "== ${web_missing[*]} cannot be installed"
fi
rm -f build-web/crumlet.html build-web/crumlet.js build-web/crumlet.wasm build-web/crumlet.data
echo "== Browser build (scripts/web.sh)"
bash scripts/web.sh || echo "== The browser build did not finish"

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
# No test may hang the run: one that has not ended after 15 minutes has failed.
timeout=900
status=0
echo "== Tests (normal build)"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout "$timeout" || status=1
echo "== Tests (AddressSanitizer + UndefinedBehaviorSanitizer build)"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout "$timeout" || status=1
exit $status
