#include "lumivant/raw_text_extractor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

using LVTDT::RawTextExtractor;
using LVTDT::RawTextList;

RawTextList Runs(const std::string& page, bool highlighted = false,
                 LVTCharset::CHARSET charset = LVTCharset::kUtf8) {
  LVTFile::MemoryBuffer stream(page);
  RawTextList runs;
  if (highlighted)
    RawTextExtractor::GetRawTextFromHighlightedHtml(stream, charset, runs);
  else
    RawTextExtractor::GetRawTextFromHtml(stream, charset, runs);
  return runs;
}

// Each run as "text|start+length@anchor", " excluded" appended when it is.
std::vector<std::string> Rows(const RawTextList& runs) {
  std::vector<std::string> rows;
  for (const auto& run : runs)
    rows.push_back(lvt_testing::U8(run->m_Text) + "|" + std::to_string(run->m_Start) + "+" +
                   std::to_string(run->m_Length) + "@" + std::to_string(run->m_AnchorPos) +
                   (run->m_Excluded ? " excluded" : ""));
  return rows;
}

std::vector<std::string> Texts(const RawTextList& runs) {
  std::vector<std::string> texts;
  for (const auto& run : runs) texts.push_back(lvt_testing::U8(run->m_Text));
  return texts;
}

using Lines = std::vector<std::string>;

TEST(RawTextExtractorTest, RunsOfPages) {
  // Blocks separate words and get a blank; inline elements do not.
  EXPECT_EQ((Lines{"a |6+1@6", "b |12+1@12", "c   |19+1@19"}),
            Rows(Runs("<body>a<div>b</div>c</body>")));
  EXPECT_EQ((Lines{"su", "per", "man   "}),
            Texts(Runs("<body>su<b>per</b><span>man</span></body>")));
  // A line break and an image separate too.
  EXPECT_EQ((Lines{"one  ", "two  ", "three   "}),
            Texts(Runs("<body>one<br>two<img src=x>three</body>")));
  // White space is collapsed but never trimmed, so runs keep word breaks.
  EXPECT_EQ((Lines{"two\nwords ", " here   "}),
            Texts(Runs("<body>two \n\t words <i> here</i></body>")));
  // Offsets are bytes of the page's own charset.
  EXPECT_EQ((Lines{"caf\xC3\xA9 |3+5@3", "cr\xC3\xA8me    |11+5@11"}),
            Rows(Runs("<p>caf\xe9 <b>cr\xe8me</b></p>", false, 1252)));
  // A '<' that opens no markup is text, also "</" where the page ends.
  EXPECT_EQ((Lines{"a < b, x<3 |3+10@3", "ab</   |17+4@17"}), Rows(Runs("<p>a < b, x<3</p>ab</")));
  // A page without text, and separators alone, give no run.
  EXPECT_EQ(Lines{}, Rows(Runs("<!DOCTYPE html><html><head><title>t</title></head><body><br>")));
}

TEST(RawTextExtractorTest, LinksWithHrefOrClassAnchorTheirRuns) {
  const std::string page =
      "<body>x<a href='/p'>in <b>link</b></a>after<a class=c>classed</a>"
      "<a name=n>plain</a><a href=o>outer <a>inner</a></a>"
      "<a href=s>one <span>two</span></a></body>";
  auto at = [&](const char* what) { return std::to_string(page.find(what)); };
  const Lines rows = Rows(Runs(page));
  ASSERT_EQ(10u, rows.size());
  EXPECT_EQ("in |" + at("in ") + "+3@" + at("<a href='/p'"), rows[1]);
  EXPECT_EQ("link|" + at("link") + "+4@" + at("<a href='/p'"), rows[2]);
  EXPECT_EQ("after|" + at("after") + "+5@" + at("after"), rows[3]);
  EXPECT_EQ("classed|" + at("classed") + "+7@" + at("<a class"), rows[4]);
  // No href, no class: inline for the text, but an anchor inside the open
  // link would close it in a browser, so it goes before the start tag.
  EXPECT_EQ("plain|" + at("plain") + "+5@" + at("<a name=n"), rows[5]);
  // A nested <a> closes the outer link; its text anchors before it.
  EXPECT_EQ("inner|" + at("inner") + "+5@" + at("<a>inner"), rows[7]);
  // Other inline elements inside a link keep the link's anchor.
  EXPECT_EQ("two   |" + at("two") + "+3@" + at("<a href=s"), rows[9]);
}

TEST(RawTextExtractorTest, HighlightedInputIndexesOnlyMarkedRegions) {
  const std::string page =
      "<body><p>before</p><LumivantChanges>marked <a href=x>link</a> "
      "<div>deep</div></LumivantChanges><p>after</p></body>";
  std::vector<std::string> flags;
  for (const auto& run : Runs(page, true))
    flags.push_back(lvt_testing::U8(run->m_Text) + (run->m_Excluded ? "!" : ""));
  EXPECT_EQ((Lines{"before !", "marked ", "link", "  ", "deep  ", "after    !"}), flags);
  // Read as an ordinary page, nothing is excluded and the marker is inline.
  for (const auto& run : Runs(page)) EXPECT_FALSE(run->m_Excluded);
  EXPECT_EQ(Texts(Runs(page, true)), Texts(Runs(page)));
}

TEST(RawTextExtractorTest, PlainTextAndRepeatedCallsAppend) {
  RawTextList runs;
  RawTextExtractor::GetRawTextFromText(u"", runs);
  RawTextExtractor::GetRawTextFromText(u"a  b", runs);
  EXPECT_EQ((Lines{"|0+0@0", "a  b|0+4@0"}), Rows(runs));  // plain text is not normalised
  LVTFile::MemoryBuffer first(std::string("<p>one</p>")), second(std::string("<p>two</p>"));
  RawTextExtractor::GetRawTextFromHtml(first, LVTCharset::kUtf8, runs);
  RawTextExtractor::GetRawTextFromHtml(second, LVTCharset::kUtf8, runs);
  // p, body, html and the page each add a blank.
  const Lines rows = Rows(runs);
  EXPECT_EQ((Lines{"one        |3+3@3", "two    |3+3@3"}), Lines(rows.begin() + 2, rows.end()));
}

TEST(RawTextExtractorTest, DeepPagesKeepTheirWordBreaks) {
  std::string page;
  for (int i = 0; i < 200000; ++i) page += "<div>w";
  const RawTextList runs = Runs(page);
  ASSERT_EQ(200000u, runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i)
    ASSERT_EQ(u"w ", runs[i]->m_Text.substr(0, 2)) << "run " << i << " would join the next word";
}

}  // namespace
