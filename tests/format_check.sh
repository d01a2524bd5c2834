#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# One style: fails when clang-format, following the .clang-format at the root, would change any
# C++ file of the tree. Usage: format_check.sh <source folder>; CLANG_FORMAT may name the binary.
set -euo pipefail
cd "${1:-.}"
tool=${CLANG_FORMAT:-clang-format}
if ! command -v "$tool" >/dev/null 2>&1; then
  echo "SKIPPED: $tool is not installed (scripts/setup.sh installs it), so the format is not checked"
  exit 77
fi
# Every C++ file, leaving out hidden folders and build folders (those holding a CMakeCache.txt).
files=$(find . -mindepth 1 \( -name '.*' -o -type d -exec test -e '{}/CMakeCache.txt' \; \) -prune -o \
  -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | LC_ALL=C sort)
count=$(printf '%s\n' "$files" | wc -l)
version=$("$tool" --version)
if report=$(printf '%s\n' "$files" | xargs "$tool" --dry-run --Werror --style=file 2>&1); then
  echo "format: $count C++ files follow .clang-format ($version)"
  exit 0
fi
bad=$(printf '%s\n' "$report" | sed -nE 's/^([^ :]+):[0-9]+:[0-9]+: error:.*/\1/p' | uniq)
echo "$(printf '%s\n' "$bad" | wc -l) of $count C++ files do not follow .clang-format ($version);"
echo "clang-format -i <file> formats one:"
printf '  %s\n' $bad
exit 1
