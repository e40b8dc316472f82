#!/usr/bin/env bash
# Checks with an independent HTML parser (parse5, in tests/oracle) that the
# tool's change reports and highlighted pages parse to the page's own
# document plus only our elements, on N random hostile pages, on the kept
# fuzz inputs and on every page and pair of the shared corpus:
#
#   scripts/oracle-check.sh [N] [LUMIVANT-BINARY] [more oracle.mjs options]
#
# Installs the oracle's packages with npm when they are missing; exits 77
# (skipped) when node or the packages cannot be had.
set -uo pipefail
cd "$(dirname "$0")/.."
count=${1:-200}
bin=${2:-build/tools/lumivant}
shift $(($# < 2 ? $# : 2))
corpus=${LUMIVANT_CORPUS:-../shared/corpus}
if ! command -v node >/dev/null 2>&1; then
  echo "node is not installed: oracle skipped"
  exit 77
fi
if [ ! -d tests/oracle/node_modules/parse5 ] &&
   ! (cd tests/oracle && npm ci --no-audit --no-fund --silent); then
  echo "tests/oracle/node_modules could not be installed (npm ci in tests/oracle): oracle skipped"
  exit 77
fi
corpus_args=()
[ -d "$corpus" ] && corpus_args=(--corpus "$corpus")
exec node tests/oracle/oracle.mjs --lumivant "$bin" --random "$count" \
  --regressions tests/reliability/regressions "${corpus_args[@]}" "$@"
