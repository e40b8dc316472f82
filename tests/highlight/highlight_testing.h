// Helpers of the highlighter tests: running a highlighter on a page held in
// a string, undoing what it adds, and the text a browser would show.
#ifndef LUMIVANT_TESTS_HIGHLIGHT_HIGHLIGHT_TESTING_H_
#define LUMIVANT_TESTS_HIGHLIGHT_HIGHLIGHT_TESTING_H_

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "foundation/base/string_utils.h"
#include "foundation/charset/transcode.h"
#include "lumivant/code_page.h"
#include "lumivant/html_query_highlighter.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"
#include "text/page_words.h"

namespace lvt_highlight_testing {

inline constexpr char kHeader[] =
    "<!-- Lumivant Generated file -->\n<html><head><meta http-equiv=\"Content-Type\" "
    "content=\"text/html; charset=utf-8\"></head>\n";

struct Highlighted {
  bool match = false;
  uint32_t anchors = 0;
  std::string page;
};

// Highlights page; anchors starts at a value that no call leaves behind.
inline Highlighted Highlight(const LVTDT::HtmlQueryHighlighter& highlighter,
                             const std::string& page,
                             LVTCharset::CHARSET charset = LVTCharset::kUtf8,
                             bool highlightedInput = false) {
  LVTFile::MemoryBuffer in(page);
  LVTFile::MemoryBuffer out;
  Highlighted result;
  result.anchors = 9999;
  result.match = highlighter.HighlightHtml(in, charset, out, result.anchors, highlightedInput);
  result.page = out.Bytes();
  return result;
}

// The same with a highlighter for query, default language and colours.
inline Highlighted Highlight(const std::string& query, const std::string& page,
                             LVTCharset::CHARSET charset = LVTCharset::kUtf8,
                             bool highlightedInput = false) {
  return Highlight(LVTDT::HtmlQueryHighlighter(lvt_testing::U16(query)), page, charset,
                   highlightedInput);
}

// A highlighted piece as the highlighter writes it.
inline std::string Hit(const std::string& text, const std::string& startTag,
                       const std::string& endTag) {
  return "<LumivantQuery>" + startTag + text + endTag + "</LumivantQuery>";
}

// The start tag of default colour number colour.
inline std::string DefaultStart(std::size_t colour) {
  static const char* const kBackgrounds[] = {
      "black;background-color:#FFFF66", "black;background-color:#A0FFFF",
      "black;background-color:#99FF99", "black;background-color:#FF9999",
      "black;background-color:#FF66FF", "white;background-color:#880000",
      "white;background-color:#00AA00", "white;background-color:#886800",
      "white;background-color:#004699", "white;background-color:#990099"};
  return std::string("<B style=\"color:") + kBackgrounds[colour] + "\">";
}

inline std::string HitIn(std::size_t colour, const std::string& text) {
  return Hit(text, DefaultStart(colour), "</B>");
}

inline void EraseAll(std::string& text, const std::string& needle) {
  if (needle.empty()) return;
  std::string kept;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(needle, from)) != std::string::npos;
       from = at + needle.size())
    kept.append(text, from, at - from);
  kept.append(text, from, std::string::npos);
  text.swap(kept);
}

// Removes the header, the hit markers with the colour tags beside them, and
// the Query anchors: what is left is the page as the writer saw it.
inline std::string StripHighlights(const std::string& output,
                                   const LVTDT::HtmlQueryHighlighter& highlighter) {
  std::string page = output;
  if (page.compare(0, sizeof(kHeader) - 1, kHeader) == 0) page.erase(0, sizeof(kHeader) - 1);
  for (const auto& tags : highlighter.ColourTagsUtf8()) {
    EraseAll(page, "<LumivantQuery>" + tags.first);
    EraseAll(page, tags.second + "</LumivantQuery>");
  }
  return std::regex_replace(page, std::regex("<a name=\"Query[0-9]+\"></a>"), "");
}

// The page converted to UTF-8.
inline std::string ToUtf8(const std::string& page, LVTCharset::CHARSET charset) {
  if (charset == LVTCharset::kUtf8) return page;
  LVTFile::MemoryBuffer in(page);
  LVTFile::MemoryBuffer out;
  LVTCharset::TranscodeStream(charset, LVTCharset::kUtf8, in, out, false);
  return out.Bytes();
}

// The text of a page as a browser shows it: the runs of raw text joined,
// white space collapsed to one blank, ends trimmed.
inline std::string VisibleText(const std::string& page, LVTCharset::CHARSET charset,
                               bool highlightedInput = false) {
  LVTFile::MemoryBuffer in(page);
  LVTDT::RawTextList runs;
  LVTDT::PageWords::ReadRuns(in, charset, LVTDT::PageWords::ScopeFor(highlightedInput), runs);
  std::u16string joined;
  for (const LVTDT::RawTextHandle& run : runs) joined += run->m_Text;
  std::u16string shown;
  LVTBase::BeautifyString(joined, shown, true, true);
  return lvt_testing::U8(shown);
}

// Words a reader might search a page for: up to count keys of the page's
// occurrence map (English stems, which a second stemming keeps), spread
// evenly over them, at least minLength characters long and occurring at
// least minOccurrences times; never the words the query language reads as
// operators.
inline std::vector<std::string> WordsOfPage(const std::string& utf8Page, std::size_t count,
                                            std::size_t minLength, std::size_t minOccurrences) {
  LVTFile::MemoryBuffer page(utf8Page);
  const LVTLanguage::Language english;
  const LVTDT::PageWords pageWords(page, LVTCharset::kUtf8, LVTDT::PageWords::Scope::kWholePage,
                                   english);
  std::vector<std::u16string> keys;
  for (const auto& entry : pageWords.Occurrences()) {
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

// Occurrences of needle in text.
inline std::size_t Count(const std::string& text, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos;
       at = text.find(needle, at + needle.size()))
    ++n;
  return n;
}

}  // namespace lvt_highlight_testing

#endif  // LUMIVANT_TESTS_HIGHLIGHT_HIGHLIGHT_TESTING_H_
