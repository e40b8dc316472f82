#include "lumivant/compare_html_documents.h"

#include <gtest/gtest.h>

#include <string>

#include "changes/report_format.h"
#include "changes/report_testing.h"
#include "testing/test_util.h"

namespace {

using lvt_changes_testing::Compare;
using lvt_changes_testing::MarkedPieces;
using lvt_changes_testing::Report;
using lvt_changes_testing::StripReport;

const std::string kHeader = LVTDT::kReportHeader;
const std::string kOpen = std::string(LVTDT::kChangeOpen) + LVTDT::kDefaultHighlightStart;
const std::string kClose = std::string(LVTDT::kDefaultHighlightEnd) + LVTDT::kChangeClose;

std::string Marked(const std::string& piece) { return kOpen + piece + kClose; }

std::string Page(const std::string& body) { return "<html><body>" + body + "</body></html>"; }

TEST(DetectChanges, EqualPagesGiveTheHeaderAndTheNewPage) {
  const std::string page = Page("<p>One two.</p><p>Three</p>");
  // Markup may differ: only texts are compared.
  const Report r = Compare(Page("<div>One two.</div><p><b>Three</b></p>"), page);
  EXPECT_EQ(kHeader + page, r.page);
  EXPECT_EQ(0u, r.changes);
  EXPECT_EQ(0u, r.changedWords);
  EXPECT_EQ(0.0, r.ratio);
}

TEST(DetectChanges, AppendedTextIsOneGroup) {
  const std::string newPage = Page("<p>Kept text</p><p>New one</p><p>And two</p>");
  const Report r = Compare(Page("<p>Kept text</p>"), newPage);
  EXPECT_EQ(kHeader + Page("<p>Kept text</p><p><a name=\"Change1\"></a>" + Marked("New one") +
                           "</p><p>" + Marked("And two") + "</p>"),
            r.page);
  EXPECT_EQ(1u, r.changes);
  EXPECT_EQ(4u, r.changedWords);
  EXPECT_DOUBLE_EQ(4.0 / 6.0, r.ratio);
  // An old page without text: all of the new page is one group.
  const Report fromNothing = Compare("", newPage);
  EXPECT_EQ(1u, fromNothing.changes);
  EXPECT_EQ("Kept text | New one | And two", MarkedPieces(fromNothing.page));
  EXPECT_EQ(1.0, fromNothing.ratio);
}

TEST(DetectChanges, TextRemovedFromTheEndIsOnlyCounted) {
  const std::string newPage = Page("<p>Kept text</p>");
  const Report r = Compare(Page("<p>Kept text</p><p>Gone, three words</p>"), newPage);
  EXPECT_EQ(kHeader + newPage, r.page);
  EXPECT_EQ(0u, r.changes);
  EXPECT_EQ(3u, r.changedWords);
  EXPECT_EQ(0.0, r.ratio);
  // A new page without text: the page as it is, and the ratio as it was.
  const Report empty = Compare(newPage, "<p> </p>");
  EXPECT_EQ(kHeader + "<p> </p>", empty.page);
  EXPECT_EQ(2u, empty.changedWords);
  EXPECT_EQ(-1.0, empty.ratio);
}

TEST(DetectChanges, SubstitutedNodeCountsOnlyItsNewWords) {
  const Report r = Compare(Page("<p>X one</p><p>Y has four words</p><p>Z</p>"),
                           Page("<p>X one</p><p>Q two</p><p>Z</p>"));
  EXPECT_EQ(
      kHeader + Page("<p>X one</p><p><a name=\"Change1\"></a>" + Marked("Q two") + "</p><p>Z</p>"),
      r.page);
  EXPECT_EQ(1u, r.changes);
  EXPECT_EQ(2u, r.changedWords);  // Y was substituted, not removed
  EXPECT_DOUBLE_EQ(2.0 / 5.0, r.ratio);
}

TEST(DetectChanges, SwappedNeighboursAreOneGroup) {
  const Report r = Compare(Page("<p>start</p><p>first</p><p>second</p><p>end</p>"),
                           Page("<p>start</p><p>second</p><p>first</p><p>end</p>"));
  EXPECT_EQ(1u, r.changes);
  EXPECT_EQ("second | first", MarkedPieces(r.page));
  EXPECT_EQ(2u, r.changedWords);
  EXPECT_NE(std::string::npos, r.page.find("<p><a name=\"Change1\"></a>" + Marked("second")));
}

TEST(DetectChanges, GroupsSplitByUnchangedNodesNotByRemovedOnes) {
  // b and d changed, c kept: two groups.
  Report r = Compare(Page("<p>a</p><p>b</p><p>c</p><p>d</p><p>e</p>"),
                     Page("<p>a</p><p>B2</p><p>c</p><p>D2</p><p>e</p>"));
  EXPECT_EQ(2u, r.changes);
  EXPECT_EQ(
      kHeader + Page("<p>a</p><p><a name=\"Change1\"></a>" + Marked("B2") +
                     "</p><p>c</p><p><a name=\"Change2\"></a>" + Marked("D2") + "</p><p>e</p>"),
      r.page);
  // The alignment changes "alpha one" into "delta" and "beta" into
  // "epsilon", removes "gamma ray burst" and changes "delta" into "alpha
  // one": the removal between changes does not split their group.
  r = Compare(Page("<p>start</p><p>alpha one</p><p>beta</p><p>gamma ray burst</p>"
                   "<p>delta</p><p>end</p>"),
              Page("<p>start</p><p>delta</p><p>epsilon</p><p>alpha one</p><p>end</p>"));
  EXPECT_EQ(1u, r.changes);
  EXPECT_EQ("delta | epsilon | alpha one", MarkedPieces(r.page));
  EXPECT_EQ(7u, r.changedWords);  // four changed, three removed
  StripReport(r);
  // Three old nodes for two new ones tie many ways; the substitution
  // earliest in the table wins at every cell, so the first old node is the
  // one removed and "gone now" is taken as changed into B2.
  r = Compare(Page("<p>a</p><p>b</p><p>gone now</p><p>d</p><p>e</p>"),
              Page("<p>a</p><p>B2</p><p>D2</p><p>e</p>"));
  EXPECT_EQ(1u, r.changes);
  EXPECT_EQ("B2 | D2", MarkedPieces(r.page));
  EXPECT_EQ(3u, r.changedWords);
}

TEST(DetectChanges, LinkNodeIsMarkedPieceByPieceAfterOneAnchor) {
  const std::string newPage = Page("<p>Read <a href=\"/plan\">the <b>new</b> plan</a> today</p>");
  const Report r = Compare(Page("<p>Read <a href=\"/plan\">the old plan</a> today</p>"), newPage);
  EXPECT_EQ(1u, r.changes);
  EXPECT_EQ(kHeader + Page("<p>Read <a name=\"Change1\"></a><a href=\"/plan\">" + Marked("the ") +
                           "<b>" + Marked("new") + "</b>" + Marked(" plan") + "</a> today</p>"),
            r.page);
  EXPECT_EQ(3u, r.changedWords);
}

TEST(DetectChanges, OptionsHideChangesOfCaseDigitsAndPunctuation) {
  const std::string oldPage = Page("<p>Price: 10 EUR</p><p>kept</p><p>Hello, world!</p>");
  const std::string newPage = Page("<p>PRICE: 12 eur</p><p>kept</p><p>Hello world</p>");
  LVTDT::CompareHtmlDocuments comparer;
  EXPECT_EQ(2u, Compare(comparer, oldPage, newPage).changes);
  comparer.IgnoreCase(true);
  Report r = Compare(comparer, oldPage, newPage);
  EXPECT_EQ("PRICE: 12 eur | Hello world", MarkedPieces(r.page));
  comparer.IgnoreDigits(true);
  EXPECT_EQ("Hello world", MarkedPieces(Compare(comparer, oldPage, newPage).page));
  comparer.IgnoreNonAlphaNum(true);
  r = Compare(comparer, oldPage, newPage);
  EXPECT_EQ(0u, r.changes);
  EXPECT_EQ(0u, r.changedWords);
  // Each option alone.
  LVTDT::CompareHtmlDocuments digitsOnly;
  digitsOnly.IgnoreDigits(true);
  EXPECT_EQ(0u, Compare(digitsOnly, Page("<p>Price: 10</p>"), Page("<p>Price: 12</p>")).changes);
  LVTDT::CompareHtmlDocuments punctuationOnly;
  punctuationOnly.IgnoreNonAlphaNum(true);
  EXPECT_EQ(0u, Compare(punctuationOnly, Page("<p>a-b</p>"), Page("<p>a, b!</p>")).changes);
}

TEST(DetectChanges, HeaderAndHighlightStrings) {
  LVTDT::CompareHtmlDocuments comparer;
  comparer.AddEncodingHeader(false);
  comparer.HighlightString(u"", u"");
  const std::string newPage = "<p>old</p><p>new \xE2\x82\xAC</p>";
  Report r = Compare(comparer, "<p>old</p>", newPage);
  EXPECT_EQ(
      "<p>old</p><p><a name=\"Change1\"></a><LumivantChanges>new \xE2\x82\xAC"
      "</LumivantChanges></p>",
      r.page);
  comparer.HighlightString(u"<mark class=\"\u00e9\">", u"</mark>");
  r = Compare(comparer, "<p>old</p>", newPage);
  EXPECT_EQ(
      "<p>old</p><p><a name=\"Change1\"></a><LumivantChanges><mark "
      "class=\"\xC3\xA9\">new "
      "\xE2\x82\xAC</mark></LumivantChanges></p>",
      r.page);
  // A copy keeps the configuration.
  const LVTDT::CompareHtmlDocuments copy = comparer;
  EXPECT_EQ(r.page, Compare(copy, "<p>old</p>", newPage).page);
}

TEST(DetectChanges, StoredReportComparesEqualToItsPage) {
  const std::string oldPage =
      lvt_testing::ReadFile(lvt_testing::DataPath("changes/news-article/old.html"));
  const std::string newPage =
      lvt_testing::ReadFile(lvt_testing::DataPath("changes/news-article/new.html"));
  LVTDT::CompareHtmlDocuments comparer;
  const Report first = Compare(comparer, oldPage, newPage);
  ASSERT_GT(first.changes, 0u);
  Report again = Compare(comparer, first.page, newPage);
  EXPECT_EQ(0u, again.changes);
  EXPECT_EQ(0u, again.changedWords);
  EXPECT_EQ(kHeader + newPage, again.page);
  comparer.AddEncodingHeader(false);
  const Report bare = Compare(comparer, oldPage, newPage);
  again = Compare(comparer, bare.page, newPage);
  EXPECT_EQ(0u, again.changedWords);
  // A report given back as the new page: its markers are cleared.
  again = Compare(comparer, newPage, bare.page);
  EXPECT_EQ(0u, again.changedWords);
  EXPECT_EQ(bare.page.size(), again.page.size());
  EXPECT_EQ(std::string::npos, again.page.find(LVTDT::kChangeOpen));
}

TEST(DetectChanges, OtherCharsetsComeOutInUtf8) {
  // "Café" and "Crème" in windows-1252.
  const std::string oldPage = "<p>Caf\xE9</p><p>Cr\xE8me</p>";
  const std::string newPage =
      "<p>Caf\xE9</p><p>Cr\xE8me br\xFBl\xE9"
      "e \x80</p>";
  const Report r = Compare(LVTDT::CompareHtmlDocuments(), oldPage, newPage, 1252, 1252);
  EXPECT_EQ(kHeader + "<p>Caf\xC3\xA9</p><p><a name=\"Change1\"></a>" +
                Marked("Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
                       "e \xE2\x82\xAC") +
                "</p>",
            r.page);
  // The same text in two charsets is the same text.
  const Report same = Compare(LVTDT::CompareHtmlDocuments(), newPage,
                              lvt_changes_testing::ToUtf8(newPage, 1252), 1252, 65001);
  EXPECT_EQ(0u, same.changedWords);

  // A UTF-16 page's byte-order mark is not copied behind the header, and
  // the markers still fall around the text; without a header it stays.
  const auto utf16 = [](const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
  };
  const std::string oldWide = utf16(u"\xFEFF<p>Caf\xE9</p><p>Old</p>");
  const std::string newWide = utf16(u"\xFEFF<p>Caf\xE9</p><p>Cr\xE8me</p>");
  const std::string marked =
      "<p>Caf\xC3\xA9</p><p><a name=\"Change1\"></a>" + Marked("Cr\xC3\xA8me") + "</p>";
  LVTDT::CompareHtmlDocuments comparer;
  EXPECT_EQ(kHeader + marked, Compare(comparer, oldWide, newWide, 1200, 1200).page);
  comparer.AddEncodingHeader(false);
  EXPECT_EQ("\xEF\xBB\xBF" + marked, Compare(comparer, oldWide, newWide, 1200, 1200).page);
}

TEST(DetectChanges, BadPagesGiveAReportAndCounts) {
  std::string junk;
  for (int k = 0; k < 20000; ++k) junk += static_cast<char>((k * 2654435761u) >> 13);
  const std::string cases[] = {"",
                               " ",
                               "<",
                               "\0\0\0",
                               "<html><head><title>x</title></head></html>",
                               "<p>text",
                               "<!-- <p>x</p>",
                               junk,
                               junk.substr(5000) + "<p>tail</p>"};
  for (const std::string& oldPage : cases) {
    for (const std::string& newPage : cases) {
      const Report r = Compare(oldPage, newPage);
      EXPECT_EQ(lvt_changes_testing::ToUtf8(newPage, 65001), StripReport(r));
      EXPECT_LE(r.changes, r.changedWords + 1);
    }
  }
}

TEST(DetectChanges, ReportGoesAfterWhatTheOutputHolds) {
  LVTFile::MemoryBuffer oldStream(std::string("<p>a</p>"));
  LVTFile::MemoryBuffer newStream(std::string("<p>b</p>"));
  LVTFile::MemoryBuffer out(std::string("KEEP"));
  out.SeekWrite(4);
  LVTDT::CompareHtmlDocuments comparer;
  comparer.AddEncodingHeader(false);
  comparer.DetectChanges(oldStream, 65001, newStream, 65001, out);
  EXPECT_EQ("KEEP<p><a name=\"Change1\"></a>" + Marked("b") + "</p>", out.Bytes());
  // The input streams are read from the start whatever their position.
  LVTFile::MemoryBuffer again;
  comparer.DetectChanges(oldStream, 65001, newStream, 65001, again);
  EXPECT_EQ(out.Bytes().substr(4), again.Bytes());
}

}  // namespace
