// lumivant highlight: writes a page with every hit of a query wrapped in its
// term's colour and an anchor before each hit, and answers whether the page
// matches, as grep does: 0 match, 1 no match, 2 trouble.
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "lumivant/language.h"
#include "lumivant/lumivant.h"
#include "tools/cli.h"

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

}  // namespace

int RunHighlight(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args,
                 {"--changes-only", "--no-scripts", "--json", "--unicode-words", "--help", "-h"},
                 {"-o", "--charset", "--language", "--colours"}, &parsed, &error))
    return Fail("highlight: " + error);
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() != 2)
    return Fail("highlight: expected QUERY and PAGE (try lumivant highlight --help)");

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

  lumivant::HighlightResult result;
  try {
    result = lumivant::Query(parsed.operands[0], queryOptions).Highlight(bytes, pageOptions);
  } catch (const lumivant::QueryError& e) {
    return Fail(std::string("bad query: ") + e.what());
  }

  const bool json = parsed.Has("--json");
  if ((!json || parsed.Has("-o")) && !EmitDocument(parsed.Value("-o"), result.page))
    return kExitTrouble;
  if (json) {
    std::printf("{\"match\":%s,\"anchors\":%u}\n", result.match ? "true" : "false", result.anchors);
    if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  }
  return result.match ? kExitSame : kExitDifferent;
}

}  // namespace lumivant_cli
