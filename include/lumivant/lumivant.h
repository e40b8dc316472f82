// lumivant: change detection and query highlighting on HTML pages, in two
// calls and standard types.
//
//   lumivant::DiffResult r = lumivant::Diff(old_page, new_page);
//   // r.report: the new page in UTF-8, every added, changed or moved piece
//   // of text marked, an anchor "ChangeN" before each group of changes.
//
//   const lumivant::Query query("price near:3 drop");
//   lumivant::PageOptions report;
//   report.changes_only = true;  // search only what changed
//   if (query.Matches(r.report, report)) ...
//
// Pages are bytes in any character set: named by a label ("utf-8",
// "windows-1252", "shift_jis", ...) or a code page number ("1252"), or, when
// none is given, detected as a browser does. A malformed page is input, not
// an error: it always gives a report or a result.
//
// Errors: a query the query language rejects, or an unknown language,
// throws QueryError; an unknown or unsupported character set throws
// std::invalid_argument; a page larger than the max_size of its options
// throws PageTooLarge; memory exhaustion throws std::bad_alloc. Nothing
// else is thrown.
//
// Threads: every function may be called from any number of threads at once.
// A Query is immutable once built, and one Query may serve any number of
// threads at once; copies share the prepared query.
//
// The library's own classes (CompareHtmlDocuments, HtmlQueryHighlighter, ...)
// stay available beside this header for callers that need their streams and
// options one by one.
#ifndef LUMIVANT_LUMIVANT_H_
#define LUMIVANT_LUMIVANT_H_

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lumivant/export.h"

namespace lumivant {

// What Diff writes around every changed piece unless told otherwise.
inline constexpr char kDefaultHighlightStart[] =
    "<font color=#800000 style=background-color:#FFFF00>";
inline constexpr char kDefaultHighlightEnd[] = "</font>";

// Pages larger than this are refused unless the options say otherwise.
inline constexpr std::size_t kDefaultMaxPageSize = std::size_t{256} << 20;

// A page larger than the max_size of its options. what() names the page and
// the limit: "old page: page larger than 256 MB" ("new page: ..." and, for
// a Query, "page larger than 256 MB"), the limit in MB, KB or bytes.
class LVT_EXPORT PageTooLarge : public std::length_error {
 public:
  // name: what to call the page; empty: nothing before "page larger".
  PageTooLarge(const std::string& name, std::size_t max_size);
  std::size_t max_size() const { return max_size_; }

 private:
  std::size_t max_size_;
};

struct DiffOptions {
  // Labels or code page numbers; empty: detected as a browser does.
  std::string old_charset, new_charset;
  // Compare texts without regard to case, with digits or with everything
  // but letters and digits read as blanks.
  bool ignore_case = false, ignore_digits = false, ignore_punctuation = false;
  // In a changed text, mark only the new or changed words (unless more of
  // its words changed than stayed); changed_words then counts the marked
  // words plus the old words removed without a replacement, change_ratio
  // the marked words over the new page's words.
  bool word_level = false;
  // Start the report with the generated-file comment and a head that
  // declares UTF-8.
  bool header = true;
  // The header also carries a Content-Security-Policy that keeps a browser
  // from running the page's scripts and plug-ins (only with header).
  bool no_scripts = false;
  // Written around every changed piece, as given; both empty: the defaults
  // above.
  std::string highlight_start, highlight_end;
  // Either page larger than this many bytes throws PageTooLarge; 0: no
  // limit.
  std::size_t max_size = kDefaultMaxPageSize;
};

// One group of changes, as a reader of the report sees it.
struct DiffGroup {
  std::string anchor;  // "Change1", ...: the anchor before it in the report
  std::string text;    // its text, UTF-8, white space collapsed: the text
                       // the report highlights after the anchor
  unsigned words = 0;  // its words, as changed_words counts them
};

// Text of the old page that the new one no longer has: removed, or
// replaced by the text of a group. Neighbouring old texts make one.
struct DiffRemoval {
  std::string text;    // UTF-8, white space collapsed
  std::string before;  // anchor of the group it is part of or stands
                       // before; empty when no group follows
};

struct DiffResult {
  std::string report;                // the new page, UTF-8, with changes marked
  unsigned changes = 0;              // groups of changes (anchors Change1...)
  unsigned changed_words = 0;        // words added, changed, moved or removed
  double change_ratio = 0;           // share of the new page's words that changed
  std::vector<DiffGroup> groups;     // one per group, in page order
  std::vector<DiffRemoval> removed;  // in page order
};

// Compares two versions of a page.
LVT_EXPORT DiffResult Diff(std::string_view old_page, std::string_view new_page,
                           const DiffOptions& options = {});

// A query the query language rejects. what() is "line 1:COL: reason", COL
// being the byte column (from 1) of the prepared query where it went wrong.
class LVT_EXPORT QueryError : public std::invalid_argument {
 public:
  QueryError(const std::string& what, std::size_t column);
  std::size_t column() const { return column_; }

