#!/usr/bin/env bash
# Fresh machine to playing: install what is missing, build, start the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec ./build/gilded_vault
