#!/usr/bin/env bash
# Renders what the library writes for pages with escaped markup in a real
# browser (Debian's chromium, headless) and checks the DOM: no element the
# page did not have apart from the library's own, no script from the page's
# text run. The reliability suite runs the same check whenever the browser
# is installed; this script insists on it.
#
#   scripts/browser-check.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -x /usr/bin/chromium ]; then
  echo "browser check: /usr/bin/chromium is missing (apt-get install chromium)" >&2
  exit 1
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target reliability_tests
LUMIVANT_REQUIRE_BROWSER=1 "$build/tests/reliability_tests" --gtest_filter='Injection.*'
