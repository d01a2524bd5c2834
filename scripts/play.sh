#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Installs what building and playing need, builds the game, and starts it from its run folder
# (arguments go to the game: scripts/play.sh --windowed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --play
exec build/run/crumlet "$@"
