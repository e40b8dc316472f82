#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "foundation/language/char_classes.h"
#include "lumivant/language.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"
#include "query/query_test_support.h"
#include "query/query_tree_dump.h"
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
      {"Apple", "apple"},
      {"a!b", "a!b"},
      {"!", ""},
      {"", ""},
      // Folding.
      {"Caf\xC3\xA9 CR\xC3\x88ME", "cafe creme"},
      {"Stra\xC3\x9F"
       "e",
       "strasse"},
      // Balancing.
      {"(a or b", "(a or b)"},
      {"a) or (b", "a or (b)"},
      {"((a", "((a))"},
      {")(", "()"},
      {"\"new york", "new york"},
      {"\"a\" \"b", "\"a\" b"},
      {"\"a\" \"b\"", "\"a\" \"b\""},
      // Separators make phrases...
      {"e-mail", "\"e mail\""},
      {"a.b.c", "\"a b c\""},
      {"a_b", "\"a b\""},
      {"a,b c", "\"a b\" c"},
      {"apples, oranges", "\"apples \" oranges"},
      {"price 3.5", "price \"3 5\""},
      {"3.5", "\"3 5\""},
      {"-a", "\" a\""},
      {"a-", "\"a \""},
      {"near:5-x", "\"near:5 x\""},
      {"x a-b-c y", "x \"a b c\" y"},
      // ...or only blanks inside an existing phrase...
      {"\"e-mail\"", "\"e mail\""},
      {"\"a.b\" c-d", "\"a b\" \"c d\""},
      // ...or stay.
      {"x>3.5", "x>3.5"},
      {"x >= 10.25", "x >= 10.25"},
      {"x (1.5)", "x (1.5)"},
      // The backward scan stops before the first two characters.
      {"(1.5)", "\"(1 5)\""},
      {"1/2", "1/2"},
      {"10:30", "10:30"},
      {"near:5", "near:5"},
      {"a :5", "a \" 5\""},
      {"a/b", "\"a b\""},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Prepare(row.input)) << row.input;
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
}

TEST(StemQuery, UnbreakableCharactersStartWordsButNeverContinueThem) {
  ASSERT_TRUE(LVTDT::IsUnbreakable(u'\u4e2d'));
  ASSERT_TRUE(LVTDT::IsUnbreakable(u'\u6587'));
  std::u16string query = u"\u4e2d\u6587 x\u4e2d \u4e2dab";
  PrepareQueryStemMap stems;
  LVTDT::StemQuery(query, stems, Identity());
  EXPECT_EQ(u"\u4e2d\u6587 x\u4e2d \u4e2dab", query);
  // The second ideograph of a pair, and one after a word, are copied only.
  const PrepareQueryStemMap expected = {
      {u"\u4e2d", u"\u4e2d"}, {u"x", u"x"}, {u"\u4e2dab", u"\u4e2dab"}};
  EXPECT_EQ(expected, stems);
}

TEST(StemQuery, IdentityStemmerMapsEachWordToItself) {
  std::u16string query = u"\"e mail\" or (x>3.5)";
  PrepareQueryStemMap stems;
  LVTDT::StemQuery(query, stems, Identity());
  EXPECT_EQ(u"\"e mail\" or (x>3.5)", query);
  for (const auto& entry : stems) EXPECT_EQ(entry.first, entry.second);
  EXPECT_EQ(6u, stems.size());  // e mail or x 3 5
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

// Queries as people type them, through preparation (English stemming) and
// the parser.
struct EndToEndRow {
  const char* query;
  const char* prepared;
  const char* tree;
};

TEST(PrepareQuery, QueriesPeopleType) {
  const EndToEndRow rows[] = {
      {"\"New York\" hotels", "\"new york\" hotel", "And(DQUOTE_(new, york, DQUOTE_), hotel)"},
      {"\"Hello, world!\"", "\"hello  world!\"",
       "TokenStreamRecognitionException line 1:14: unexpected char: '!'"},
      {"\"to be, or not to be\"", "\"to be  or not to be\"",
       "DQUOTE_(to, be, OR_, NOT_, to, be, DQUOTE_)"},
      {"john.doe@example.com", "\"john doe@exampl com\"",
       "DQUOTE_(john, doe, exampl, com, DQUOTE_)"},
      {"version 2.0.1", "version \"2 0 1\"", "And(version, DQUOTE_(2, 0, 1, DQUOTE_))"},
      {"python>=3.10", "python>=3.10", "And(And(python, 3), 10)"},
      {"C++ OR Java", "c++ or java", "OR_(c++, java)"},
      {"McDonald's menu", "mcdonald's menu", "And(And(mcdonald, s), menu)"},
      {"Crème Brûlée recipes", "creme brule recip", "And(And(creme, brule), recip)"},
      {"M\xC3\xBCnchen NEAR:3 Bahnhof", "munchen near:3 bahnhof",
       "WEIGHTEDNEAR_[near:3](munchen, bahnhof)"},
      {"state-of-the-art design", "\"state of the art\" design",
       "And(DQUOTE_(state, of, the, art, DQUOTE_), design)"},
      {"meeting at 10:30", "meet at 10:30", "NoViableAltException line 1:11: unexpected token: :"},
      {"cats -dogs", "cat \" dog\"", "And(cat, DQUOTE_(dog, DQUOTE_))"},
      {"(apples OR pears", "(appl or pear)", "OR_(appl, pear)"},
      {"\xE4\xB8\xAD\xE6\x96\x87 news", "\xE4\xB8\xAD\xE6\x96\x87 news",
       "And(\xE4\xB8\xAD\xE6\x96\x87, news)"},
      {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
      {"   ", "   ", "NoViableAltException line 1:4: unexpected end of file"},
  };
  for (const EndToEndRow& row : rows) {
    const std::string prepared = Prepare(row.query, English());
    EXPECT_EQ(row.prepared, prepared) << row.query;
    EXPECT_EQ(row.tree, lvt_query_test::Outcome([&] {
                return LVTDT::DumpQueryTree(LVTDT::ParsePreparedQuery(U16(prepared)));
              }))
        << row.query;
  }
}

}  // namespace
