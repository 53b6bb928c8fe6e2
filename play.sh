#!/usr/bin/env bash
# Sets up the machine, builds Tarvolen in build-play/ and starts it.
#   ./play.sh [--build-only] [GAME OPTIONS...]    e.g. ./play.sh --scale 2
#   ./play.sh --web [--build-only] [PORT]
#     the page, built with emscripten in build-web/ (its generators from
#     build-play/) and served from build-web/site on localhost; any web
#     server can serve that folder.
#   ./play.sh --windows [--build-only] [GAME OPTIONS...]
#     the Windows program, cross-built in build-win/ (its generators from
#     build-play/) and started under Wine; `cd build-win && cpack` then writes
#     its setup program and zip.
# Its own build directory: a later ./test.sh never inherits this build's
# settings (tests off), and this never inherits the test build's.
set -euo pipefail
cd "$(dirname "$0")"
build_only=0
windows=0
web=0
if [ "${1:-}" = "--windows" ]; then
  windows=1
  shift
elif [ "${1:-}" = "--web" ]; then
  web=1
  shift
fi
if [ "${1:-}" = "--build-only" ]; then
  build_only=1
  shift
fi
if [ "$web" -eq 1 ]; then
  scripts/setup.sh runtime build web
  cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DTARVOLEN_TESTS=OFF -DTARVOLEN_BENCH=OFF >/dev/null
  cmake --build build-play -j"$(nproc)" --target tarvolen_generators
  scripts/web_build.sh build-web "$PWD/build-play" OFF
  [ "$build_only" -eq 1 ] && exit 0
  exec node scripts/serve_web.mjs build-web/site "${1:-8586}"
fi
if [ "$windows" -eq 1 ]; then
  scripts/setup.sh runtime build windows
  cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DTARVOLEN_TESTS=OFF -DTARVOLEN_BENCH=OFF >/dev/null
  cmake --build build-play -j"$(nproc)" --target tarvolen_generators
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTARVOLEN_HOST_BUILD="$PWD/build-play" \
    -DCMAKE_BUILD_TYPE=Release -DTARVOLEN_TESTS=OFF >/dev/null
  cmake --build build-win -j"$(nproc)" --target tarvolen
  [ "$build_only" -eq 1 ] && exit 0
  exec wine build-win/out/tarvolen.exe "$@"
fi
scripts/setup.sh runtime build
cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DTARVOLEN_TESTS=OFF -DTARVOLEN_BENCH=OFF >/dev/null
cmake --build build-play -j"$(nproc)" --target tarvolen
[ "$build_only" -eq 1 ] && exit 0
exec build-play/out/tarvolen "$@"
