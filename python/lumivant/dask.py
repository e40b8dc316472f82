"""Many pairs of pages on a Dask cluster, with the results of ``lumivant batch``.

    import lumivant.dask
    results = lumivant.dask.compare(pairs, query="price near:3 drop").compute()

pairs is a Dask bag, or any iterable, of (old_path, new_path[, report_path]).
Workers read the pages themselves, by path or by any URL fsspec understands
(where it is installed), so a shared file system or an object store serves
a whole cluster. Each result is a dict, as a line of ``lumivant batch``:
{"old", "new", "changes", "changed_words", "change_ratio"[, "match", "hits"]}
or {"old", "new", "error"} for a pair that could not be compared.

From the shell, on a cluster or on a local one when no address is given,
with results streamed in manifest order as they come (``stream()``):

    python3 -m lumivant.dask pages.tsv --scheduler tcp://host:8786 -o results.jsonl
"""

import argparse
import collections
import contextlib
import functools
import json
import os
import sys
import time

import dask.bag as db

from . import Query, QueryError, diff

_MANIFEST_PROBLEM = "expected OLD<TAB>NEW or OLD<TAB>NEW<TAB>REPORT"
_STDIO_PROBLEM = "standard input and output cannot stand for a page or a report here"


def _is_url(path):
    return "://" in path


def _read(path):
    if _is_url(path):
        import fsspec  # only for URLs: plain paths need nothing beyond Python

        with fsspec.open(path, "rb") as f:
            return f.read()
    with open(path, "rb") as f:
        return f.read()


@contextlib.contextmanager
def _atomic_file(path):
    """A binary file written through a temporary file in the same folder,
    renamed to path at the end, so a failed write never leaves a
    half-written or clobbered file."""
    if _is_url(path):
        import fsspec

        with fsspec.open(path, "wb") as f:
            yield f
        return
    temp = "%s.%d.tmp" % (path, os.getpid())
    try:
        with open(temp, "wb") as f:
            yield f
        os.replace(temp, path)
    except BaseException:
        if os.path.exists(temp):
            os.remove(temp)
        raise


def _write_atomically(path, text):
    with _atomic_file(path) as f:
        f.write(text.encode("utf-8", "surrogatepass"))


def _reason(path, error):
    return "%s: %s" % (path, error.strerror or error)


@functools.lru_cache(maxsize=8)
def _query(text, language):
    # Prepared once per worker process, not once per pair.
    return Query(text, language=language)


def _compare_one(pair, query, language, diff_options):
    fields = list(pair) if not isinstance(pair, str) else pair.split("\t")
    old = fields[0] if fields else ""
    new = fields[1] if len(fields) > 1 else ""
    result = {"old": old, "new": new}
    report_path = fields[2] if len(fields) > 2 else None
    if len(fields) not in (2, 3) or not old or not new:
        return dict(result, error=_MANIFEST_PROBLEM)
    if "-" in (old, new, report_path):
        return dict(result, error=_STDIO_PROBLEM)
    pages = []
    for path in (old, new):
        try:
            pages.append(_read(path))
        except OSError as e:
            return dict(result, error=_reason(path, e))
    try:
        r = diff(pages[0], pages[1], **diff_options)
    except (ValueError, MemoryError) as e:
        return dict(result, error=str(e))
    if report_path:
        try:
            _write_atomically(report_path, r.report)
        except OSError as e:
            return dict(result, error=_reason(report_path, e))
    result.update(changes=r.changes, changed_words=r.changed_words, change_ratio=r.change_ratio)
    if query is not None:
        q = _query(query, language)
        # The report is text already, whatever charset its page declares.
        result["match"] = q.matches(r.report, changes_only=True)
        result["hits"] = q.count(r.report, changes_only=True)
    return result


def compare(pairs, *, query=None, language="english", partition_size=16, **diff_options):
    """A bag of one result dict per pair, in the order of pairs.

    diff_options are those of lumivant.diff(). The query is checked here, so a
    bad one raises QueryError at once rather than on every worker."""
    if query is not None:
        _query(query, language)
    if not isinstance(pairs, db.Bag):
        pairs = db.from_sequence(list(pairs), partition_size=partition_size)
    return pairs.map(_compare_one, query, language, diff_options)


def read_manifest(path):
    """The pairs of a manifest file ("-": standard input): blank lines and
    lines starting with # skipped."""
    stream = sys.stdin if path == "-" else open(path, encoding="utf-8", errors="surrogateescape")
    with stream:
        for line in stream:
            line = line.rstrip("\n").rstrip("\r")
            if line and not line.startswith("#"):
                yield tuple(line.split("\t"))


def exit_status(results, query=None):
    """As lumivant batch's: 2 when a pair failed, 1 when one changed (with a
    query: matched), else 0."""
    status = _Status(query)
    for r in results:
        status.add(r)
    return status.code


