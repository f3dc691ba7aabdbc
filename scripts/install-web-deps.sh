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

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
