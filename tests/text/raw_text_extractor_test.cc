#include "lumivant/raw_text_extractor.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "foundation/charset/labels.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::U16;
using lvt_testing::U8;
using LVTDT::RawTextExtractor;
using LVTDT::RawTextList;

struct Row {
  std::string text;
  uint32_t start;
  uint32_t length;
  uint32_t anchor;
  bool excluded;
  bool operator==(const Row& o) const {
    return text == o.text && start == o.start && length == o.length && anchor == o.anchor &&
           excluded == o.excluded;
  }
};

std::ostream& operator<<(std::ostream& out, const Row& run) {
  return out << "{\"" << run.text << "\" " << run.start << "+" << run.length << " @" << run.anchor
             << (run.excluded ? " excluded}" : "}");
}

std::vector<Row> Rows(const RawTextList& runs) {
  std::vector<Row> rows;
  for (const auto& run : runs)
    rows.push_back(
        Row{U8(run->m_Text), run->m_Start, run->m_Length, run->m_AnchorPos, run->m_Excluded});
  return rows;
}

std::vector<Row> Extract(const std::string& page, bool highlighted = false,
                         LVTCharset::CHARSET charset = LVTCharset::kUtf8) {
  LVTFile::MemoryBuffer stream(page);
  RawTextList runs;
  if (highlighted)
    RawTextExtractor::GetRawTextFromHighlightedHtml(stream, charset, runs);
  else
    RawTextExtractor::GetRawTextFromHtml(stream, charset, runs);
  return Rows(runs);
}

std::vector<std::string> TextsOf(const std::vector<Row>& rows) {
  std::vector<std::string> texts;
  for (const Row& row : rows) texts.push_back(row.text);
  return texts;
}

uint32_t At(const std::string& page, const std::string& what) {
  return static_cast<uint32_t>(page.find(what));
}

TEST(RawTextExtractorTest, BlocksSeparateWordsAndInlineElementsDoNot) {
  const std::string page = "<body>a<div>b</div>c</body>";
  EXPECT_EQ((std::vector<Row>{{"a ", At(page, "a<"), 1, At(page, "a<"), false},
                              {"b ", At(page, "b<"), 1, At(page, "b<"), false},
                              {"c   ", At(page, "c<"), 1, At(page, "c<"), false}}),
            Extract(page));
  EXPECT_EQ((std::vector<std::string>{"su", "per", "man   "}),
            TextsOf(Extract("<body>su<b>per</b><span>man</span></body>")));
  // A line break and an image separate; the text around them gets blanks.
  EXPECT_EQ((std::vector<std::string>{"one  ", "two  ", "three   "}),
            TextsOf(Extract("<body>one<br>two<img src=x>three</body>")));
  // White space is collapsed but never trimmed, so runs keep word breaks;
  // the page's closing elements (body, html, the page itself) add blanks.
  EXPECT_EQ((std::vector<std::string>{"two\nwords ", " here   "}),
            TextsOf(Extract("<body>two \n\t words <i> here</i></body>")));
}

TEST(RawTextExtractorTest, LinksWithHrefOrClassAnchorTheirRuns) {
  const std::string page =
      "<body>x<a href='/p'>in <b>link</b></a>after<a class=c>classed</a>"
      "<a name=n>plain</a><a href=o>outer <a>inner</a></a></body>";
  std::vector<Row> rows = Extract(page);
  const uint32_t link = At(page, "<a href='/p'");
  ASSERT_EQ(8u, rows.size());
  EXPECT_EQ((Row{"x", At(page, "x<"), 1, At(page, "x<"), false}), rows[0]);
  EXPECT_EQ((Row{"in ", At(page, "in "), 3, link, false}), rows[1]);
  EXPECT_EQ((Row{"link", At(page, "link"), 4, link, false}), rows[2]);
  EXPECT_EQ((Row{"after", At(page, "after"), 5, At(page, "after"), false}), rows[3]);
  EXPECT_EQ(At(page, "<a class"), rows[4].anchor);
  EXPECT_EQ("plain", rows[5].text);
  EXPECT_EQ(At(page, "plain"), rows[5].anchor);  // no href, no class: inline only
  EXPECT_EQ(At(page, "<a href=o"), rows[6].anchor);
  // A nested <a> closes the outer link; its text anchors at its own start.
  EXPECT_EQ("inner   ", rows[7].text);
  EXPECT_EQ(At(page, "inner"), rows[7].anchor);
  // An id-31 element without href or class inside a qualifying link keeps
  // the outer anchor (markers and spans nest where <a> cannot).
  const std::string nested = "<body><a href=x>one <span>two</span></a></body>";
  std::vector<Row> inside = Extract(nested);
  ASSERT_EQ(2u, inside.size());
  EXPECT_EQ(At(nested, "<a"), inside[1].anchor);
}

