#include "text/occurrence_release.h"

#include <gtest/gtest.h>

#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "testing/test_util.h"

namespace {

using LVTDT::WordOccurencesExtractor;

TEST(OccurrenceReleaseTest, EmptiesTheMapAndSparesRecordsHeldElsewhere) {
  LVTFile::MemoryBuffer page(std::string("<p>price up, price down, drop in price</p>"));
  LVTDT::RawTextList runs;
  LVTDT::RawTextExtractor::GetRawTextFromHtml(page, LVTCharset::kUtf8, runs);
  WordOccurencesExtractor::OccurrenceMap map;
  const LVTLanguage::Language none(LVTLanguage::Language::kNone);
  WordOccurencesExtractor::GetWordOccurences(runs, map, none);
  ASSERT_EQ(3u, map.at(u"price")->size());

  // A record held by a group, and a whole list held by someone else.
  const WordOccurencesExtractor::OccurrenceHandle kept = (*map.at(u"price"))[1];
  const WordOccurencesExtractor::OccurrenceListHandle shared = map.at(u"drop");
  LVTDT::ReleaseInDocumentOrder(map);
  EXPECT_TRUE(map.empty());
  EXPECT_EQ(1, kept->RefCountValue());
  EXPECT_EQ(2u, kept->m_WordIndex);
  EXPECT_EQ(u"price", kept->m_RawTexts[0]->m_Text.substr(kept->m_Offsets[0], 5));
  ASSERT_EQ(1u, shared->size());
  EXPECT_EQ(4u, (*shared)[0]->m_WordIndex);
}

}  // namespace
