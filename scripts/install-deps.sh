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

bash "$(dirname "$0")/apt-install-missing.sh" "${PACKAGES[@]}"
