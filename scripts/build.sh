#!/usr/bin/env bash
# Configures and builds into build/ (extra arguments go to cmake's configure).
# Warnings in the project's own code are errors here (GV_WERROR), so
# scripts/test.sh and CI fail on a new one; -DGV_WERROR=OFF overrides.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGV_WERROR=ON "$@" >/dev/null
cmake --build build -j"$(nproc)"
