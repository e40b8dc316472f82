#include "lumivant/lumivant.h"

#include <antlr/ANTLRException.hpp>
#include <cstdlib>
#include <utility>

#include "changes/report_format.h"
#include "facade/page_header.h"
#include "foundation/base/memory_buffer.h"
#include "foundation/charset/labels.h"
#include "foundation/charset/transcode.h"
#include "foundation/language/language.h"
#include "lumivant/compare_html_documents.h"
#include "lumivant/html_query_highlighter.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "lumivant/version.h"
#include "lumivant/word_occurences_extractor.h"
#include "query/parse_query.h"
#include "text/occurrence_release.h"

namespace lumivant {

namespace {

std::u16string Wide(std::string_view utf8) {
  std::u16string text;
  LVTCharset::BytesToWide(LVTCharset::kUtf8, LVTCharset::kWide, std::string(utf8), text, false);
  return text;
}

std::string Utf8(const std::u16string& text) {
  std::string bytes;
  LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, text, bytes, false);
  return bytes;
}

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

}  // namespace

DiffResult Diff(std::string_view old_page, std::string_view new_page, const DiffOptions& options) {
  const LVTCharset::CHARSET oldCharset = ResolveCharset(options.old_charset, old_page);
  const LVTCharset::CHARSET newCharset = ResolveCharset(options.new_charset, new_page);
  LVTDT::CompareHtmlDocuments comparer;
  comparer.IgnoreCase(options.ignore_case);
  comparer.IgnoreDigits(options.ignore_digits);
  comparer.IgnoreNonAlphaNum(options.ignore_punctuation);
  comparer.AddEncodingHeader(options.header);
  if (!options.highlight_start.empty() || !options.highlight_end.empty())
    comparer.HighlightString(Wide(options.highlight_start), Wide(options.highlight_end));

  LVTFile::MemoryBuffer oldStream{std::string(old_page)};
  LVTFile::MemoryBuffer newStream{std::string(new_page)};
  LVTFile::MemoryBuffer report;
  DiffResult result;
  comparer.DetectChanges(oldStream, oldCharset, newStream, newCharset, report, result.changes,
                         result.changed_words, result.change_ratio);
  result.report = report.Bytes();
  if (options.header && options.no_scripts) AddNoScriptsPolicy(result.report);
  return result;
}

QueryError::QueryError(const std::string& what, std::size_t column)
    : std::invalid_argument(what), column_(column) {}

struct Query::State {
  std::unique_ptr<const LVTLanguage::Language> language;
  std::unique_ptr<const LVTDT::HtmlQueryHighlighter> highlighter;
  std::string prepared;

  // The page's words, those of its changed regions only when the page is a
  // report, in a map the evaluator can take.
  LVTDT::TermDocumentEvaluatorEx::OccurrenceMapHandle Words(std::string_view page,
                                                            const PageOptions& options) const {
    const LVTCharset::CHARSET charset = ResolveCharset(options.charset, page);
    std::string utf8(page);
    if (charset != LVTCharset::kUtf8) {
      LVTFile::MemoryBuffer source{std::move(utf8)};
      LVTFile::MemoryBuffer converted;
      LVTCharset::TranscodeStream(charset, LVTCharset::kUtf8, source, converted, false);
      utf8 = converted.Bytes();
    }
    LVTFile::MemoryBuffer stream{std::move(utf8)};
    LVTDT::RawTextList runs;
    if (options.changes_only)
      LVTDT::RawTextExtractor::GetRawTextFromHighlightedHtml(stream, LVTCharset::kUtf8, runs);
    else
      LVTDT::RawTextExtractor::GetRawTextFromHtml(stream, LVTCharset::kUtf8, runs);
    auto words = LVT::MakeRefCount<LVTDT::WordOccurencesExtractor::OccurrenceMap>();
    LVTDT::WordOccurencesExtractor::GetWordOccurences(runs, *words, *language);
    return words;
  }

  // Whether page matches, and its number of hits.
  std::pair<bool, unsigned> Evaluate(std::string_view page, const PageOptions& options) const {
    // Parsed for each call: the tree's handles count without atomics, so
    // threads sharing this query must not share a tree.
    const antlr::RefAST tree = LVTDT::ParseQueryUtf8(prepared);
    auto words = Words(page, options);
    std::pair<bool, unsigned> result;
    {
      LVTDT::TermDocumentEvaluatorEx evaluator(tree, words);
      result.first = evaluator.EvaluateNode();
      result.second = static_cast<unsigned>(evaluator.HighlightedWords().size());
    }
    // With the evaluator gone the map holds its records alone.
    LVTDT::ReleaseInDocumentOrder(*words);
    return result;
  }
};

Query::Query(std::string_view text, const QueryOptions& options) {
  auto state = std::make_shared<State>();
  state->language = std::make_unique<const LVTLanguage::Language>(LanguageNamed(options.language));
  LVTDT::HtmlQueryHighlighter::ColourTags colours;
  for (const auto& colour : options.colours)
    colours.emplace_back(Wide(colour.first), Wide(colour.second));
  state->highlighter = std::make_unique<const LVTDT::HtmlQueryHighlighter>(
      Wide(text), state->language.get(), &colours);
  state->prepared = Utf8(state->highlighter->PreparedQuery());
  try {
    LVTDT::ParseQueryUtf8(state->prepared);
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
  const LVTCharset::CHARSET charset = ResolveCharset(options.charset, page);
  LVTFile::MemoryBuffer source{std::string(page)};
  LVTFile::MemoryBuffer written;
  uint32_t anchors = 0;
  HighlightResult result;
  result.match =
      state_->highlighter->HighlightHtml(source, charset, written, anchors, options.changes_only);
  result.anchors = anchors;
  result.page = written.Bytes();
  if (!options.changes_only) {
    if (!options.header)
      RemoveHighlightHeader(result.page);
    else if (options.no_scripts)
      AddNoScriptsPolicy(result.page);
  }
  return result;
}

const std::string& Query::Prepared() const { return state_->prepared; }

std::string DetectCharset(std::string_view page) {
  return LVTCharset::LabelFromCodePage(LVTCharset::DetectCharset(page));
}

const char* Version() { return LUMIVANT_VERSION; }

}  // namespace lumivant
