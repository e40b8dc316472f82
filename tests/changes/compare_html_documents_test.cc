#include "lumivant/compare_html_documents.h"

#include <gtest/gtest.h>

#include <string>

#include "changes/report_format.h"
#include "fuzz/changes_case.h"
#include "testing/test_util.h"

namespace {

using lvt_fuzz::ChangeReport;

const std::string kHeader = LVTDT::kReportHeader;
const std::string kOpen = std::string(LVTDT::kChangeOpen) + LVTDT::kDefaultHighlightStart;
const std::string kClose = std::string(LVTDT::kDefaultHighlightEnd) + LVTDT::kChangeClose;

std::string Marked(const std::string& piece) { return kOpen + piece + kClose; }
std::string Page(const std::string& body) { return "<html><body>" + body + "</body></html>"; }

ChangeReport Compare(const LVTDT::CompareHtmlDocuments& comparer, const std::string& oldPage,
                     const std::string& newPage, LVTCharset::CHARSET oldCharset = 65001,
                     LVTCharset::CHARSET newCharset = 65001) {
  return lvt_fuzz::RunComparison(comparer, oldPage, oldCharset, newPage, newCharset);
}

ChangeReport Compare(const std::string& oldPage, const std::string& newPage) {
  return Compare(LVTDT::CompareHtmlDocuments(), oldPage, newPage);
}

// The marked pieces of a report, in order, separated by " | ".
std::string MarkedPieces(const std::string& report) {
  std::string out;
  for (std::size_t at = report.find(kOpen); at != std::string::npos;
       at = report.find(kOpen, at + 1)) {
    const std::size_t start = at + kOpen.size();
    out += (out.empty() ? "" : " | ") + report.substr(start, report.find(kClose, start) - start);
  }
  return out;
}

TEST(DetectChanges, EqualPagesGiveTheHeaderAndTheNewPage) {
  const std::string page = Page("<p>One two.</p><p>Three</p>");
  // Markup may differ: only texts are compared.
  const ChangeReport r = Compare(Page("<div>One two.</div><p><b>Three</b></p>"), page);
  EXPECT_EQ(kHeader + page, r.page);
  EXPECT_EQ(0u, r.changes);
  EXPECT_EQ(0u, r.changedWords);
  EXPECT_EQ(0.0, r.ratio);
}

TEST(DetectChanges, AddedAndRemovedText) {
  const std::string newPage = Page("<p>Kept text</p><p>New one</p><p>And two</p>");
  ChangeReport r = Compare(Page("<p>Kept text</p>"), newPage);
  EXPECT_EQ(kHeader + Page("<p>Kept text</p><p><a name=\"Change1\"></a>" + Marked("New one") +
                           "</p><p>" + Marked("And two") + "</p>"),
            r.page);
  EXPECT_EQ(1u, r.changes);
  EXPECT_EQ(4u, r.changedWords);
  EXPECT_DOUBLE_EQ(4.0 / 6.0, r.ratio);
  // An old page without text: all of the new page is one group.
  r = Compare("", newPage);
  EXPECT_EQ("Kept text | New one | And two", MarkedPieces(r.page));
  EXPECT_EQ(1.0, r.ratio);
  // Text removed from the end is only counted.
  r = Compare(newPage, Page("<p>Kept text</p>"));
  EXPECT_EQ(kHeader + Page("<p>Kept text</p>"), r.page);
  EXPECT_EQ(0u, r.changes);
  EXPECT_EQ(4u, r.changedWords);
  EXPECT_EQ(0.0, r.ratio);
  // A new page without text: the page as it is, and the ratio as it was.
  r = Compare(newPage, "<p> </p>");
  EXPECT_EQ(kHeader + "<p> </p>", r.page);
  EXPECT_EQ(6u, r.changedWords);
  EXPECT_EQ(-1.0, r.ratio);
}

TEST(DetectChanges, GroupsAreSplitByUnchangedNodesOnly) {
  const struct {
    std::string oldPage, newPage;
    unsigned changes, changedWords;
    const char* pieces;
  } rows[] = {
      // A substituted node counts only its new words.
      {Page("<p>X one</p><p>Y has four words</p><p>Z</p>"),
       Page("<p>X one</p><p>Q two</p><p>Z</p>"), 1, 2, "Q two"},
      // Swapped neighbours are one group.
      {Page("<p>start</p><p>first</p><p>second</p><p>end</p>"),
       Page("<p>start</p><p>second</p><p>first</p><p>end</p>"), 1, 2, "second | first"},
      // b and d changed, c kept: two groups.
      {Page("<p>a</p><p>b</p><p>c</p><p>d</p><p>e</p>"),
       Page("<p>a</p><p>B2</p><p>c</p><p>D2</p><p>e</p>"), 2, 2, "B2 | D2"},
      // "alpha one" into "delta", "beta" into "epsilon", "gamma ray burst"
      // removed, "delta" into "alpha one": a removal between changes does
      // not split their group.
      {Page("<p>start</p><p>alpha one</p><p>beta</p><p>gamma ray burst</p><p>delta</p><p>end</p>"),
       Page("<p>start</p><p>delta</p><p>epsilon</p><p>alpha one</p><p>end</p>"), 1, 7,
       "delta | epsilon | alpha one"},
      // Three old nodes for two new ones tie many ways; the substitution
      // earliest in the table wins at every cell, so the first old node is
      // removed and "gone now" is taken as changed into B2.
      {Page("<p>a</p><p>b</p><p>gone now</p><p>d</p><p>e</p>"),
       Page("<p>a</p><p>B2</p><p>D2</p><p>e</p>"), 1, 3, "B2 | D2"},
  };
  for (const auto& row : rows) {
    const ChangeReport r = Compare(row.oldPage, row.newPage);
    EXPECT_EQ(row.changes, r.changes) << row.pieces;
    EXPECT_EQ(row.changedWords, r.changedWords) << row.pieces;
    EXPECT_EQ(row.pieces, MarkedPieces(r.page));
    EXPECT_EQ("", lvt_fuzz::ReportFault(r, row.newPage, true, lvt_fuzz::kHighlightChoices[0]));
  }
}

TEST(DetectChanges, WordLevelMarksTheNewWordsOfAChangedText) {
  const std::string ferry = "The harbour ferry will run every ten minutes on weekdays.";
  const struct {
    std::string oldBody, newBody;
    unsigned changes, changedWords;
    std::string pieces;
  } rows[] = {
      {"<p>" + ferry + "</p>",
       "<p>The harbour ferry will run every fifteen minutes on weekdays.</p>", 1, 1, "fifteen"},
      // Two new words for one removed, a word removed without a new one.
      {"<p>The ferry runs daily at noon from the pier</p>",
       "<p>The ferry runs at noon and dusk from the pier</p>", 1, 3, "and dusk"},
      {"<p>" + ferry + "</p><p>kept</p>",
       "<p>The harbour ferry will run every minutes.</p><p>kept</p>", 0, 3, ""},
      // A word across inline markup, piece by piece; a reference stays whole.
      {"<p><a href=\"/p\">the old pri<b>ce</b> list for the caf&eacute; today</a></p>",
       "<p><a href=\"/p\">the old pro<b>duce</b> list for the caf&eacute;s today</a></p>", 1, 2,
       "pro | duce | caf&eacute;s"},
      // More changed than kept: the whole text.
      {"<p>one two three</p>", "<p>four five three</p>", 1, 3, "four five three"},
      {"<p>" + ferry + "</p><p>x</p>", "<p>An added text</p><p>" + ferry + "</p><p>y z</p>", 2, 5,
       "An added text | y z"},
  };
  LVTDT::CompareHtmlDocuments comparer;
  comparer.WordLevel(true);
  for (const auto& row : rows) {
    const ChangeReport r = Compare(comparer, Page(row.oldBody), Page(row.newBody));
    EXPECT_EQ(row.changes, r.changes) << row.newBody;
    EXPECT_EQ(row.changedWords, r.changedWords) << row.newBody;
    EXPECT_EQ(row.pieces, MarkedPieces(r.page));
    // The report is the page, and given back as the old page equals it.
    EXPECT_EQ("", lvt_fuzz::RunCase(
                      lvt_fuzz::ChangesCase,
                      std::string("\x40\0\0", 3) + Page(row.oldBody) + "|||" + Page(row.newBody)));
  }
  EXPECT_EQ(kHeader + Page("<p><a name=\"Change1\"></a>The harbour ferry will run every " +
                           Marked("fifteen") + " minutes on weekdays.</p>"),
            Compare(comparer, Page("<p>" + ferry + "</p>"),
                    Page("<p>The harbour ferry will run every fifteen minutes on weekdays.</p>"))
                .page);
  comparer.IgnoreCase(true);
  EXPECT_EQ("soon", MarkedPieces(Compare(comparer, Page("<p>The ferry runs DAILY now</p>"),
                                         Page("<p>the ferry runs daily soon</p>"))
                                     .page));
}

TEST(DetectChanges, LinkNodeIsMarkedPieceByPieceAfterOneAnchor) {
  const ChangeReport r =
      Compare(Page("<p>Read <a href=\"/plan\">the old plan</a> today</p>"),
              Page("<p>Read <a href=\"/plan\">the <b>new</b> plan</a> today</p>"));
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
  EXPECT_EQ("PRICE: 12 eur | Hello world", MarkedPieces(Compare(comparer, oldPage, newPage).page));
  comparer.IgnoreDigits(true);
  EXPECT_EQ("Hello world", MarkedPieces(Compare(comparer, oldPage, newPage).page));
  comparer.IgnoreNonAlphaNum(true);
  EXPECT_EQ(0u, Compare(comparer, oldPage, newPage).changedWords);
  // Each option alone.
  LVTDT::CompareHtmlDocuments digits, punctuation;
  digits.IgnoreDigits(true);
  punctuation.IgnoreNonAlphaNum(true);
  EXPECT_EQ(0u, Compare(digits, Page("<p>Price: 10</p>"), Page("<p>Price: 12</p>")).changes);
  EXPECT_EQ(0u, Compare(punctuation, Page("<p>a-b</p>"), Page("<p>a, b!</p>")).changes);
}

TEST(DetectChanges, StoredReportComparesEqualToItsPage) {
  const std::string oldPage =
      lvt_testing::ReadFile(lvt_testing::DataPath("changes/news-article/old.html"));
  const std::string newPage =
      lvt_testing::ReadFile(lvt_testing::DataPath("changes/news-article/new.html"));
  LVTDT::CompareHtmlDocuments comparer;
  const ChangeReport first = Compare(comparer, oldPage, newPage);
  ASSERT_GT(first.changes, 0u);
  ChangeReport again = Compare(comparer, first.page, newPage);
  EXPECT_EQ(0u, again.changedWords);
  EXPECT_EQ(kHeader + newPage, again.page);
  comparer.AddEncodingHeader(false);
  const ChangeReport bare = Compare(comparer, oldPage, newPage);
  EXPECT_EQ(0u, Compare(comparer, bare.page, newPage).changedWords);
  // A report given back as the new page: its markers are cleared.
  again = Compare(comparer, newPage, bare.page);
  EXPECT_EQ(0u, again.changedWords);
  EXPECT_EQ(bare.page.size(), again.page.size());
  EXPECT_EQ(std::string::npos, again.page.find(LVTDT::kChangeOpen));
}

TEST(DetectChanges, BadPagesGiveAReportAndCounts) {
  std::string junk;
  for (int k = 0; k < 20000; ++k) junk += static_cast<char>((k * 2654435761u) >> 13);
  const std::string cases[] = {"",
                               " ",
                               "<",
                               std::string(3, '\0'),
                               "<html><head><title>x</title></head></html>",
                               "<p>text",
                               "<!-- <p>x</p>",
                               junk,
                               junk.substr(5000) + "<p>tail</p>"};
  const LVTDT::CompareHtmlDocuments comparer;
  for (const std::string& oldPage : cases) {
    for (const std::string& newPage : cases) {
      const ChangeReport r = Compare(comparer, oldPage, newPage);
      EXPECT_EQ("", lvt_fuzz::ReportFault(r, lvt_fuzz::ExpectedCopy(newPage, 65001), true,
                                          lvt_fuzz::kHighlightChoices[0]));
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
