#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything into
# build/ and runs every test suite; then the sanitizer builds and the short
# fuzz runs (scripts/sanitize.sh).
#
#   scripts/test.sh           the whole run, as CI does it
#   scripts/test.sh --quick   formatting and the plain suites only
set -euo pipefail
cd "$(dirname "$0")/.."
quick=false
[ "${1:-}" = "--quick" ] && quick=true
build=${BUILD_DIR:-build}

scripts/install-deps.sh
scripts/check-format.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANT_BUILD_TESTS=ON \
      -DLUMIVANT_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
BUILD_DIR=$build scripts/test-install.sh
BUILD_DIR=$build scripts/test-python.sh
$quick && exit 0
scripts/sanitize.sh