 private:
  std::size_t column_;
};

struct QueryOptions {
  // Stemming language: "english", "none", "french", "german", ...
  std::string language = "english";
  // Words of every script: letters, marks and digits, Thai, Lao, Khmer and
  // Myanmar cut by a dictionary, case and diacritics folded ("Dvorak" finds
  // "Dvořák"). Always on for the languages of other scripts than Latin
  // (russian, greek, arabic, ...); otherwise words are made of digits and
  // Latin-1 letters, and ideographs, kana and Hangul stand alone.
  bool unicode_words = false;
  // Start and end tags written around the hits of each query term, term N
  // taking colour N modulo their number; empty: the ten default colours.
  std::vector<std::pair<std::string, std::string>> colours;
};

struct PageOptions {
  std::string charset;        // label or code page number; empty: detected
  bool changes_only = false;  // the page is a report of Diff: search only its changes
  bool header = true;         // Highlight: start with a head that declares UTF-8
  bool no_scripts = false;    // Highlight: and a policy that runs no scripts
  // A page larger than this many bytes throws PageTooLarge; 0: no limit.
  std::size_t max_size = kDefaultMaxPageSize;
};

struct HighlightResult {
  std::string page;  // the page, UTF-8, every hit in its term's colour
  bool match = false;
  unsigned anchors = 0;  // anchors Query1... written
};

class LVT_EXPORT Query {
 public:
  // Prepares and parses text (UTF-8); throws QueryError for a query the
  // query language rejects or an unknown language.
  explicit Query(std::string_view text, const QueryOptions& options = {});
  ~Query();
  // Copies share the prepared query; both are cheap.
  Query(const Query&);
  Query& operator=(const Query&);

  bool Matches(std::string_view page, const PageOptions& options = {}) const;
  // The number of hits (groups of highlighted words); a page may match
  // with none, for a query that is only a negation.
  unsigned CountHits(std::string_view page, const PageOptions& options = {}) const;
  HighlightResult Highlight(std::string_view page, const PageOptions& options = {}) const;
  // Highlight's match and anchors, without the page (left empty): the same
  // work, but no highlighted copy in memory, which on a page full of hits is
  // several times the page.
  HighlightResult HighlightSummary(std::string_view page, const PageOptions& options = {}) const;
  // The query as prepared for searching (folded, rewritten, stemmed), UTF-8.
  const std::string& Prepared() const;

 private:
  struct State;
  std::shared_ptr<const State> state_;
};

// The character set a browser would pick for page, as the label (or code
// page number) that the options above take: a byte-order mark, then a
// declaration in the first 1024 bytes, then "utf-8" for valid UTF-8, else
// "windows-1252".
LVT_EXPORT std::string DetectCharset(std::string_view page);

// "MAJOR.MINOR.PATCH" of the loaded library.
LVT_EXPORT const char* Version();

}  // namespace lumivant

#endif  // LUMIVANT_LUMIVANT_H_
