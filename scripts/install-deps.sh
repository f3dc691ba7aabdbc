#!/usr/bin/env bash
# Installs every Debian 12 package the game, its tools and its tests need.
# Safe to run again: only missing packages are installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  libsdl2-dev libepoxy-dev libopenal-dev libegl-dev libgl-dev
  libtinygltf-dev nlohmann-json3-dev libstb-dev libgtest-dev
  libegl-mesa0 libgl1-mesa-dri libgbm1
  fonts-dejavu-core
  xvfb xauth
  desktop-file-utils appstream file
)

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
