// lumivant words: prints every word the library finds in a page, with the
// key it is filed under and the pieces of runs it covers.
#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/charset/transcode.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/word_occurences_extractor.h"
#include "text/page_words.h"
#include "tools/cli.h"

namespace lumivant_cli {

namespace {

using LVTDT::RawTextList;
using LVTDT::WordOccurencesExtractor;
using LVTLanguage::Language;

const char kUsage[] =
    "usage: lumivant words [options] PAGE\n"
    "\n"
    "Prints each word found in PAGE (\"-\" for standard input), one per line, as\n"
    "three fields separated by a tab:\n"
    "  INDEX   the word's number, from 0, in page order\n"
    "  KEY     the word folded and stemmed, as queries meet it; empty for a word\n"
    "          that is numbered but not indexed (in an excluded run, or with an\n"
    "          empty stem)\n"
    "  PIECES  RUN:OFFSET:LENGTH for each piece, separated by blanks: RUN is the\n"
    "          run's number from 0 in the order lumivant text prints the runs,\n"
    "          OFFSET and LENGTH count 16-bit characters of the run's text\n"
    "\n"
    "options:\n"
    "  --charset CS     character set of PAGE: code page number or label\n"
    "                   (default: detected, as for lumivant text)\n"
    "  --language L     stemming language: english (default), none, or another\n"
    "                   Snowball language (french, german, ...)\n"
    "  --unicode-words  words of every script, case and diacritics folded\n"
    "                   (always on for arabic, greek, russian, ...)\n"
    "  --changes-only   PAGE is a change report from lumivant diff: only words\n"
    "                   in its changed regions are indexed\n"
    "  --help           show this text\n"
    "\n"
    "exit status: 0 on success, 2 on trouble.\n";

// Word index -> key, for the words the extractor indexes.
std::unordered_map<uint32_t, std::u16string> KeysByIndex(
    const WordOccurencesExtractor::OccurrenceMap& map) {
  std::unordered_map<uint32_t, std::u16string> keys;
  for (const auto& entry : map)
    for (const auto& occurrence : *entry.second) keys.emplace(occurrence->m_WordIndex, entry.first);
  return keys;
}

// Every word with its pieces, excluded and unstemmable ones included: word
// boundaries depend on neither the language nor the excluded flags, so a
// pass over copies of the runs, none excluded, without stemming, finds each
// word once, under the same numbers.
std::vector<std::string> PiecesByIndex(const RawTextList& runs, bool unicodeWords) {
  RawTextList copies;
  std::unordered_map<const LVTDT::RawText*, std::size_t> numbers;
  for (const auto& run : runs) {
    auto copy = LVT::MakeSmart<LVTDT::RawText>();
    copy->m_Text = run->m_Text;
    numbers.emplace(copy.Get(), copies.size());
    copies.push_back(std::move(copy));
  }
  const Language none(Language::kNone, unicodeWords);
  WordOccurencesExtractor::OccurrenceMap all;
  WordOccurencesExtractor::GetWordOccurences(copies, all, none);
  std::vector<std::string> pieces;
  for (const auto& entry : all) {
    for (const auto& occurrence : *entry.second) {
      std::string text;
      for (std::size_t p = 0; p < occurrence->m_RawTexts.size(); ++p) {
        if (p != 0) text += ' ';
        text += std::to_string(numbers.at(occurrence->m_RawTexts[p].Get())) + ':' +
                std::to_string(occurrence->m_Offsets[p]) + ':' +
                std::to_string(occurrence->m_Lengths[p]);
      }
      if (occurrence->m_WordIndex >= pieces.size()) pieces.resize(occurrence->m_WordIndex + 1);
      pieces[occurrence->m_WordIndex] = std::move(text);
    }
  }
  return pieces;
}

}  // namespace

int RunWords(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--changes-only", "--unicode-words", "--help", "-h"},
                 {"--charset", "--language"}, &parsed, &error))
    return Fail("words: " + error);
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() != 1)
    return Fail("words: expected one PAGE (try lumivant words --help)");

  Language::StemmingType type;
  if (!LanguageFromOption(parsed.Value("--language"), &type)) return kExitTrouble;
  std::string bytes;
  if (!LoadPage(parsed.operands[0], &bytes)) return kExitTrouble;
  const LVTCharset::CHARSET charset = ResolveCharset(parsed.Value("--charset"), bytes);
  if (charset == 0) return kExitTrouble;

  LVTFile::MemoryBuffer page(std::move(bytes));
  const Language language(type,
                          parsed.Has("--unicode-words") || Language::UnicodeWordsByDefault(type));
  const LVTDT::PageWords words(page, charset,
                               LVTDT::PageWords::ScopeFor(parsed.Has("--changes-only")), language);

  const auto keys = KeysByIndex(words.Occurrences());
  const std::vector<std::string> pieces = PiecesByIndex(words.Runs(), language.HasUnicodeWords());
  std::string listing;
  for (uint32_t index = 0; index < pieces.size(); ++index) {
    auto key = keys.find(index);
    listing += std::to_string(index) + '\t' +
               (key == keys.end() ? "" : LVTCharset::WideToUtf8(key->second)) + '\t' +
               pieces[index] + '\n';
  }
  Output out;
  if (!out.Open("")) return kExitTrouble;
  out.Write(listing);  // a failed write is reported by Commit
  return out.Commit() ? kExitSame : kExitTrouble;
}

}  // namespace lumivant_cli
