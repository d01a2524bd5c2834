#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from its run folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec build/run/crumlet "$@"
