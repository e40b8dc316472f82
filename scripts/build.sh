#!/usr/bin/env bash
# Configures and builds the library and the lumivant tool into build/ (or
# $BUILD_DIR). Extra arguments go to the configure step; scripts/test.sh
# builds the tests and benchmarks into the same folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANT_BUILD_TESTS=OFF \
      -DLUMIVANT_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
