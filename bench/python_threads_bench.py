#!/usr/bin/env python3
"""Throughput of lumivant.diff over the corpus pairs with 1 and 2 threads.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_threads_bench.py [ROUNDS]

The library releases the GIL while it works, so two threads should do
nearly twice the work of one on a machine with two free cores. Two
processes, which share nothing, show what the machine gives at the moment:
on a busy machine compare the threads with them rather than with 2.0.
"""

import os
import sys
import time
from concurrent.futures import ProcessPoolExecutor, ThreadPoolExecutor
from pathlib import Path

import lumivant

ROOT = Path(__file__).resolve().parents[1]
CORPUS = Path(os.environ.get("LUMIVANT_CORPUS", ROOT.parent / "shared" / "corpus"))


def load_pairs():
    folders = sorted(p for p in (CORPUS / "pairs").iterdir() if (p / "new.html").exists())
    return [((f / "old.html").read_bytes(), (f / "new.html").read_bytes()) for f in folders]


def changes(job):
    return lumivant.diff(*job).changes


def throughput(pairs, workers, rounds, executor=ThreadPoolExecutor):
    # Largest first, so that no worker is left with a big pair at the end.
    jobs = sorted(pairs * rounds, key=lambda job: -len(job[0]) - len(job[1]))
    with executor(max_workers=workers) as pool:
        list(pool.map(changes, jobs[-workers:]))  # workers started
        start = time.perf_counter()
        list(pool.map(changes, jobs))
        return len(jobs) / (time.perf_counter() - start)


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 2
    if not CORPUS.is_dir():
        sys.exit(f"no corpus at {CORPUS}")
    pairs = load_pairs()
    one = throughput(pairs, 1, rounds)
    two = throughput(pairs, 2, rounds)
    processes = throughput(pairs, 2, rounds, ProcessPoolExecutor)
    print(f"{len(pairs)} pairs x {rounds} rounds, {os.cpu_count()} cores, "
          f"load {os.getloadavg()[0]:.1f}")
    print(f"1 thread:    {one:.2f} pairs/s")
    print(f"2 threads:   {two:.2f} pairs/s, ratio {two / one:.2f}")
    print(f"2 processes: {processes:.2f} pairs/s, ratio {processes / one:.2f}")


if __name__ == "__main__":
    main()
