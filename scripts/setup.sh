#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, skipping those already present,
# then configures and builds the normal tree in build/ and (with --asan) the sanitizer tree in build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  cmake g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev liblzo2-dev libpng-dev zlib1g-dev
  libgl-dev libgl1-mesa-dri libglx-mesa0 libegl1 libegl-mesa0
  xvfb xauth xdotool imagemagick clang-format
)

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
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

build_tree build RelWithDebInfo
if [ "${1:-}" = "--asan" ]; then
  build_tree build-asan Debug -DTOVRIK_SANITIZE=ON
fi
