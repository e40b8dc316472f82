#!/usr/bin/env python3
"""Throughput of lumivant.diff over the corpus pairs with 1 and 2 threads.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_threads_bench.py [ROUNDS]

The library releases the GIL while it works, so two threads should do
nearly twice the work of one on a machine with two free cores.
"""

import os
import sys
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import lumivant

ROOT = Path(__file__).resolve().parents[1]
CORPUS = Path(os.environ.get("LUMIVANT_CORPUS", ROOT.parent / "shared" / "corpus"))


def load_pairs():
    folders = sorted(p for p in (CORPUS / "pairs").iterdir() if (p / "new.html").exists())
    return [((f / "old.html").read_bytes(), (f / "new.html").read_bytes()) for f in folders]


def throughput(pairs, workers, rounds):
    jobs = pairs * rounds
    with ThreadPoolExecutor(max_workers=workers) as pool:
        start = time.perf_counter()
        # Largest first, so that no thread is left with a big pair at the end.
        for _ in pool.map(lambda job: lumivant.diff(*job),
                          sorted(jobs, key=lambda j: -len(j[0]) - len(j[1]))):
            pass
        return len(jobs) / (time.perf_counter() - start)


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 2
    if not CORPUS.is_dir():
        sys.exit(f"no corpus at {CORPUS}")
    pairs = load_pairs()
    throughput(pairs[:3], 2, 1)  # warm up
    one = throughput(pairs, 1, rounds)
    two = throughput(pairs, 2, rounds)
    print(f"{len(pairs)} pairs x {rounds} rounds, {os.cpu_count()} cores")
    print(f"1 thread:  {one:.2f} pairs/s")
    print(f"2 threads: {two:.2f} pairs/s")
    print(f"ratio:     {two / one:.2f}")


if __name__ == "__main__":
    main()
