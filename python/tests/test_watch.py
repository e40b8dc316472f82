"""examples/watch.py against pages served on 127.0.0.1 that change between two runs."""

import functools
import os
import subprocess
import sys
import threading
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

import lumivant

WATCH = Path(__file__).resolve().parents[2] / "examples" / "watch.py"


class Quiet(SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def test_watch_two_runs(tmp_path):
    site = tmp_path / "site"
    site.mkdir()
    (site / "a.html").write_bytes("<p>Café prices stable.</p>".encode("latin-1"))
    (site / "b.html").write_text("<p>Weather fine.</p>", encoding="utf-8")
    server = ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}"
    env = dict(os.environ, PYTHONPATH=str(Path(lumivant.__file__).parents[1]))

    def watch(*args):
        return subprocess.run(
            [sys.executable, str(WATCH), "--db", str(tmp_path / "w.db"), *args,
             f"{base}/a.html", f"{base}/b.html", f"{base}/gone.html"],
            capture_output=True, text=True, env=env, check=False)

    try:
        first = watch()
        assert first.returncode == 2 and "gone.html" in first.stderr
        assert first.stdout.count("first version kept") == 2
        (site / "a.html").write_bytes("<p>Café prices drop.</p>".encode("latin-1"))
        (site / "b.html").write_text("<p>Weather stormy.</p>", encoding="utf-8")
        second = watch("--query", "price near:3 drop", "--report", str(tmp_path / "r.html"))
        assert second.stdout.startswith(f"{base}/a.html: 1 changes, ") and second.returncode == 2
        assert second.stdout.count("\n") == 1, second.stdout  # b.html changed, not matched
        assert 'name="Query1"' in (tmp_path / "r.html").read_text(encoding="utf-8")
        assert watch().stdout == ""  # nothing changed since
    finally:
        server.shutdown()
