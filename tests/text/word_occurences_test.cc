#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/language/char_classes.h"
#include "lumivant/language.h"
#include "lumivant/word_occurences_extractor.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::U16;
using lvt_testing::U8;
using LVTDT::RawText;
using LVTDT::RawTextHandle;
using LVTDT::RawTextList;
using LVTDT::WordOccurencesExtractor;
using LVTLanguage::Language;
using OccurrenceMap = WordOccurencesExtractor::OccurrenceMap;

RawTextHandle MakeRun(const std::string& utf8, bool excluded = false) {
  RawTextHandle run = LVT::MakeSmart<RawText>();
  run->m_Text = U16(utf8);
  run->m_Length = static_cast<uint32_t>(run->m_Text.size());
  run->m_Excluded = excluded;
  return run;
}

RawTextList Runs(const std::vector<std::string>& texts) {
  RawTextList runs;
  for (const std::string& text : texts) runs.push_back(MakeRun(text));
  return runs;
}

// A word as the map holds it: "INDEX KEY RUN:OFFSET:LENGTH ...", RUN being
// the run's position in runs.
struct Word {
  uint32_t index;
  std::string text;
};

std::vector<Word> Dump(const OccurrenceMap& map, const RawTextList& runs) {
  std::vector<Word> words;
  for (const auto& entry : map) {
    uint32_t previous = 0;
    bool firstOfKey = true;
    for (const auto& occurrence : *entry.second) {
      // Each list is in document order.
      EXPECT_TRUE(firstOfKey || occurrence->m_WordIndex > previous);
      previous = occurrence->m_WordIndex;
      firstOfKey = false;
      std::string text = std::to_string(occurrence->m_WordIndex) + " " + U8(entry.first);
      EXPECT_EQ(occurrence->m_Offsets.size(), occurrence->m_RawTexts.size());
      EXPECT_EQ(occurrence->m_Lengths.size(), occurrence->m_RawTexts.size());
      for (std::size_t p = 0; p < occurrence->m_RawTexts.size(); ++p) {
        std::size_t run = 0;
        while (run < runs.size() && runs[run].Get() != occurrence->m_RawTexts[p].Get()) ++run;
        const uint32_t offset = occurrence->m_Offsets[p];
        const uint32_t length = occurrence->m_Lengths[p];
        EXPECT_GE(length, 1u);
        EXPECT_LE(offset + length, occurrence->m_RawTexts[p]->m_Text.size());
        text +=
            " " + std::to_string(run) + ":" + std::to_string(offset) + ":" + std::to_string(length);
      }
      words.push_back({occurrence->m_WordIndex, text});
    }
  }
  std::sort(words.begin(), words.end(),
            [](const Word& a, const Word& b) { return a.index < b.index; });
  return words;
}

std::vector<std::string> Texts(const std::vector<Word>& words) {
  std::vector<std::string> texts;
  for (const Word& word : words) texts.push_back(word.text);
  return texts;
}

using Lines = std::vector<std::string>;

// Extracts with the language that neither stems nor, on these lowercase
// ASCII words, folds: keys are the words themselves.
Lines Words(const RawTextList& runs) {
  static const Language none(Language::kNone);
  OccurrenceMap map;
  WordOccurencesExtractor::GetWordOccurences(runs, map, none);
  return Texts(Dump(map, runs));
}

Lines Words(const std::vector<std::string>& texts) { return Words(Runs(texts)); }

TEST(WordOccurencesTest, WordsOfOneRun) {
  // The folding tables leave these words as they are.
  for (const char* word : {"apple", "pears", "don", "c", "12345", "abc"}) {
    std::u16string folded;
    LVTDT::FoldString(U16(word), folded);
    ASSERT_EQ(U16(word), folded);
  }
  EXPECT_EQ((Lines{"0 apple 0:0:5", "1 pears 0:7:5"}), Words({"apple, pears"}));
  EXPECT_EQ((Lines{"0 c 0:0:1"}), Words({"c++"}));
  EXPECT_EQ((Lines{"0 don 0:0:3", "1 t 0:4:1"}), Words({"don't"}));
  EXPECT_EQ((Lines{"0 12345 0:1:5"}), Words({"(12345)"}));
  EXPECT_EQ((Lines{}), Words({" -- !? "}));
  EXPECT_EQ((Lines{}), Words(std::vector<std::string>{}));
}

