#include "lumivant/html_query_highlighter.h"

#include <gtest/gtest.h>

#include <string>

#include "fuzz/highlight_case.h"
#include "highlight_testing.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

using lvt_fuzz::Highlighted;
using lvt_highlight_testing::Count;
using lvt_highlight_testing::HitIn;
using lvt_testing::DataPath;
using lvt_testing::ReadFile;
using LVTDT::HtmlQueryHighlighter;

const std::string kHeader(lvt_fuzz::kHighlightHeader);

Highlighted Highlight(const HtmlQueryHighlighter& highlighter, const std::string& page,
                      LVTCharset::CHARSET charset = LVTCharset::kUtf8, bool changesOnly = false) {
  return lvt_fuzz::RunHighlighter(highlighter, page, charset, changesOnly);
}

Highlighted Highlight(const std::string& query, const std::string& page,
                      LVTCharset::CHARSET charset = LVTCharset::kUtf8, bool changesOnly = false) {
  return Highlight(HtmlQueryHighlighter(lvt_testing::U16(query)), page, charset, changesOnly);
}

std::string Article() { return ReadFile(DataPath("highlight/article.html")); }

TEST(HtmlQueryHighlighterTest, WritesHeaderMarkersColourAndAnchor) {
  const Highlighted h = Highlight("prices", "<html><body><p>The price rose.</p></body></html>");
  EXPECT_TRUE(h.match);
  EXPECT_EQ(1u, h.anchors);
  EXPECT_EQ(0u, h.page.find(kHeader + "<html><body><p><a name=\"Query1\"></a>The " +
                            HitIn(0, "price") + " rose."));
  // Only the text node is rewritten; the markup after it is the page's own.
  EXPECT_NE(std::string::npos, h.page.find("</p></body></html>"));
  EXPECT_EQ(u"price", HtmlQueryHighlighter(u"Prices").PreparedQuery());
}

TEST(HtmlQueryHighlighterTest, ColoursCycleThroughCallerListAndDefaults) {
  const std::string page = "<p>alpha one</p><p>beta two</p><p>gamma three</p>";
  const Highlighted defaults = Highlight("alpha beta gamma", page);
  EXPECT_EQ(3u, defaults.anchors);
  EXPECT_NE(std::string::npos, defaults.page.find(HitIn(2, "gamma")));
  // An empty list means the defaults; a caller's list cycles.
  const HtmlQueryHighlighter::ColourTags none;
  EXPECT_EQ(defaults.page,
            Highlight(HtmlQueryHighlighter(u"alpha beta gamma", nullptr, &none), page).page);
  const HtmlQueryHighlighter::ColourTags two = {{u"<i class=\u00e9>", u"</i>"},
                                                {u"<i class=b>", u"</i>"}};
  const Highlighted custom =
      Highlight(HtmlQueryHighlighter(u"alpha beta gamma", nullptr, &two), page);
  EXPECT_NE(std::string::npos,
            custom.page.find("<LumivantQuery><i class=\xC3\xA9>alpha</i></LumivantQuery>"));
  EXPECT_NE(std::string::npos, custom.page.find("<LumivantQuery><i class=b>beta</i>"));
  EXPECT_NE(std::string::npos, custom.page.find("<LumivantQuery><i class=\xC3\xA9>gamma</i>"));
  // Eleven terms: the eleventh takes the first default colour again. Filler
  // words keep the hits apart, so that each is a group of its own.
  const char* const words[] = {"apple", "banana", "cherry", "damson",  "elder", "fig",
                               "grape", "hazel",  "iris",   "juniper", "kiwi"};
  std::string query, fruit;
  for (const char* w : words) {
    query += std::string(query.empty() ? "" : " or ") + w;
    fruit += std::string("<li>") + w + " tree</li>\n";
  }
  const Highlighted eleven = Highlight(query, "<ul>\n" + fruit + "</ul>");
  EXPECT_EQ(11u, eleven.anchors);
  for (std::size_t i = 0; i < 11; ++i)
    EXPECT_NE(std::string::npos, eleven.page.find(HitIn(i % 10, words[i]))) << words[i];
}

