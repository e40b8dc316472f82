// Queries on whole pages, through the same extraction the highlighter uses:
// a news article, a recipe, a menu in windows-1252 and a change report.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "eval/eval_test_support.h"
#include "foundation/charset/labels.h"
#include "foundation/charset/utf8_page.h"
#include "lumivant/code_page.h"
#include "lumivant/create_simple_query.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "text/page_words.h"

namespace lvt_eval_test {
namespace {

class PageTest : public ::testing::Test {
 protected:
  void Load(const std::string& name, bool changesOnly = false) {
    LoadPath(lvt_testing::DataPath("eval/" + name), changesOnly);
  }

  void LoadPath(const std::string& path, bool changesOnly) {
    std::string bytes = lvt_testing::ReadFile(path);
    const LVTCharset::CHARSET charset = LVTCharset::DetectCharset(bytes);
    LVTFile::MemoryBuffer page(std::move(bytes));
    LVTCharset::Utf8Page utf8(page, charset);
    static const LVTLanguage::Language english(LVTLanguage::Language::kEnglish);
    m_Words.emplace(utf8.Stream(), LVTCharset::kUtf8, LVTDT::PageWords::ScopeFor(changesOnly),
                    english);
  }

  // Whether the page matches, and the text of each hit as the page has it
  // (the pieces of its words, words separated by one blank), lower-cased.
  bool Hits(const std::string& query, std::vector<std::string>* hits) {
    LVT::RefCount<Evaluator> evaluator =
        LVTDT::CreateSimpleQuery(lvt_testing::U16(query), m_Words->SharedOccurrences());
    const bool matched = evaluator->EvaluateNode();
    hits->clear();
    for (const GroupHandle& group : evaluator->HighlightedWords()) {
      std::u16string text;
      for (const auto& occurrence : *group) {
        if (!text.empty()) text += u' ';
        for (std::size_t piece = 0; piece < occurrence->m_RawTexts.size(); ++piece) {
          const std::u16string& run = occurrence->m_RawTexts[piece]->m_Text;
          const unsigned offset = occurrence->m_Offsets[piece];
          const unsigned length = occurrence->m_Lengths[piece];
          EXPECT_LE(offset + length, run.size()) << query;  // every piece lies in its run
          text += run.substr(offset, length);
        }
      }
      std::string lowered = lvt_testing::U8(text);
      for (char& c : lowered)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      hits->push_back(lowered);
    }
    return matched;
  }

  bool Matches(const std::string& query) {
    std::vector<std::string> hits;
    return Hits(query, &hits);
  }

