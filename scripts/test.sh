#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test suite; then the
# sanitizer builds and the short fuzz runs (scripts/sanitize.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
scripts/sanitize.sh
