"""Change detection and query highlighting on HTML pages, in any character set.

    import lumivant
    r = lumivant.diff(old_page, new_page)       # bytes in any charset, or str
    if r and lumivant.Query("price near:3 drop").matches(r.report, changes_only=True):
        print(r.changes, "groups of changes match")

Pages are bytes (the charset detected as a browser does unless charset= is
given) or str, taken as text. Every call releases the GIL while it works.
"""

from ._lumivant import (
    DiffResult,
    HighlightResult,
    Query,
    QueryError,
    __version__,
    detect_charset,
    diff,
)

# Shown as lumivant.X in reprs, help() and tracebacks, not lumivant._lumivant.X.
for _cls in (DiffResult, HighlightResult, Query):
    _cls.__module__ = __name__
del _cls

__all__ = [
    "DiffResult",
    "HighlightResult",
    "Query",
    "QueryError",
    "__version__",
    "detect_charset",
    "diff",
]
