// lumivant parse: shows what a query becomes, to see why it does not do
// what was meant: the prepared query, then its tree.
#include <antlr/ANTLRException.hpp>
#include <cstdio>
#include <string>

#include "foundation/charset/transcode.h"
#include "lumivant/code_page.h"
#include "lumivant/language.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"
#include "query/query_tree_dump.h"
#include "tools/cli.h"

namespace lumivant_cli {

namespace {

const char kUsage[] =
    "usage: lumivant parse [--language L] [--unicode-words] [--raw] QUERY\n"
    "\n"
    "Prints QUERY as it is prepared for searching (folded, balanced, words\n"
    "joined by punctuation made phrases, stemmed) on line 1, and its query\n"
    "tree on line 2:\n"
    "  word                    a word, as prepared\n"
    "  And(x, y)               words side by side (implicit and)\n"
    "  AND_(x, y), OR_(x, y)   explicit \"and \", \"or \"\n"
    "  NOT_(x)                 \"not \"\n"
    "  NEAR_(x, y)             \"near \"; WEIGHTEDNEAR_[near:5](x, y) for \"near:5\"\n"
    "  DQUOTE_(x, y, DQUOTE_)  a quoted phrase\n"
    "When the query holds several trees (the parse can end early, before a\n"
    "'+', '-' or ':' or an unmatched ')'), they are separated by a blank.\n"
    "\n"
    "options:\n"
    "  --language L   stemming language: english (default), none, french, ...\n"
    "  --unicode-words  words of every script (always on for arabic, greek,\n"
    "                 russian, ...)\n"
    "  --raw          parse QUERY exactly as given, without preparing it (this\n"
    "                 shows the grammar alone: 'a b ) +' gives the two trees\n"
    "                 'a b', while prepared it loses the ')' and is rejected)\n"
    "  --help         show this text\n"
    "\n"
    "exit status: 0 when the query parses; 2 when it is rejected (the reason,\n"
    "with the column in the prepared query, goes to standard error) or on\n"
    "other trouble.\n"
    "\n"
    "examples:\n"
    "  lumivant parse 'a b c'          ->  And(And(a, b), c)\n"
    "  lumivant parse 'a near:5 b'     ->  WEIGHTEDNEAR_[near:5](a, b)\n"
    "  lumivant parse 'e-mail OR fax'  ->  OR_(DQUOTE_(e, mail, DQUOTE_), fax)\n";

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);  // NUL bytes included
  std::fputc('\n', stdout);
}

}  // namespace

int RunParse(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--help", "-h", "--raw", "--unicode-words"}, {"--language"}, &parsed,
                 &error))
    return Fail("parse: " + error);
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() != 1)
    return Fail("parse: expected one QUERY, quoted (try lumivant parse --help)");

  LVTLanguage::Language::StemmingType type;
  if (!LanguageFromOption(parsed.Value("--language"), &type)) return kExitTrouble;
  const bool raw = parsed.Has("--raw");
  std::string text = parsed.operands[0];
  const bool unicodeWords =
      parsed.Has("--unicode-words") || LVTLanguage::Language::UnicodeWordsByDefault(type);
  if (!raw) text = PreparedQueryUtf8(text, LVTLanguage::Language(type, unicodeWords));

  // The query comes first even when it is rejected: the column in the
  // message is a column of that line.
  PrintLine(text);
  std::string tree;
  try {
    tree = LVTDT::DumpQueryTree(LVTDT::ParseQueryUtf8(text));
  } catch (const antlr::ANTLRException& e) {
    std::fflush(stdout);
    return Fail("bad query: " + e.toString());
  }
  PrintLine(tree);
  if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  return kExitSame;
}

}  // namespace lumivant_cli
