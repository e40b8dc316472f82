#!/usr/bin/env bash
# Installs the Debian packages lumivant needs to build and test, unless they
# are all present already.
set -euo pipefail
packages=(build-essential cmake pkg-config libantlr-dev libboost-dev libgumbo-dev
          libstemmer-dev libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev clang-format dpkg-dev file
          python3 python3-dev pybind11-dev python3-pytest python3-dask python3-distributed)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -ne 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Optional: a headless browser for the injection tests, which skip without
# one. A failed install fails nothing; LUMIVANT_NO_BROWSER=1 skips it.
if [ -z "${LUMIVANT_NO_BROWSER:-}" ] &&
   ! dpkg-query -W -f='${Status}' chromium 2>/dev/null | grep -q "install ok installed"; then
  echo "installing (optional): chromium"
  { $sudo apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends chromium; } ||
    echo "chromium is not installed: the browser checks will be skipped"
fi
