// lumivant highlight: writes a page with every hit of a query wrapped in its
// term's colour and an anchor before each hit, and answers whether the page
// matches, as grep does: 0 match, 1 no match, 2 trouble.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "eval/lookup_keys.h"
#include "foundation/charset/transcode.h"
#include "foundation/charset/utf8_page.h"
#include "lumivant/language.h"
#include "lumivant/lumivant.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "query/compiled_query.h"
#include "text/page_words.h"
#include "tools/cli.h"
#include "tools/text_view.h"

namespace lumivant_cli {

namespace {

const char kUsage[] =
    "usage: lumivant highlight [options] QUERY PAGE\n"
    "\n"
    "Writes PAGE (\"-\" for standard input) in UTF-8 with every word of every hit\n"
    "of QUERY wrapped in its query term's colour, and a named anchor (Query1,\n"
    "Query2, ...) before each hit. The page is otherwise copied unchanged, after\n"
    "a short header that declares UTF-8.\n"
    "\n"
    "options:\n"
    "  -o FILE          write to FILE (through a temporary file renamed at the end)\n"
    "                   instead of standard output\n"
    "  --charset CS     character set of PAGE: code page number or label\n"
    "                   (default: detected, as for lumivant text)\n"
    "  --language L     stemming language: english (default), none, french, ...\n"
    "  --unicode-words  words of every script, case and diacritics folded\n"
    "                   (always on for arabic, greek, russian, ...)\n"
    "  --changes-only   PAGE is a change report from lumivant diff: search only\n"
    "                   its changed regions, and write no header\n"
    "  --colours FILE   colour tags, one pair per line: start tag, a tab, end tag;\n"
    "                   term N takes pair N modulo the number of pairs\n"
    "  --no-scripts     the header also carries a Content-Security-Policy under\n"
    "                   which a browser runs none of the page's scripts or\n"
    "                   plug-ins: for pages that cannot be trusted\n"
    "  --json           print one line {\"match\":true|false,\"anchors\":N} instead\n"
    "                   of the page (which still goes to -o FILE when given)\n"
    "  --text           print PAGE's text instead, a line per block, every hit\n"
    "                   in its query term's colour\n"
    "  --context N      with --text, print only the lines with hits and N lines\n"
    "                   around each, \"--\" between distant hunks\n"
    "  --color WHEN     with --text: auto (the default: colour on a terminal,\n"
    "                   bold and reverse when NO_COLOR is set), always, or\n"
    "                   never ({+hit+})\n"
    "  --help           show this text\n"
    "\n"
    "exit status: 0 when the page matches, 1 when it does not, 2 on trouble.\n"
    "\n"
    "Page watch: does the new content of a page match a query?\n"
    "  lumivant diff old.html new.html | lumivant highlight --changes-only \\\n"
    "      'price near:3 drop' -\n";

// Reads a colours file: one "start tag<TAB>end tag" per line; blank lines
// are skipped. Prints what is wrong with a bad file.
bool LoadColours(const std::string& path, std::vector<std::pair<std::string, std::string>>* tags) {
  std::string bytes;
  if (!LoadPage(path, &bytes)) return false;
  std::istringstream in(bytes);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      Fail(path + ":" + std::to_string(number) + ": expected start tag, a tab, end tag");
      return false;
    }
    tags->emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  return true;
}

// A hit piece of a run: offset and length in its text, and the query
// term it belongs to.
using HitPiece = std::tuple<std::size_t, std::size_t, unsigned>;

// The text of the page (bytes in charset) with the hits of query marked,
// each in the mark of its term, found as the highlighter finds them.
std::vector<Line> HitLines(const std::string& bytes, LVTCharset::CHARSET charset,
                           const std::string& query, LVTLanguage::Language::StemmingType type,
                           bool unicodeWords, bool changesOnly) {
  const LVTLanguage::Language language(
      type, unicodeWords || LVTLanguage::Language::UnicodeWordsByDefault(type));
  const LVTDT::CompiledQuery compiled =
      LVTDT::CompiledQuery::FromUserQuery(LVTCharset::Utf8ToWide(query), language);
  LVTFile::MemoryBuffer page{std::string(bytes)};
  LVTCharset::Utf8Page utf8(page, charset);
  std::string text(utf8.Stream().GetSize(), '\0');
  text.resize(utf8.Stream().Get(&text[0], static_cast<uint32_t>(text.size())));
  utf8.Stream().SeekRead(0);
  const LVTDT::OccurrenceKeys keys = LVTDT::LookupKeys(compiled.Tree());
  const LVTDT::PageWords words(utf8.Stream(), LVTCharset::kUtf8,
                               LVTDT::PageWords::ScopeFor(changesOnly), language, &keys);
  LVTDT::TermDocumentEvaluatorEx evaluator(compiled.Tree(), words.SharedOccurrences());
  evaluator.EvaluateNode();
  LVTDT::TermDocumentEvaluatorEx::QueryTermMap terms;
  LVTDT::TermDocumentEvaluatorEx::GetQueryTerms(terms, compiled.Tree(), words.SharedOccurrences());

  // Runs start where their text nodes do.
  std::map<uint32_t, std::pair<const LVTDT::RawText*, std::vector<HitPiece>>> runs;
  for (const LVTDT::RawTextHandle& run : words.Runs()) runs[run->m_Start].first = run.Get();
  for (const auto& group : evaluator.HighlightedWords()) {
    if (!group) continue;
    for (const auto& occurrence : *group) {
      const auto term = terms.find(occurrence->m_WordIndex);
      const unsigned number = term == terms.end() ? 0 : term->second;
      const std::size_t pieces =
          std::min({occurrence->m_RawTexts.size(), occurrence->m_Offsets.size(),
                    occurrence->m_Lengths.size()});
      for (std::size_t k = 0; k < pieces; ++k)
        runs[occurrence->m_RawTexts[k]->m_Start].second.emplace_back(
            occurrence->m_Offsets[k], occurrence->m_Lengths[k], number);
    }
  }
  return PageLines(text, [&](uint32_t offset, const std::u16string& raw, Line& line) {
    auto found = runs.find(offset);
    if (found == runs.end() || found->second.first == nullptr) {
      line.push_back({raw, Mark::kPlain});
      return;
    }
    const std::u16string& runText = found->second.first->m_Text;
    std::vector<HitPiece>& hits = found->second.second;
    std::sort(hits.begin(), hits.end());
    std::size_t at = 0;
    for (const auto& [start, length, term] : hits) {
      if (start < at || start + length > runText.size()) continue;
      line.push_back({runText.substr(at, start - at), Mark::kPlain});
      line.push_back({runText.substr(start, length), TermMark(term)});
      at = start + length;
    }
    line.push_back({runText.substr(at), Mark::kPlain});
  });
}

}  // namespace

