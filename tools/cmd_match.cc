// lumivant match: lists the pages that match a query, as grep -l lists
// files: 0 when a page matched, 1 when none did, 2 on trouble.
#include <antlr/ANTLRException.hpp>
#include <cstdio>
#include <string>

#include "foundation/charset/labels.h"
#include "foundation/charset/transcode.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "lumivant/word_occurences_extractor.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"
#include "text/occurrence_release.h"
#include "tools/cli.h"

namespace lumivant_cli {

namespace {

const char kUsage[] =
    "usage: lumivant match [options] QUERY PAGE...\n"
    "\n"
    "Prints the name of each PAGE (\"-\" for standard input) that matches "
    "QUERY,\n"
    "one per line, as grep -l does. The query is prepared and parsed once for\n"
    "all pages. A page that cannot be read is reported on standard error and\n"
    "the other pages are still searched.\n"
    "\n"
    "options:\n"
    "  --charset CS     character set of every PAGE: code page number or "
    "label\n"
    "                   (default: detected for each page, as for lumivant "
    "text)\n"
    "  --language L     stemming language of query and pages: english "
    "(default),\n"
    "                   none, french, ...\n"
    "  --changes-only   the pages are change reports from lumivant diff: "
    "search\n"
    "                   only their changed regions\n"
    "  --count          print NAME:N for every page read, N being the number "
    "of\n"
    "                   hits (highlight groups) of the query in it; a page "
    "can\n"
    "                   match with 0 hits (a query that is only a negation)\n"
    "  --help           show this text\n"
    "\n"
    "exit status: 0 when at least one page matched, 1 when none did, 2 on\n"
    "trouble (a bad query or option, or a page that could not be read), as\n"
    "grep does.\n"
    "\n"
    "examples:\n"
    "  lumivant match '\"harbour bridge\" near:5 traffic' news/*.html\n"
    "  lumivant diff old.html new.html | lumivant match --changes-only 'price "
    "near:3 drop' -\n";

// The query as the highlighter sees it: prepared with the pages' language,
// then parsed. Prints the parser's complaint and returns a null tree for a
// query it rejects.
antlr::RefAST ParseUserQuery(const std::string& query, const LVTLanguage::Language& language) {
  try {
    return LVTDT::ParseQueryUtf8(PreparedQueryUtf8(query, language));
  } catch (const antlr::ANTLRException& e) {
    Fail("bad query: " + e.toString());
    return antlr::RefAST();
  }
}

// The occurrence map of a page's words (only those of changed regions with
// changesOnly).
LVTDT::TermDocumentEvaluatorEx::OccurrenceMapHandle PageWords(
    std::string bytes, LVTCharset::CHARSET charset, bool changesOnly,
    const LVTLanguage::Language& language) {
  LVTFile::MemoryBuffer page(std::move(bytes));
  LVTFile::MemoryBuffer utf8;
  LVTBase::BinaryStreamBuf* source = &page;
  if (charset != LVTCharset::kUtf8) {
    LVTCharset::TranscodeStream(charset, LVTCharset::kUtf8, page, utf8, false);
    source = &utf8;
  }
  LVTDT::RawTextList runs;
  if (changesOnly)
    LVTDT::RawTextExtractor::GetRawTextFromHighlightedHtml(*source, LVTCharset::kUtf8, runs);
  else
    LVTDT::RawTextExtractor::GetRawTextFromHtml(*source, LVTCharset::kUtf8, runs);
  auto words = LVT::MakeRefCount<LVTDT::WordOccurencesExtractor::OccurrenceMap>();
  LVTDT::WordOccurencesExtractor::GetWordOccurences(runs, *words, language);
  return words;
}

struct MatchOptions {
  std::string charset;
  bool changesOnly = false;
  bool count = false;
};

enum class PageResult { kMatch, kNoMatch, kTrouble };

PageResult MatchPage(const std::string& path, const antlr::RefAST& query,
                     const MatchOptions& options, const LVTLanguage::Language& language) {
  std::string bytes;
  if (!LoadPage(path, &bytes)) return PageResult::kTrouble;
  const LVTCharset::CHARSET charset = ResolveCharset(options.charset, bytes);
  if (charset == 0) return PageResult::kTrouble;
  auto words = PageWords(std::move(bytes), charset, options.changesOnly, language);
  bool matches = false;
  std::size_t groups = 0;
  {
    LVTDT::TermDocumentEvaluatorEx evaluator(query, words);
    matches = evaluator.EvaluateNode();
    groups = evaluator.HighlightedWords().size();
  }
  // With the evaluator gone the map holds its records alone.
  LVTDT::ReleaseInDocumentOrder(*words);
  const std::string name = path == "-" ? "(standard input)" : path;
  if (options.count)
    std::printf("%s:%zu\n", name.c_str(), groups);
  else if (matches)
    std::printf("%s\n", name.c_str());
  return matches ? PageResult::kMatch : PageResult::kNoMatch;
}

}  // namespace

int RunMatch(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--changes-only", "--count", "--help", "-h"}, {"--charset", "--language"},
                 &parsed, &error))
    return Fail("match: " + error);
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() < 2)
    return Fail(
        "match: expected QUERY and at least one PAGE (try lumivant match "
        "--help)");
  int stdinPages = 0;
  for (std::size_t i = 1; i < parsed.operands.size(); ++i)
    if (parsed.operands[i] == "-") ++stdinPages;
  if (stdinPages > 1) return Fail("match: standard input can stand for only one PAGE");

  MatchOptions options;
  options.charset = parsed.Value("--charset");
  options.changesOnly = parsed.Has("--changes-only");
  options.count = parsed.Has("--count");
  // Checked once here rather than once per page.
  if (!options.charset.empty() && LVTCharset::CodePageFromLabel(options.charset) == 0)
    return Fail("unknown or unsupported character set: " + options.charset);
  LVTLanguage::Language::StemmingType type;
  if (!LanguageFromOption(parsed.Value("--language"), &type)) return kExitTrouble;
  const LVTLanguage::Language language(type);

  const antlr::RefAST query = ParseUserQuery(parsed.operands[0], language);
  if (!query) return kExitTrouble;

  bool anyMatch = false;
  bool trouble = false;
  for (std::size_t i = 1; i < parsed.operands.size(); ++i) {
    const PageResult result = MatchPage(parsed.operands[i], query, options, language);
    anyMatch = anyMatch || result == PageResult::kMatch;
    trouble = trouble || result == PageResult::kTrouble;
  }
  if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  if (trouble) return kExitTrouble;
  return anyMatch ? kExitSame : kExitDifferent;
}

}  // namespace lumivant_cli
