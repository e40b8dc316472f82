// The native module of the Python package lumivant: the facade's calls with
// pages as bytes (any character set) or str (text), the GIL released while
// the library works so that threads run in parallel.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "lumivant/lumivant.h"

namespace py = pybind11;

namespace {

// lumivant.QueryError; a new reference kept for the life of the process,
// since the translator may run until the interpreter ends.
PyObject* query_error = nullptr;

// A page given by the caller, copied so that the library can read it
// without the GIL.
struct Page {
  std::string bytes;
  bool text = false;  // a str, now in UTF-8
};

std::string TypeName(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

// Copies a bytes-like object; anything else is a TypeError naming the
// argument.
std::string BytesOf(py::handle value, const char* name, const char* expected) {
  if (PyBytes_Check(value.ptr()))
    return std::string(PyBytes_AS_STRING(value.ptr()), PyBytes_GET_SIZE(value.ptr()));
  if (PyByteArray_Check(value.ptr()) || PyMemoryView_Check(value.ptr())) {
    Py_buffer view;
    if (PyObject_GetBuffer(value.ptr(), &view, PyBUF_SIMPLE) != 0) {
      PyErr_Clear();
      throw py::type_error(std::string(name) + ": a memoryview must be contiguous");
    }
    std::string bytes(static_cast<const char*>(view.buf), static_cast<std::size_t>(view.len));
    PyBuffer_Release(&view);
    return bytes;
  }
  throw py::type_error(std::string(name) + ": expected " + expected + ", got " + TypeName(value));
}

Page PageOf(py::handle value, const char* name) {
  Page page;
  if (PyUnicode_Check(value.ptr())) {
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(value.ptr(), &size);
    if (utf8 == nullptr) throw py::error_already_set();  // lone surrogates
    page.bytes.assign(utf8, static_cast<std::size_t>(size));
    page.text = true;
    return page;
  }
  page.bytes = BytesOf(value, name, "bytes or str");
  return page;
}

// The character set to read page in: a str is UTF-8 already, so a charset
// given with one is a mistake worth telling.
std::string CharsetFor(const Page& page, const std::optional<std::string>& charset,
                       const char* name) {
  if (!page.text) return charset.value_or("");
  if (charset)
    throw py::value_error(std::string(name) +
                          ": a str page is text already; give bytes to name a charset");
  return "utf-8";
}

// The library writes UTF-8; any stray byte becomes U+FFFD rather than an
// exception the caller could do nothing about.
py::str Text(const std::string& utf8) {
  PyObject* text =
      PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
  if (text == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(text);
}

struct DiffResult {
  py::str report;
  unsigned changes = 0;
  unsigned changed_words = 0;
  double change_ratio = 0;
  py::list groups, removed;
};

struct HighlightResult {
  py::str page;
  bool match = false;
  unsigned anchors = 0;
};

// A Query with what it was made from, for its repr.
struct Query {
  lumivant::Query query;
  std::string text, language;
  bool unicode_words;
};

DiffResult Diff(py::handle old_page, py::handle new_page,
                const std::optional<std::string>& old_charset,
                const std::optional<std::string>& new_charset, bool ignore_case, bool ignore_digits,
                bool ignore_punctuation, bool word_level, bool header, bool no_scripts,
                const std::optional<std::string>& highlight_start,
                const std::optional<std::string>& highlight_end, std::size_t max_size) {
  const Page oldPage = PageOf(old_page, "old");
  const Page newPage = PageOf(new_page, "new");
  lumivant::DiffOptions options;
  options.old_charset = CharsetFor(oldPage, old_charset, "old_charset");
  options.new_charset = CharsetFor(newPage, new_charset, "new_charset");
  options.ignore_case = ignore_case;
  options.ignore_digits = ignore_digits;
  options.ignore_punctuation = ignore_punctuation;
  options.word_level = word_level;
  options.header = header;
  options.no_scripts = no_scripts;
  options.max_size = max_size;
  // As the tool does: either string given alone keeps the other's default.
  if (highlight_start || highlight_end) {
    options.highlight_start = highlight_start.value_or(lumivant::kDefaultHighlightStart);
    options.highlight_end = highlight_end.value_or(lumivant::kDefaultHighlightEnd);
  }
  lumivant::DiffResult result;
  {
    py::gil_scoped_release unlocked;
    result = lumivant::Diff(oldPage.bytes, newPage.bytes, options);
  }
  py::list groups, removed;
  for (const lumivant::DiffGroup& group : result.groups)
    groups.append(py::dict(py::arg("anchor") = group.anchor, py::arg("text") = Text(group.text),
                           py::arg("words") = group.words));
  for (const lumivant::DiffRemoval& removal : result.removed)
    removed.append(py::dict(py::arg("text") = Text(removal.text),
                            py::arg("before") = removal.before.empty() ? py::object(py::none())
                                                                       : py::str(removal.before)));
  return DiffResult{Text(result.report), result.changes,    result.changed_words,
                    result.change_ratio, std::move(groups), std::move(removed)};
}

lumivant::PageOptions PageOptionsFor(const Page& page, const std::optional<std::string>& charset,
                                     bool changes_only, std::size_t max_size, bool header = true,
                                     bool no_scripts = false) {
  lumivant::PageOptions options;
  options.charset = CharsetFor(page, charset, "charset");
  options.changes_only = changes_only;
  options.header = header;
  options.no_scripts = no_scripts;
  options.max_size = max_size;
  return options;
}

// Query::Highlight, or with keepPage false Query::HighlightSummary, with
// the GIL released while it runs.
HighlightResult Highlighted(const Query& q, const Page& input, const lumivant::PageOptions& options,
                            bool keepPage) {
  lumivant::HighlightResult result;
  {
    py::gil_scoped_release unlocked;
    result = keepPage ? q.query.Highlight(input.bytes, options)
                      : q.query.HighlightSummary(input.bytes, options);
  }
  return HighlightResult{Text(result.page), result.match, result.anchors};
}

std::string Repr(const std::string& text) { return py::repr(Text(text)); }

const char kModuleDoc[] =
    R"(Change detection and query highlighting on HTML pages, in any character set.

Pages are bytes in any character set (detected as a browser does unless a
charset label such as "utf-8", "windows-1252", "shift_jis" or a code page
number such as "1252" is given) or str, taken as text. Reports and
highlighted pages come back as str (the page as UTF-8 HTML).

A page larger than the max_size argument (default 256 MB, 0 for no limit)
raises ValueError. Every call releases the GIL while the library works; a Query may be shared
by any number of threads.)";

const char kDiffDoc[] =
    R"(diff(old: bytes | str, new: bytes | str, *, old_charset: str | None = None, new_charset: str | None = None, ignore_case: bool = False, ignore_digits: bool = False, ignore_punctuation: bool = False, word_level: bool = False, header: bool = True, no_scripts: bool = False, highlight_start: str | None = None, highlight_end: str | None = None, max_size: int = 268435456) -> DiffResult

Compare two versions of a page.

Returns a DiffResult whose report is the new page in UTF-8 with every added,
changed or moved piece of text marked and an anchor "ChangeN" before each
group of changes; removed text is counted, not shown. A stored report may be
given back as old: it compares equal to the page it was made from.

old_charset, new_charset: charsets of bytes pages (default: detected); a str
  page is text already and takes none.
ignore_case, ignore_digits, ignore_punctuation: compare texts without regard
  to case, with digits, or with everything but letters and digits, read as
  blanks.
word_level: in a changed text, mark only the new or changed words (the whole
  text when more of its words changed than stayed); changed_words then counts
  the marked words plus the old words removed without a replacement, and
  change_ratio the marked words over the new page's words.
header: start the report with a comment and a head that declares UTF-8.
no_scripts: with header, also a Content-Security-Policy that keeps a browser
  from running the page's scripts.
highlight_start, highlight_end: markup written around every changed piece;
  when neither is given, a yellow background; one given alone keeps the
  other's default, as the lumivant tool does.
max_size: a page of more bytes raises ValueError ("old page: page larger
  than 256 MB"); 0: no limit.

Raises ValueError for an unknown charset, TypeError for a page that is not
bytes or str.)";

const char kQueryDoc[] = R"(A search query, prepared once and usable from any number of threads.

Query(text: str, language: str = "english", colours: Sequence[tuple[str, str]] | None = None,
      *, unicode_words: bool = False)

text: words, "quoted phrases", and, or, not, near, near:N, parentheses.
language: the stemming language ("english", "none", "french", "german", ...).
colours: (start tag, end tag) pairs written around the hits of each term,
  term N taking pair N modulo their number (default: ten colours).
unicode_words: words of every script, case and diacritics folded ("Dvorak"
  finds "Dvořák"); always on for arabic, greek, russian, ... Otherwise words
  are made of digits and Latin-1 letters.

Raises QueryError (a ValueError) for a query the query language rejects or
an unknown language.)";

}  // namespace

