#!/usr/bin/env bash
# Builds the Python package (and the lumivant tool its tests compare with)
# when needed and runs its pytest suite with Debian's Python. Extra
# arguments go to pytest.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
python=${LUMIVANT_PYTHON:-/usr/bin/python3}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANT_BUILD_TESTS=OFF \
        -DLUMIVANT_BUILD_BENCH=OFF -DPython3_EXECUTABLE="$python" >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target _lumivant lumivant_cli
# pytest's exit status 5 (no tests collected) fails this script as well.
PYTHONPATH="$(cd "$build" && pwd)/python${PYTHONPATH:+:$PYTHONPATH}" \
  "$python" -m pytest -q -p no:cacheprovider python/tests "$@"
