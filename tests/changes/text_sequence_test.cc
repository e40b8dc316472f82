// The comparison's input: pages as sequences of text nodes, their
// normalised texts, word counts and the clearing of old markers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "changes/clear_marker.h"
#include "changes/count_words.h"
#include "changes/text_sequence_extractor.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::U8;
using LVTDT::NodeSequence;
using LVTDT::TextSequenceExtractor;

// Options as letters: c ignores case, d digits, p punctuation.
TextSequenceExtractor Extractor(const std::string& options) {
  auto has = [&](char c) { return options.find(c) != std::string::npos; };
  return TextSequenceExtractor(has('c'), has('d'), has('p'));
}

std::string Normalize(const std::string& text, const std::string& options = "") {
  std::u16string wide = lvt_testing::U16(text);
  Extractor(options).NormalizeText(wide);
  return U8(wide);
}

NodeSequence Sequence(const std::string& page, const std::string& options = "") {
  LVTFile::MemoryBuffer buffer(page);
  NodeSequence nodes;
  Extractor(options).GetTextSequence(buffer, LVTCharset::kUtf8, nodes);
  return nodes;
}

// The node texts, separated by " | ".
std::string Texts(const NodeSequence& nodes) {
  std::string out;
  for (const auto& node : nodes) out += (out.empty() ? "" : " | ") + U8(node->m_Text);
  return out;
}

// Every piece lies inside the page, pieces run forward without overlap, and
// a node starts at or before its first piece.
void ExpectPiecesInPage(const NodeSequence& nodes, const std::string& page) {
  uint32_t end = 0;
  for (const auto& node : nodes) {
    ASSERT_FALSE(node->m_Text.empty());
    ASSERT_EQ(node->m_Pieces.size(), node->m_PieceOffsets.size());
    ASSERT_EQ(node->m_Pieces.size(), node->m_PieceLengths.size());
    EXPECT_TRUE(node->m_PieceOffsets.empty() || node->m_Offset <= node->m_PieceOffsets[0]);
    for (std::size_t k = 0; k < node->m_PieceOffsets.size(); ++k) {
      EXPECT_GE(node->m_PieceOffsets[k], end);
      end = node->m_PieceOffsets[k] + node->m_PieceLengths[k];
      EXPECT_LE(end, page.size());
    }
  }
}

