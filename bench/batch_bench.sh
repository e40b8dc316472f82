#!/usr/bin/env bash
# Scaling of lumivant batch: pairs per second with one and two threads over
# the corpus pairs (and on a local Dask cluster when the Python package is
# built), and peak memory for a manifest of 10,000 pairs against one of 100,
# which should be about the same since the manifest is read as it goes.
#
# The corpus is listed ROUNDS times (default 4), as a service sees a steady
# stream: at the end of one round of 45 pairs one thread idles while the
# other finishes the last pair, which costs a round a tenth of its time.
# One round is measured too.
# usage: bench/batch_bench.sh [BUILD_DIR [ROUNDS]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-4}
tool=$build/tools/lumivant
corpus=${LUMIVANT_CORPUS:-../shared/corpus}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for dir in "$corpus"/pairs/*/; do
  printf '%s\t%s\n' "$dir/old.html" "$dir/new.html"
done >"$work/round.tsv"
for _ in $(seq "$rounds"); do cat "$work/round.tsv"; done >"$work/corpus.tsv"

rate() {  # pairs per second of a command whose last argument is the manifest
  local start end pairs
  pairs=$(wc -l <"${*: -1}")
  start=$(date +%s.%N)
  "$@" >/dev/null || [ $? -eq 1 ]
  end=$(date +%s.%N)
  echo "scale=2; $pairs / ($end - $start)" | bc
}

"$tool" batch -j 2 --quiet "$work/round.tsv" >/dev/null || true  # warm the page cache
for manifest in round corpus; do
  one=$(rate "$tool" batch -j 1 --quiet "$work/$manifest.tsv")
  two=$(rate "$tool" batch -j 2 --quiet "$work/$manifest.tsv")
  label="corpus, $(wc -l <"$work/round.tsv") pairs"
  [ "$manifest" = corpus ] && label="$label x $rounds rounds"
  echo "$label: -j 1 $one pairs/s, -j 2 $two pairs/s ($(echo "scale=2; $two / $one" | bc)x)"
done

if [ -f "$build/python/lumivant/dask.py" ] && /usr/bin/python3 -c 'import distributed' 2>/dev/null; then
  dask=$(rate env PYTHONPATH="$build/python" /usr/bin/python3 -c '
import sys, distributed, lumivant.dask as ld
with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True) as c, distributed.Client(c):
    ld.compare(ld.read_manifest(sys.argv[1]), partition_size=4).compute()
' "$work/corpus.tsv")
  echo "corpus, $(wc -l <"$work/corpus.tsv") pairs: Dask local cluster of 2 processes $dask pairs/s (cluster start included)"
fi

# Memory: the same small pair many times, so that 10,000 lines take seconds.
pair=$(printf '%s\t%s' "$PWD/examples/news-v1.html" "$PWD/examples/news-v2.html")
for lines in 100 10000; do
  awk -v n="$lines" -v p="$pair" 'BEGIN { for (i = 0; i < n; i++) print p }' >"$work/repeat.tsv"
  /usr/bin/time -f %M -o "$work/kb" "$tool" batch -j 2 --quiet "$work/repeat.tsv" >/dev/null || true
  echo "$lines pairs: peak memory $(tail -n 1 "$work/kb") KB"
done