TEST(RawTextExtractorTest, HighlightedInputIndexesOnlyMarkedRegions) {
  const std::string page =
      "<body><p>before</p><LumivantChanges>marked <a href=x>link</a> "
      "<div>deep</div></LumivantChanges><p>after</p></body>";
  std::vector<Row> rows = Extract(page, true);
  std::vector<std::pair<std::string, bool>> flags;
  for (const Row& row : rows) flags.push_back({row.text, row.excluded});
  EXPECT_EQ((std::vector<std::pair<std::string, bool>>{{"before ", true},
                                                       {"marked ", false},
                                                       {"link", false},
                                                       {"  ", false},
                                                       {"deep  ", false},
                                                       {"after    ", true}}),
            flags);
  // Without the highlighted flag nothing is excluded and the marker is inline.
  for (const Row& row : Extract(page)) EXPECT_FALSE(row.excluded) << row;
  EXPECT_EQ(TextsOf(rows), TextsOf(Extract(page)));
}

TEST(RawTextExtractorTest, PlainTextAndRepeatedCallsAppend) {
  RawTextList runs;
  RawTextExtractor::GetRawTextFromText(u"", runs);
  RawTextExtractor::GetRawTextFromText(u"a  b", runs);
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(u"", runs[0]->m_Text);
  EXPECT_EQ(0u, runs[0]->m_Length);
  EXPECT_EQ(u"a  b", runs[1]->m_Text);  // not normalised
  EXPECT_EQ(4u, runs[1]->m_Length);
  EXPECT_EQ(0u, runs[1]->m_Start);
  EXPECT_EQ(0u, runs[1]->m_AnchorPos);
  EXPECT_FALSE(runs[1]->m_Excluded);

  LVTFile::MemoryBuffer first(std::string("<p>one</p>"));
  LVTFile::MemoryBuffer second(std::string("<p>two</p>"));
  RawTextExtractor::GetRawTextFromHtml(first, LVTCharset::kUtf8, runs);
  RawTextExtractor::GetRawTextFromHtml(second, LVTCharset::kUtf8, runs);
  ASSERT_EQ(4u, runs.size());
  EXPECT_EQ(u"one        ", runs[2]->m_Text);  // p, body, html, page, twice
  EXPECT_EQ(u"two    ", runs[3]->m_Text);

  // A page with no text adds nothing; a separator never creates a run.
  RawTextList none;
  LVTFile::MemoryBuffer empty(
      std::string("<!DOCTYPE html><html><head><title>t</title></head><body><br></body></html>"));
  RawTextExtractor::GetRawTextFromHtml(empty, LVTCharset::kUtf8, none);
  EXPECT_TRUE(none.empty());
}

TEST(RawTextExtractorTest, OffsetsAreBytesOfTheGivenCharset) {
  const std::string page = "<p>caf\xe9 <b>cr\xe8me</b></p>";
  std::vector<Row> rows = Extract(page, false, 1252);
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ((Row{"caf\xC3\xA9 ", 3, 5, 3, false}), rows[0]);
  EXPECT_EQ((Row{"cr\xC3\xA8me    ", 11, 5, 11, false}), rows[1]);
}

