"""Tests of the Python package: run with PYTHONPATH=build/python (scripts/test-python.sh)."""

import ast
import json
import os
import subprocess
import threading
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pytest

import lumivant

ROOT = Path(__file__).resolve().parents[2]
CORPUS = Path(os.environ.get("LUMIVANT_CORPUS", ROOT.parent / "shared" / "corpus"))
# The tool built beside the package (build/python/lumivant -> build/tools).
CLI = Path(lumivant.__file__).resolve().parents[2] / "tools" / "lumivant"

# Small pairs in UTF-8, Shift_JIS, EUC-JP, ISO-2022-JP, ISO-8859-1, and
# pages converted from Shift_JIS and GB2312 to UTF-8.
PAIRS = ["006", "035", "039", "041", "047", "055", "056", "058"]
# Pages with a query that hits them, in ISO-8859-1, EUC-KR, ISO-2022-JP,
# Shift_JIS and GB2312.
PAGES = [
    ("httpd-index-ptbr-latin1.html", "apache or módulos"),
    ("httpd-index-ko-euckr.html", "apache near:5 http"),
    ("httpd-index-ja-iso2022jp.html", "apache and not nginx"),
    ("sakura-HLP000193-sjis.html", "\"新 規 作 成\" and ctrl"),
    ("geekbone-FAQr-gb2312.htm", "linux"),
]

corpus = pytest.mark.skipif(not CORPUS.is_dir(), reason=f"no corpus at {CORPUS}")
cli = pytest.mark.skipif(not os.access(CLI, os.X_OK), reason=f"no lumivant tool at {CLI}")


def pair(name):
    folder = CORPUS / "pairs" / name
    return (folder / "old.html").read_bytes(), (folder / "new.html").read_bytes()


def run_cli(*args):
    done = subprocess.run([str(CLI), *map(str, args)], capture_output=True, check=False)
    assert done.returncode in (0, 1), done.stderr.decode()
    return done.stdout


def test_str_and_bytes_pages():
    r = lumivant.diff(b"<p>a</p>", b"<p>b</p>")
    assert (r.changes, r.changed_words, type(r.report), bool(r)) == (1, 1, str, True)
    assert "changes=1" in repr(r)
    for old, new in [("<p>a</p>", "<p>b</p>"), (bytearray(b"<p>a</p>"), memoryview(b"<p>b</p>"))]:
        assert lumivant.diff(old, new).report == r.report
    same = lumivant.diff("<p>déjà vu</p>", "<p>déjà vu</p>".encode("utf-8"))
    assert (same.changes, same.changed_words, same.change_ratio, bool(same)) == (0, 0, 0.0, False)
    latin1 = "<p>café crème</p>".encode("latin-1")
    assert lumivant.detect_charset(latin1) == "windows-1252"
    assert not lumivant.diff(latin1, "<p>café crème</p>")
    assert lumivant.diff(latin1, "<p>café crème</p>", old_charset="utf-8")  # misread: changed
    plain = lumivant.diff(b"<p>a</p>", b"<p>b</p>", header=False, highlight_start="[",
                          highlight_end="]")
    assert "[b]" in plain.report and "<head>" not in plain.report
    assert "Content-Security-Policy" in lumivant.diff(b"a", b"b", no_scripts=True).report
    assert lumivant.diff(b"<p>A 1</p>", b"<p>a, 2</p>", ignore_case=True, ignore_digits=True,
                         ignore_punctuation=True).changes == 0
    words = lumivant.diff(b"<p>run every ten minutes today</p>",
                          b"<p>run every fifteen minutes today</p>", header=False,
                          highlight_start="[", highlight_end="]", word_level=True)
    assert (words.changes, words.changed_words, words.change_ratio) == (1, 1, 0.2)
    assert "every <LumivantChanges>[fifteen]</LumivantChanges> minutes" in words.report
    assert lumivant.__version__.count(".") == 2


