#!/usr/bin/env bash
# Sets up the machine, builds Tarvolen and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARVOLEN_TESTS=OFF -DTARVOLEN_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target tarvolen
exec build/out/tarvolen
