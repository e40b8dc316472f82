#!/usr/bin/env bash
# Writes every command's output on the shared corpus (and the bundled
# examples) into OUT-DIR, one file per command and page, so that two builds
# can be compared byte for byte with `diff -r`:
#
#   scripts/corpus-outputs.sh LUMIVANT-BINARY OUT-DIR [CORPUS-DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
bin=$1
out=$2
corpus=${3:-../shared/corpus}
mkdir -p "$out"
query='the and (price or news) near:5 world'
run() {  # name command...
  local name=$1
  shift
  "$@" >"$out/$name.out" 2>"$out/$name.err"
  echo "exit $?" >>"$out/$name.err"
}
pages=(examples/*.html "$corpus"/pages/*.htm*)
for p in "$corpus"/pairs/*/; do
  pages+=("$p/old.html" "$p/new.html")
done
for page in "${pages[@]}"; do
  [ -f "$page" ] || continue
  name=$(echo "$page" | sed 's|.*/corpus/||; s|/|_|g')
  run "$name.text" "$bin" text "$page"
  run "$name.words" "$bin" words --language english "$page"
  run "$name.highlight" "$bin" highlight "$query" "$page"
  run "$name.highlight-none" "$bin" highlight --language none '"of the" or de' "$page"
  run "$name.match" "$bin" match --count "$query" "$page"
done
for p in "$corpus"/pairs/*/; do
  name=pair_$(basename "$p")
  run "$name.diff" "$bin" diff "$p/old.html" "$p/new.html"
  run "$name.diff-json" "$bin" diff --json --ignore-case --ignore-digits "$p/old.html" "$p/new.html"
  "$bin" diff "$p/old.html" "$p/new.html" 2>/dev/null |
    "$bin" highlight --changes-only --json "$query" - >"$out/$name.changes-only.out" 2>&1
done
run examples.diff "$bin" diff examples/news-v1.html examples/news-v2.html
run parse "$bin" parse "$query"
