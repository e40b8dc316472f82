#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "changes/clear_marker.h"
#include "changes/count_words.h"
#include "changes/text_sequence_extractor.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::U16;
using lvt_testing::U8;
using LVTDT::NodeSequence;
using LVTDT::TextSequenceExtractor;

struct Options {
  bool ignoreCase = false;
  bool ignoreDigits = false;
  bool ignorePunctuation = false;
};

std::string Normalize(const std::string& text, Options options = Options()) {
  TextSequenceExtractor extractor(options.ignoreCase, options.ignoreDigits,
                                  options.ignorePunctuation);
  std::u16string wide = U16(text);
  extractor.NormalizeText(wide);
  return U8(wide);
}

NodeSequence Sequence(const std::string& page, Options options = Options()) {
  TextSequenceExtractor extractor(options.ignoreCase, options.ignoreDigits,
                                  options.ignorePunctuation);
  LVTFile::MemoryBuffer buffer(page);
  NodeSequence nodes;
  extractor.GetTextSequence(buffer, LVTCharset::kUtf8, nodes);
  return nodes;
}

// The node texts, separated by " | ".
std::string Texts(const NodeSequence& nodes) {
  std::string out;
  for (const auto& node : nodes) {
    if (!out.empty()) out += " | ";
    out += U8(node->m_Text);
  }
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
    if (!node->m_PieceOffsets.empty()) {
      EXPECT_LE(node->m_Offset, node->m_PieceOffsets[0]);
    }
    for (std::size_t k = 0; k < node->m_PieceOffsets.size(); ++k) {
      EXPECT_GE(node->m_PieceOffsets[k], end);
      end = node->m_PieceOffsets[k] + node->m_PieceLengths[k];
      EXPECT_LE(end, page.size());
    }
  }
}

TEST(NormalizeText, CollapsesWhiteSpaceAndEmptiesBlankText) {
  EXPECT_EQ("a b", Normalize("  a \n\t b  "));
  EXPECT_EQ("", Normalize("\xEF\xBB\xBF"));  // a byte-order mark is no text
  EXPECT_EQ("a b", Normalize("\xEF\xBB\xBF"
                             "a\xEF\xBB\xBF"
                             "b"));
  EXPECT_EQ("a b", Normalize("\xC2\xA0"
                             "a\xC2\xA0\xC2\xA0"
                             "b\xC2\xA0"));
  EXPECT_EQ("", Normalize(" \n\t "));
  EXPECT_EQ("Price: 10", Normalize("Price: 10"));
}

TEST(NormalizeText, IgnoreCaseLowersOnlyTheLatinTable) {
  const Options o{true, false, false};
  EXPECT_EQ(
      "\xC3\xA0"
      "b",
      Normalize("\xC3\x80"
                "B",
                o));                                                // U+00C0 B
  EXPECT_EQ("\xC3\xB8\xC3\xBE", Normalize("\xC3\x98\xC3\x9E", o));  // U+00D8 U+00DE
  EXPECT_EQ("\xC3\x97", Normalize("\xC3\x97", o));                  // multiplication sign stays
  EXPECT_EQ("\xC3\x9F", Normalize("\xC3\x9F", o));                  // sharp s stays
  // U+0178 stays, so it never equals U+00FF.
  EXPECT_EQ("\xC5\xB8", Normalize("\xC5\xB8", o));
  EXPECT_EQ("\xC4\x81\xC4\xBA\xC5\x8B\xC5\xBE",
            Normalize("\xC4\x80\xC4\xB9\xC5\x8A\xC5\xBD", o));  // 100 139 14A 17D
  EXPECT_EQ("\xC4\xB1", Normalize("\xC4\xB1", o));              // U+0131 (odd, < 0x136) stays
  EXPECT_EQ("\xEF\xBD\x81", Normalize("\xEF\xBC\xA1", o));      // fullwidth A
  // Greek and Cyrillic capitals stay.
  EXPECT_EQ("\xCE\x91\xD0\x96", Normalize("\xCE\x91\xD0\x96", o));
  EXPECT_EQ("ABC", Normalize("ABC"));
}

