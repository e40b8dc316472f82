// Queries on whole pages, through the same extraction the highlighter uses:
// a news article, a recipe, a menu in windows-1252 and a change report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eval/eval_test_support.h"
#include "foundation/charset/labels.h"
#include "foundation/charset/transcode.h"
#include "fuzz/query_case.h"
#include "lumivant/code_page.h"
#include "lumivant/create_simple_query.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/word_occurences_extractor.h"

namespace lvt_eval_test {
namespace {

class PageTest : public ::testing::Test {
 protected:
  void LoadPath(const std::string& path, bool changesOnly) {
    std::string bytes = lvt_testing::ReadFile(path);
    const LVTCharset::CHARSET charset = LVTCharset::DetectCharset(bytes);
    LVTFile::MemoryBuffer page(std::move(bytes));
    LVTFile::MemoryBuffer utf8;
    LVTCharset::TranscodeStream(charset, LVTCharset::kUtf8, page, utf8, false);
    LVTDT::RawTextList runs;
    if (changesOnly)
      LVTDT::RawTextExtractor::GetRawTextFromHighlightedHtml(utf8, LVTCharset::kUtf8, runs);
    else
      LVTDT::RawTextExtractor::GetRawTextFromHtml(utf8, LVTCharset::kUtf8, runs);
    static const LVTLanguage::Language english(LVTLanguage::Language::kEnglish);
    m_Words = LVT::MakeRefCount<Evaluator::OccurrenceMap>();
    LVTDT::WordOccurencesExtractor::GetWordOccurences(runs, *m_Words, english);
  }

  // Whether the page matches ("+" or "-"), then the text of each hit as the
  // page has it (the pieces of its words, words separated by one blank),
  // lower-cased, each after " | ".
  std::string Hits(const std::string& query) {
    LVT::RefCount<Evaluator> evaluator = LVTDT::CreateSimpleQuery(lvt_testing::U16(query), m_Words);
    std::string hits = evaluator->EvaluateNode() ? "+" : "-";
    for (const GroupHandle& group : evaluator->HighlightedWords()) {
      std::u16string text;
      for (const auto& occurrence : *group) {
        if (!text.empty()) text += u' ';
        for (std::size_t piece = 0; piece < occurrence->m_RawTexts.size(); ++piece) {
          const std::u16string& run = occurrence->m_RawTexts[piece]->m_Text;
          EXPECT_LE(occurrence->m_Offsets[piece] + occurrence->m_Lengths[piece], run.size());
          text += run.substr(occurrence->m_Offsets[piece], occurrence->m_Lengths[piece]);
        }
      }
      std::string lowered = lvt_testing::U8(text);
      for (char& c : lowered) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      hits += " | " + lowered;
    }
    return hits;
  }

  OccurrenceMapHandle m_Words;
};

TEST_F(PageTest, QueriesOnPages) {
  const struct {
    const char* page;  // "!" in front: only the changed regions of a report
    const char* query;
    const char* hits;  // what Hits gives, or its start
  } rows[] = {
      // A phrase split by inline markup (<b>Harbour</b> Bridge) is found.
      {"harbour_bridge_news.html", "\"Harbour Bridge\"", "+ | harbour bridge | harbour bridge"},
      // Inflected forms meet through their stems.
      {"harbour_bridge_news.html", "reopen", "+ | reopens | reopened"},
      // "delays for the first week while drivers": six words apart.
      {"harbour_bridge_news.html", "delays near:5 drivers", "-"},
      {"harbour_bridge_news.html", "delays near:6 drivers", "+ | delays | drivers"},
      // Stop words decide the match but are not highlighted.
      {"harbour_bridge_news.html", "the cyclists", "+ | cyclists"},
      {"harbour_bridge_news.html", "cyclists and whom", "-"},
      {"harbour_bridge_news.html", "bridge not ferry", "-"},
      // Words joined by punctuation in the query are looked for as a phrase.
      {"harbour_bridge_news.html", "re-tensioned or km/h", "+ | re tensioned | km h"},
      {"harbour_bridge_news.html", "\"212 million\" near:10 budget", "+ | 212 million | budget"},
      // Script and style are not text.
      {"harbour_bridge_news.html", "datalayer or georgia", "-"},
      // Quoted, "and" is a word of the phrase; unquoted, it is the operator.
      {"tomato_soup_recipe.html", "\"salt and pepper\"", "+ | salt and pepper"},
      {"tomato_soup_recipe.html", "salt and pepper", "+ | salt | pepper | salt | pepper | salt"},
      {"tomato_soup_recipe.html", "roast", "+ | roasted | roasted | roast | roasting"},
      {"tomato_soup_recipe.html", "slow-roasted soup", "+"},
      {"tomato_soup_recipe.html", "\"tomato soup\" near:3 winter", "-"},
      // A page in windows-1252 is folded like the query.
      {"cafe_menu_cp1252.html", "\"creme brulee\"", "+ | cr\u00e8me br\u00fbl\u00e9e"},
      {"cafe_menu_cp1252.html", "CAF\u00c9 and patissier and strassen", "+"},
      {"cafe_menu_cp1252.html", "naive near ketchup", "+"},
      {"cafe_menu_cp1252.html", "ketchup near:3 naive", "-"},
      // A change report: only its changed regions, or all of it.
      {"!price_watch_report.html", "price near:3 drop", "+ | price drop"},
      {"!price_watch_report.html", "compost", "-"},
      {"!price_watch_report.html", "electric lawn mower", "+"},
      {"price_watch_report.html", "price near:3 drop", "+ | price drop | price drop"},
      {"price_watch_report.html", "compost", "+"},
  };
  for (const auto& row : rows) {
    const bool changesOnly = row.page[0] == '!';
    LoadPath(lvt_testing::DataPath(std::string("eval/") + (row.page + (changesOnly ? 1 : 0))),
             changesOnly);
    EXPECT_EQ(0u, Hits(row.query).find(row.hits)) << row.query << ": " << Hits(row.query);
  }
}

// Every query on real pages leaves well-formed groups, every piece inside
// its run.
TEST_F(PageTest, CorpusPagesGiveWellFormedGroups) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  int pages = 0;
  for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages")) {
    if (path.find(".htm") == std::string::npos) continue;
    LoadPath(path, false);
    ++pages;
    for (const char* query : {"the", "\"of the\"", "the near:2 and", "a or not b", "server apache",
                              "\"world wide web\" or news near:3 today"}) {
      std::u16string prepared;
      LVTDT::PrepareQueryStemMap stems;
      LVTDT::PrepareQuery(lvt_testing::U16(query), prepared, stems, lvt_fuzz::English());
      ASSERT_EQ("", lvt_fuzz::EvaluationFault(LVTDT::ParsePreparedQuery(prepared), m_Words))
          << path << ": " << query;
    }
    Hits("the or of");  // checks that every piece lies in its run
  }
  EXPECT_GT(pages, 10);
}

}  // namespace
}  // namespace lvt_eval_test