int RunHighlight(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(
          args,
          {"--changes-only", "--no-scripts", "--json", "--text", "--unicode-words", "--help", "-h"},
          {"-o", "--charset", "--language", "--colours", "--context", "--color"}, &parsed, &error))
    return Fail("highlight: " + error);
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() != 2)
    return Fail("highlight: expected QUERY and PAGE (try lumivant highlight --help)");

  const bool json = parsed.Has("--json");
  const bool text = parsed.Has("--text");
  Style style;
  int context = -1;
  if (!TextViewOptions("highlight", parsed, json, &style, &context)) return kExitTrouble;

  LVTLanguage::Language::StemmingType type;
  if (!LanguageFromOption(parsed.Value("--language"), &type)) return kExitTrouble;
  lumivant::QueryOptions queryOptions;
  queryOptions.language = LVTLanguage::Language::StemmingTypeName(type);
  queryOptions.unicode_words = parsed.Has("--unicode-words");
  if (parsed.Has("--colours") && !LoadColours(parsed.Value("--colours"), &queryOptions.colours))
    return kExitTrouble;
  std::string bytes;
  if (!LoadPage(parsed.operands[1], &bytes)) return kExitTrouble;
  lumivant::PageOptions pageOptions;
  const LVTCharset::CHARSET charset = ResolveCharset(parsed.Value("--charset"), bytes);
  if (charset == 0) return kExitTrouble;
  pageOptions.charset = std::to_string(charset);
  pageOptions.changes_only = parsed.Has("--changes-only");
  pageOptions.no_scripts = parsed.Has("--no-scripts");
  pageOptions.max_size = MaxPageBytes();

  // With --json or --text and no -o the page goes nowhere: it is not kept.
  const bool page = !(json || text) || parsed.Has("-o");
  lumivant::HighlightResult result;
  try {
    const lumivant::Query query(parsed.operands[0], queryOptions);
    result =
        page ? query.Highlight(bytes, pageOptions) : query.HighlightSummary(bytes, pageOptions);
  } catch (const lumivant::QueryError& e) {
    return Fail(std::string("bad query: ") + e.what());
  }

  if (page && !EmitDocument(parsed.Value("-o"), result.page)) return kExitTrouble;
  if (text && !PrintLines(HitLines(bytes, charset, parsed.operands[0], type,
                                   queryOptions.unicode_words, pageOptions.changes_only),
                          style, context, stdout))
    return Fail("standard output: write failed");
  if (json) {
    std::printf("{\"match\":%s,\"anchors\":%u}\n", result.match ? "true" : "false", result.anchors);
    if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  }
  return result.match ? kExitSame : kExitDifferent;
}

}  // namespace lumivant_cli
