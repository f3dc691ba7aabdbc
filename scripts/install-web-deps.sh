#!/usr/bin/env bash
# Installs what the web build needs from Debian 12: emscripten (about 100 MB
# of downloads with its LLVM, binaryen and node). With --browser also
# Chromium, which the web test runs the page in (about 130 MB more).
# Safe to run again: only missing packages are installed.
set -euo pipefail

PACKAGES=(emscripten cmake libtinygltf-dev nlohmann-json3-dev libstb-dev)
if [ "${1:-}" = "--browser" ]; then
  PACKAGES+=(chromium python3)
fi

bash "$(dirname "$0")/apt-install-missing.sh" "${PACKAGES[@]}"
