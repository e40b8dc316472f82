// Real pages of the shared corpus, in their own character sets: highlighting
// words each page holds must keep the page's elements and text, add only our
// markup, anchor every hit, and write valid UTF-8 for a valid page.
#include <gtest/gtest.h>

#include <string>

#include "foundation/charset/labels.h"
#include "fuzz/highlight_case.h"
#include "fuzz/utf8_reference.h"
#include "highlight_testing.h"
#include "lumivant/html_query_highlighter.h"
#include "testing/test_util.h"

namespace {

TEST(CorpusHighlightTest, EveryPageKeepsItsTextAndGainsOnlyOurMarkup) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no shared corpus";
  std::size_t pages = 0;
  for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages")) {
    if (path.find(".htm") == std::string::npos) continue;
    const std::string bytes = lvt_testing::ReadFile(path);
    const LVTCharset::CHARSET charset = LVTCharset::DetectCharset(bytes);
    const std::string utf8 = lvt_fuzz::Transcode(charset, LVTCharset::kUtf8, bytes).bytes;
    const std::string query =
        lvt_highlight_testing::AnyOf(lvt_highlight_testing::WordsOfPage(utf8, 3, 2, 2));
    SCOPED_TRACE(path + " (" + std::to_string(charset) + "): " + query);
    ASSERT_FALSE(query.empty());
    const LVTDT::HtmlQueryHighlighter highlighter(lvt_testing::U16(query));
    const lvt_fuzz::Highlighted h = lvt_fuzz::RunHighlighter(highlighter, bytes, charset, false);
    EXPECT_TRUE(h.match);
    EXPECT_GT(h.anchors, 0u);
    EXPECT_EQ("", lvt_fuzz::OutputFault(h, utf8, highlighter, false));
    EXPECT_TRUE(!lvt_fuzz::IsValidUtf8(utf8) || lvt_fuzz::IsValidUtf8(h.page));
    ++pages;
  }
  EXPECT_GE(pages, 10u);
}

}  // namespace
