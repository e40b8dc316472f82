from typing import Sequence, Tuple, Union

_Page = Union[bytes, bytearray, memoryview, str]

__version__: str

class QueryError(ValueError):
    """A query the query language rejects, or an unknown language."""

    column: int

class DiffResult:
    """What diff() found: the report and counts of the changes."""

    @property
    def report(self) -> str: ...
    @property
    def changes(self) -> int: ...
    @property
    def changed_words(self) -> int: ...
    @property
    def change_ratio(self) -> float: ...
    def __bool__(self) -> bool: ...

class HighlightResult:
    """What Query.highlight() wrote."""

    @property
    def page(self) -> str: ...
    @property
    def match(self) -> bool: ...
    @property
    def anchors(self) -> int: ...
    def __bool__(self) -> bool: ...

def diff(
    old: _Page,
    new: _Page,
    *,
    old_charset: str | None = None,
    new_charset: str | None = None,
    ignore_case: bool = False,
    ignore_digits: bool = False,
    ignore_punctuation: bool = False,
    header: bool = True,
    no_scripts: bool = False,
    highlight_start: str | None = None,
    highlight_end: str | None = None,
) -> DiffResult:
    """Compare two versions of a page."""

def detect_charset(page: bytes | bytearray | memoryview) -> str:
    """The charset a browser would read page in."""

class Query:
    """A search query, prepared once and usable from any number of threads."""

    def __init__(
        self,
        text: str,
        language: str = "english",
        colours: Sequence[Tuple[str, str]] | None = None,
        *,
        unicode_words: bool = False,
    ) -> None: ...
    @property
    def prepared(self) -> str: ...
    def matches(
        self, page: _Page, *, charset: str | None = None, changes_only: bool = False
    ) -> bool: ...
    def count(
        self, page: _Page, *, charset: str | None = None, changes_only: bool = False
    ) -> int: ...
    def highlight(
        self,
        page: _Page,
        *,
        charset: str | None = None,
        changes_only: bool = False,
        header: bool = True,
        no_scripts: bool = False,
    ) -> HighlightResult: ...

__all__ = [
    "DiffResult",
    "HighlightResult",
    "Query",
    "QueryError",
    "__version__",
    "detect_charset",
    "diff",
]