def test_page_watch_pipeline():
    old = "<html><body><p>Prices stable today.</p><p>Weather fine.</p></body></html>"
    new = "<html><body><p>Prices stable today.</p><p>Petrol prices drop sharply.</p></body></html>"
    r = lumivant.diff(old, new)
    assert r.changes == 1
    drop, stable = lumivant.Query("price near:3 drop"), lumivant.Query("stable")
    assert drop.matches(r.report, changes_only=True) and drop.count(r.report, changes_only=True)
    assert stable.matches(r.report) and not stable.matches(r.report, changes_only=True)
    h = drop.highlight(r.report, changes_only=True)
    assert (h.match, h.anchors, bool(h)) == (True, 1, True) and 'name="Query1"' in h.page
    # A stored report given back as the old page compares equal to its page.
    assert lumivant.diff(r.report, new).changes == 0
    assert lumivant.diff(r.report.encode("utf-8"), new.encode("utf-8")).changes == 0
    # Colours and languages
    tagged = lumivant.Query("prices", colours=[("<b>", "</b>")]).highlight(new, header=False)
    assert "<b>prices</b>" in tagged.page.lower()
    assert lumivant.Query("prices", language="none").prepared != lumivant.Query("prices").prepared
    # Words of every script
    dvorak = lumivant.Query("Dvorak", unicode_words=True)
    assert dvorak.matches("<p>Dvořák</p>") and not lumivant.Query("Dvorak").matches("<p>Dvořák</p>")
    assert repr(dvorak) == "lumivant.Query('Dvorak', language='english', unicode_words=True)"


def test_bad_queries_and_charsets():
    with pytest.raises(lumivant.QueryError) as caught:
        lumivant.Query("price near:3")
    assert isinstance(caught.value, ValueError) and caught.value.column > 0
    assert str(caught.value).startswith("line 1:")
    with pytest.raises(lumivant.QueryError, match="unknown language") as caught:
        lumivant.Query("price", language="klingon")
    assert caught.value.column == 0
    for call in (lambda: lumivant.diff(b"a", b"b", old_charset="no-such-charset"),
                 lambda: lumivant.Query("a").matches(b"a", charset="no-such-charset"),
                 lambda: lumivant.Query("a").matches("a str page", charset="latin-1")):
        with pytest.raises(ValueError) as caught:
            call()
        assert not isinstance(caught.value, lumivant.QueryError)


@pytest.mark.parametrize("call, words", [
    (lambda: lumivant.diff(1, b""), "old: expected bytes or str"),
    (lambda: lumivant.diff(b"", None), "new: expected bytes or str, got NoneType"),
    (lambda: lumivant.diff(b"", b"", ignore_case="yes"), "incompatible"),
    (lambda: lumivant.diff(b"", b"", b""), "incompatible"),  # options are keyword-only
    (lambda: lumivant.Query(3), "incompatible"),
    (lambda: lumivant.Query("a", colours=[("<b>",)]), "incompatible"),
    (lambda: lumivant.Query("a").count([b"page"]), "page: expected bytes or str, got list"),
    (lambda: lumivant.Query("a").highlight(b"", charset=1252), "incompatible"),
    (lambda: lumivant.detect_charset("text"), "a str is text already"),
])
def test_bad_argument_types(call, words):
    with pytest.raises(TypeError, match=words):
        call()


def test_docs_and_stub():
    tree = ast.parse((Path(lumivant.__file__).with_name("__init__.pyi")).read_text())
    assert Path(lumivant.__file__).with_name("py.typed").exists()
    stub = {}  # "name" or "Class.name" -> (positional, keyword-only, defaults)
    for node in ast.walk(tree):
        for item in getattr(node, "body", []):
            if isinstance(item, ast.FunctionDef) and not any(
                    isinstance(d, ast.Name) and d.id == "property" for d in item.decorator_list):
                prefix = "" if node is tree else node.name + "."
                stub[prefix + item.name] = item.args
    assert set(lumivant.__all__) == {n.name for n in tree.body if isinstance(
        n, (ast.ClassDef, ast.FunctionDef)) and not n.name.startswith("_")} | {"__version__"}
    signature = lambda a: ([x.arg for x in a.args], [x.arg for x in a.kwonlyargs],
                           [ast.unparse(d) for d in a.defaults + a.kw_defaults])
    for name, args in stub.items():
        owner, _, attr = name.rpartition(".")
        native = getattr(getattr(lumivant, owner) if owner else lumivant, attr)
        first = native.__doc__.splitlines()[0]  # the signature written in the docstring
        assert signature(ast.parse(f"def {first}: ...").body[0].args) == signature(args), name
    for obj in (lumivant.diff, lumivant.detect_charset, lumivant.Query, lumivant.QueryError,
                lumivant.DiffResult, lumivant.HighlightResult):
        assert len(obj.__doc__) > 40, obj
    for attr in ("report", "changes", "changed_words", "change_ratio", "groups", "removed"):
        assert getattr(lumivant.DiffResult, attr).__doc__
    assert lumivant.Query.__module__ == "lumivant" and lumivant.QueryError.__module__ == "lumivant"


