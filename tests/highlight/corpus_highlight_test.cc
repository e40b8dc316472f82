// Real pages of the shared corpus, in their own character sets: highlighting
// words each page holds must keep the text a browser shows, add no markup
// beyond ours, and anchor every hit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "highlight_testing.h"
#include "lumivant/html_query_highlighter.h"
#include "testing/test_util.h"

namespace {

using lvt_highlight_testing::AnyOf;
using lvt_highlight_testing::Count;
using lvt_highlight_testing::Highlight;
using lvt_highlight_testing::Highlighted;
using lvt_highlight_testing::StripHighlights;
using lvt_highlight_testing::ToUtf8;
using lvt_highlight_testing::VisibleText;
using lvt_highlight_testing::WordsOfPage;
using LVTDT::HtmlQueryHighlighter;

std::vector<std::string> CorpusPages() {
  std::vector<std::string> pages;
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) return pages;
  for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages"))
    if (path.size() > 4 && path.find(".htm") != std::string::npos) pages.push_back(path);
  return pages;
}

TEST(CorpusHighlightTest, EveryPageKeepsItsTextAndGainsOnlyOurMarkup) {
  const std::vector<std::string> pages = CorpusPages();
  if (pages.empty()) GTEST_SKIP() << "no shared corpus";
  for (const std::string& path : pages) {
    const std::string bytes = lvt_testing::ReadFile(path);
    const LVTCharset::CHARSET charset = LVTCharset::DetectCharset(bytes);
    const std::string utf8 = ToUtf8(bytes, charset);
    const std::string query = AnyOf(WordsOfPage(utf8, 3, 2, 2));
    SCOPED_TRACE(path + " (" + std::to_string(charset) + "): " + query);
    ASSERT_FALSE(query.empty());

    HtmlQueryHighlighter highlighter(lvt_testing::U16(query));
    Highlighted h = Highlight(highlighter, bytes, charset);
    EXPECT_TRUE(h.match);
    EXPECT_GT(h.anchors, 0u);
    EXPECT_EQ(Count(h.page, "<a name=\"Query"), h.anchors);
    if (utf8 == lvt_testing::U8(lvt_testing::U16(utf8))) {
      EXPECT_EQ(h.page, lvt_testing::U8(lvt_testing::U16(h.page))) << "valid UTF-8";
    }

    const std::string stripped = StripHighlights(h.page, highlighter);
    EXPECT_LE(Count(stripped, "<"), Count(utf8, "<"));
    EXPECT_EQ(VisibleText(utf8, LVTCharset::kUtf8), VisibleText(stripped, LVTCharset::kUtf8));
  }
}

}  // namespace