  std::optional<LVTDT::PageWords> m_Words;
};

using Texts = std::vector<std::string>;

TEST_F(PageTest, NewsArticle) {
  Load("harbour_bridge_news.html");
  Texts hits;
  // A phrase split by inline markup (<b>Harbour</b> Bridge) is still found.
  ASSERT_TRUE(Hits("\"Harbour Bridge\"", &hits));
  ASSERT_GE(hits.size(), 2u);
  for (const std::string& hit : hits) EXPECT_EQ("harbour bridge", hit);

  // Inflected forms meet through their stems.
  ASSERT_TRUE(Hits("reopen", &hits));
  EXPECT_NE(hits.end(), std::find(hits.begin(), hits.end(), "reopens"));
  EXPECT_NE(hits.end(), std::find(hits.begin(), hits.end(), "reopened"));

  // "delays for the first week while drivers": six words apart.
  EXPECT_FALSE(Matches("delays near:5 drivers"));
  ASSERT_TRUE(Hits("delays near:6 drivers", &hits));
  EXPECT_EQ((Texts{"delays", "drivers"}), hits);

  // Stop words decide the match but are not highlighted.
  ASSERT_TRUE(Hits("the cyclists", &hits));
  EXPECT_EQ((Texts{"cyclists"}), hits);
  EXPECT_FALSE(Matches("cyclists and whom"));

  EXPECT_TRUE(Matches("bridge not tunnel"));
  EXPECT_FALSE(Matches("bridge not ferry"));

  // Words joined by punctuation in the query are looked for as a phrase.
  ASSERT_TRUE(Hits("re-tensioned", &hits));
  EXPECT_EQ((Texts{"re tensioned"}), hits);
  ASSERT_TRUE(Hits("km/h", &hits));
  EXPECT_EQ((Texts{"km h"}), hits);
  ASSERT_TRUE(Hits("\"212 million\" near:10 budget", &hits));
  EXPECT_EQ((Texts{"212 million", "budget"}), hits);

  // Script and style are not text.
  EXPECT_FALSE(Matches("datalayer"));
  EXPECT_FALSE(Matches("georgia"));
}

TEST_F(PageTest, Recipe) {
  Load("tomato_soup_recipe.html");
  Texts hits;
  // Quoted, "and" is a word of the phrase; unquoted, it is the operator.
  ASSERT_TRUE(Hits("\"salt and pepper\"", &hits));
  EXPECT_EQ((Texts{"salt and pepper"}), hits);
  ASSERT_TRUE(Hits("salt and pepper", &hits));
  EXPECT_EQ((Texts{"salt", "pepper", "salt", "pepper", "salt"}), hits);

  ASSERT_TRUE(Hits("roast", &hits));
  EXPECT_EQ((Texts{"roasted", "roasted", "roast", "roasting"}), hits);

  // "slow-roasted" in the page is two words; the query form is a phrase.
  EXPECT_TRUE(Matches("slow-roasted soup"));
  EXPECT_FALSE(Matches("\"tomato soup\" near:3 winter"));
  EXPECT_TRUE(Matches("garlic near:3 tomatoes"));
}

TEST_F(PageTest, MenuInWindows1252IsFoldedLikeTheQuery) {
  Load("cafe_menu_cp1252.html");
  Texts hits;
  ASSERT_TRUE(Hits("\"creme brulee\"", &hits));
  EXPECT_EQ((Texts{"cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
                   "e"}),
            hits);
  EXPECT_TRUE(Matches("CAF\xC3\x89 and patissier"));
  EXPECT_TRUE(Matches("strassen"));
  EXPECT_TRUE(Matches("naive near ketchup"));
  EXPECT_FALSE(Matches("ketchup near:3 naive"));
}

TEST_F(PageTest, ChangeReportSearchesOnlyTheChangedRegions) {
  Load("price_watch_report.html", true);
  Texts hits;
  ASSERT_TRUE(Hits("price near:3 drop", &hits));
  EXPECT_EQ((Texts{"price drop"}), hits);
  EXPECT_FALSE(Matches("compost"));
  EXPECT_TRUE(Matches("electric lawn mower"));

  Load("price_watch_report.html");
  ASSERT_TRUE(Hits("price near:3 drop", &hits));
  EXPECT_EQ((Texts{"price drop", "price drop"}), hits);
  EXPECT_TRUE(Matches("compost"));
}

// Every hit of every query on real pages: groups in order, apart, made of
// consecutive words, and every piece inside its run.
TEST_F(PageTest, CorpusPagesGiveWellFormedGroups) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  const char* const queries[] = {
      "the",        "\"of the\"",    "the near:2 and",
      "a or not b", "server apache", "\"world wide web\" or news near:3 today"};
  int pages = 0;
  for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages")) {
    if (path.find(".htm") == std::string::npos) continue;
    LoadPath(path, false);
    ++pages;
    for (const char* query : queries) {
      LVT::RefCount<Evaluator> evaluator =
          LVTDT::CreateSimpleQuery(lvt_testing::U16(query), m_Words->SharedOccurrences());
      evaluator->EvaluateNode();
      long previousLast = -2;
      for (const GroupHandle& group : evaluator->HighlightedWords()) {
        ASSERT_GT(group->size(), 0u);
        const long first = (*group)[0]->m_WordIndex;
        ASSERT_GT(first, previousLast + 1) << path << " " << query;
        for (std::size_t i = 1; i < group->size(); ++i)
          ASSERT_EQ((*group)[i - 1]->m_WordIndex + 1, (*group)[i]->m_WordIndex) << path;
        previousLast = group->back()->m_WordIndex;
      }
    }
    std::vector<std::string> hits;
    Hits("the or of", &hits);  // checks that every piece lies in its run
  }
  EXPECT_GT(pages, 10);
}

}  // namespace
}  // namespace lvt_eval_test