PYBIND11_MODULE(_lumivant, m) {
  // Signatures are written into the docstrings with the page types that
  // pybind11 would show as "object".
  py::options docs;
  docs.disable_function_signatures();
  m.doc() = kModuleDoc;
  m.attr("__version__") = lumivant::Version();

  query_error = PyErr_NewExceptionWithDoc(
      "lumivant.QueryError",
      "A query the query language rejects, or an unknown language.\n\n"
      "str(error) is \"line 1:COL: reason\"; column is COL, the byte column (from 1)\n"
      "of the prepared query where it went wrong, 0 when there is none.",
      PyExc_ValueError, py::dict(py::arg("column") = 0).ptr());
  if (query_error == nullptr) throw py::error_already_set();
  m.attr("QueryError") = py::handle(query_error);
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const lumivant::QueryError& e) {
      py::object error = py::reinterpret_borrow<py::object>(query_error)(e.what());
      error.attr("column") = e.column();
      PyErr_SetObject(query_error, error.ptr());
    }
  });

  py::class_<DiffResult>(m, "DiffResult",
                         "What diff() found: the report and counts of the changes.\n\n"
                         "bool(result) is whether anything changed (changes > 0).")
      .def_readonly("report", &DiffResult::report,
                    "str: the new page, UTF-8 HTML, every change marked.")
      .def_readonly("changes", &DiffResult::changes,
                    "int: groups of changes (anchors Change1, Change2, ...).")
      .def_readonly("changed_words", &DiffResult::changed_words,
                    "int: words added, changed, moved or removed.")
      .def_readonly("change_ratio", &DiffResult::change_ratio,
                    "float: share of the new page's words added, changed or moved.")
      .def_readonly("groups", &DiffResult::groups,
                    "list[dict]: one per group of changes, in page order: anchor\n"
                    "(\"Change1\", ...), text (what the report highlights after it, white\n"
                    "space collapsed) and words (as changed_words counts them).")
      .def_readonly("removed", &DiffResult::removed,
                    "list[dict]: texts of the old page that the new one no longer has\n"
                    "(removed, or replaced by a group's text), in page order: text, and\n"
                    "before, the anchor of the group it is part of or stands before (None\n"
                    "when none follows).")
      .def(
          "__bool__", [](const DiffResult& r) { return r.changes > 0; },
          "__bool__(self) -> bool\n\nWhether anything changed.")
      .def(
          "__repr__",
          [](const DiffResult& r) {
            return "<lumivant.DiffResult changes=" + std::to_string(r.changes) +
                   " changed_words=" + std::to_string(r.changed_words) +
                   " change_ratio=" + py::repr(py::float_(r.change_ratio)).cast<std::string>() +
                   " report=<" + std::to_string(py::len(r.report)) + " chars>>";
          },
          "__repr__(self) -> str");

  py::class_<HighlightResult>(m, "HighlightResult",
                              "What Query.highlight() wrote.\n\n"
                              "bool(result) is whether the page matches.")
      .def_readonly("page", &HighlightResult::page,
                    "str: the page, UTF-8 HTML, every hit in its term's colour.")
      .def_readonly("match", &HighlightResult::match, "bool: whether the page matches.")
      .def_readonly("anchors", &HighlightResult::anchors,
                    "int: anchors Query1, Query2, ... written before the hits.")
      .def(
          "__bool__", [](const HighlightResult& r) { return r.match; },
          "__bool__(self) -> bool\n\nWhether the page matches.")
      .def(
          "__repr__",
          [](const HighlightResult& r) {
            return std::string("<lumivant.HighlightResult match=") + (r.match ? "True" : "False") +
                   " anchors=" + std::to_string(r.anchors) + " page=<" +
                   std::to_string(py::len(r.page)) + " chars>>";
          },
          "__repr__(self) -> str");

  m.def("diff", &Diff, kDiffDoc, py::arg("old"), py::arg("new"), py::kw_only(),
        py::arg("old_charset") = py::none(), py::arg("new_charset") = py::none(),
        py::arg("ignore_case").noconvert() = false, py::arg("ignore_digits").noconvert() = false,
        py::arg("ignore_punctuation").noconvert() = false,
        py::arg("word_level").noconvert() = false, py::arg("header").noconvert() = true,
        py::arg("no_scripts").noconvert() = false, py::arg("highlight_start") = py::none(),
        py::arg("highlight_end") = py::none(), py::arg("max_size") = lumivant::kDefaultMaxPageSize);

  m.def(
      "detect_charset",
      [](py::handle page) {
        const std::string bytes = BytesOf(page, "page", "bytes (a str is text already)");
        py::gil_scoped_release unlocked;
        return lumivant::DetectCharset(bytes);
      },
      "detect_charset(page: bytes) -> str\n\n"
      "The charset a browser would read page in, as a label that the charset\n"
      "arguments take: a byte-order mark, then a declaration in the first 1024\n"
      "bytes, then \"utf-8\" for valid UTF-8, else \"windows-1252\".",
      py::arg("page"));

  py::class_<Query>(m, "Query", kQueryDoc)
      .def(py::init(
               [](const std::string& text, const std::string& language,
                  const std::optional<std::vector<std::pair<std::string, std::string>>>& colours,
                  bool unicode_words) {
                 lumivant::QueryOptions options;
                 options.language = language;
                 if (colours) options.colours = *colours;
                 options.unicode_words = unicode_words;
                 py::gil_scoped_release unlocked;
                 return Query{lumivant::Query(text, options), text, language, unicode_words};
               }),
           "__init__(self, text: str, language: str = \"english\", colours: "
           "Sequence[tuple[str, str]] | None = None, *, unicode_words: bool = False) -> None"
           "\n\nPrepare and parse a query.",
           py::arg("text"), py::arg("language") = "english", py::arg("colours") = py::none(),
           py::kw_only(), py::arg("unicode_words").noconvert() = false)
      .def_property_readonly(
          "prepared", [](const Query& q) { return q.query.Prepared(); },
          "str: the query as prepared for searching (folded, rewritten, stemmed).")
      .def(
          "matches",
          [](const Query& q, py::handle page, const std::optional<std::string>& charset,
             bool changes_only, std::size_t max_size) {
            const Page input = PageOf(page, "page");
            const lumivant::PageOptions options =
                PageOptionsFor(input, charset, changes_only, max_size);
            py::gil_scoped_release unlocked;
            return q.query.Matches(input.bytes, options);
          },
          "matches(self, page: bytes | str, *, charset: str | None = None, "
          "changes_only: bool = False, max_size: int = 268435456) -> bool\n\n"
          "Whether page matches the query. changes_only: page is a report of diff();\n"
          "search only its changes.",
          py::arg("page"), py::kw_only(), py::arg("charset") = py::none(),
          py::arg("changes_only").noconvert() = false,
          py::arg("max_size") = lumivant::kDefaultMaxPageSize)
      .def(
          "count",
          [](const Query& q, py::handle page, const std::optional<std::string>& charset,
             bool changes_only, std::size_t max_size) {
            const Page input = PageOf(page, "page");
            const lumivant::PageOptions options =
                PageOptionsFor(input, charset, changes_only, max_size);
            py::gil_scoped_release unlocked;
            return q.query.CountHits(input.bytes, options);
          },
          "count(self, page: bytes | str, *, charset: str | None = None, "
          "changes_only: bool = False, max_size: int = 268435456) -> int\n\n"
          "The number of hits (groups of highlighted words) in page; a page may\n"
          "match with none, for a query that is only a negation.",
          py::arg("page"), py::kw_only(), py::arg("charset") = py::none(),
          py::arg("changes_only").noconvert() = false,
          py::arg("max_size") = lumivant::kDefaultMaxPageSize)
      .def(
          "highlight",
          [](const Query& q, py::handle page, const std::optional<std::string>& charset,
             bool changes_only, bool header, bool no_scripts, std::size_t max_size) {
            const Page input = PageOf(page, "page");
            return Highlighted(
                q, input, PageOptionsFor(input, charset, changes_only, max_size, header, no_scripts),
                true);
          },
          "highlight(self, page: bytes | str, *, charset: str | None = None, "
          "changes_only: bool = False, header: bool = True, no_scripts: bool = False, "
          "max_size: int = 268435456) "
          "-> HighlightResult\n\n"
          "Write page in UTF-8 with every hit in its term's colour and an anchor\n"
          "(Query1, Query2, ...) before each. changes_only: page is a report of\n"
          "diff(); highlight only in its changes. header: start with a head that\n"
          "declares UTF-8; no_scripts: and a policy that runs no scripts.",
          py::arg("page"), py::kw_only(), py::arg("charset") = py::none(),
          py::arg("changes_only").noconvert() = false, py::arg("header").noconvert() = true,
          py::arg("no_scripts").noconvert() = false,
          py::arg("max_size") = lumivant::kDefaultMaxPageSize)
      .def(
          "highlight_summary",
          [](const Query& q, py::handle page, const std::optional<std::string>& charset,
             bool changes_only, std::size_t max_size) {
            const Page input = PageOf(page, "page");
            return Highlighted(q, input, PageOptionsFor(input, charset, changes_only, max_size),
                               false);
          },
          "highlight_summary(self, page: bytes | str, *, charset: str | None = None, "
          "changes_only: bool = False, max_size: int = 268435456) -> HighlightResult\n\n"
          "highlight()'s match and anchors, with page empty: the highlighted copy,\n"
          "several times the page where hits are dense, is never kept.",
          py::arg("page"), py::kw_only(), py::arg("charset") = py::none(),
          py::arg("changes_only").noconvert() = false,
          py::arg("max_size") = lumivant::kDefaultMaxPageSize)
      .def(
          "__repr__",
          [](const Query& q) {
            return "lumivant.Query(" + Repr(q.text) + ", language=" + Repr(q.language) +
                   (q.unicode_words ? ", unicode_words=True)" : ")");
          },
          "__repr__(self) -> str");
}