TEST(NormalizeText, IgnoreDigitsAndPunctuation) {
  const Options digits{false, true, false};
  EXPECT_EQ("Price:", Normalize("Price: 10", digits));
  EXPECT_EQ(Normalize("Price: 12", digits), Normalize("Price: 10", digits));
  EXPECT_EQ("", Normalize("2026", digits));
  // Digits of other scripts are digits too.
  EXPECT_EQ("x", Normalize("x \xD9\xA3", digits));
  const Options punctuation{false, false, true};
  EXPECT_EQ("a b c 10", Normalize("a-b, (c) 10%", punctuation));
  EXPECT_EQ("Hola", Normalize("\xC2\xA1Hola!", punctuation));
  // Letters of every script are letters, whatever the process locale.
  EXPECT_EQ("\xE4\xB8\xAD\xE6\x96\x87 \xC3\x9F",
            Normalize("\xE4\xB8\xAD\xE6\x96\x87\xE3\x80\x82\xC3\x9F", punctuation));
  const Options both{false, true, true};
  EXPECT_EQ("", Normalize("12.50 $", both));
}

TEST(CountWords, RunsOfDelimiters) {
  EXPECT_EQ(0u, LVTDT::CountWords(u""));
  EXPECT_EQ(1u, LVTDT::CountWords(u"a"));
  EXPECT_EQ(2u, LVTDT::CountWords(u"a b"));
  EXPECT_EQ(2u, LVTDT::CountWords(u"a b."));
  EXPECT_EQ(2u, LVTDT::CountWords(u"(a)"));
  EXPECT_EQ(2u, LVTDT::CountWords(u"(a"));
  EXPECT_EQ(1u, LVTDT::CountWords(u"..."));
  EXPECT_EQ(3u, LVTDT::CountWords(u"one, two! three"));
  EXPECT_EQ(1u, LVTDT::CountWords(u"well-known"));
  EXPECT_EQ(4u, LVTDT::CountWords(u"#1 | 50% $3"));
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
  LVTFile::MemoryBuffer none(std::string("plain"));
  LVTDT::ClearMarker(none, "<LumivantChanges>");
  LVTDT::ClearMarker(none, "");
  EXPECT_EQ("plain", none.Bytes());
}

TEST(ClearMarker, FindsMarkersBeyondTheReadAhead) {
  std::string text(10000, 'x');
  text.replace(4090, 17, "<LumivantChanges>");  // across the first read-ahead
  text.replace(9000, 18, "</LumivantChanges>");
  LVTFile::MemoryBuffer page(text);
  char first[8];
  page.Get(first, sizeof first);  // a read-ahead is pending
  LVTDT::ClearMarker(page, "<LumivantChanges>");
  LVTDT::ClearMarker(page, "</LumivantChanges>");
  EXPECT_EQ(std::string(10000, 'x')
                .replace(4090, 17, "<span           >")
                .replace(9000, 18, "</span           >"),
            page.Bytes());
}

TEST(ClearMarker, ClearedMarkersAddNoText) {
  // Two runs of one link, the second marked: the link's text is unchanged.
  const std::string page = "<a href=x><b>one</b><LumivantChanges>two</LumivantChanges></a>";
  LVTFile::MemoryBuffer buffer(page);
  LVTDT::ClearMarker(buffer, "<LumivantChanges>");
  LVTDT::ClearMarker(buffer, "</LumivantChanges>");
  EXPECT_EQ(page.size(), buffer.Bytes().size());
  NodeSequence nodes;
  TextSequenceExtractor(false, false, false).GetTextSequence(buffer, LVTCharset::kUtf8, nodes);
  ASSERT_EQ(1u, nodes.size());
  EXPECT_EQ(u"onetwo", nodes[0]->m_Text);
}

TEST(TextSequence, RunsBecomeNodesWithTheirBytes) {
  const std::string page =
      "<html><body><h1>Ferry  timetable</h1><p>Runs every <b>20</b> minutes "
      "&amp; "
      "more.</p><script>var x;</script><p>   "
      "</p><p>Caf\xC3\xA9</p></body></html>";
  const NodeSequence nodes = Sequence(page);
  EXPECT_EQ("Ferry timetable | Runs every | 20 | minutes & more. | Caf\xC3\xA9", Texts(nodes));
  ExpectPiecesInPage(nodes, page);
  ASSERT_EQ(5u, nodes.size());
  for (const auto& node : nodes) {
    ASSERT_EQ(1u, node->m_Pieces.size());
    EXPECT_EQ(node->m_Offset, node->m_PieceOffsets[0]);
  }
  EXPECT_EQ("Ferry  timetable",
            page.substr(nodes[0]->m_PieceOffsets[0], nodes[0]->m_PieceLengths[0]));
  EXPECT_EQ(" minutes &amp; more.",
            page.substr(nodes[3]->m_PieceOffsets[0], nodes[3]->m_PieceLengths[0]));
  EXPECT_EQ(u" minutes & more.", nodes[3]->m_Pieces[0].substr(0, 16));
}