TEST(WordOccurencesTest, WordsRunOnAcrossRuns) {
  // Split by inline markup: one word of two pieces.
  EXPECT_EQ((Lines{"0 abcdefg 0:0:2 1:0:5"}), Words({"ab", "cdefg"}));
  // A blank at the start of the next run ends the word at its run's end.
  EXPECT_EQ((Lines{"0 hello 0:0:5", "1 world 1:1:5"}), Words({"hello", " world"}));
  // Three pieces; an empty run inside a word adds no piece.
  EXPECT_EQ((Lines{"0 abcdef 0:2:2 1:0:2 3:0:2", "1 g 3:3:1"}), Words({"..ab", "cd", "", "ef g"}));
  // A run of punctuation ends the word and contributes nothing.
  EXPECT_EQ((Lines{"0 ab 0:0:2", "1 cd 2:0:2"}), Words({"ab", "--", "cd"}));
  // Words ending exactly at the end of the last run are complete.
  EXPECT_EQ((Lines{"0 x 0:0:1", "1 yz 1:1:1 2:0:1"}), Words({"x", " y", "z"}));
}

TEST(WordOccurencesTest, WhichCharactersMakeWords) {
  // The Latin-1 letters are word characters; the multiplication and division
  // signs and the thorn letters are not.
  EXPECT_EQ((Lines{"0 cafe 0:0:4"}), Words({"café"}));
  EXPECT_EQ((Lines{"0 3 0:0:1", "1 4 0:2:1", "2 5 0:4:1"}), Words({"3×4÷5"}));
  EXPECT_EQ((Lines{"0 a 0:0:1", "1 b 0:2:1", "2 c 0:4:1"}), Words({"aÞbþc"}));
  EXPECT_EQ((Lines{"0 yo 0:0:2"}), Words({"ÿö"}));
  // Greek and Cyrillic letters separate words and are never part of one.
  EXPECT_EQ((Lines{"0 abc 0:0:3", "1 def 0:4:3"}), Words({"abcαdef"}));
  EXPECT_EQ((Lines{}), Words({"ДА ΣΟΦΙΑ"}));
  // Folding goes through the high-character map: ß and æ expand.
  EXPECT_EQ((Lines{"0 strasse 0:0:6", "1 aether 0:7:5"}), Words({"Straße Æther"}));
}

TEST(WordOccurencesTest, UnbreakableCharactersStartWords) {
  // 中 and 文 are unbreakable: each starts a word, none continues one.
  EXPECT_EQ((Lines{"0 中 0:0:1", "1 文 0:1:1"}), Words({"中文"}));
  EXPECT_EQ((Lines{"0 中abc 0:0:4"}), Words({"中abc"}));
  EXPECT_EQ((Lines{"0 abc 0:0:3", "1 中 0:3:1"}), Words({"abc中"}));
  EXPECT_EQ((Lines{"0 ab 0:0:2", "1 中c 1:0:1 2:0:1"}), Words({"ab", "中", "c"}));
  EXPECT_EQ((Lines{"0 한 0:0:1", "1 국 0:1:1", "2 か 0:3:1", "3 な 0:4:1"}), Words({"한국 かな"}));
}

TEST(WordOccurencesTest, ExcludedRunsKeepTheirNumbers) {
  RawTextList runs;
  runs.push_back(MakeRun("one two ", true));
  runs.push_back(MakeRun("three ", false));
  runs.push_back(MakeRun("fo", false));  // a word entered by its first piece's run
  runs.push_back(MakeRun("ur ", true));
  runs.push_back(MakeRun("ab", true));  // and one left out by it
  runs.push_back(MakeRun("cd", false));
  EXPECT_EQ((Lines{"2 three 1:0:5", "3 four 2:0:2 3:0:2"}), Words(runs));
  RawTextList reversed;
  reversed.push_back(MakeRun("ab", true));
  reversed.push_back(MakeRun("cd x", false));
  EXPECT_EQ((Lines{"1 x 1:3:1"}), Words(reversed));
}

TEST(WordOccurencesTest, MapIsAddedToAndOrderedByCodeUnits) {
  const Language none(Language::kNone);
  RawTextList first = Runs({"zz z 中 y z"});
  RawTextList second = Runs({"z y"});
  OccurrenceMap map;
  WordOccurencesExtractor::GetWordOccurences(first, map, none);
  WordOccurencesExtractor::GetWordOccurences(second, map, none);
  std::vector<std::u16string> keys;
  for (const auto& entry : map) keys.push_back(entry.first);
  EXPECT_EQ((std::vector<std::u16string>{u"y", u"z", u"zz", u"中"}), keys);
  // The second list is numbered from 0 again, behind the first's entries.
  const auto& z = *map.at(u"z");
  ASSERT_EQ(3u, z.size());
  EXPECT_EQ(1u, z[0]->m_WordIndex);
  EXPECT_EQ(4u, z[1]->m_WordIndex);
  EXPECT_EQ(0u, z[2]->m_WordIndex);
  EXPECT_EQ(second[0].Get(), z[2]->m_RawTexts[0].Get());
}