TEST(NormalizeText, WhiteSpaceCaseDigitsAndPunctuation) {
  const struct {
    const char* text;
    const char* options;
    const char* normalized;
  } rows[] = {
      {"  a \n\t b  ", "", "a b"},
      {"\uFEFF", "", ""},  // a byte-order mark is no text
      {"\uFEFFa\uFEFFb \u00A0a\u00A0\u00A0b\u00A0", "", "a b a b"},
      {"ABC: 10", "", "ABC: 10"},
      // Case: only the Latin table is lowered, whatever the locale.
      {"\u00C0B \u00D8\u00DE", "c", "\u00E0b \u00F8\u00FE"},
      {"\xC3\x97 \xC3\x9F \xC5\xB8 \xC4\xB1", "c", "\xC3\x97 \xC3\x9F \xC5\xB8 \xC4\xB1"},
      {"\xC4\x80\xC4\xB9\xC5\x8A\xC5\xBD \xEF\xBC\xA1", "c",
       "\xC4\x81\xC4\xBA\xC5\x8B\xC5\xBE \xEF\xBD\x81"},
      {"\xCE\x91\xD0\x96", "c", "\xCE\x91\xD0\x96"},  // Greek and Cyrillic capitals stay
      // Digits of every script; letters of every script are no punctuation.
      {"Price: 10", "d", "Price:"},
      {"2026", "d", ""},
      {"x \xD9\xA3", "d", "x"},
      {"a-b, (c) 10%", "p", "a b c 10"},
      {"\xC2\xA1Hola!", "p", "Hola"},
      {"\xE4\xB8\xAD\xE6\x96\x87\xE3\x80\x82\xC3\x9F", "p", "\xE4\xB8\xAD\xE6\x96\x87 \xC3\x9F"},
      {"12.50 $", "dp", ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(row.normalized, Normalize(row.text, row.options)) << row.text << " " << row.options;
}

TEST(CountWords, RunsOfDelimiters) {
  const struct {
    const char16_t* text;
    unsigned words;
  } rows[] = {{u"", 0},
              {u"a", 1},
              {u"a b.", 2},
              {u"(a)", 2},
              {u"(a", 2},
              {u"...", 1},
              {u"one, two! three", 3},
              {u"well-known", 1},
              {u"#1 | 50% $3", 4}};
  for (const auto& row : rows) EXPECT_EQ(row.words, LVTDT::CountWords(row.text)) << U8(row.text);
}

TEST(ClearMarker, KeepsLengthAndEveryOtherByte) {
  EXPECT_EQ("<span           >", LVTDT::MarkerReplacement("<LumivantChanges>"));
  EXPECT_EQ("</span           >", LVTDT::MarkerReplacement("</LumivantChanges>"));
  LVTFile::MemoryBuffer page(std::string("a<M>b<M><M>c<M"));
  LVTDT::ClearMarker(page, "<M>");
  EXPECT_EQ("a   b      c<M", page.Bytes());  // too short for a span
  EXPECT_EQ(0u, page.NextReadOffset());
  // Overlapping candidates: the search goes on behind each cleared one.
  LVTFile::MemoryBuffer repeated(std::string("aaaa"));
  LVTDT::ClearMarker(repeated, "aa");
  EXPECT_EQ("    ", repeated.Bytes());
  LVTDT::ClearMarker(repeated, "");
  EXPECT_EQ("    ", repeated.Bytes());
  // Markers beyond a pending read-ahead, one across its edge.
  std::string text(10000, 'x');
  text.replace(4090, 17, "<LumivantChanges>").replace(9000, 18, "</LumivantChanges>");
  LVTFile::MemoryBuffer longPage(text);
  char first[8];
  longPage.Get(first, sizeof first);
  LVTDT::ClearMarker(longPage, "<LumivantChanges>");
  LVTDT::ClearMarker(longPage, "</LumivantChanges>");
  EXPECT_TRUE(text.replace(4090, 17, "<span           >").replace(9000, 18, "</span           >") ==
              longPage.Bytes());
  // Cleared markers add no text: a link of two runs, the second marked.
  LVTFile::MemoryBuffer link(
      std::string("<a href=x><b>one</b><LumivantChanges>two</LumivantChanges></a>"));
  LVTDT::ClearMarker(link, "<LumivantChanges>");
  LVTDT::ClearMarker(link, "</LumivantChanges>");
  EXPECT_EQ("onetwo", Texts(Sequence(link.Bytes())));
}

TEST(TextSequence, NodesOfPages) {
  const struct {
    const char* page;
    const char* options;
    const char* texts;
  } rows[] = {
      {"<html><body><h1>Ferry  timetable</h1><p>Runs every <b>20</b> minutes &amp; more.</p>"
       "<script>var x;</script><p>   </p><p>Caf\xC3\xA9</p></body></html>",
       "", "Ferry timetable | Runs every | 20 | minutes & more. | Caf\xC3\xA9"},
      // A link with href or class is one node of its runs; a block inside it
      // still separates words; without either it is an inline element.
      {"<p>See <a href=\"/plan\">the <i>new</i> plan</a> now.</p>", "",
       "See | the new plan | now."},
      {"<a class=\"card\"><div>Title</div><div>Sub</div></a><p>after</p>", "", "Title Sub | after"},
      {"<a href=x>Title<b>Sub</b></a>", "", "TitleSub"},
      {"<p><a name=\"top\">one <b>two</b></a> three</p>", "", "one | two | three"},
      // Empty links and blank runs give no node, also once options apply.
      {"<p>a</p><a href=\"/\"> <img src=x> </a><p> \n </p><p>b</p>", "", "a | b"},
      {"<p><a href=/x>2026</a></p><p>Price: 10</p>", "d", "Price:"},
      {"<p>PRICE: 12,50 EUR</p><p>CAF\xC3\x89</p>", "cdp", "price eur | caf\xC3\xA9"},
      {"", "", ""},
      {"<html><head><title>t</title></head><body></body></html>", "", ""},
      {"plain text", "", "plain text"},
  };
  for (const auto& row : rows) {
    const NodeSequence nodes = Sequence(row.page, row.options);
    EXPECT_EQ(row.texts, Texts(nodes)) << row.page;
    ExpectPiecesInPage(nodes, row.page);
  }
}

}  // namespace
