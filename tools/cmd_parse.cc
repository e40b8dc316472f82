// lumivant parse: shows what a query becomes, to see why it does not do
// what was meant: the prepared query, then its tree.
#include <antlr/ANTLRException.hpp>
#include <unicode/unistr.h>

#include <cstdio>
#include <string>

#include "foundation/language.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"
#include "query/query_tree_dump.h"
#include "tools/cli.h"

namespace lumivant_cli {

namespace {

const char kUsage[] =
    "usage: lumivant parse [--language L] [--raw] QUERY\n"
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

bool LanguageNamed(const std::string& name, LVTLanguage::Language::StemmingType* type) {
  if (name.empty()) {
    *type = LVTLanguage::Language::kEnglish;
    return true;
  }
  if (LVTLanguage::Language::StemmingTypeFromName(name, type)) return true;
  std::string names;
  for (const std::string& known : LVTLanguage::Language::StemmingTypeNames())
    names += (names.empty() ? "" : ", ") + known;
  Fail("parse: unknown language '" + name + "' (one of: " + names + ")");
  return false;
}

std::u16string FromUtf8(const std::string& utf8) {
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  return std::u16string(text.getBuffer(), text.getBuffer() + text.length());
}

std::string ToUtf8(const std::u16string& text) {
  std::string utf8;
  icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())).toUTF8String(utf8);
  return utf8;
}

}  // namespace

int RunParse(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--help", "-h", "--raw"}, {"--language"}, &parsed, &error))
    return Fail("parse: " + error);
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() != 1)
    return Fail("parse: expected one QUERY, quoted (try lumivant parse --help)");

  LVTLanguage::Language::StemmingType type;
  if (!LanguageNamed(parsed.Value("--language"), &type)) return kExitTrouble;
  const bool raw = parsed.Has("--raw");
  std::string text = parsed.operands[0];
  std::u16string prepared;
  if (!raw) {
    const LVTLanguage::Language language(type);
    LVTDT::PrepareQueryStemMap stems;
    LVTDT::PrepareQuery(FromUtf8(text), prepared, stems, language);
    text = ToUtf8(prepared);
  }

  // The query comes first even when it is rejected: the column in the
  // message is a column of that line.
  std::printf("%s\n", text.c_str());
  std::string tree;
  try {
    tree = LVTDT::DumpQueryTree(raw ? LVTDT::ParseQueryUtf8(text)
                                    : LVTDT::ParsePreparedQuery(prepared));
  } catch (const antlr::ANTLRException& e) {
    std::fflush(stdout);
    return Fail("bad query: " + e.toString());
  }
  std::printf("%s\n", tree.c_str());
  if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  return kExitSame;
}

}  // namespace lumivant_cli
