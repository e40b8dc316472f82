#include "lumivant/lumivant.h"

#include <antlr/ANTLRException.hpp>
#include <cstdlib>
#include <utility>

#include "changes/report_format.h"
#include "eval/lookup_keys.h"
#include "facade/diff_details.h"
#include "facade/page_header.h"
#include "foundation/base/borrowed_buffer.h"
#include "foundation/base/discard_buffer.h"
#include "foundation/charset/labels.h"
#include "foundation/charset/transcode.h"
#include "foundation/charset/utf8_page.h"
#include "lumivant/compare_html_documents.h"
#include "lumivant/html_query_highlighter.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "lumivant/version.h"
#include "query/compiled_query.h"
#include "text/page_words.h"

namespace lumivant {

namespace {

static_assert(std::string_view(kDefaultHighlightStart) == LVTDT::kDefaultHighlightStart &&
                  std::string_view(kDefaultHighlightEnd) == LVTDT::kDefaultHighlightEnd,
              "the facade's highlight strings are the comparer's");

LVTCharset::CHARSET ResolveCharset(const std::string& label, std::string_view page) {
  if (label.empty()) return LVTCharset::DetectCharset(page);
  const LVTCharset::CHARSET charset = LVTCharset::CodePageFromLabel(label);
  if (charset == 0) throw std::invalid_argument("unknown or unsupported character set: " + label);
  return charset;
}

// The column of an ANTLR complaint, read from its "line L:C: reason" form
// (token stream exceptions wrap the recognition exception that knows it).
std::size_t ColumnOf(const std::string& complaint) {
  const std::size_t colon = complaint.find(':');
  if (complaint.compare(0, 5, "line ") != 0 || colon == std::string::npos) return 0;
  return std::strtoul(complaint.c_str() + colon + 1, nullptr, 10);
}

LVTLanguage::Language::StemmingType LanguageNamed(const std::string& name) {
  LVTLanguage::Language::StemmingType type;
  if (LVTLanguage::Language::StemmingTypeFromName(name.empty() ? "english" : name, &type))
    return type;
  std::string names;
  for (const std::string& known : LVTLanguage::Language::StemmingTypeNames())
    names += (names.empty() ? "" : ", ") + known;
  throw QueryError("unknown language '" + name + "' (one of: " + names + ")", 0);
}

// A limit as people read it: "256 MB", "64 KB", "1000 bytes".
std::string SizeText(std::size_t bytes) {
  if (bytes % (std::size_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MB";
  if (bytes % (std::size_t{1} << 10) == 0) return std::to_string(bytes >> 10) + " KB";
  return std::to_string(bytes) + " bytes";
}

void CheckSize(std::string_view page, std::size_t max_size, const char* name) {
  if (max_size != 0 && page.size() > max_size) throw PageTooLarge(name, max_size);
}

}  // namespace

PageTooLarge::PageTooLarge(const std::string& name, std::size_t max_size)
    : std::length_error((name.empty() ? "" : name + ": ") + "page larger than " +
                        SizeText(max_size)),
      max_size_(max_size) {}

DiffResult Diff(std::string_view old_page, std::string_view new_page, const DiffOptions& options) {
  LVTDT::CompareHtmlDocuments::Details details;
  return DiffWithDetails(old_page, new_page, options, details);
}

DiffResult DiffWithDetails(std::string_view old_page, std::string_view new_page,
                           const DiffOptions& options,
                           LVTDT::CompareHtmlDocuments::Details& details) {
  CheckSize(old_page, options.max_size, "old page");
  CheckSize(new_page, options.max_size, "new page");
  const LVTCharset::CHARSET oldCharset = ResolveCharset(options.old_charset, old_page);
  const LVTCharset::CHARSET newCharset = ResolveCharset(options.new_charset, new_page);
  LVTDT::CompareHtmlDocuments comparer;
  comparer.IgnoreCase(options.ignore_case);
  comparer.IgnoreDigits(options.ignore_digits);
  comparer.IgnoreNonAlphaNum(options.ignore_punctuation);
  comparer.WordLevel(options.word_level);
  comparer.AddEncodingHeader(options.header);
  if (!options.highlight_start.empty() || !options.highlight_end.empty())
    comparer.HighlightString(LVTCharset::Utf8ToWide(options.highlight_start),
                             LVTCharset::Utf8ToWide(options.highlight_end));

  LVTFile::BorrowedBuffer oldStream(old_page);
  LVTFile::BorrowedBuffer newStream(new_page);
  LVTFile::MemoryBuffer report;
  DiffResult result;
  comparer.DetectChanges(oldStream, oldCharset, newStream, newCharset, report, result.changes,
                         result.changed_words, result.change_ratio, &details);
  result.report = report.Bytes();
  for (std::size_t k = 0; k < details.m_Groups.size(); ++k) {
    const auto& group = details.m_Groups[k];
    result.groups.push_back({LVTDT::ChangeAnchorName(static_cast<unsigned>(k + 1)),
                             LVTCharset::WideToUtf8(group.m_Text), group.m_Words});
  }
  for (const auto& removal : details.m_Removed)
    result.removed.push_back(
        {LVTCharset::WideToUtf8(removal.m_Text),
         removal.m_Before == 0 ? std::string() : LVTDT::ChangeAnchorName(removal.m_Before)});
  if (options.header && options.no_scripts) AddNoScriptsPolicy(result.report);
  return result;
}

QueryError::QueryError(const std::string& what, std::size_t column)
    : std::invalid_argument(what), column_(column) {}

struct Query::State {
  std::unique_ptr<const LVTLanguage::Language> language;
  std::unique_ptr<const LVTDT::HtmlQueryHighlighter> highlighter;
  std::string prepared;

  // Highlights page into written: the match and the anchors, no page.
  HighlightResult Highlight(std::string_view page, const PageOptions& options,
                            LVTBase::BinaryStreamBuf& written) const {
    CheckSize(page, options.max_size, "");
    const LVTCharset::CHARSET charset = ResolveCharset(options.charset, page);
    LVTFile::BorrowedBuffer source(page);
    uint32_t anchors = 0;
    HighlightResult result;
    result.match =
        highlighter->HighlightHtml(source, charset, written, anchors, options.changes_only);
    result.anchors = anchors;
    return result;
  }

  // Whether page matches, and its number of hits.
  std::pair<bool, unsigned> Evaluate(std::string_view page, const PageOptions& options) const {
    CheckSize(page, options.max_size, "");
    // Parsed for each call: the tree's handles count without atomics, so
    // threads sharing this query must not share a tree.
    const LVTDT::CompiledQuery query =
        LVTDT::CompiledQuery::FromPrepared(highlighter->PreparedQuery());
    LVTFile::BorrowedBuffer stream(page);
    LVTCharset::Utf8Page utf8(stream, ResolveCharset(options.charset, page));
    const LVTDT::OccurrenceKeys keys = LVTDT::LookupKeys(query.Tree());
    const LVTDT::PageWords words(utf8.Stream(), LVTCharset::kUtf8,
                                 LVTDT::PageWords::ScopeFor(options.changes_only), *language,
                                 &keys);
    LVTDT::TermDocumentEvaluatorEx evaluator(query.Tree(), words.SharedOccurrences());
    const bool matches = evaluator.EvaluateNode();
    return {matches, static_cast<unsigned>(evaluator.HighlightedWords().size())};
  }
};

Query::Query(std::string_view text, const QueryOptions& options) {
  auto state = std::make_shared<State>();
  const LVTLanguage::Language::StemmingType type = LanguageNamed(options.language);
  state->language = std::make_unique<const LVTLanguage::Language>(
      type, options.unicode_words || LVTLanguage::Language::UnicodeWordsByDefault(type));
  LVTDT::HtmlQueryHighlighter::ColourTags colours;
  for (const auto& colour : options.colours)
    colours.emplace_back(LVTCharset::Utf8ToWide(colour.first),
                         LVTCharset::Utf8ToWide(colour.second));
  state->highlighter = std::make_unique<const LVTDT::HtmlQueryHighlighter>(
      LVTCharset::Utf8ToWide(std::string(text)), state->language.get(), &colours);
  state->prepared = LVTCharset::WideToUtf8(state->highlighter->PreparedQuery());
  try {
    LVTDT::CompiledQuery::FromPrepared(state->highlighter->PreparedQuery());
  } catch (const antlr::ANTLRException& e) {
    const std::string complaint = e.toString();
    throw QueryError(complaint, ColumnOf(complaint));
  }
  state_ = std::move(state);
}

Query::~Query() = default;
Query::Query(const Query&) = default;
Query& Query::operator=(const Query&) = default;

bool Query::Matches(std::string_view page, const PageOptions& options) const {
  return state_->Evaluate(page, options).first;
}

unsigned Query::CountHits(std::string_view page, const PageOptions& options) const {
  return state_->Evaluate(page, options).second;
}

HighlightResult Query::Highlight(std::string_view page, const PageOptions& options) const {
  LVTFile::MemoryBuffer written;
  HighlightResult result = state_->Highlight(page, options, written);
  result.page = written.Bytes();
  if (!options.changes_only) {
    if (!options.header)
      RemoveHighlightHeader(result.page);
    else if (options.no_scripts)
      AddNoScriptsPolicy(result.page);
  }
  return result;
}

HighlightResult Query::HighlightSummary(std::string_view page, const PageOptions& options) const {
  LVTFile::DiscardBuffer discarded;
  return state_->Highlight(page, options, discarded);
}

const std::string& Query::Prepared() const { return state_->prepared; }

std::string DetectCharset(std::string_view page) {
  return LVTCharset::LabelFromCodePage(LVTCharset::DetectCharset(page));
}

const char* Version() { return LUMIVANT_VERSION; }

}  // namespace lumivant
