// Languages (stemmers, stop words) and the character classes and folding
// that words are made of.
#include "lumivant/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "foundation/base/string_utils.h"
#include "foundation/language/char_classes.h"
#include "foundation/language/stemmer_snowball.h"
#include "lumivant/stop_words.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::U16;
using lvt_testing::U8;
using LVTDT::FoldCharacter;
using LVTDT::IsUnbreakable;
using LVTDT::IsWordCharacter;
using LVTLanguage::Language;
using LVTLanguage::SnowballStemmer;

std::string Stem(const Language& language, const std::string& word) {
  std::u16string stem;
  language.Stem(U16(word), stem);
  return U8(stem);
}

TEST(LanguageTest, StemsOfEachLanguage) {
  const Language english;
  EXPECT_EQ(Language::kEnglish, english.GetStemmingType());
  for (const char* word : {"connection", "connected", "connecting"})
    EXPECT_EQ("connect", Stem(english, word));
  EXPECT_EQ("", Stem(english, ""));
  // Characters beyond ASCII survive, lone surrogates included.
  EXPECT_EQ("caf\u00e9", Stem(english, "caf\u00e9"));
  const std::u16string odd = u"a\xD800z\U0001F600";
  std::u16string stem;
  english.Stem(odd, stem);
  EXPECT_EQ(odd, stem);
  // Output may be the input string itself.
  std::u16string word = u"houses";
  english.Stem(word, word);
  EXPECT_EQ(u"hous", word);
  EXPECT_EQ("running", Stem(Language(Language::kNone), "running"));
  EXPECT_EQ("\u043a\u043d\u0438\u0433",
            Stem(Language(Language::kRussian), "\u043a\u043d\u0438\u0433\u0438"));
  EXPECT_EQ("cheval", Stem(Language(Language::kFrench), "chevaux"));
}

TEST(LanguageTest, NamesSelectStemmingTypes) {
  const std::vector<std::string> names = Language::StemmingTypeNames();
  ASSERT_GE(names.size(), 12u);
  EXPECT_EQ("english", names[0]);
  EXPECT_EQ("none", names[1]);
  for (std::size_t i = 3; i < names.size(); ++i) EXPECT_LT(names[i - 1], names[i]);
  for (const std::string& name : names) {
    Language::StemmingType type = Language::kNone;
    ASSERT_TRUE(Language::StemmingTypeFromName(name, &type)) << name;
    EXPECT_EQ(name, Language::StemmingTypeName(type));
    EXPECT_FALSE(Stem(Language(type), "testing").empty()) << name;
  }
  Language::StemmingType type = Language::kFrench;
  for (const char* bad : {"klingon", "English", ""})
    EXPECT_FALSE(Language::StemmingTypeFromName(bad, &type)) << bad;
  EXPECT_EQ(Language::kFrench, type);
  EXPECT_THROW(Language(static_cast<Language::StemmingType>(-1)), std::invalid_argument);
  EXPECT_THROW(Language(Language::kStemmingTypeCount), std::invalid_argument);
  EXPECT_THROW(SnowballStemmer("klingon"), std::invalid_argument);
}

TEST(LanguageTest, LanguagesMadeInTurnFindTheirOwnStemmer) {
  // Languages made and destroyed in turn, often at the same address: each
  // must stem with its own algorithm, never a cached one of a language that
  // is gone.
  for (int round = 0; round < 50; ++round) {
    ASSERT_EQ("run", Stem(Language(Language::kEnglish), "running"));
    ASSERT_EQ("running", Stem(Language(Language::kNone), "running"));
    const Language french(Language::kFrench);
    ASSERT_EQ("cheval", Stem(french, "chevaux"));
    ASSERT_EQ("katz", Stem(Language(Language::kGerman), "katzen"));
    ASSERT_EQ("cheval", Stem(french, "chevaux"));
  }
}

// Several threads stem through one shared stemmer at once and must get what
// one thread alone gets. A libstemmer object shared without a guard garbles
// stems here (and the thread sanitizer reports the race).
void ExpectSameStemsFromThreads(const LVTLanguage::Stemmer& stemmer) {
  const std::vector<std::u16string> words = {u"internationalizations",
                                             u"uncharacteristically",
                                             u"counterrevolutionaries",
                                             u"generalizations",
                                             u"hopefulness",
                                             u"electrification",
                                             u"conditionally",
                                             u"a",
                                             u"sky",
                                             u"dying",
                                             u"news",
                                             u"proceedings"};
  std::vector<std::u16string> expected(words.size());
  for (std::size_t i = 0; i < words.size(); ++i) stemmer.Stem(words[i], expected[i]);
  std::atomic<int> mismatches{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      std::u16string stem;
      for (int round = 0; round < 40000; ++round) {
        const std::size_t i = (round * 7 + t * 3) % words.size();
        stemmer.Stem(words[i], stem);
        if (stem != expected[i]) mismatches.fetch_add(1);
      }
    });
  }
  go.store(true);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(0, mismatches.load());
}

