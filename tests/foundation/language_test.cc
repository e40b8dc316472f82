#include "lumivant/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "foundation/language/stemmer_snowball.h"
#include "lumivant/stop_words.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::U16;
using lvt_testing::U8;
using LVTLanguage::Language;
using LVTLanguage::SnowballStemmer;

std::string Stem(const Language& language, const std::string& word) {
  std::u16string stem;
  language.Stem(U16(word), stem);
  return U8(stem);
}

TEST(LanguageTest, EnglishIsTheDefaultAndStems) {
  Language english;
  EXPECT_EQ(Language::kEnglish, english.GetStemmingType());
  EXPECT_EQ(0, static_cast<int>(Language::kEnglish));
  EXPECT_EQ("connect", Stem(english, "connection"));
  EXPECT_EQ("connect", Stem(english, "connected"));
  EXPECT_EQ("connect", Stem(english, "connecting"));
  EXPECT_EQ("run", Stem(english, "running"));
  EXPECT_EQ("caress", Stem(english, "caresses"));
  EXPECT_EQ("", Stem(english, ""));

  // Output may be the input string itself.
  std::u16string word = u"houses";
  english.Stem(word, word);
  EXPECT_EQ(u"hous", word);
}

TEST(LanguageTest, CharactersBeyondAsciiSurviveTheStemmer) {
  Language english;
  EXPECT_EQ("\u4E2D\u6587", Stem(english, "\u4E2D\u6587"));
  EXPECT_EQ("caf\u00e9", Stem(english, "caf\u00e9"));
  std::u16string odd = u"a\xD800z\U0001F600";  // a lone surrogate and a pair
  std::u16string stem;
  english.Stem(odd, stem);
  EXPECT_EQ(odd, stem);

  Language russian(Language::kRussian);
  EXPECT_EQ("\u043a\u043d\u0438\u0433", Stem(russian, "\u043a\u043d\u0438\u0433\u0438"));
}

TEST(LanguageTest, NoneLeavesWordsAlone) {
  Language none(Language::kNone);
  EXPECT_EQ("running", Stem(none, "running"));
  EXPECT_EQ("", Stem(none, ""));
  std::u16string word = u"x";
  none.Stem(word, word);
  EXPECT_EQ(u"x", word);
}

TEST(LanguageTest, NamesSelectStemmingTypes) {
  std::vector<std::string> names = Language::StemmingTypeNames();
  ASSERT_GE(names.size(), 12u);
  EXPECT_EQ("english", names[0]);
  EXPECT_EQ("none", names[1]);
  for (std::size_t i = 3; i < names.size(); ++i) EXPECT_LT(names[i - 1], names[i]);
  for (const char* wanted : {"french", "german", "spanish", "italian", "portuguese", "dutch",
                             "swedish", "norwegian", "danish", "finnish", "russian", "porter"})
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), wanted)) << wanted;

  for (const std::string& name : names) {
    Language::StemmingType type = Language::kNone;
    ASSERT_TRUE(Language::StemmingTypeFromName(name, &type)) << name;
    EXPECT_EQ(name, Language::StemmingTypeName(type));
    Language language(type);
    EXPECT_EQ(type, language.GetStemmingType());
    EXPECT_FALSE(Stem(language, "testing").empty()) << name;
  }
  Language::StemmingType type = Language::kFrench;
  EXPECT_FALSE(Language::StemmingTypeFromName("klingon", &type));
  EXPECT_FALSE(Language::StemmingTypeFromName("English", &type));
  EXPECT_FALSE(Language::StemmingTypeFromName("", &type));
  EXPECT_EQ(Language::kFrench, type);

  EXPECT_EQ("cheval", Stem(Language(Language::kFrench), "chevaux"));
  EXPECT_EQ("katz", Stem(Language(Language::kGerman), "katzen"));
  EXPECT_THROW(Language(static_cast<Language::StemmingType>(-1)), std::invalid_argument);
  EXPECT_THROW(Language(Language::kStemmingTypeCount), std::invalid_argument);
  EXPECT_THROW(SnowballStemmer("klingon"), std::invalid_argument);
}

TEST(LanguageTest, ThreadsFindTheirOwnStemmerOfEachLanguage) {
  // Languages made and destroyed in turn on one thread, often at the same
  // address: each must stem with its own algorithm, never a cached one of a
  // language that is gone.
  for (int round = 0; round < 50; ++round) {
    {
      Language english(Language::kEnglish);
      ASSERT_EQ("run", Stem(english, "running"));
    }
    {
      Language none(Language::kNone);
      ASSERT_EQ("running", Stem(none, "running"));
    }
    {
      Language french(Language::kFrench);
      ASSERT_EQ("cheval", Stem(french, "chevaux"));
      Language german(Language::kGerman);
      ASSERT_EQ("katz", Stem(german, "katzen"));
      ASSERT_EQ("cheval", Stem(french, "chevaux"));
    }
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
  Language english;
  ExpectSameStemsFromThreads(english.GetStemmer());
  SnowballStemmer guarded("english", SnowballStemmer::Sharing::kGuarded);
  ExpectSameStemsFromThreads(guarded);
  SnowballStemmer perThread("english", SnowballStemmer::Sharing::kPerThread);
  ExpectSameStemsFromThreads(perThread);
}

TEST(LanguageTest, LanguageWithAStemmerOfItsOwn) {
  struct Shouting : LVTLanguage::Stemmer {
    void Stem(const std::u16string& input, std::u16string& output) const override {
      output = input + u"!";
    }
  };
  struct ShoutingLanguage : Language {
    ShoutingLanguage()
        : Language(kNone, LVT::RefCount<LVTLanguage::Stemmer>(LVTMem::Create<Shouting>())) {}
  };
  ShoutingLanguage shouting;
  EXPECT_EQ("hey!", Stem(shouting, "hey"));
  struct Empty : Language {
    Empty() : Language(kNone, LVT::RefCount<LVTLanguage::Stemmer>()) {}
  };
  EXPECT_THROW(Empty(), std::invalid_argument);
}

TEST(StopWordsTest, EnglishFunctionWordsAndTheirStems) {
  LVTLanguage::StopWords english(true);
  for (const char16_t* word : {u"the", u"a", u"of", u"and", u"to", u"in", u"is", u"being", u"be",
                               u"only", u"onli", u"themselves", u"themselv"})
    EXPECT_TRUE(english.IsStopWord(word)) << U8(word);
  for (const char16_t* word : {u"The", u"house", u"", u"thee", u"th", u"tha"})
    EXPECT_FALSE(english.IsStopWord(word)) << U8(word);
  // Every stop word stems to a stop word, so stemmed query terms find them.
  Language language;
  for (const char16_t* word : {u"because", u"during", u"very", u"having", u"does"})
    EXPECT_TRUE(english.IsStopWord(U16(Stem(language, U8(word))))) << U8(word);

  LVTLanguage::StopWords none(false);
  EXPECT_EQ(0u, none.size());
  EXPECT_FALSE(none.IsStopWord(u"the"));
}

}  // namespace
