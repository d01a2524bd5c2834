#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Builds the game for the browser (WebAssembly) into build-web/: crumlet.html, .js, .wasm, .data.
#   web.sh            install what is missing, build the browser libraries once, build the game
#   web.sh --serve    the same, then serve build-web/ on 127.0.0.1 and print the address
#
# SDL2, zlib, libpng and LZO are compiled with emscripten from Debian's source packages into a
# cache outside the source tree ($CRUMLET_WEB_CACHE, else $XDG_CACHE_HOME/crumlet-web, else
# ~/.cache/crumlet-web), built once and reused. The data folder (Media.kql, smalfont.bmp, Maps/)
# comes from the native tools, built in build-web/host/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
serve=0
case "${1:-}" in
  --serve) serve=1 ;;
  "") ;;
  *) echo "usage: $0 [--serve]" >&2; exit 2 ;;
esac

cache=${CRUMLET_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/crumlet-web}
out=$root/build-web
prefix=$cache/prefix
jobs=$(nproc 2>/dev/null || echo 2)
apt_wait=(-o DPkg::Lock::Timeout=900)

# ------------------------------------------------------------------------------------------------
# Packages: emscripten and what apt-get source needs, plus the native build of the data tools.
PACKAGES=(emscripten dpkg-dev python3 cmake g++ make pkg-config libpng-dev zlib1g-dev liblzo2-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get "${apt_wait[@]}" update -q
  apt-get "${apt_wait[@]}" install -y -q --no-install-recommends "${missing[@]}"
fi
# Debian's node does not search Debian's node modules; emcc's optimiser needs them (acorn).
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# ------------------------------------------------------------------------------------------------
# Source entries: the machine's own binary entries, repeated as deb-src in a file of our own.
add_source_entries() {
  local list=/etc/apt/sources.list.d/crumlet-web-src.sources
  [ -f "$list" ] && return 0
  {
    echo "# Written by crumlet's scripts/web.sh: the binary entries below, for source packages too."
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      # deb822 stanzas whose Types hold "deb" become deb-src stanzas; comment lines are dropped.
      awk 'BEGIN { RS = ""; ORS = "\n\n" }
           {
             n = split($0, lines, "\n"); out = ""; binary = 0
             for (i = 1; i <= n; i++) {
               if (lines[i] ~ /^#/) continue
               if (lines[i] ~ /^Types:/) {
                 if (lines[i] ~ /[ \t]deb([ \t]|$)/ && lines[i] !~ /deb-src/) binary = 1
                 lines[i] = "Types: deb-src"
               }
               if (lines[i] ~ /^Enabled:[ \t]*no/) binary = 0
               out = out lines[i] "\n"
             }
             if (binary) print out
           }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      # One-line entries: "deb [options] uri suite components" as a stanza of its own.
      awk '$1 == "deb" {
             i = 2; opts = ""
             if ($2 ~ /^\[/) { while ($i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
             printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents:", $i, $(i + 1)
             for (j = i + 2; j <= NF; j++) printf " %s", $j
             printf "\n"
             if (opts ~ /signed-by=/) { match(opts, /signed-by=[^] ]*/); printf "Signed-By: %s\n", substr(opts, RSTART + 10, RLENGTH - 10) }
             printf "\n"
           }' "$f"
    done
  } >"$list"
  apt_update
}

apt_update() {
  # The package lists may be locked by another apt run for a while.
  for _ in $(seq 90); do
    apt-get "${apt_wait[@]}" update -q && return 0
    sleep 10
  done
  echo "apt-get update failed" >&2
  return 1
}

fetch_source() {  # Debian source package -> prints the unpacked folder
  local pkg=$1
  local dir
  dir=$(find "$cache/src" -maxdepth 1 -mindepth 1 -type d -name "$2" | head -n1)
  if [ -z "$dir" ]; then
    if ! apt-cache showsrc "$pkg" 2>/dev/null | grep -q '^Package:'; then
      add_source_entries >&2
    fi
    # Newest first; a version whose files the archive no longer serves gives way to the next.
    local version
    for version in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -u | sort -rV); do
      (cd "$cache/src" && apt-get source -q "$pkg=$version" >&2) && break
    done
    dir=$(find "$cache/src" -maxdepth 1 -mindepth 1 -type d -name "$2" | head -n1)
  fi
  [ -n "$dir" ] || { echo "no source folder for $pkg" >&2; exit 1; }
  echo "$dir"
}

# ------------------------------------------------------------------------------------------------
# The browser libraries, once per cache. The stamp names what they were built with: a different
# emscripten or a change of recipe here builds them again.
recipe=2
stamp="$prefix/.built-$(emcc --version | sed -n 1p | tr -c 'A-Za-z0-9.\n' _)-r$recipe"
build_libraries() {
  local started=$SECONDS
  rm -rf "$prefix"
  mkdir -p "$cache/src" "$prefix/include" "$prefix/lib/pkgconfig"
  local objects=$cache/objects
  rm -rf "$objects" && mkdir -p "$objects"

  echo "== zlib"
  local z
  z=$(fetch_source zlib 'zlib-*')
  mkdir -p "$objects/z"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    emcc -O2 -DHAVE_UNISTD_H -DHAVE_STDARG_H -c "$z/$f.c" -o "$objects/z/$f.o"
  done
  emar rcs "$prefix/lib/libz.a" "$objects"/z/*.o
  cp "$z/zlib.h" "$z/zconf.h" "$prefix/include/"

  echo "== libpng"
  local png
  png=$(fetch_source libpng1.6 'libpng1.6-*')
  cp "$png/scripts/pnglibconf.h.prebuilt" "$png/pnglibconf.h"
  mkdir -p "$objects/png"
  for f in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans \
           pngwio pngwrite pngwtran pngwutil; do
    emcc -O2 -DPNG_ARM_NEON_OPT=0 -I"$png" -I"$prefix/include" -c "$png/$f.c" -o "$objects/png/$f.o"
  done
  emar rcs "$prefix/lib/libpng.a" "$objects"/png/*.o
  cp "$png/png.h" "$png/pngconf.h" "$png/pnglibconf.h" "$prefix/include/"

  echo "== LZO (minilzo)"
  local lzo
  lzo=$(fetch_source lzo2 'lzo2-*')
  mkdir -p "$objects/lzo" "$prefix/include/lzo"
  emcc -O2 -I"$lzo/minilzo" -I"$lzo/include/lzo" -c "$lzo/minilzo/minilzo.c" -o "$objects/lzo/minilzo.o"
  emar rcs "$prefix/lib/liblzo2.a" "$objects/lzo/minilzo.o"
  cp "$lzo"/include/lzo/*.h "$prefix/include/lzo/"
  printf 'prefix=%s\nName: lzo2\nDescription: minilzo\nVersion: 2.10\nLibs: -L${prefix}/lib -llzo2\nCflags: -I${prefix}/include/lzo\n' \
    "$prefix" >"$prefix/lib/pkgconfig/lzo2.pc"

  echo "== SDL2 (configuring takes several minutes)"
  local sdl
  sdl=$(fetch_source libsdl2 'libsdl2-*')
  rm -rf "$cache/b-sdl2"
  emcmake cmake -S "$sdl" -B "$cache/b-sdl2" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF >"$cache/sdl2-configure.log"
  cmake --build "$cache/b-sdl2" -j "$jobs" >"$cache/sdl2-build.log"
  cmake --install "$cache/b-sdl2" >/dev/null
  rm -rf "$objects" "$cache/b-sdl2"
  touch "$stamp"
  echo "Browser libraries built in $((SECONDS - started)) s into $prefix"
}
[ -f "$stamp" ] || build_libraries

# ------------------------------------------------------------------------------------------------
# The data folder, made by the native tools.
echo "== Data folder (native tools)"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$out/host" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCRUMLET_DATA_ONLY=ON \
  "${launcher[@]}" >/dev/null
cmake --build "$out/host" -j "$jobs" --target crumlet_data

# ------------------------------------------------------------------------------------------------
# The game.
echo "== The game (emscripten)"
PKG_CONFIG_PATH=$prefix/lib/pkgconfig emcmake cmake -S . -B "$out/wasm" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_TESTING=OFF -DCRUMLET_WEB_PREFIX="$prefix" -DCRUMLET_WEB_DATA="$out/host/run" \
  -DCRUMLET_WEB_OUT="$out" >/dev/null
cmake --build "$out/wasm" -j "$jobs" --target crumlet
for f in crumlet.html crumlet.js crumlet.wasm crumlet.data; do
  [ -f "$out/$f" ] || { echo "missing $out/$f" >&2; exit 1; }
  printf '%-14s %8d bytes, %8d gzipped\n' "$f" "$(stat -c %s "$out/$f")" "$(gzip -9c "$out/$f" | wc -c)"
done

if [ $serve = 1 ]; then
  exec python3 "$root/platform/web/serve.py" "$out"
fi
