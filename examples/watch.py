#!/usr/bin/env python3
"""A page watcher: fetches pages, reports those that changed since the last run.

    watch.py [--db FILE] [--query Q] [--report FILE] URL... [--urls FILE]

Each run fetches every URL, diffs it against the version kept from the last
run in an SQLite file (watch.db), keeps the new version and a line of its
change history, and prints one line per page that changed, or, with --query,
per page whose changed text matches the query. --report writes the report
of the last such page (with --query, its hits highlighted). Run it from cron.

Exit status: 0 nothing changed, 1 some page changed, 2 some page could not
be fetched.
"""

import argparse
import sqlite3
import sys
import time
import urllib.request
from concurrent.futures import ThreadPoolExecutor
from email.message import Message

import lumivant

SCHEMA = """
create table if not exists pages (
  url text primary key, content blob not null, charset text, fetched real not null);
create table if not exists history (
  url text not null, fetched real not null, changes integer not null,
  changed_words integer not null, change_ratio real not null, matched integer not null);
"""


def fetch(url, timeout):
    """The page's bytes and the charset its Content-Type names, if any."""
    request = urllib.request.Request(url, headers={"User-Agent": "lumivant-watch/1"})
    with urllib.request.urlopen(request, timeout=timeout) as response:
        header = Message()
        header["Content-Type"] = response.headers.get("Content-Type", "")
        return response.read(), header.get_param("charset")


def check(url, last, query, timeout):
    """Fetches url and compares it with the last version: (page, charset, result, matched)."""
    page, charset = fetch(url, timeout)
    if last is None:
        return page, charset, None, False
    # A browser takes the charset of the HTTP header over the page's own.
    result = lumivant.diff(last[0], page, old_charset=last[1], new_charset=charset)
    matched = bool(result) and (query is None or query.matches(result.report, changes_only=True))
    return page, charset, result, matched


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("urls", nargs="*", metavar="URL")
    parser.add_argument("--urls", dest="url_file", help="a file of URLs, one a line")
    parser.add_argument("--db", default="watch.db", help="the SQLite file (default watch.db)")
    parser.add_argument("--query", help="report only pages whose changed text matches this")
    parser.add_argument("--language", default="english", help="stemming language of the query")
    parser.add_argument("--report", help="write the report of the last changed page here")
    parser.add_argument("--timeout", type=float, default=30, help="seconds per fetch")
    args = parser.parse_args(argv)
    urls = list(args.urls)
    if args.url_file:
        with open(args.url_file, encoding="utf-8") as lines:
            urls += [line.strip() for line in lines if line.strip() and line[0] != "#"]
    if not urls:
        parser.error("no URL to watch")
    try:
        query = lumivant.Query(args.query, language=args.language) if args.query else None
    except lumivant.QueryError as error:
        parser.error(f"bad query: {error}")

    db = sqlite3.connect(args.db)
    with db:
        db.executescript(SCHEMA)
    last = {url: (content, charset) for url, content, charset in
            db.execute("select url, content, charset from pages")}
    status, report = 0, None
    # Fetching and diffing run in threads; the library releases the GIL.
    with ThreadPoolExecutor(max_workers=8) as pool:
        jobs = [pool.submit(check, url, last.get(url), query, args.timeout) for url in urls]
        for url, job in zip(urls, jobs):
            try:
                page, charset, result, matched = job.result()
            except (OSError, ValueError) as error:  # network trouble, unknown charset
                print(f"{url}: {error}", file=sys.stderr)
                status = 2
                continue
            now = time.time()
            with db:
                db.execute("insert or replace into pages values (?, ?, ?, ?)",
                           (url, page, charset, now))
                if result is not None:
                    db.execute("insert into history values (?, ?, ?, ?, ?, ?)",
                               (url, now, result.changes, result.changed_words,
                                result.change_ratio, matched))
            if result is None:
                print(f"{url}: first version kept")
            elif matched:
                print(f"{url}: {result.changes} changes, {result.changed_words} words "
                      f"({result.change_ratio:.1%})")
                status = max(status, 1)
                report = result.report
                if query is not None:
                    report = query.highlight(report, changes_only=True).page
    db.close()
    if args.report and report is not None:
        with open(args.report, "w", encoding="utf-8") as out:
            out.write(report)
    return status


if __name__ == "__main__":
    sys.exit(main())
