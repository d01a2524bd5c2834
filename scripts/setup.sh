#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Installs the Debian packages that are missing, then configures and builds.
#   setup.sh           what building and testing need; the normal tree in build/, with the tests
#   setup.sh --asan    the same, and the sanitizer tree in build-asan/
#   setup.sh --play    only what building and playing need; build/ without the tests
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-}

# Building and playing: the compiler and CMake, the libraries, and OpenGL (GLX and EGL) from Mesa.
PLAY_PACKAGES=(
  cmake g++ make pkg-config
  libsdl2-dev liblzo2-dev libpng-dev zlib1g-dev libinih-dev
  libgl-dev libgl1-mesa-dri libglx-mesa0 libegl1 libegl-mesa0
)
# Testing besides: GoogleTest and Google Benchmark, a virtual X server with key events and image
# tools, the desktop entry and metadata validators, setpriv to run as an unprivileged user, and
# strace to kill a save at chosen system calls, reuse to check every file names its licence, and
# Debian's package tools to build the package from debian/ and check it with lintian.
TEST_PACKAGES=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick
  desktop-file-utils appstream util-linux strace clang-format reuse
  build-essential dpkg-dev debhelper lintian pkgconf
)

PACKAGES=("${PLAY_PACKAGES[@]}")
testing=ON
if [ "$mode" = "--play" ]; then
  testing=OFF
else
  PACKAGES+=("${TEST_PACKAGES[@]}")
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)

build_tree() {  # dir, build type, extra cmake args...
  local dir=$1 type=$2; shift 2
  local launcher=()
  if command -v ccache >/dev/null; then  # rebuilds of unchanged files come from the cache
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" -DBUILD_TESTING="$testing" "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

build_tree build RelWithDebInfo
if [ "$mode" = "--asan" ]; then
  build_tree build-asan Debug -DTOVRIK_SANITIZE=ON
fi
