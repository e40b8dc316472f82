"""lumivant.dask on a local cluster of two worker processes gives what
lumivant batch gives, bad pairs included."""

import json
import os
import subprocess
import sys
from pathlib import Path

import pytest

import lumivant

distributed = pytest.importorskip("distributed")
import lumivant.dask  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
CORPUS = Path(os.environ.get("LUMIVANT_CORPUS", ROOT.parent / "shared" / "corpus"))
CLI = Path(lumivant.__file__).resolve().parents[2] / "tools" / "lumivant"


@pytest.mark.skipif(not os.access(CLI, os.X_OK), reason=f"no lumivant tool at {CLI}")
def test_local_cluster_gives_what_batch_gives(tmp_path):
    examples = ROOT / "examples"
    # The two pairs whose reports are written work without the corpus too.
    pairs = [(str(examples / "news-v1.html"), str(examples / "news-v2.html")),
             (str(examples / "news-v2.html"), str(examples / "news-v1.html"))]
    for name in ("006", "035", "039", "041", "055"):
        if (CORPUS / "pairs" / name).is_dir():
            pairs.append(tuple(str(CORPUS / "pairs" / name / f) for f in ("old.html", "new.html")))
    pairs += [(pairs[0][0], str(tmp_path / "missing.html")), (str(tmp_path), pairs[0][0])]
    rows = [p + (str(tmp_path / f"py{i}.html"),) if i < 2 else p for i, p in enumerate(pairs)]
    manifest = tmp_path / "pairs.tsv"
    manifest.write_text(
        "".join("\t".join(p[:2] + (str(tmp_path / f"cli{i}.html"),) * (i < 2)) + "\n"
                for i, p in enumerate(pairs))
    )
    batch = subprocess.run(
        [str(CLI), "batch", "-j", "2", "--query", "news", str(manifest)],
        capture_output=True,
        text=True,
    )
    assert batch.returncode == 2, batch.stderr
    expected = [json.loads(line) for line in batch.stdout.splitlines()]

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True) as cluster:
        with distributed.Client(cluster):
            got = lumivant.dask.compare(rows, query="news", partition_size=2).compute()
        # The command streams the same lines through a small window.
        env = dict(os.environ, PYTHONPATH=str(Path(lumivant.__file__).resolve().parents[1]))
        command = subprocess.run(
            [sys.executable, "-m", "lumivant.dask", str(manifest), "--query", "news", "--quiet",
             "--scheduler", cluster.scheduler_address, "-o", str(tmp_path / "results.jsonl")],
            capture_output=True, text=True, env=env,
        )
    assert got == expected
    assert command.returncode == 2, command.stderr
    lines = (tmp_path / "results.jsonl").read_text().splitlines()
    assert [json.loads(line) for line in lines] == expected
    # A bad query stops the command before any cluster starts, without a traceback.
    bad = subprocess.run([sys.executable, "-m", "lumivant.dask", str(manifest), "--query", '"'],
                         capture_output=True, text=True, env=env)
    assert bad.returncode == 2 and "bad query" in bad.stderr and "Traceback" not in bad.stderr
    for i in range(2):
        assert (tmp_path / f"py{i}.html").read_bytes() == (tmp_path / f"cli{i}.html").read_bytes()
    assert lumivant.dask.exit_status(got, "news") == 2