class _Status:
    def __init__(self, query):
        self.key = "match" if query is not None else "changed_words"
        self.code = 0

    def add(self, result):
        if "error" in result:
            self.code = 2
        elif result[self.key] and self.code == 0:
            self.code = 1


def _compare_chunk(pairs, query, language, diff_options):
    return [_compare_one(pair, query, language, diff_options) for pair in pairs]


def _chunks(items, size):
    chunk = []
    for item in items:
        chunk.append(item)
        if len(chunk) == size:
            yield chunk
            chunk = []
    if chunk:
        yield chunk


class _Progress:
    """Pairs done (of the total when known), pairs per second and time left
    on standard error, redrawn at most every 0.2 s, as lumivant batch draws
    them."""

    def __init__(self, total, shown):
        self.total, self.shown, self.done = total, shown, 0
        self.start = self.drawn = time.monotonic()

    def add(self, count):
        self.done += count
        now = time.monotonic()
        if self.shown and now - self.drawn >= 0.2:
            self.drawn = now
            self.draw(now)

    def draw(self, now, end=""):
        if not self.shown:
            return
        rate = self.done / max(now - self.start, 1e-9)
        line = "%d" % self.done + ("/%d" % self.total if self.total is not None else "")
        line += " pairs, %.1f pairs/s" % rate
        if self.total and rate > 0 and self.done < self.total:
            left = int((self.total - self.done) / rate)
            line += ", %d:%02d left" % (left // 60, left % 60)
        sys.stderr.write("\r" + line + "\033[K" + end)
        sys.stderr.flush()


def stream(client, pairs, *, query=None, language="english", partition_size=16, window=None,
           **diff_options):
    """Yields one result dict per pair, in the order of pairs, computed on
    client's cluster: pairs are read as they go and at most window
    partitions (default: four per worker thread) are in flight, so memory
    stays flat however many pairs there are."""
    if query is not None:
        _query(query, language)
    if window is None:
        window = 4 * max(1, sum(client.nthreads().values()))
    pending = collections.deque()
    for chunk in _chunks(pairs, partition_size):
        pending.append(
            client.submit(_compare_chunk, chunk, query, language, diff_options, pure=False)
        )
        while len(pending) >= window:
            yield from pending.popleft().result()
    while pending:
        yield from pending.popleft().result()


def _count_pairs(manifest):
    # Reading the manifest twice costs little beside comparing its pages.
    return None if manifest == "-" else sum(1 for _ in read_manifest(manifest))


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog="python3 -m lumivant.dask",
        description="Compare the pairs of pages a manifest lists on a Dask cluster; "
        "one JSON line per pair, as lumivant batch prints them, written as they come.",
    )
    parser.add_argument("manifest", help="OLD<TAB>NEW[<TAB>REPORT] per line; - for stdin")
    parser.add_argument("--scheduler", help="address of the scheduler (default: a local cluster)")
    parser.add_argument("--query", help="search the changes of each report for this query")
    parser.add_argument("--language", default="english", help="stemming language of the query")
    parser.add_argument("-o", dest="output", help="write the results here (default: stdout)")
    shown = parser.add_mutually_exclusive_group()
    shown.add_argument("--progress", action="store_true", help="show progress even off a terminal")
    shown.add_argument("--quiet", action="store_true", help="show no progress")
    args = parser.parse_args(argv)

    from distributed import Client, LocalCluster

    try:
        if args.query is not None:
            _query(args.query, args.language)  # a bad query fails before the cluster starts
        total = _count_pairs(args.manifest)
    except QueryError as e:
        parser.exit(2, "%s: bad query: %s\n" % (parser.prog, e))
    except ValueError as e:
        parser.exit(2, "%s: %s\n" % (parser.prog, e))
    except OSError as e:
        parser.exit(2, "%s: %s\n" % (parser.prog, _reason(args.manifest, e)))
    shown = args.progress or (not args.quiet and sys.stderr.isatty())
    status = _Status(args.query)
    local = LocalCluster() if args.scheduler is None else contextlib.nullcontext()
    to_stdout = args.output in (None, "-")
    output = contextlib.nullcontext(sys.stdout.buffer) if to_stdout else _atomic_file(args.output)
    with local as cluster, Client(args.scheduler or cluster) as client, output as out:
        progress = _Progress(total, shown)  # from the cluster's start on
        pairs = read_manifest(args.manifest)
        for result in stream(client, pairs, query=args.query, language=args.language):
            line = json.dumps(result, separators=(",", ":")) + "\n"
            out.write(line.encode("utf-8", "surrogatepass"))
            status.add(result)
            progress.add(1)
        progress.draw(time.monotonic(), end="\n")
    return status.code


if __name__ == "__main__":
    # Through the package, so that workers import these functions by name
    # rather than receive copies of __main__'s.
    from lumivant.dask import main as _main

    sys.exit(_main())