TEST(RawTextExtractorTest, LiteralLessThanSignsStayText) {
  // A '<' that opens no markup is text, also "</" where the page ends.
  const std::string page = "<p>a < b, x<3</p>ab</";
  std::vector<Row> rows = Extract(page);
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ((Row{"a < b, x<3 ", 3, 10, 3, false}), rows[0]);
  EXPECT_EQ((Row{"ab</   ", At(page, "ab</"), 4, At(page, "ab</"), false}), rows[1]);
}

TEST(RawTextExtractorTest, InlineKeywordsAreExactlyTheSeventeen) {
  std::vector<int> inline_ids;
  std::vector<std::thread> threads;
  std::vector<int> counts(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &counts] {
      for (int id = 0; id < 256; ++id)
        counts[t] += RawTextExtractor::IsInlineKeyword(static_cast<uint8_t>(id)) ? 1 : 0;
    });
  for (std::thread& thread : threads) thread.join();
  for (int count : counts) EXPECT_EQ(17, count);
  for (int id = 0; id < 256; ++id)
    if (RawTextExtractor::IsInlineKeyword(static_cast<uint8_t>(id))) inline_ids.push_back(id);
  EXPECT_EQ((std::vector<int>{6, 7, 10, 13, 19, 25, 29, 30, 31, 32, 34, 36, 38, 51, 52, 69, 70}),
            inline_ids);
}

TEST(RawTextExtractorTest, DeepPagesKeepTheirWordBreaks) {
  std::string page;
  for (int i = 0; i < 200000; ++i) page += "<div>w";
  std::vector<Row> rows = Extract(page);
  ASSERT_EQ(200000u, rows.size());
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
    ASSERT_EQ('w', rows[i].text[0]);
    ASSERT_EQ(' ', rows[i].text.back()) << "run " << i << " would join the next word";
  }
}

TEST(RawTextExtractorTest, TablesTakeBackManyFosteredTextsInPageOrder) {
  // The parser moves text that stands between cells, or after a table's
  // start tag, out before its table; every piece goes back where the page
  // has it, however many there are.
  const std::size_t kCount = 20000;
  std::string cells = "<body><table><tr>";
  std::string tables = "<body>";
  std::vector<uint32_t> cellStarts, tableStarts;
  for (std::size_t i = 0; i < kCount; ++i) {
    cells += "<td>";
    cellStarts.push_back(static_cast<uint32_t>(cells.size()));
    cells += "c" + std::to_string(i) + "</td>";
    cellStarts.push_back(static_cast<uint32_t>(cells.size()));
    cells += "f" + std::to_string(i);
    tables += "<table>";
    tableStarts.push_back(static_cast<uint32_t>(tables.size()));
    tables += "t" + std::to_string(i);
  }
  std::vector<Row> cellRows = Extract(cells);
  std::vector<Row> tableRows = Extract(tables);
  ASSERT_EQ(2 * kCount, cellRows.size());
  ASSERT_EQ(kCount, tableRows.size());
  for (std::size_t i = 0; i < kCount; ++i) {
    ASSERT_EQ(cellStarts[2 * i], cellRows[2 * i].start);
    ASSERT_EQ(cellStarts[2 * i + 1], cellRows[2 * i + 1].start);
    ASSERT_EQ(tableStarts[i], tableRows[i].start);
  }
}

TEST(RawTextExtractorTest, CorpusRunsLieInsideTheirPagesInOrder) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages")) {
    if (path.find(".htm") == std::string::npos) continue;
    const std::string page = lvt_testing::ReadFile(path);
    std::vector<Row> rows = Extract(page, false, LVTCharset::DetectCharset(page));
    EXPECT_GT(rows.size(), 10u) << path;
    uint32_t lastEnd = 0;
    for (const Row& row : rows) {
      ASSERT_GE(row.start, lastEnd) << path << " " << row;
      ASSERT_LE(row.start + row.length, page.size()) << path;
      ASSERT_LE(row.anchor, row.start) << path;
      lastEnd = row.start + row.length;
    }
  }
}

}  // namespace