TEST(HtmlQueryHighlighterTest, AnchorsPerGroupTextNodeAndLink) {
  const struct {
    const char* query;
    const char* page;
    unsigned anchors;
    std::string expected;  // a stretch of the output
  } rows[] = {
      // Neighbouring terms are one group, each in its own colour.
      {"price drop", "<p>Another fuel price drop today.</p>", 1,
       "<a name=\"Query1\"></a>Another fuel " + HitIn(0, "price") + " " + HitIn(1, "drop")},
      {"price", "<p>price up, price down</p>", 1,
       "<p><a name=\"Query1\"></a>" + HitIn(0, "price") + " up, " + HitIn(0, "price") + " down"},
      {"price", "<p>price up</p><p>price down</p>", 2,
       "</p><p><a name=\"Query2\"></a>" + HitIn(0, "price") + " down"},
      // Hits in two text nodes of one link: one anchor, before the link.
      {"price", "<p>See <a href=\"/p\">price <i>list</i> and more price</a> now</p>", 1,
       "See <a name=\"Query1\"></a><a href=\"/p\">" + HitIn(0, "price") + " <i>list</i> and more " +
           HitIn(0, "price") + "</a>"},
      // A link with a class but no href counts too. One with neither is
      // inline for the text, but its anchor goes before it as well: written
      // inside, a browser would close the page's link at the anchor.
      {"price", "<p><a class=c>a <b>b</b> price</a></p>", 1,
       "<p><a name=\"Query1\"></a><a class=c>"},
      {"price", "<p><a id=c>a <b>b</b> price</a></p>", 1,
       "<p><a name=\"Query1\"></a><a id=c>a <b>b</b> " + HitIn(0, "price")},
      // A word split by inline markup is wrapped piece by piece, in its
      // term's colour.
      {"drivers or greenland", "<p>Drivers in Green<b>land</b> Street</p>", 1,
       HitIn(1, "Green") + "<b>" + HitIn(1, "land") + "</b> Street"},
      // In text moved out of a table, a hit takes the white space around it:
      // white space alone between our tags would stay in the table.
      {"omega", "<table>omega  </g>x1  ", 1, HitIn(0, "omega ") + "</g>x1"},
      // A whole-node hit keeps the blanks that close the cell.
      {"diesel", "<table><tr><td>Diesel</td><td>1.58</td></tr></table>", 1,
       "<td><a name=\"Query1\"></a>" + HitIn(0, "Diesel") + "  </td><td>1.58</td>"},
  };
  for (const auto& row : rows) {
    const Highlighted h = Highlight(row.query, row.page);
    EXPECT_EQ(row.anchors, h.anchors) << row.page;
    EXPECT_NE(std::string::npos, h.page.find(row.expected)) << h.page;
    EXPECT_EQ("", lvt_fuzz::OutputFault(h, row.page,
                                        HtmlQueryHighlighter(lvt_testing::U16(row.query)), false));
  }
}

// Stripped of what the highlighter adds, the output is the page: the same
// elements and text, anchors Query1..QueryN; a page without hits is copied.
TEST(HtmlQueryHighlighterTest, OutputIsThePageWithHighlightsOnly) {
  const std::string article = Article();
  const std::string menu = ReadFile(DataPath("highlight/menu-1252.html"));
  const std::string menuUtf8 = lvt_fuzz::Transcode(1252, LVTCharset::kUtf8, menu).bytes;
  for (const char* query :
       {"price", "fuel prices drop", "\"price drop\"", "greenland or research",
        "petrol near:5 diesel", "the", "zebra", "not zebra", "script alert img", "creme"}) {
    const HtmlQueryHighlighter highlighter(lvt_testing::U16(query));
    const Highlighted h = Highlight(highlighter, article);
    EXPECT_EQ("", lvt_fuzz::OutputFault(h, article, highlighter, false)) << query;
    const Highlighted m = Highlight(highlighter, menu, LVTCharset::kWindows1252);
    EXPECT_EQ("", lvt_fuzz::OutputFault(m, menuUtf8, highlighter, false)) << query;
  }
  // Highlighting the output again finds the same: markers and colour tags
  // do not split words (these hits are each alone in their text node).
  const Highlighted first = Highlight("greenland or price", article);
  EXPECT_EQ(first.anchors, Highlight("greenland or price", first.page).anchors);
  // Negated terms are numbered but never highlighted; a match may have no
  // groups.
  const Highlighted negated = Highlight("not zebra", article);
  EXPECT_TRUE(negated.match);
  EXPECT_EQ(kHeader + article, negated.page);
  EXPECT_FALSE(Highlight("zebra", article).match);
  const Highlighted mixed = Highlight("diesel and not zebra", article);
  EXPECT_EQ(0u, Count(mixed.page, "#A0FFFF"));
  EXPECT_GT(Count(mixed.page, HitIn(0, "Diesel")), 0u);
}

