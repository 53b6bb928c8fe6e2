#!/usr/bin/env bash
# Configures and builds the page with Debian's emscripten:
#   scripts/web_build.sh <build folder> <native build folder> <tests ON|OFF>
# The native build gives the generators (its tarvolen_generators target).
set -euo pipefail
cd "$(dirname "$0")/.."
# This emscripten's optimising link runs its tools under the machine's
# Node.js, which finds their modules only here.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B "$1" -DTARVOLEN_HOST_BUILD="$2" -DCMAKE_BUILD_TYPE=Release \
  -DTARVOLEN_TESTS="$3" -DTARVOLEN_WERROR=ON >/dev/null
cmake --build "$1" -j"$(nproc)"