@corpus
@cli
@pytest.mark.parametrize("name", PAIRS)
def test_corpus_pairs_equal_the_tool(name, tmp_path):
    old, new = pair(name)
    r = lumivant.diff(old, new)
    folder = CORPUS / "pairs" / name
    counts = json.loads(run_cli("diff", "--json", "--details", folder / "old.html",
                                folder / "new.html"))
    assert counts == {"changes": r.changes, "changed_words": r.changed_words,
                      "change_ratio": r.change_ratio, "groups": r.groups, "removed": r.removed}
    assert r.report.encode("utf-8") == run_cli("diff", folder / "old.html", folder / "new.html")
    # The stored report, given back as old, against the page it was made from.
    assert lumivant.diff(r.report, new).changed_words == 0


@cli
def test_example_details_and_size_limit():
    old, new = (ROOT / "examples" / name for name in ("news-v1.html", "news-v2.html"))
    r = lumivant.diff(old.read_bytes(), new.read_bytes())
    tool = json.loads(run_cli("diff", "--json", "--details", old, new))
    assert (tool["groups"], tool["removed"]) == (r.groups, r.removed)
    assert r.groups[0] == {"anchor": "Change1", "text": "fifteen", "words": 1}
    assert r.removed[0] == {"text": "twenty", "before": "Change1"}
    with pytest.raises(ValueError, match="^new page: page larger than 1 KB$"):
        lumivant.diff(b"", new.read_bytes(), max_size=1024)
    with pytest.raises(ValueError, match="^page larger than 1 KB$"):
        lumivant.Query("ferry").matches(new.read_bytes(), max_size=1024)
    assert lumivant.Query("ferry").count(new.read_bytes(), max_size=0) > 0


@corpus
@cli
@pytest.mark.parametrize("name, text", PAGES)
def test_corpus_pages_equal_the_tool(name, text):
    path = CORPUS / "pages" / name
    page = path.read_bytes()
    q = lumivant.Query(text)
    h = q.highlight(page)
    assert json.loads(run_cli("highlight", "--json", text, path)) == {
        "match": h.match, "anchors": h.anchors}
    assert h.match and h.anchors > 0 and q.matches(page) and q.count(page) > 0
    s = q.highlight_summary(page)
    assert (s.page, s.match, s.anchors) == ("", h.match, h.anchors)
    assert h.page.encode("utf-8") == run_cli("highlight", text, path)
    # The same page as text.
    text_page = page.decode(lumivant.detect_charset(page))
    assert q.highlight(text_page, header=False).anchors == h.anchors


@corpus
def test_threads_give_the_serial_results():
    pages = [pair(name) for name in PAIRS]
    serial = [lumivant.diff(old, new) for old, new in pages]
    query = lumivant.Query("apache or sakura or linux")
    seen = set()

    def work(job):
        seen.add(threading.get_ident())
        r = lumivant.diff(*job)
        return r.report, r.changes, r.changed_words, query.count(r.report)

    with ThreadPoolExecutor(max_workers=4) as pool:
        threaded = list(pool.map(work, pages * 3))
    expected = [(r.report, r.changes, r.changed_words, query.count(r.report)) for r in serial]
    assert threaded == expected * 3 and len(seen) > 1


@corpus
def test_other_threads_run_during_a_call():
    old, new = pair("049")  # a quarter of a second
    ticks, stop = [], threading.Event()

    def ticker():
        while not stop.is_set():
            ticks.append(time.perf_counter())
            time.sleep(0.001)

    thread = threading.Thread(target=ticker)
    thread.start()
    time.sleep(0.01)
    start = time.perf_counter()
    lumivant.diff(old, new)
    end = time.perf_counter()
    stop.set()
    thread.join()
    # Holding the GIL, the call would keep the ticker out until it returned.
    assert sum(start < t < (start + end) / 2 for t in ticks) >= 5
