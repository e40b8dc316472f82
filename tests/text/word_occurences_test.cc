#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "foundation/language/char_classes.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/word_occurences_extractor.h"
#include "testing/test_util.h"
#include "text/keyed_occurrences.h"
#include "text/occurrence_release.h"

namespace {

using lvt_testing::U16;
using lvt_testing::U8;
using LVTDT::RawText;
using LVTDT::RawTextHandle;
using LVTDT::RawTextList;
using LVTDT::WordOccurencesExtractor;
using LVTLanguage::Language;
using Lines = std::vector<std::string>;

RawTextList Runs(const std::vector<std::string>& texts, const std::string& excluded = "") {
  RawTextList runs;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    RawTextHandle run = LVT::MakeSmart<RawText>();
    run->m_Text = U16(texts[i]);
    run->m_Length = static_cast<uint32_t>(run->m_Text.size());
    run->m_Excluded = i < excluded.size() && excluded[i] == 'x';
    runs.push_back(run);
  }
  return runs;
}

// The map as "INDEX KEY RUN:OFFSET:LENGTH ..." in word order, RUN being the
// run's position in runs; checks that every list is in document order.
Lines Dump(const WordOccurencesExtractor::OccurrenceMap& map, const RawTextList& runs) {
  std::vector<std::pair<unsigned, std::string>> words;
  for (const auto& entry : map) {
    for (std::size_t k = 0; k < entry.second->size(); ++k) {
      const auto& occurrence = (*entry.second)[k];
      EXPECT_TRUE(k == 0 || occurrence->m_WordIndex > (*entry.second)[k - 1]->m_WordIndex);
      std::string text = std::to_string(occurrence->m_WordIndex) + " " + U8(entry.first);
      for (std::size_t p = 0; p < occurrence->m_RawTexts.size(); ++p) {
        std::size_t run = 0;
        while (run < runs.size() && runs[run].Get() != occurrence->m_RawTexts[p].Get()) ++run;
        text += " " + std::to_string(run) + ":" + std::to_string(occurrence->m_Offsets[p]) + ":" +
                std::to_string(occurrence->m_Lengths[p]);
      }
      words.push_back({occurrence->m_WordIndex, text});
    }
  }
  std::sort(words.begin(), words.end());
  Lines lines;
  for (const auto& word : words) lines.push_back(word.second);
  return lines;
}

// Keys are the folded words themselves: the language neither stems nor drops.
// Also checks that filing every other key alone gives the map without the
// others.
Lines Words(const RawTextList& runs, const Language& language = Language(Language::kNone)) {
  WordOccurencesExtractor::OccurrenceMap map, expected, keyed;
  WordOccurencesExtractor::GetWordOccurences(runs, map, language);
  LVTDT::OccurrenceKeys keys{u"absent"};
  bool take = false;
  for (const auto& entry : map)
    if ((take = !take)) keys.insert(entry.first), expected.insert(entry);
  LVTDT::GetWordOccurencesOfKeys(runs, keys, keyed, language);
  EXPECT_EQ(Dump(expected, runs), Dump(keyed, runs));
  return Dump(map, runs);
}

TEST(WordOccurencesTest, WordsOfRuns) {
  const struct {
    std::vector<std::string> runs;
    std::string excluded;  // 'x' for each excluded run
    Lines words;
    bool unicodeWords = false;
  } rows[] = {
      {{"apple, pears"}, "", {"0 apple 0:0:5", "1 pears 0:7:5"}},
      // Split by inline markup: one word of several pieces; a blank at the
      // start of the next run ends the word at its run's end; an empty run
      // inside a word adds no piece; punctuation ends a word.
      {{"ab", "cdefg", " x"}, "", {"0 abcdefg 0:0:2 1:0:5", "1 x 2:1:1"}},
      {{"..ab", "cd", "", "ef g", "--", "h"},
       "",
       {"0 abcdef 0:2:2 1:0:2 3:0:2", "1 g 3:3:1", "2 h 5:0:1"}},
      // Latin-1 letters fold; multiplication and division signs, thorns,
      // Greek and Cyrillic letters are no word characters.
      {{"Caf\u00e9 3\u00d74\u00f75 a\u00deb\u00fe \u00ff\u00f6 abc\u03b1d \u0414\u0410"},
       "",
       {"0 cafe 0:0:4", "1 3 0:5:1", "2 4 0:7:1", "3 5 0:9:1", "4 a 0:11:1", "5 b 0:13:1",
        "6 yo 0:16:2", "7 abc 0:19:3", "8 d 0:23:1"}},
      // Unbreakable characters start words and never continue one.
      {{"\u4e2d\u6587 \u4e2dabc abc\u4e2d", "x\u4e2d", "c"},
       "",
       {"0 \u4e2d 0:0:1", "1 \u6587 0:1:1", "2 \u4e2dabc 0:3:4", "3 abc 0:8:3",
        "4 \u4e2dx 0:11:1 1:0:1", "5 \u4e2dc 1:1:1 2:0:1"}},
      // Words of excluded runs keep their numbers; a word belongs where its
      // first piece is.
      {{"one two ", "three ", "fo", "ur ", "ab", "cd"},
       "x__xx_",
       {"2 three 1:0:5", "3 four 2:0:2 3:0:2"}},
      // Unicode words: letters, marks and digits of every script, folded
      // whole (a surrogate pair is one letter); pieces stay in the runs.
      {{"Dvořák, ΚΑΦΕ καφέ "
        "Джон\u00d73 x\u0301y \U0001D400b"},
       "",
       {"0 dvorak 0:0:6", "1 καφε 0:8:4", "2 καφε 0:13:4", "3 джон 0:18:4", "4 3 0:23:1",
        "5 xy 0:25:3", "6 ab 0:29:3"},
       true},
      // Thai is cut by the dictionary and never runs on into the next run;
      // other words do; ideographs and kana stand alone and keep their marks.
      {{"ภาษาไทย", "มาก ab", "cd 中Ab", "がか"},
       "",
       {"0 ภาษา 0:0:4", "1 ไทย 0:4:3", "2 มาก 1:0:3", "3 abcd 1:4:2 2:0:2", "4 中ab 2:3:3",
        "5 が 3:0:1", "6 か 3:1:1"},
       true},
  };
  for (const auto& row : rows) {
    const Lines got =
        Words(Runs(row.runs, row.excluded), Language(Language::kNone, row.unicodeWords));
    EXPECT_EQ(row.words, got) << row.runs[0];
  }
}

