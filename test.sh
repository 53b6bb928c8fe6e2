#!/usr/bin/env bash
# Sets up the machine, builds Tarvolen with its tests and runs every test:
# once as built, once under AddressSanitizer and UndefinedBehaviorSanitizer.
# Every setting that decides what runs is given here, not taken from an old
# cache, and CTest fails when it finds no test: a green run has run the suite.
# The first build is also the Debian package's (Debian's layout for games,
# dpkg-buildflags' hardening): its tests run on what ships, and its package
# test checks the .deb; the second keeps the plain layout, for its install test.
# Then the Windows program is cross-built with the first build's generators,
# packed, and its suites and its end-to-end test run under Wine, in a prefix
# made for this run. Last, the page is built with emscripten, again with the
# first build's generators, and its suite runs in chromium.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVOLEN_TESTS=ON -DTARVOLEN_BENCH=ON \
  -DTARVOLEN_SANITIZE=OFF -DTARVOLEN_WERROR=ON -DTARVOLEN_GAMES_LAYOUT=ON -DTARVOLEN_DEB_BUILDFLAGS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTARVOLEN_TESTS=ON -DTARVOLEN_BENCH=OFF \
  -DTARVOLEN_SANITIZE=ON -DTARVOLEN_WERROR=ON -DTARVOLEN_GAMES_LAYOUT=OFF -DTARVOLEN_DEB_BUILDFLAGS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$jobs" -LE e2e

# Wine's server outlives its programs for a few seconds: stop it with the run.
export WINEPREFIX="$PWD/build-win/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true' EXIT
scripts/wine_prefix.sh "$WINEPREFIX" >/dev/null
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTARVOLEN_HOST_BUILD="$PWD/build" \
  -DCMAKE_BUILD_TYPE=Release -DTARVOLEN_TESTS=ON -DTARVOLEN_WERROR=ON >/dev/null
cmake --build build-win -j"$jobs"
(cd build-win && cpack -G "NSIS;ZIP" >/dev/null)
ctest --test-dir build-win --output-on-failure --no-tests=error -j"$jobs"

# puppeteer-core as pinned in tests/web/package-lock.json; it drives Debian's chromium.
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
scripts/web_build.sh build-web "$PWD/build" ON
ctest --test-dir build-web --output-on-failure --no-tests=error
