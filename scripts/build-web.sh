#!/usr/bin/env bash
# Builds the game for the web into build-web/: index.html, gilded_vault.js,
# gilded_vault.wasm and gilded_vault.data (the content). Serve the folder
# with any static server, e.g. `python3 -m http.server -d build-web`.
# Installs emscripten (Debian's package) with apt-get when it is missing
# (scripts/install-web-deps.sh). Extra arguments go to cmake's configure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-web-deps.sh

# Emscripten's JavaScript optimiser needs Debian's node modules.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# The header-only libraries, and nothing else of /usr/include, for emscripten.
third_party=build-web/third-party
mkdir -p "$third_party"
ln -sfn /usr/include/tiny_gltf.h "$third_party/tiny_gltf.h"
ln -sfn /usr/include/nlohmann "$third_party/nlohmann"
ln -sfn /usr/include/stb "$third_party/stb"

generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
emcmake cmake -S web -B build-web "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DGV_WEB_THIRD_PARTY="$PWD/$third_party" "$@" >/dev/null
cmake --build build-web -j"$(nproc)"
