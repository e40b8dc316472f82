#!/usr/bin/env bash
# Installs the Debian packages lumivant needs to build and test, unless they
# are all present already.
set -euo pipefail
packages=(build-essential cmake pkg-config libantlr-dev libgumbo-dev
          libstemmer-dev libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
