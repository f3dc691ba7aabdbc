#!/usr/bin/env bash
# Fresh machine to green: install what is missing, build, run every test
# headless (Mesa software rendering, no display, no sound card needed), the
# web build included (in headless Chromium).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
# The web build and the browser its test runs it in (ctest label "web").
bash scripts/install-web-deps.sh --browser
bash scripts/build-web.sh
cd build
GV_REQUIRE_WEB=1 ctest --output-on-failure -j"$(nproc)"
