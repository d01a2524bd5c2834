#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Licence check: every file of the tree names its copyright and licence (an SPDX line, or an entry
# of .reuse/dep5 for files that cannot carry one). Usage: reuse_check.sh <source folder>.
set -euo pipefail
cd "${1:-.}"
if ! command -v reuse >/dev/null 2>&1; then
  echo "SKIPPED: reuse is not installed (scripts/setup.sh installs it), so licences are not checked"
  exit 77
fi
reuse lint
