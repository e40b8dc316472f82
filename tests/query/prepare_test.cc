#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "foundation/language/char_classes.h"
#include "lumivant/language.h"
#include "query/query_preparation.h"
#include "query/query_test_support.h"
#include "testing/test_util.h"

namespace {

using lvt_query_test::Row;
using lvt_testing::U16;
using lvt_testing::U8;
using LVTDT::PrepareQueryStemMap;
using LVTLanguage::Language;

const Language& Identity() {
  static const Language language(Language::kNone);
  return language;
}

const Language& English() {
  static const Language language(Language::kEnglish);
  return language;
}

std::string Prepare(const std::string& query, const Language& language = Identity()) {
  std::u16string prepared;
  PrepareQueryStemMap stems;
  LVTDT::PrepareQuery(U16(query), prepared, stems, language);
  return U8(prepared);
}

TEST(PrepareQuery, EachRewrite) {
  const Row rows[] = {
      // '!' at the start only.
      {"!Apple", "apple"},
      {"!", ""},
      // Folding.
      {"Stra\u00dfe Caf\u00e9", "strasse cafe"},
      // Balancing.
      {"(a or b", "(a or b)"},
      {"a) or (b", "a or (b)"},
      {")(", "()"},
      {"\"new york", "new york"},
      // Separators make phrases...
      {"e-mail", "\"e mail\""},
      {"a,b c", "\"a b\" c"},
      {"apples, oranges", "\"apples \" oranges"},
      {"price 3.5", "price \"3 5\""},
      {"near:5-x", "\"near:5 x\""},
      // ...or only blanks inside an existing phrase...
      {"\"a.b\" c-d", "\"a b\" \"c d\""},
      // ...or stay.
      {"x>3.5", "x>3.5"},
      // The backward scan stops before the first two characters.
      {"(1.5)", "\"(1 5)\""},
      {"1/2", "1/2"},
      {"10:30", "10:30"},
      {"a :5", "a \" 5\""},
      {"a/b", "\"a b\""},
      {"john.doe@example.com", "\"john doe@example com\""},
      {"python>=3.10", "python>=3.10"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Prepare(row.input)) << row.input;
  // Unicode words fold whole words of every script; words that touch (cut
  // by the dictionary, ideographs) become a phrase, as separators make one.
  const Row unicodeRows[] = {
      {"ΚΑΦΕ Dvořák STRASSE", "καφε dvorak strasse"},
      {"ภาษาไทย", "\"ภาษา ไทย\""},
      {"\"ภาษาไทย a\"", "\"ภาษา ไทย a\""},
      {"日本 or x", "\"日 本\" or x"},
      {"Джон-Мария", "\"джон мария\""},
      {"c++ x-1", "c++ \"x 1\""},
  };
  const Language unicode(Language::kNone, true);
  for (const Row& row : unicodeRows)
    EXPECT_EQ(row.expected, Prepare(row.input, unicode)) << row.input;
  EXPECT_EQ("мар or нов", Prepare("МАРИИ OR новый", Language(Language::kRussian)));
}

TEST(PrepareQuery, PreparesInPlace) {
  std::u16string query = u"!E-Mail";
  PrepareQueryStemMap stems;
  EXPECT_TRUE(LVTDT::PrepareQuery(query, query, stems, Identity()));
  EXPECT_EQ(u"\"e mail\"", query);
  std::u16string empty = u"!";
  EXPECT_FALSE(LVTDT::PrepareQuery(empty, empty, stems, Identity()));
}

TEST(StemQuery, StemsEveryWordOnceIntoTheMap) {
  std::u16string query = u"running dogs and running cats";
  PrepareQueryStemMap stems;
  LVTDT::StemQuery(query, stems, English());
  EXPECT_EQ(u"run dog and run cat", query);
  const PrepareQueryStemMap expected = {
      {u"run", u"running"}, {u"dog", u"dogs"}, {u"and", u"and"}, {u"cat", u"cats"}};
  EXPECT_EQ(expected, stems);

  // An existing entry is never replaced.
  std::u16string again = u"runs";
  LVTDT::StemQuery(again, stems, English());
  EXPECT_EQ(u"run", again);
  EXPECT_EQ(u"running", stems[u"run"]);
  // Unbreakable characters start words but never continue them: the second
  // ideograph of a pair, and one after a word, are copied only.
  std::u16string cjk = u"\u4e2d\u6587 x\u4e2d \u4e2dab";
  PrepareQueryStemMap cjkStems;
  LVTDT::StemQuery(cjk, cjkStems, Identity());
  EXPECT_EQ(u"\u4e2d\u6587 x\u4e2d \u4e2dab", cjk);
  EXPECT_EQ((PrepareQueryStemMap{{u"\u4e2d", u"\u4e2d"}, {u"x", u"x"}, {u"\u4e2dab", u"\u4e2dab"}}),
            cjkStems);
}

// The separator rewrite exactly as it reads: insert into the string and
// search again after each change. The pass in the library must agree.
void SplitSeparatorWordsReference(std::u16string& q) {
  const std::u16string separators = u"_-,./:";
  auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
  std::size_t i = q.find_first_of(separators);
  while (i != std::u16string::npos) {
    std::size_t len = q.size();
    const char16_t c = q[i];
    bool stays = false;
    if (c == u'.' && i > 0 && isDigit(q[i - 1]) && i + 1 < len && isDigit(q[i + 1])) {
      std::size_t k = i - 1;
      while (k > 1 && isDigit(q[k])) --k;
      while (k > 1 && q[k] == u' ') --k;
      stays = std::u16string(u"=><(),").find(q[k]) != std::u16string::npos;
    } else if (c == u'/') {
      stays = i > 0 && isDigit(q[i - 1]) && i + 1 < len && isDigit(q[i + 1]);
    } else if (c == u':') {
      stays = i > 0 && q[i - 1] != u' ' && i < len - 1 && isDigit(q[i + 1]);
    }
    if (!stays) {
      q[i] = u' ';
      if (std::count(q.begin(), q.begin() + i, u'"') % 2 == 0) {
        std::size_t s = 0;
        if (i > 0) {
          std::size_t k = i - 1;
          while (k > 0 &&
                 (LVTDT::IsWordCharacter(q[k]) || LVTDT::IsUnbreakable(q[k]) || q[k] == u':')) {
            --k;
          }
          s = k > 0 ? k + 1 : 0;
        }
        q.insert(s, 1, u'"');
        len = q.size();
        const std::size_t blank = i + 2 < len ? q.find(u' ', i + 2) : std::u16string::npos;
        if (blank != std::u16string::npos) {
          q.insert(blank, 1, u'"');
        } else {
          q.push_back(u'"');
        }
      }
    }
    if (i + 1 >= q.size()) break;
    i = q.find_first_of(separators, i + 1);
  }
}

TEST(SplitSeparatorWords, AgreesWithTheReferenceOnRandomQueries) {
  const std::u16string alphabet = u"ab19 ._-,/:\"()=><\u00e9\u4e2d";
  std::mt19937 random(20240607);
  for (int round = 0; round < 50000; ++round) {
    std::u16string query;
    const std::size_t length = random() % 24;
    for (std::size_t i = 0; i < length; ++i) query += alphabet[random() % alphabet.size()];
    std::u16string expected = query;
    SplitSeparatorWordsReference(expected);
    std::u16string actual = query;
    LVTDT::SplitSeparatorWords(actual);
    ASSERT_EQ(U8(expected), U8(actual)) << "query: " << U8(query);
  }
}

TEST(SplitSeparatorWords, LongQueriesStayLinear) {
  // Each separator opens a phrase: a pass that inserts into the whole
  // string each time would take minutes here.
  std::u16string query;
  for (int i = 0; i < 200000; ++i) query += u"ab-cd ";
  LVTDT::SplitSeparatorWords(query);
  EXPECT_EQ(u"\"ab cd\" \"ab cd\" ", query.substr(0, 16));
  EXPECT_EQ(200000u * 8, query.size());
}

}  // namespace
