#!/usr/bin/python3
"""Whole-process timing of lumivant against Gumbo's parse of the same bytes.

One process per job, as a user meets it: `lumivant diff --json` on every
corpus pair, `lumivant highlight --json` with a 3-term query on every corpus
page and every pair's new page, a generated page of 160,000 words, a tiny
page (start-up), the near queries whose limit spans the page, and a page of
one text node of words (--one-node-mb megabytes). Beside each job, the wall
time of a `gumbo_parse` process (bench/gumbo_parse.cc) on the same files,
and the ratio. Every time is the median of --repeat runs; peak memory is the
maximum resident set of one more run, also as a multiple of the largest
page's size (peak_ratio) and, for the generated page, in bytes per word.

Writes one tab-separated row per job to standard output (the input of
bench/process_chart.py) and a summary on standard error.

usage: bench/process_bench.py [--build DIR] [--corpus DIR] [--repeat N] [--skip JOB]
                              > bench.tsv
"""
import argparse
import glob
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

QUERY = "price news world"
COLUMNS = ["job", "name", "bytes", "lumivant_s", "gumbo_s", "ratio", "peak_kb", "peak_ratio"]
GENERATED_WORDS = 160000


def run_once(command):
    """Wall seconds of one process."""
    start = time.perf_counter()
    code = subprocess.call(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    if code not in (0, 1):  # 1: no match, or changes found
        sys.exit(f"failed ({code}): {' '.join(command)}")
    return seconds


def peak_kb(command):
    """Peak resident kB of one process, from a run of its own under
    /usr/bin/time (a child of this script would count the script's memory
    too, which it holds until the exec)."""
    with tempfile.NamedTemporaryFile("r") as report:
        subprocess.call(["/usr/bin/time", "-f", "%M", "-o", report.name] + command,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return int(report.read().split()[-1])


def median_run(command, repeat):
    return statistics.median(run_once(command) for _ in range(repeat))


def generated_page(path, words):
    """A page of paragraphs of short words, with "needle" and "thread" now
    and then: word-dense, like the text of a long report."""
    rng = random.Random(16)
    vocabulary = ["".join(rng.choice("abcdefghijklmnoprstuw") for _ in range(rng.randint(2, 7)))
                  for _ in range(5000)]
    parts = ["<!DOCTYPE html><html><head><title>words</title></head><body>\n"]
    for i in range(words):
        if i % 40 == 0:
            parts.append("</p>\n<p>")
        parts.append("needle " if i % 997 == 0 else "thread " if i % 1499 == 0 else
                     rng.choice(vocabulary) + " ")
    parts.append("</p></body></html>\n")
    with open(path, "w") as out:
        out.write("".join(parts))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--corpus", default=os.environ.get(
        "LUMIVANT_CORPUS", os.path.join(here, "..", "..", "shared", "corpus")))
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--gumbo", help="gumbo_parse binary (default: the build's)")
    parser.add_argument("--one-node-mb", type=float, default=5,
                        help="size of the page of one text node (hostile: no structure to cut)")
    parser.add_argument("--skip", action="append", default=[], metavar="JOB",
                        help="leave out a job (near, for a build whose near:N is quadratic)")
    args = parser.parse_args()
    tool = os.path.join(args.build, "tools", "lumivant")
    gumbo = args.gumbo or os.path.join(args.build, "bench", "gumbo_parse")
    for binary in (tool, gumbo):
        if not os.access(binary, os.X_OK):
            sys.exit(f"{binary} not built (cmake --build {args.build} --target lumivant_cli "
                     "gumbo_parse)")

    jobs = []  # (job, name, files, lumivant command)
    pairs = sorted(glob.glob(os.path.join(args.corpus, "pairs", "*", "")))
    for pair in pairs:
        files = [os.path.join(pair, "old.html"), os.path.join(pair, "new.html")]
        jobs.append(("diff", os.path.basename(pair.rstrip("/")), files,
                     [tool, "diff", "--json"] + files))
    pages = sorted(glob.glob(os.path.join(args.corpus, "pages", "*.htm*")))
    pages += [os.path.join(pair, "new.html") for pair in pairs]
    for page in pages:
        name = os.path.relpath(page, args.corpus).replace("/new.html", "").replace("pages/", "")
        jobs.append(("highlight", name, [page], [tool, "highlight", "--json", QUERY, page]))

    with tempfile.TemporaryDirectory() as work:
        words = os.path.join(work, "words.html")
        generated_page(words, GENERATED_WORDS)
        tiny = os.path.join(work, "tiny.html")
        with open(tiny, "w") as out:
            out.write("<p>a tiny page with one needle</p>\n")
        near20k = os.path.join(work, "near20k.html")
        with open(near20k, "w") as out:
            out.write("<p>" + "aa bb " * 10000)
        near600k = os.path.join(work, "near600k.html")
        with open(near600k, "w") as out:
            out.write("<p>" + "aa xx bb yy " * 50000)
        one_node = os.path.join(work, "one_node.html")
        rng = random.Random(50)
        with open(one_node, "w") as out:
            out.write("<p>")
            for _ in range(int(args.one_node_mb * 1e6 / 6000)):
                out.write(" ".join(rng.choice(("alpha", "beta", "gamma", "delta", "news"))
                                   for _ in range(1000)) + " ")
        jobs += [
            ("diff-generated", "160,000 words against themselves", [words, words],
             [tool, "diff", "--json", words, words]),
            ("highlight-generated", "160,000 words, 2 terms", [words],
             [tool, "highlight", "--json", "needle thread", words]),
            ("diff-tiny", "tiny page", [tiny, tiny], [tool, "diff", "--json", tiny, tiny]),
            ("highlight-tiny", "tiny page", [tiny], [tool, "highlight", "--json", "needle", tiny]),
            ("near", "20,000 words, aa near:20000 bb", [near20k],
             [tool, "highlight", "--language", "none", "aa near:20000 bb", near20k]),
            ("near", "600 KB, aa near:100000 bb", [near600k],
             [tool, "highlight", "--language", "none", "aa near:100000 bb", near600k]),
            ("diff-one-node", "one text node against itself", [one_node, one_node],
             [tool, "diff", "--json", one_node, one_node]),
            ("highlight-one-node", "one text node, 2 terms", [one_node],
             [tool, "highlight", "--json", "news delta", one_node]),
        ]

        print("\t".join(COLUMNS))
        totals = {}
        for job, name, files, command in jobs:
            if job in args.skip:
                continue
            size = sum(os.path.getsize(f) for f in files)
            seconds = median_run(command, args.repeat)
            floor = median_run([gumbo] + files, args.repeat)
            peak = peak_kb(command)
            # Peak against the largest page: what the process holds per page byte.
            largest = max(os.path.getsize(f) for f in files)
            peak_ratio = peak * 1024 / max(1, largest)
            print(f"{job}\t{name}\t{size}\t{seconds:.4f}\t{floor:.4f}\t{seconds / floor:.2f}\t{peak}"
                  f"\t{peak_ratio:.1f}", flush=True)
            total = totals.setdefault(job, [0, 0.0, 0.0, 0.0, 0.0])
            total[0] += 1
            total[1] += seconds
            total[2] += floor
            total[3] = max(total[3], seconds / floor)
            if largest >= 1e6:  # below, start-up dominates
                total[4] = max(total[4], peak_ratio)
            if job.endswith("-generated"):
                print(f"{job}: peak {peak} kB, {peak * 1024 / GENERATED_WORDS:.0f} bytes per page "
                      "word", file=sys.stderr)

    print(f"{'job':<20} {'runs':>4} {'lumivant s':>10} {'Gumbo s':>8} {'ratio':>6} {'worst':>6} "
          f"{'peak/page':>9}", file=sys.stderr)
    # peak/page: the worst peak over the largest page, for pages of 1 MB and more.
    for job, (count, seconds, floor, worst, peak_ratio) in totals.items():
        peak_text = f"{peak_ratio:.1f}" if peak_ratio else "-"
        print(f"{job:<20} {count:>4} {seconds:>10.3f} {floor:>8.3f} {seconds / floor:>6.2f} "
              f"{worst:>6.2f} {peak_text:>9}", file=sys.stderr)


if __name__ == "__main__":
    main()
