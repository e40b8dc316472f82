// Helpers of the highlighter tests and benchmarks: the default colours as
// written, and words worth searching a page for.
#ifndef LUMIVANT_TESTS_HIGHLIGHT_HIGHLIGHT_TESTING_H_
#define LUMIVANT_TESTS_HIGHLIGHT_HIGHLIGHT_TESTING_H_

#include <string>
#include <vector>

#include "lumivant/code_page.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/word_occurences_extractor.h"
#include "testing/test_util.h"

namespace lvt_highlight_testing {

// A hit in default colour number colour, as the highlighter writes it.
inline std::string HitIn(std::size_t colour, const std::string& text) {
  static const char* const kColours[] = {
      "black;background-color:#FFFF66", "black;background-color:#A0FFFF",
      "black;background-color:#99FF99", "black;background-color:#FF9999",
      "black;background-color:#FF66FF", "white;background-color:#880000",
      "white;background-color:#00AA00", "white;background-color:#886800",
      "white;background-color:#004699", "white;background-color:#990099"};
  return std::string("<LumivantQuery><B style=\"color:") + kColours[colour] + "\">" + text +
         "</B></LumivantQuery>";
}

// Occurrences of needle in text.
inline std::size_t Count(const std::string& text, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos;
       at = text.find(needle, at + needle.size()))
    ++n;
  return n;
}

// Words a reader might search a page for: up to count keys of the page's
// occurrence map (English stems, which a second stemming keeps), spread
// evenly over them, at least minLength characters long and occurring at
// least minOccurrences times; never the words the query language reads as
// operators.
inline std::vector<std::string> WordsOfPage(const std::string& utf8Page, std::size_t count,
                                            std::size_t minLength, std::size_t minOccurrences) {
  LVTFile::MemoryBuffer page(utf8Page);
  LVTDT::RawTextList runs;
  LVTDT::RawTextExtractor::GetRawTextFromHtml(page, LVTCharset::kUtf8, runs);
  LVTDT::WordOccurencesExtractor::OccurrenceMap map;
  LVTDT::WordOccurencesExtractor::GetWordOccurences(runs, map, LVTLanguage::Language());
  std::vector<std::u16string> keys;
  for (const auto& entry : map) {
    const std::u16string& key = entry.first;
    if (key.size() >= minLength && entry.second->size() >= minOccurrences && key != u"and" &&
        key != u"or" && key != u"not" && key != u"near")
      keys.push_back(key);
  }
  std::vector<std::string> words;
  for (std::size_t i = 0; i < count && !keys.empty(); ++i)
    words.push_back(lvt_testing::U8(keys[keys.size() * (2 * i + 1) / (2 * count)]));
  return words;
}

// Words joined by " or ".
inline std::string AnyOf(const std::vector<std::string>& words) {
  std::string query;
  for (const std::string& word : words) query += (query.empty() ? "" : " or ") + word;
  return query;
}

}  // namespace lvt_highlight_testing

#endif  // LUMIVANT_TESTS_HIGHLIGHT_HIGHLIGHT_TESTING_H_