TEST(WordOccurencesTest, MapIsAddedToAndStemsAreShared) {
  WordOccurencesExtractor::OccurrenceMap map;
  const Language none(Language::kNone);
  const RawTextList first = Runs({"zz z y z"}), second = Runs({"z"});
  WordOccurencesExtractor::GetWordOccurences(first, map, none);
  WordOccurencesExtractor::GetWordOccurences(second, map, none);
  // The second list is numbered from 0 again, behind the first's entries.
  const auto& z = *map.at(u"z");
  ASSERT_EQ(3u, z.size());
  EXPECT_EQ(3u, z[1]->m_WordIndex);
  EXPECT_EQ(0u, z[2]->m_WordIndex);
  EXPECT_EQ(second[0].Get(), z[2]->m_RawTexts[0].Get());
  EXPECT_EQ((Lines{"0 connect 0:0:9", "1 connect 0:11:10", "2 run 0:23:7", "3 run 0:31:4"}),
            Words(Runs({"Connected, CONNECTING; running runs"}), Language()));
  // Russian has Unicode words of itself, stemmed before the diacritics go.
  EXPECT_EQ((Lines{"0 мар 0:0:5", "1 мар 0:7:5", "2 нов 0:14:5", "3 нов 0:20:5"}),
            Words(Runs({"Мария, Марии; "
                        "новый новых"}),
                  Language(Language::kRussian)));
  // A word whose stem is empty is numbered but not entered.
  struct DropX : LVTLanguage::Stemmer {
    void Stem(const std::u16string& input, std::u16string& output) const override {
      output = input == u"x" ? u"" : input;
    }
  };
  struct DropXLanguage : Language {
    DropXLanguage()
        : Language(kNone, LVT::RefCount<LVTLanguage::Stemmer>(LVTMem::Create<DropX>())) {}
  };
  EXPECT_EQ((Lines{"0 a 0:0:1", "2 b 0:4:1"}), Words(Runs({"a X b"}), DropXLanguage()));
}

TEST(WordOccurencesTest, OccurrencesKeepTheirRunsAliveAndReleaseSparesWhatOthersHold) {
  WordOccurencesExtractor::OccurrenceMap map;
  WordOccurencesExtractor::GetWordOccurences(Runs({"ab", "cd price up, price ", "down price"}), map,
                                             Language(Language::kNone));
  const auto& word = *map.at(u"abcd");
  EXPECT_EQ(u"cd price up, price ", word[0]->m_RawTexts[1]->m_Text);
  // A record held by a group, and a whole list held by someone else.
  const WordOccurencesExtractor::OccurrenceHandle kept = (*map.at(u"price"))[1];
  const WordOccurencesExtractor::OccurrenceListHandle shared = map.at(u"down");
  LVTDT::ReleaseInDocumentOrder(map);
  EXPECT_TRUE(map.empty());
  EXPECT_EQ(1, kept->RefCountValue());
  EXPECT_EQ(3u, kept->m_WordIndex);
  EXPECT_EQ(u"price", kept->m_RawTexts[0]->m_Text.substr(kept->m_Offsets[0], 5));
  ASSERT_EQ(1u, shared->size());
  EXPECT_EQ(4u, (*shared)[0]->m_WordIndex);
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
  unsigned index = 0;
  for (std::size_t i = 0; i < all.size();) {
    if (!LVTDT::IsWordCharacter(all[i]) && !LVTDT::IsUnbreakable(all[i])) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < all.size() && LVTDT::IsWordCharacter(all[end])) ++end;
    const unsigned number = index++;
    if (!runs[runOf(i)]->m_Excluded) {
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
    }
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
    for (int r = static_cast<int>(random() % 6); r > 0; --r) {
      RawTextHandle run = LVT::MakeSmart<RawText>();
      for (int k = static_cast<int>(random() % 7); k > 0; --k)
        run->m_Text += alphabet[random() % alphabet.size()];
      run->m_Excluded = random() % 4 == 0;
      runs.push_back(run);
    }
    ASSERT_EQ(ReferenceWords(runs), Words(runs)) << "trial " << trial;
  }
}

}  // namespace
