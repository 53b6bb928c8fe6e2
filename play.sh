#!/usr/bin/env bash
# Sets up the machine, builds Tarvolen in build-play/ and starts it.
#   ./play.sh [--build-only] [GAME OPTIONS...]    e.g. ./play.sh --scale 2
# Its own build directory: a later ./test.sh never inherits this build's
# settings (tests off), and this never inherits the test build's.
set -euo pipefail
cd "$(dirname "$0")"
build_only=0
if [ "${1:-}" = "--build-only" ]; then
  build_only=1
  shift
fi
scripts/setup.sh runtime build
cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DTARVOLEN_TESTS=OFF -DTARVOLEN_BENCH=OFF >/dev/null
cmake --build build-play -j"$(nproc)" --target tarvolen
[ "$build_only" -eq 1 ] && exit 0
exec build-play/out/tarvolen "$@"
