#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# The game as a distribution installs it: installed into a fresh prefix that is then made
# read-only, and run by a user with an empty home folder (as root: the unprivileged `nobody`,
# since root ignores file permissions). The scripted driver enters a name and leaves through
# GOHOME; the profile must then be in the player folder under $HOME/.local/share/crumlet/.
#   installed_game_test.sh <cmake> <build folder>
set -euo pipefail
cmake=$1
build=$2

work=$(mktemp -d /tmp/crumlet-installed-XXXXXX)
cleanup() { chmod -R u+w "$work" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
chmod 755 "$work"  # the unprivileged user must reach the program and the script

"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
chmod -R a-w "$work/prefix"

run_as=()
mkdir "$work/home"
if [ "$(id -u)" = 0 ]; then
  chown nobody "$work/home"
  run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi

cat > "$work/session.txt" <<'SCRIPT'
seed 1
pacing off
keys 5 Down
keys 15 Return
type 20 bug
keys 30 Space
keys 40 Down
keys 50 Down
keys 60 Return
quit 400
SCRIPT
chmod 644 "$work/session.txt"

# A clean environment: a home folder and no player folder named. The window is SDL's invisible
# one, asked for by name (another user may not reach the tests' X display).
env_vars=(HOME="$work/home" PATH=/usr/bin:/bin SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
  SDL_VIDEODRIVER=offscreen)
for v in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do  # a sanitizer build keeps its settings
  [ -n "${!v:-}" ] && env_vars+=("$v=${!v}")
done
status=0
(cd "$work" && "${run_as[@]}" env -i "${env_vars[@]}" timeout 120 \
  "$work/prefix/bin/crumlet" --windowed --driver "$work/session.txt") >"$work/out.txt" 2>"$work/err.txt" ||
  status=$?

fail() {
  echo "FAIL: $*"
  echo "--- stdout"; cat "$work/out.txt"
  echo "--- stderr"; cat "$work/err.txt"
  exit 1
}
[ "$status" = 0 ] || fail "the installed game ended with status $status"
grep -qx "Init OK" "$work/out.txt" || fail "no Init OK"
profile="$work/home/.local/share/crumlet/Maps/Player.bin"
[ -f "$profile" ] || fail "no profile at $profile"
[ "$(od -An -c "$profile" | tr -d ' \n')" = 'bug\0\0\0\0\0' ] || fail "profile holds $(od -An -c "$profile")"
[ "$(stat -c %a "$work/home/.local/share/crumlet")" = 700 ] || fail "the player folder is not private"
echo "installed game: profile saved in the player folder"