TEST(LanguageTest, OneLanguageIsSafeFromSeveralThreads) {
  ExpectSameStemsFromThreads(Language().GetStemmer());
  ExpectSameStemsFromThreads(SnowballStemmer("english", SnowballStemmer::Sharing::kGuarded));
  ExpectSameStemsFromThreads(SnowballStemmer("english", SnowballStemmer::Sharing::kPerThread));
}

TEST(StopWordsTest, EnglishFunctionWordsAndTheirStems) {
  const LVTLanguage::StopWords english(true);
  for (const char16_t* word : {u"the", u"of", u"being", u"only", u"onli", u"themselv"})
    EXPECT_TRUE(english.IsStopWord(word)) << U8(word);
  for (const char16_t* word : {u"The", u"house", u"", u"thee", u"th"})
    EXPECT_FALSE(english.IsStopWord(word)) << U8(word);
  // Every stop word stems to a stop word, so stemmed query terms find them.
  const Language language;
  for (const char16_t* word : {u"because", u"during", u"very", u"having", u"does"})
    EXPECT_TRUE(english.IsStopWord(U16(Stem(language, U8(word))))) << U8(word);
  EXPECT_FALSE(LVTLanguage::StopWords(false).IsStopWord(u"the"));
}

TEST(CharClassesTest, WordAndUnbreakableCharactersOverEveryUnit) {
  // Word characters are digits and Latin letters, as written out here.
  auto word = [](unsigned c) {
    return (c >= 48 && c <= 57) || (c >= 65 && c <= 90) || (c >= 97 && c <= 122) ||
           (c >= 192 && c <= 214) || (c >= 216 && c <= 221) || (c >= 223 && c <= 246) ||
           (c >= 248 && c <= 253) || c == 255;
  };
  std::size_t unbreakable = 0;
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const char16_t ch = static_cast<char16_t>(c);
    ASSERT_EQ(word(c), IsWordCharacter(ch)) << "U+" << std::hex << c;
    ASSERT_FALSE(IsUnbreakable(ch) && IsWordCharacter(ch));
    unbreakable += IsUnbreakable(ch) ? 1 : 0;
  }
  EXPECT_EQ(Language::m_ssUnbreakableChar.size(), unbreakable);
  // Ideographs, kana and Hangul; not their punctuation and spaces.
  for (char16_t c :
       {u'\u4E2D', u'\u3400', u'\u3042', u'\u30FC', u'\uFF71', u'\uAC00', u'\uD7A3', u'\uF900'})
    EXPECT_TRUE(IsUnbreakable(c)) << std::hex << c;
  for (char16_t c : {u'\uD7A4', u'\u30FB', u'\u3002', u'\u3000', u'\uFA6E', u'a', u'\u0434'})
    EXPECT_FALSE(IsUnbreakable(c)) << std::hex << c;
}

TEST(CharClassesTest, FoldingRemovesCaseAndDiacritics) {
  const struct {
    const char* text;
    const char* folded;
  } rows[] = {
      {"Caf\u00e9", "cafe"},
      {"\u00c9\u00c8\u00ca\u00cb\u00e9", "eeeee"},
      {"Stra\u00dfe", "strasse"},
      {"\u00c6on \u00e6on \u0152uvre \u0132ssel", "aeon aeon oeuvre ijssel"},
      {"o\uFB03ce \uFB00 \uFB01 \uFB02 \uFB04 \uFB05 \uFB06", "office ff fi fl ffl st st"},
      {"\u0141\u00f3d\u017a Dvo\u0159\u00e1k \u0130stanbul \u00d8slo \u00ff",
       "lodz dvorak istanbul oslo y"},
      {"\u03a3\u039f\u03a6\u0399\u0391 \u0414\u0410",
       "\u03c3\u03bf\u03c6\u03b9\u03b1 \u0434\u0430"},
      {"\u4E2D 3\u00d74 \u00f7 A-B_C#D", "\u4E2D 3\u00d74 \u00f7 a-b_c#d"},
  };
  for (const auto& row : rows) {
    std::u16string folded;
    LVTDT::FoldString(U16(row.text), folded);
    EXPECT_EQ(row.folded, U8(folded)) << row.text;
  }
}

TEST(CharClassesTest, FoldingFollowsTheNamedTablesInOrder) {
  // The fast lookup gives exactly what the three tables say, in their order
  // of precedence (a high-map entry wins even below 256), for every unit.
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const char16_t ch = static_cast<char16_t>(c);
    std::u16string expected;
    auto entry = Language::m_msHighCharMap.find(ch);
    if (entry != Language::m_msHighCharMap.end())
      expected = entry->second.second;
    else if (c < 256)
      expected.assign(1, Language::CharArray::m_CharArray[c][2]);
    else
      expected.assign(1, LVTBase::ToLower(ch));
    ASSERT_EQ(expected, FoldCharacter(ch)) << "U+" << std::hex << c;
    // Page words reach the stemmer as plain ASCII.
    if (c < 256 && IsWordCharacter(ch)) {
      ASSERT_FALSE(expected.empty());
      for (char16_t f : expected)
        ASSERT_TRUE((f >= u'a' && f <= u'z') || (f >= u'0' && f <= u'9')) << std::hex << c;
    }
  }
}

}  // namespace
