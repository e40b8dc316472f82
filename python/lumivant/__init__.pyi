from typing import List, Sequence, Tuple, TypedDict, Union

_Page = Union[bytes, bytearray, memoryview, str]

__version__: str

class QueryError(ValueError):
    """A query the query language rejects, or an unknown language."""

    column: int

class _DiffGroup(TypedDict):
    """One group of changes: its anchor, text and words."""

    anchor: str
    text: str
    words: int

class _DiffRemoval(TypedDict):
    """Old text the new page no longer has, and the group it goes with."""

    text: str
    before: str | None

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
    @property
    def groups(self) -> List[_DiffGroup]: ...
    @property
    def removed(self) -> List[_DiffRemoval]: ...
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
    word_level: bool = False,
    header: bool = True,
    no_scripts: bool = False,
    highlight_start: str | None = None,
    highlight_end: str | None = None,
    max_size: int = 268435456,
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
        self,
        page: _Page,
        *,
        charset: str | None = None,
        changes_only: bool = False,
        max_size: int = 268435456,
    ) -> bool: ...
    def count(
        self,
        page: _Page,
        *,
        charset: str | None = None,
        changes_only: bool = False,
        max_size: int = 268435456,
    ) -> int: ...
    def highlight(
        self,
        page: _Page,
        *,
        charset: str | None = None,
        changes_only: bool = False,
        header: bool = True,
        no_scripts: bool = False,
        max_size: int = 268435456,
    ) -> HighlightResult: ...
    def highlight_summary(
        self,
        page: _Page,
        *,
        charset: str | None = None,
        changes_only: bool = False,
        max_size: int = 268435456,
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