TEST(TextSequence, LinkWithHrefIsOneNodeOfItsPieces) {
  const std::string page = "<p>See <a href=\"/plan\">the <i>new</i> plan</a> now.</p>";
  const NodeSequence nodes = Sequence(page);
  EXPECT_EQ("See | the new plan | now.", Texts(nodes));
  ASSERT_EQ(3u, nodes.size());
  const auto& link = nodes[1];
  EXPECT_EQ(page.find("<a "), link->m_Offset);
  ASSERT_EQ(3u, link->m_Pieces.size());
  EXPECT_EQ(u"the ", link->m_Pieces[0]);
  EXPECT_EQ(u"new", link->m_Pieces[1]);
  EXPECT_EQ(u" plan", link->m_Pieces[2]);
  EXPECT_EQ(page.find("the "), link->m_PieceOffsets[0]);
  EXPECT_LT(link->m_Offset, link->m_PieceOffsets[0]);
  ExpectPiecesInPage(nodes, page);
}

TEST(TextSequence, BlocksInsideALinkSeparateItsWords) {
  const NodeSequence nodes =
      Sequence("<a class=\"card\"><div>Title</div><div>Subtitle</div></a><p>after</p>");
  EXPECT_EQ("Title Subtitle | after", Texts(nodes));
  // Without a block between them, two runs of one link join.
  EXPECT_EQ("TitleSubtitle", Texts(Sequence("<a href=x>Title<b>Subtitle</b></a>")));
}

TEST(TextSequence, LinkWithoutHrefOrClassIsAnInlineElement) {
  const NodeSequence nodes = Sequence("<p><a name=\"top\">one <b>two</b></a> three</p>");
  EXPECT_EQ("one | two | three", Texts(nodes));
}

TEST(TextSequence, EmptyLinksAndBlankRunsGiveNoNode) {
  EXPECT_EQ("a | b", Texts(Sequence("<p>a</p><a href=\"/\"> <img src=x> </a><p> \n </p><p>b</p>")));
  const Options digits{false, true, false};
  EXPECT_EQ("Price:", Texts(Sequence("<p><a href=/x>2026</a></p><p>Price: 10</p>", digits)));
}

TEST(TextSequence, OptionsActOnNodeTexts) {
  const Options all{true, true, true};
  EXPECT_EQ("price eur | caf\xC3\xA9",
            Texts(Sequence("<p>PRICE: 12,50 EUR</p><p>CAF\xC3\x89</p>", all)));
}

TEST(TextSequence, PagesWithoutTextAndJunk) {
  EXPECT_EQ("", Texts(Sequence("")));
  EXPECT_EQ("", Texts(Sequence("<html><head><title>t</title></head><body></body></html>")));
  EXPECT_EQ("plain text", Texts(Sequence("plain text")));
  std::string junk;
  for (int k = 0; k < 5000; ++k) junk += static_cast<char>((k * 7919 + 13) % 256);
  const NodeSequence nodes = Sequence(junk);
  ExpectPiecesInPage(nodes, junk);
}

TEST(TextSequence, DeepNestingNeedsNoStack) {
  std::string page;
  for (int k = 0; k < 100000; ++k) page += k % 2 ? "<span>" : "<div>";
  page += "deep";
  EXPECT_EQ("deep", Texts(Sequence(page)));
  std::string links;
  for (int k = 0; k < 20000; ++k) links += "<a href=x><i>";
  links += "inner";
  EXPECT_EQ("inner", Texts(Sequence(links)));
}

TEST(TextSequence, AppendsToTheGivenSequence) {
  TextSequenceExtractor extractor(false, false, false);
  NodeSequence nodes;
  LVTFile::MemoryBuffer first(std::string("<p>one</p>"));
  LVTFile::MemoryBuffer second(std::string("<p>two</p>"));
  extractor.GetTextSequence(first, LVTCharset::kUtf8, nodes);
  extractor.GetTextSequence(second, LVTCharset::kUtf8, nodes);
  EXPECT_EQ("one | two", Texts(nodes));
}

TEST(TextSequence, RealPagesKeepPiecesInOrder) {
  for (const char* name : {"news-article/new.html", "table-rows/old.html", "list-items/new.html"}) {
    const std::string page =
        lvt_testing::ReadFile(lvt_testing::DataPath(std::string("changes/") + name));
    const NodeSequence nodes = Sequence(page);
    EXPECT_GT(nodes.size(), 10u) << name;
    ExpectPiecesInPage(nodes, page);
  }
}

}  // namespace