TEST(WordOccurencesTest, StemsAreSharedAndEmptyStemsDropped) {
  const Language english;
  RawTextList runs = Runs({"Connected, CONNECTING connection; running runs"});
  OccurrenceMap map;
  WordOccurencesExtractor::GetWordOccurences(runs, map, english);
  EXPECT_EQ((Lines{"0 connect 0:0:9", "1 connect 0:11:10", "2 connect 0:22:10", "3 run 0:34:7",
                   "4 run 0:42:4"}),
            Texts(Dump(map, runs)));

  struct DropX : LVTLanguage::Stemmer {
    void Stem(const std::u16string& input, std::u16string& output) const override {
      output = input == u"x" ? u"" : input;
    }
  };
  struct DropXLanguage : Language {
    DropXLanguage()
        : Language(kNone, LVT::RefCount<LVTLanguage::Stemmer>(LVTMem::Create<DropX>())) {}
  };
  const DropXLanguage dropX;
  RawTextList xs = Runs({"a X b x a"});
  OccurrenceMap xMap;
  WordOccurencesExtractor::GetWordOccurences(xs, xMap, dropX);
  EXPECT_EQ((Lines{"0 a 0:0:1", "2 b 0:4:1", "4 a 0:8:1"}), Texts(Dump(xMap, xs)));
}

TEST(WordOccurencesTest, OccurrencesKeepTheirRunsAlive) {
  const Language none(Language::kNone);
  OccurrenceMap map;
  {
    RawTextList runs = Runs({"ab", "cd"});
    WordOccurencesExtractor::GetWordOccurences(runs, map, none);
  }
  const auto& word = *map.at(u"abcd");
  ASSERT_EQ(2u, word[0]->m_RawTexts.size());
  EXPECT_EQ(u"cd", word[0]->m_RawTexts[1]->m_Text);
  EXPECT_EQ(1, word[0]->m_RawTexts[1]->NbRef());
}

// The obvious way: cut the runs' concatenated text into words, then split
// each word at the run boundaries. Must agree with the one-pass extractor.
Lines ReferenceWords(const RawTextList& runs) {
  std::u16string all;
  std::vector<std::size_t> runStart;
  for (const RawTextHandle& run : runs) {
    runStart.push_back(all.size());
    all += run->m_Text;
  }
  runStart.push_back(all.size());
  auto runOf = [&](std::size_t at) {
    std::size_t r = 0;
    while (runStart[r + 1] <= at) ++r;  // skips empty runs
    return r;
  };
  Lines words;
  uint32_t index = 0;
  std::size_t i = 0;
  while (i < all.size()) {
    if (!LVTDT::IsWordCharacter(all[i]) && !LVTDT::IsUnbreakable(all[i])) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < all.size() && LVTDT::IsWordCharacter(all[end])) ++end;
    const uint32_t number = index++;
    if (runs[runOf(i)]->m_Excluded) {
      i = end;
      continue;
    }
    std::u16string folded;
    LVTDT::FoldString(all.substr(i, end - i), folded);
    std::string text = std::to_string(number) + " " + U8(folded);
    for (std::size_t at = i; at < end;) {
      const std::size_t r = runOf(at);
      const std::size_t pieceEnd = std::min(end, runStart[r + 1]);
      text += " " + std::to_string(r) + ":" + std::to_string(at - runStart[r]) + ":" +
              std::to_string(pieceEnd - at);
      at = pieceEnd;
    }
    words.push_back(text);
    i = end;
  }
  return words;
}

TEST(WordOccurencesTest, AgreesWithTheObviousWayOnRandomRuns) {
  const std::vector<std::u16string> alphabet = {u"a",  u"b",  u"É", u"ß", u" ", u",", u"-",
                                                u"中", u"か", u"α", u"×", u"þ", u"7", u"ÿ"};
  std::mt19937 random(4);
  for (int trial = 0; trial < 2000; ++trial) {
    RawTextList runs;
    const int count = static_cast<int>(random() % 6);
    for (int r = 0; r < count; ++r) {
      RawTextHandle run = LVT::MakeSmart<RawText>();
      const int length = static_cast<int>(random() % 7);
      for (int k = 0; k < length; ++k) run->m_Text += alphabet[random() % alphabet.size()];
      run->m_Excluded = random() % 4 == 0;
      runs.push_back(run);
    }
    ASSERT_EQ(ReferenceWords(runs), Words(runs)) << "trial " << trial;
  }
}

}  // namespace