// A page's byte-order mark, UTF-16 or UTF-8, is not copied behind the header.
TEST(HtmlQueryHighlighterTest, ByteOrderMarkStaysOutOfTheBody) {
  std::string wide;
  for (char16_t c : std::u16string(u"\xFEFF<p>Cr\xE8me br\xFBl\xE9"
                                   u"e</p>"))
    wide += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  const std::string expected =
      kHeader + "<p><a name=\"Query1\"></a>" + HitIn(0, "Cr\xC3\xA8me") + " br\xC3\xBBl\xC3\xA9";
  EXPECT_EQ(0u, Highlight("creme", wide, LVTCharset::kUtf16LE).page.find(expected));
  const std::string utf8 =
      "\xEF\xBB\xBF<p>Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
      "e</p>";
  EXPECT_EQ(0u, Highlight("creme", utf8).page.find(expected));
}

TEST(HtmlQueryHighlighterTest, HighlightedInputSearchesOnlyMarkedRegions) {
  const std::string report = ReadFile(DataPath("highlight/change-report.html"));
  const Highlighted h = Highlight("price drop", report, LVTCharset::kUtf8, true);
  EXPECT_TRUE(h.match);
  EXPECT_EQ(0u, h.page.find("<!-- Lumivant Generated File -->")) << "no header of our own";
  EXPECT_EQ("", lvt_fuzz::OutputFault(h, report, HtmlQueryHighlighter(u"price drop"), true));
  // Every hit lies inside a marked region.
  std::size_t hits = 0;
  for (std::size_t at = h.page.find("<LumivantQuery>"); at != std::string::npos;
       at = h.page.find("<LumivantQuery>", at + 1), ++hits) {
    const std::size_t open = h.page.rfind("<LumivantChanges>", at);
    const std::size_t close = h.page.rfind("</LumivantChanges>", at);
    ASSERT_NE(std::string::npos, open) << at;
    EXPECT_TRUE(close == std::string::npos || close < open) << at;
  }
  EXPECT_GE(hits, 4u);
  EXPECT_NE(std::string::npos,
            h.page.find("Last week the price of petrol rose slightly, and no drop was expected."));
  // Read as an ordinary page, the same words are found everywhere.
  const Highlighted whole = Highlight("price drop", report);
  EXPECT_NE(std::string::npos, whole.page.find("Last week the " + HitIn(0, "price")));
  EXPECT_GT(whole.anchors, h.anchors);
}

TEST(HtmlQueryHighlighterTest, EmptyPagesAndBadQueriesLeaveTheOutputUntouched) {
  LVTFile::MemoryBuffer empty;
  LVTFile::MemoryBuffer out(std::string("earlier output"));
  uint32_t anchors = 42;
  EXPECT_FALSE(
      HtmlQueryHighlighter(u"price").HighlightHtml(empty, LVTCharset::kUtf8, out, anchors));
  EXPECT_EQ(42u, anchors);
  EXPECT_EQ("earlier output", out.Bytes());
  // A page without text is still copied.
  EXPECT_EQ(kHeader + "<html></html>", Highlight("price", "<html></html>").page);
  for (const char* query : {"price and ", "price +drop", "price | drop"}) {
    const Highlighted h = Highlight(query, Article());
    EXPECT_EQ(std::string(query).find('|') != std::string::npos ? "TokenStreamRecognition"
                                                                : "NoViableAlt",
              h.outcome.kind)
        << query;
    EXPECT_EQ("", lvt_fuzz::RejectionFault(h, lvt_testing::U16(query))) << query;
  }
}

}  // namespace
