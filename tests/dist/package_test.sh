#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# The Debian package as a distribution builds and checks it: dpkg-buildpackage on a copy of the
# source tree (it builds in the tree it is given and would leave its folders in ours), then
# lintian --pedantic, which must find no error and no warning. The package must hold the program
# in /usr/games and its data in /usr/share/games/crumlet, and the program unpacked from it must
# find that data folder from its own place and start; the metadata's release must be the
# changelog's. Skipped (status 77) without dpkg-buildpackage or lintian.
#   package_test.sh <source folder> <work folder>
set -euo pipefail
source_dir=$1
work=$2

for tool in dpkg-buildpackage lintian; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: no $tool here (scripts/setup.sh installs it)"
    exit 77
  fi
done

fail() { echo "FAIL: $*"; exit 1; }

# The work folder keeps one fixed path, so a compiler cache finds the previous run's objects.
rm -rf "$work"
mkdir -p "$work/src"
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # What git tracks, and new files not yet added, without anything ignored (build folders).
  git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
    (cd "$source_dir" && xargs -0 tar -cf - --no-recursion --ignore-failed-read) | tar -xf - -C "$work/src"
else
  tar -C "$source_dir" --exclude='./build*' -cf - . | tar -xf - -C "$work/src"
fi

launchers=()
if command -v ccache >/dev/null; then
  launchers=(CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
start=$(date +%s)
if ! (cd "$work/src" && env "${launchers[@]}" DEB_BUILD_OPTIONS="nocheck parallel=2" \
  dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1; then
  tail -40 "$work/build.log"
  fail "dpkg-buildpackage failed (the whole log: $work/build.log)"
fi
echo "dpkg-buildpackage: $(($(date +%s) - start)) s"
rm -rf "$work/src"  # the packages and the log stay for a look

version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb="$work/crumlet_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no $deb"
[ -f "$work/crumlet-dbgsym_${version}_${arch}.deb" ] || fail "no -dbgsym package: the binary was not stripped"

# Every tag lintian prints is shown; errors and warnings fail the test, and so does lintian
# failing to run at all (it then prints no tags either).
status=0
lintian --pedantic --display-info --fail-on error,warning --color never \
  "$work/crumlet_${version}_${arch}.changes" >"$work/lintian.txt" 2>"$work/lintian.err" || status=$?
cat "$work/lintian.txt"
if [ "$status" != 0 ]; then
  grep -v 'running with root privileges' "$work/lintian.err" || true
  fail "lintian found errors or warnings, or could not check the package (status $status)"
fi

root="$work/unpacked"
dpkg-deb -x "$deb" "$root"
for f in usr/games/crumlet usr/share/games/crumlet/Media.kql usr/share/games/crumlet/Maps/Map28-3.bin \
  usr/share/man/man6/crumlet.6.gz usr/share/doc/crumlet/copyright; do
  [ -f "$root/$f" ] || fail "the package has no /$f"
done

# The metadata's newest release is the changelog's, version and day.
metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
release=$(grep -m1 -o '<release [^>]*>' "$metainfo")
day=$(date -u -d "$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Date)" +%F)
[[ "$release" == *"version=\"$version\""* && "$release" == *"date=\"$day\""* ]] ||
  fail "the metadata's newest release is $release, the changelog's is $version of $day"

# The unpacked program starts on the data folder beside it and ends normally.
mkdir -p "$work/home"
echo "quit 2" >"$work/quit.txt"
status=0
env -i HOME="$work/home" PATH=/usr/bin:/bin SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
  LIBGL_ALWAYS_SOFTWARE=1 timeout 60 "$root/usr/games/crumlet" --windowed --driver "$work/quit.txt" \
  >"$work/run.txt" 2>&1 || status=$?
[ "$status" = 0 ] && grep -qx "Init OK" "$work/run.txt" ||
  { cat "$work/run.txt"; fail "the packaged program ended with status $status"; }
echo "package: $(basename "$deb") built, lintian clean, the program starts from /usr/games"
