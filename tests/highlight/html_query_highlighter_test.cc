#include "lumivant/html_query_highlighter.h"

#include <gtest/gtest.h>

#include <antlr/NoViableAltException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>
#include <string>

#include "foundation/base/memory_buffer.h"
#include "foundation/language/language.h"
#include "highlight_testing.h"
#include "testing/test_util.h"

namespace {

using lvt_highlight_testing::Count;
using lvt_highlight_testing::DefaultStart;
using lvt_highlight_testing::Highlight;
using lvt_highlight_testing::Highlighted;
using lvt_highlight_testing::Hit;
using lvt_highlight_testing::HitIn;
using lvt_highlight_testing::kHeader;
using lvt_highlight_testing::StripHighlights;
using lvt_highlight_testing::VisibleText;
using lvt_testing::DataPath;
using lvt_testing::ReadFile;
using lvt_testing::U16;
using LVTDT::HtmlQueryHighlighter;

std::string Article() { return ReadFile(DataPath("highlight/article.html")); }

TEST(HtmlQueryHighlighterTest, WritesHeaderMarkersColourAndAnchor) {
  const std::string page = "<html><body><p>The price rose.</p></body></html>";
  Highlighted h = Highlight("prices", page);
  EXPECT_TRUE(h.match);
  EXPECT_EQ(1u, h.anchors);
  EXPECT_EQ(0u, h.page.find(kHeader));
  EXPECT_NE(std::string::npos,
            h.page.find("<p><a name=\"Query1\"></a>The " + HitIn(0, "price") + " rose."))
      << h.page;
  // Only the text node is rewritten; the markup after it is the page's own.
  EXPECT_NE(std::string::npos, h.page.find("</p></body></html>"));
}

TEST(HtmlQueryHighlighterTest, ConstructorPreparesQueryAndConvertsColours) {
  HtmlQueryHighlighter defaults(u"Prices");
  EXPECT_EQ(u"price", defaults.PreparedQuery());
  ASSERT_EQ(10u, defaults.ColourTagsUtf8().size());
  EXPECT_EQ(DefaultStart(0), defaults.ColourTagsUtf8()[0].first);
  EXPECT_EQ(DefaultStart(9), defaults.ColourTagsUtf8()[9].first);
  EXPECT_EQ("</B>", defaults.ColourTagsUtf8()[9].second);

  const HtmlQueryHighlighter::ColourTags none;
  EXPECT_EQ(10u, HtmlQueryHighlighter(u"x", nullptr, &none).ColourTagsUtf8().size());

  const HtmlQueryHighlighter::ColourTags tags = {{u"<mark title=\"caf\u00e9\">", u"</mark>"}};
  HtmlQueryHighlighter custom(u"x", nullptr, &tags);
  ASSERT_EQ(1u, custom.ColourTagsUtf8().size());
  EXPECT_EQ("<mark title=\"caf\xC3\xA9\">", custom.ColourTagsUtf8()[0].first);
}

TEST(HtmlQueryHighlighterTest, ColoursCycleThroughCallerListAndDefaults) {
  const std::string page = "<p>alpha one</p><p>beta two</p><p>gamma three</p>";
  Highlighted defaults = Highlight("alpha beta gamma", page);
  EXPECT_TRUE(defaults.match);
  EXPECT_EQ(3u, defaults.anchors);
  EXPECT_NE(std::string::npos, defaults.page.find(HitIn(0, "alpha")));
  EXPECT_NE(std::string::npos, defaults.page.find(HitIn(1, "beta")));
  EXPECT_NE(std::string::npos, defaults.page.find(HitIn(2, "gamma")));

  const HtmlQueryHighlighter::ColourTags two = {{u"<i class=a>", u"</i>"},
                                                {u"<i class=b>", u"</i>"}};
  Highlighted custom = Highlight(HtmlQueryHighlighter(u"alpha beta gamma", nullptr, &two), page);
  EXPECT_NE(std::string::npos, custom.page.find(Hit("alpha", "<i class=a>", "</i>")));
  EXPECT_NE(std::string::npos, custom.page.find(Hit("beta", "<i class=b>", "</i>")));
  EXPECT_NE(std::string::npos, custom.page.find(Hit("gamma", "<i class=a>", "</i>")));
  EXPECT_EQ(0u, Count(custom.page, "<B style"));

  // Eleven terms: the eleventh takes the first default colour again. Filler
  // words keep the hits apart, so that each is a group of its own.
  const char* const words[] = {"apple", "banana", "cherry", "damson",  "elder", "fig",
                               "grape", "hazel",  "iris",   "juniper", "kiwi"};
  std::string query, fruit;
  for (const char* w : words) {
    query += std::string(query.empty() ? "" : " or ") + w;
    fruit += std::string("<li>") + w + " tree</li>\n";
  }
  Highlighted eleven = Highlight(query, "<ul>\n" + fruit + "</ul>");
  EXPECT_EQ(11u, eleven.anchors);
  for (std::size_t i = 0; i < 11; ++i)
    EXPECT_NE(std::string::npos, eleven.page.find(HitIn(i % 10, words[i]))) << words[i];
}

TEST(HtmlQueryHighlighterTest, NeighbouringTermsShareOneAnchorInTheirOwnColours) {
  Highlighted h = Highlight("price drop", "<p>Another fuel price drop today.</p>");
  EXPECT_EQ(1u, h.anchors);
  EXPECT_NE(std::string::npos, h.page.find("<a name=\"Query1\"></a>Another fuel " +
                                           HitIn(0, "price") + " " + HitIn(1, "drop") + " today."))
      << h.page;
}

TEST(HtmlQueryHighlighterTest, AnchorsPerTextNodeAndPerLink) {
  Highlighted sameNode = Highlight("price", "<p>price up, price down</p>");
  EXPECT_EQ(1u, sameNode.anchors);
  EXPECT_EQ(2u, Count(sameNode.page, HitIn(0, "price")));
  EXPECT_NE(std::string::npos, sameNode.page.find("<p><a name=\"Query1\"></a>" + HitIn(0, "price") +
                                                  " up, " + HitIn(0, "price") + " down"));

  Highlighted twoNodes = Highlight("price", "<p>price up</p><p>price down</p>");
  EXPECT_EQ(2u, twoNodes.anchors);
  const std::size_t second = twoNodes.page.find("<p><a name=\"Query2\"></a>" + HitIn(0, "price"));
  ASSERT_NE(std::string::npos, second);
  EXPECT_LT(twoNodes.page.find("<a name=\"Query1\"></a>"), second);

  // Hits in two text nodes of one link: one anchor, before the link element.
  Highlighted link =
      Highlight("price", "<p>See <a href=\"/p\">price <i>list</i> and more price</a> now</p>");
  EXPECT_EQ(1u, link.anchors);
  EXPECT_NE(std::string::npos,
            link.page.find("See <a name=\"Query1\"></a><a href=\"/p\">" + HitIn(0, "price")))
      << link.page;
  EXPECT_NE(std::string::npos, link.page.find(" and more " + HitIn(0, "price") + "</a>"));

  // A link with a class but no href counts too; one with neither does not.
  Highlighted classed = Highlight("price", "<p><a class=c>a <b>b</b> price</a></p>");
  EXPECT_NE(std::string::npos, classed.page.find("<p><a name=\"Query1\"></a><a class=c>"));
  Highlighted plain = Highlight("price", "<p><a id=c>a <b>b</b> price</a></p>");
  EXPECT_NE(std::string::npos, plain.page.find("</b><a name=\"Query1\"></a> " + HitIn(0, "price")))
      << plain.page;
}

TEST(HtmlQueryHighlighterTest, AnchorCountOnReturnIsTheLastAnchorsNumber) {
  const std::string article = Article();
  for (const char* query : {"price", "fuel or diesel", "zebra", "drop near:3 price"}) {
    Highlighted h = Highlight(query, article);
    EXPECT_EQ(Count(h.page, "<a name=\"Query"), h.anchors) << query;
    if (h.anchors > 0) {
      EXPECT_NE(std::string::npos,
                h.page.find("<a name=\"Query" + std::to_string(h.anchors) + "\"></a>"));
      EXPECT_EQ(std::string::npos,
                h.page.find("<a name=\"Query" + std::to_string(h.anchors + 1) + "\"></a>"));
    }
  }
  EXPECT_EQ(0u, Highlight("zebra", article).anchors);
}

TEST(HtmlQueryHighlighterTest, WordSplitByInlineMarkupIsWrappedPieceByPiece) {
  const std::string page = "<p>Drivers in Green<b>land</b> Street</p>";
  Highlighted one = Highlight("greenland", page);
  EXPECT_EQ(1u, one.anchors);
  EXPECT_NE(std::string::npos, one.page.find("Drivers in " + HitIn(0, "Green") + "<b>" +
                                             HitIn(0, "land") + "</b> Street"))
      << one.page;
  // Both pieces take the colour of the word's term.
  Highlighted second = Highlight("drivers or greenland", page);
  EXPECT_NE(std::string::npos,
            second.page.find(HitIn(1, "Green") + "<b>" + HitIn(1, "land") + "</b>"));
}

TEST(HtmlQueryHighlighterTest, WholeNodeHitKeepsSeparatorBlanks) {
  // One blank closes the cell's content, one more stands before the next cell.
  Highlighted h = Highlight("diesel", "<table><tr><td>Diesel</td><td>1.58</td></tr></table>");
  EXPECT_NE(std::string::npos, h.page.find("<td><a name=\"Query1\"></a>" + HitIn(0, "Diesel") +
                                           "  </td><td>1.58</td>"))
      << h.page;
}

TEST(HtmlQueryHighlighterTest, HighlightedInputSearchesOnlyMarkedRegions) {
  const std::string report = ReadFile(DataPath("highlight/change-report.html"));
  Highlighted h = Highlight("price drop", report, LVTCharset::kUtf8, true);
  EXPECT_TRUE(h.match);
  EXPECT_EQ(std::string::npos, h.page.find(kHeader));
  EXPECT_EQ(0u, h.page.find("<!-- Lumivant Generated File -->")) << "no header of our own";
  EXPECT_GE(h.anchors, 2u);
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
  EXPECT_NE(std::string::npos, h.page.find("a drop is due next month."));

  // Read as an ordinary page, the same words are found everywhere.
  Highlighted whole = Highlight("price drop", report);
  EXPECT_EQ(0u, whole.page.find(kHeader));
  EXPECT_NE(std::string::npos, whole.page.find("Last week the " + HitIn(0, "price")));
  EXPECT_GT(whole.anchors, h.anchors);
}

TEST(HtmlQueryHighlighterTest, OtherCharsetsAreWrittenInUtf8) {
  const std::string page = ReadFile(DataPath("highlight/menu-1252.html"));
  Highlighted h = Highlight("creme", page, LVTCharset::kWindows1252);
  EXPECT_TRUE(h.match);
  EXPECT_EQ(2u, h.anchors);
  EXPECT_EQ(0u, h.page.find(kHeader));
  EXPECT_NE(std::string::npos, h.page.find(HitIn(0, "Cr\xC3\xA8me") + " br\xC3\xBBl\xC3\xA9"
                                                                      "e"));
  EXPECT_NE(std::string::npos, h.page.find(HitIn(0, "cr\xC3\xA8me") + " caramel"));
  EXPECT_NE(std::string::npos, h.page.find("Caf\xC3\xA9 du Port"));  // copied stretch
  EXPECT_NE(std::string::npos, h.page.find("\xE2\x82\xAC 4,50"));    // rewritten node
  EXPECT_EQ(h.page, lvt_testing::U8(U16(h.page))) << "valid UTF-8 throughout";

  // A UTF-16 page's byte-order mark is not copied behind the header.
  std::string wide;
  for (char16_t c :
       u"\xFEFF<p>Cr\xE8me br\xFBl\xE9"
       u"e</p>")
    if (c != 0) wide += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  h = Highlight("creme", wide, LVTCharset::kUtf16LE);
  EXPECT_EQ(0u, h.page.find(std::string(kHeader) + "<p><a name=\"Query1\"></a>" +
                            HitIn(0, "Cr\xC3\xA8me") + " br\xC3\xBBl\xC3\xA9"));
}

TEST(HtmlQueryHighlighterTest, EmptyPageWritesNothing) {
  HtmlQueryHighlighter highlighter(u"price");
  LVTFile::MemoryBuffer empty;
  LVTFile::MemoryBuffer out(std::string("earlier output"));
  uint32_t anchors = 42;
  EXPECT_FALSE(highlighter.HighlightHtml(empty, LVTCharset::kUtf8, out, anchors));
  EXPECT_EQ(42u, anchors);
  EXPECT_EQ("earlier output", out.Bytes());

  // A page without text is still copied.
  Highlighted bare = Highlight("price", "<html></html>");
  EXPECT_FALSE(bare.match);
  EXPECT_EQ(0u, bare.anchors);
  EXPECT_EQ(std::string(kHeader) + "<html></html>", bare.page);
}

TEST(HtmlQueryHighlighterTest, UnmatchedAndNegatedQueriesCopyThePage) {
  const std::string article = Article();
  Highlighted negated = Highlight("not zebra", article);
  EXPECT_TRUE(negated.match) << "a match with no groups";
  EXPECT_EQ(0u, negated.anchors);
  EXPECT_EQ(kHeader + article, negated.page);

  Highlighted missing = Highlight("zebra", article);
  EXPECT_FALSE(missing.match);
  EXPECT_EQ(0u, missing.anchors);
  EXPECT_EQ(kHeader + article, missing.page);

  // Negated terms are numbered but never highlighted.
  Highlighted mixed = Highlight("diesel and not zebra", article);
  EXPECT_TRUE(mixed.match);
  EXPECT_EQ(0u, Count(mixed.page, DefaultStart(1)));
  EXPECT_GT(Count(mixed.page, HitIn(0, "Diesel")), 0u);
}

TEST(HtmlQueryHighlighterTest, BadQueriesLeaveTheOutputUntouched) {
  const std::string article = Article();
  struct Case {
    const char* query;
    bool lexer;
  };
  for (const Case& c :
       {Case{"price and ", false}, Case{"price +drop", false}, Case{"price | drop", true}}) {
    HtmlQueryHighlighter highlighter(U16(c.query));
    LVTFile::MemoryBuffer page(article);
    LVTFile::MemoryBuffer out(std::string("earlier output"));
    uint32_t anchors = 42;
    if (c.lexer) {
      EXPECT_THROW(highlighter.HighlightHtml(page, LVTCharset::kUtf8, out, anchors),
                   antlr::TokenStreamRecognitionException)
          << c.query;
    } else {
      EXPECT_THROW(highlighter.HighlightHtml(page, LVTCharset::kUtf8, out, anchors),
                   antlr::NoViableAltException)
          << c.query;
    }
    EXPECT_EQ(0u, anchors) << c.query;
    EXPECT_EQ("earlier output", out.Bytes()) << c.query;
  }
}

TEST(HtmlQueryHighlighterTest, EscapedMarkupInTextStaysInert) {
  const std::string article = Article();
  HtmlQueryHighlighter highlighter(u"script alert img");
  Highlighted h = Highlight(highlighter, article);
  EXPECT_TRUE(h.match);
  EXPECT_EQ(Count(article, "<script"), Count(h.page, "<script"));
  EXPECT_EQ(0u, Count(h.page, "<img"));
  EXPECT_NE(std::string::npos,
            h.page.find("paste &lt;" + HitIn(0, "script") + " src=\"/widgets/fuel.js\"&gt;"))
      << h.page;
  EXPECT_NE(std::string::npos, h.page.find("&lt;" + HitIn(2, "img") + " src=x onerror=" +
                                           HitIn(1, "alert") + "(1)&gt; tricks &amp; never"));
  EXPECT_EQ(VisibleText(article, LVTCharset::kUtf8),
            VisibleText(StripHighlights(h.page, highlighter), LVTCharset::kUtf8));

  // Bare, a page that is nothing but escaped markup.
  const std::string bare = "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;";
  Highlighted b = Highlight("alert", bare);
  EXPECT_EQ(0u, Count(b.page, "<script"));
  EXPECT_NE(std::string::npos, b.page.find("&lt;script&gt;" + HitIn(0, "alert")));
}

TEST(HtmlQueryHighlighterTest, OutputShowsTheSameTextOnceHighlightsAreStripped) {
  const std::string article = Article();
  const std::string menu = ReadFile(DataPath("highlight/menu-1252.html"));
  for (const char* query : {"price", "fuel prices drop", "\"price drop\"", "greenland or research",
                            "petrol near:5 diesel", "week", "the"}) {
    HtmlQueryHighlighter highlighter(U16(query));
    Highlighted h = Highlight(highlighter, article);
    const std::string stripped = StripHighlights(h.page, highlighter);
    EXPECT_EQ(VisibleText(article, LVTCharset::kUtf8), VisibleText(stripped, LVTCharset::kUtf8))
        << query;
    EXPECT_LE(Count(stripped, "<"), Count(article, "<")) << query;

    Highlighted m = Highlight(highlighter, menu, LVTCharset::kWindows1252);
    EXPECT_EQ(VisibleText(menu, LVTCharset::kWindows1252),
              VisibleText(StripHighlights(m.page, highlighter), LVTCharset::kUtf8))
        << query;
  }
}

TEST(HtmlQueryHighlighterTest, HighlightedPageCanBeHighlightedAgain) {
  HtmlQueryHighlighter highlighter(u"greenland or price");
  Highlighted first = Highlight(highlighter, Article());
  Highlighted again = Highlight(highlighter, first.page);
  EXPECT_TRUE(again.match);
  EXPECT_EQ(first.anchors, again.anchors) << "markers and colour tags do not split words";
  // One highlighter serves any number of pages alike.
  EXPECT_EQ(first.page, Highlight(highlighter, Article()).page);
}

TEST(HtmlQueryHighlighterTest, CallerLanguageIsUsed) {
  const LVTLanguage::Language none(LVTLanguage::Language::kNone);
  HtmlQueryHighlighter exact(u"prices", &none);
  EXPECT_EQ(u"prices", exact.PreparedQuery());
  Highlighted h = Highlight(exact, "<p>One price, two prices.</p>");
  EXPECT_EQ(1u, Count(h.page, "<LumivantQuery>"));
  EXPECT_NE(std::string::npos, h.page.find("two " + HitIn(0, "prices")));
}

}  // namespace
