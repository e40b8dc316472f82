// Drives the shared library through its exported classes only, as a host
// program would: nothing here links the internal layers.
#include <gtest/gtest.h>

#include <string>

#include "lumivant/compare_html_documents.h"
#include "lumivant/create_simple_query.h"
#include "lumivant/html_query_highlighter.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/version.h"
#include "lumivant/word_occurences_extractor.h"
#include "testing/test_util.h"

namespace {

using LVTFile::MemoryBuffer;

TEST(SharedLibraryTest, ComparesTwoVersionsOfAPage) {
  MemoryBuffer oldPage(lvt_testing::ReadFile(lvt_testing::ExamplePath("news-v1.html")));
  MemoryBuffer newPage(lvt_testing::ReadFile(lvt_testing::ExamplePath("news-v2.html")));
  MemoryBuffer report;
  LVTDT::CompareHtmlDocuments comparer;
  unsigned changes = 0, words = 0;
  double ratio = 0;
  comparer.DetectChanges(oldPage, 65001, newPage, 65001, report, changes, words, ratio);
  EXPECT_GT(changes, 0u);
  EXPECT_GT(words, 0u);
  EXPECT_GT(ratio, 0.0);
  EXPECT_LT(ratio, 1.0);
  EXPECT_NE(std::string::npos, report.Bytes().find("<a name=\"Change1\"></a>"));
  EXPECT_EQ(0u, report.Bytes().find("<!-- Lumivant Generated File -->\n"));
  EXPECT_STREQ("0.1.0", LVTDT::LibraryVersion());
}

TEST(SharedLibraryTest, HighlightsAQueryAndFindsWords) {
  const std::string bytes = lvt_testing::ReadFile(lvt_testing::ExamplePath("news-v2.html"));
  MemoryBuffer page(bytes);
  MemoryBuffer out;
  uint32_t anchors = 0;
  LVTDT::HtmlQueryHighlighter highlighter(u"ferry near:8 weekdays");
  EXPECT_TRUE(highlighter.HighlightHtml(page, 65001, out, anchors, false));
  EXPECT_GE(anchors, 1u);
  EXPECT_NE(std::string::npos, out.Bytes().find("<a name=\"Query1\"></a>"));

  MemoryBuffer again(bytes);
  LVTDT::RawTextList runs;
  LVTDT::RawTextExtractor::GetRawTextFromHtml(again, 65001, runs);
  ASSERT_FALSE(runs.empty());
  auto map = LVT::MakeRefCount<LVTDT::WordOccurencesExtractor::OccurrenceMap>();
  LVTLanguage::Language english(LVTLanguage::Language::kEnglish);
  LVTDT::WordOccurencesExtractor::GetWordOccurences(runs, *map, english);
  EXPECT_EQ(1u, map->count(u"lobster"));

  auto evaluator = LVTDT::CreateSimpleQuery(u"lobster and not shark", map);
  ASSERT_FALSE(evaluator.IsEmpty());
  EXPECT_TRUE(evaluator->EvaluateNode());
  EXPECT_EQ(1u, evaluator->HighlightedWords().size());
}

}  // namespace
