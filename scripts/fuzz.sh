#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Builds the libFuzzer harnesses of fuzz/ with clang in build-fuzz/ and runs each for SECONDS seconds,
# one after another, at the lowest priority. Corpus growth goes to build-fuzz/corpus/<harness>/
# (the committed seeds in fuzz/corpus/ stay as they are); an input that fails is written to
# build-fuzz/findings/<harness>/ and the script ends with status 1 after the other harnesses ran.
#
#   scripts/fuzz.sh SECONDS [harness...]      harnesses: the folder names of fuzz/corpus/ (default all)
#
# A finding, once fixed, is copied into fuzz/findings/<harness>/, where the replay tests of the normal
# build (ctest -L fuzz) run it for good.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh SECONDS [harness...]" >&2
  exit 2
fi
seconds=$1
shift

# clang and its libFuzzer runtime (only this script needs them).
if ! command -v clang++ >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q && apt-get install -y -q --no-install-recommends clang
fi
major=$(clang++ -dumpversion | cut -d. -f1)
if ! dpkg-query -W -f='${Status}' "libclang-rt-$major-dev" 2>/dev/null | grep -q 'install ok installed'; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q && apt-get install -y -q --no-install-recommends "libclang-rt-$major-dev"
fi

build=$root/build-fuzz
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVRIK_FUZZ=ON \
  -DTOVRIK_BENCH=OFF "${launcher[@]}" >/dev/null
nice -n 19 cmake --build "$build" -j2 --target fuzzers

if [ $# -gt 0 ]; then
  harnesses=("$@")
else
  harnesses=()
  for d in fuzz/corpus/*/; do harnesses+=("$(basename "$d")"); done
fi

failed=()
mkdir -p "$build/logs"
printf '%-14s %12s %10s %8s  %s\n' harness executions exec/s edges result
for h in "${harnesses[@]}"; do
  program=$build/fuzz/fuzz_$h
  [ -x "$program" ] || { echo "no harness $h" >&2; exit 2; }
  mkdir -p "$build/corpus/$h" "$build/findings/$h"
  # Absolute paths: harnesses that run the game work in a private folder of their own.
  inputs=("$build/corpus/$h" "$root/fuzz/corpus/$h")
  [ -d "fuzz/findings/$h" ] && inputs+=("$root/fuzz/findings/$h")
  log=$build/logs/$h.log
  result=ok
  # -timeout: one input running for 10 s is a hang; -rss_limit_mb: the readers' own limits stay
  # far below it, so crossing it is a finding.
  if ! nice -n 19 "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
      -print_final_stats=1 -artifact_prefix="$build/findings/$h/" "${inputs[@]}" >"$log" 2>&1; then
    result="FINDING (see $log)"
    failed+=("$h")
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
  printf '%-14s %12s %10s %8s  %s\n' "$h" "${runs:--}" "${speed:--}" "${edges:--}" "$result"
done
[ ${#failed[@]} -eq 0 ] || { echo "findings in: ${failed[*]}" >&2; exit 1; }
