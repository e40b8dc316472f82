#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/html/limiters/nesting_limiter.h"
#include "foundation/html_test_support.h"
#include "lumivant/html_keyword_table.h"
#include "testing/test_util.h"

namespace {

using LVTParser::kMaxNestingDepth;
using LVTParser::LimitNesting;
using LVTParser::NestingReport;

NestingReport Limit(std::string* page) {
  return LimitNesting(&(*page)[0], static_cast<uint32_t>(page->size()), lvt_html_testing::Table());
}

std::string Repeat(const std::string& unit, std::size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

TEST(HtmlNestingLimiterTest, LeavesOrdinaryPagesAlone) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  std::vector<std::string> pages = lvt_testing::ListFiles(corpus + "/pages");
  for (const std::string& pair : lvt_testing::ListDirs(corpus + "/pairs")) {
    pages.push_back(pair + "/old.html");
    pages.push_back(pair + "/new.html");
  }
  uint32_t deepest = 0;
  for (const std::string& path : pages) {
    if (path.find(".htm") == std::string::npos) continue;
    std::string page = lvt_testing::ReadFile(path);
    const std::string before = page;
    NestingReport report = Limit(&page);
    EXPECT_EQ(0u, report.rewrittenTags) << path;
    EXPECT_EQ(before, page) << path;
    deepest = std::max(deepest, report.maxDepth);
  }
  // Real pages stay far below the bound.
  EXPECT_LT(deepest, kMaxNestingDepth / 4);
}

TEST(HtmlNestingLimiterTest, RewritesOnlyTheTagsBeyondTheBoundKeepingEveryOffset) {
  std::string page = Repeat("<div class=\"a>b\">x", 600) + Repeat("<span>y", 600) +
                     Repeat("</span>", 600) + Repeat("</div>", 600) + "<p>after</p>";
  const std::string before = page;
  NestingReport report = Limit(&page);
  EXPECT_EQ(before.size(), page.size());
  EXPECT_EQ(kMaxNestingDepth, report.maxDepth);
  // Everything opened past the bound goes, and so do its end tags.
  const std::size_t beyond = 600 + 600 - (kMaxNestingDepth - 2);
  EXPECT_EQ(2 * beyond, report.rewrittenTags);
  // Blocks become line breaks (they still separate words), inline elements
  // empty comments; text never changes.
  EXPECT_NE(std::string::npos, page.find("<br             >x"));
  EXPECT_NE(std::string::npos, page.find("<!xxx>y"));
  EXPECT_NE(std::string::npos, page.find("<!xxxx><!xxxx>"));
  EXPECT_NE(std::string::npos, page.find("</div><p>after</p>"));
  for (std::size_t i = 0; i < page.size(); ++i)
    if (before[i] == 'x' || before[i] == 'y') {
      ASSERT_EQ(before[i], page[i]) << i;
    }

  // The rewritten page closes every real element before "after".
  LVTParser::HtmlDocTree tree;
  lvt_html_testing::Parse(before, LVTCharset::kUtf8, &tree);
  std::vector<lvt_html_testing::TextNode> texts = lvt_html_testing::TextNodes(tree);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ("after", texts.back().text);
  EXPECT_EQ(8, texts.back().parentId);
  EXPECT_LE(lvt_html_testing::TreeDepth(tree), kMaxNestingDepth + 4);
}

TEST(HtmlNestingLimiterTest, BoundsFormattingElementsReopenedInEveryParagraph) {
  // Unclosed formatting elements with distinct attributes are re-opened in
  // each new paragraph: unbounded, the tree grows with the square of these.
  std::string page;
  for (int i = 0; i < 20000; ++i) page += "<p><b id=" + std::to_string(i) + ">x";
  LVTParser::HtmlDocTree tree;
  lvt_html_testing::Parse(page, LVTCharset::kUtf8, &tree);
  EXPECT_LT(tree.NodeCount(), 20u * 20000u);
  EXPECT_EQ(20000u, lvt_html_testing::TextNodes(tree).size());
  lvt_html_testing::ExpectFaithfulTextSpans(page, LVTCharset::kUtf8, tree, "reopened");

  // A few unclosed ones at the top, then many paragraphs.
  std::string top = "<p>";
  for (int i = 0; i < 40; ++i) top += "<font size=" + std::to_string(i) + ">";
  top += Repeat("<p>y", 50000);
  LVTParser::HtmlDocTree clones;
  lvt_html_testing::Parse(top, LVTCharset::kUtf8, &clones);
  EXPECT_LT(clones.NodeCount(), 20u * 50000u);
  EXPECT_EQ(50000u, lvt_html_testing::TextNodes(clones).size());
}

}  // namespace
