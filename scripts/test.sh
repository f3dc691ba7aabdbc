#!/usr/bin/env bash
# Fresh machine to green: install what is missing, build, run every test
# headless (Mesa software rendering, no display, no sound card needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)"
