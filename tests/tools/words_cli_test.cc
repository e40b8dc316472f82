// lumivant words as a user runs it: the three fields, languages, changed
// regions, character sets and the failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "foundation/language/char_classes.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::DataPath;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

TEST(WordsCliTest, PrintsIndexKeyAndPieces) {
  RunResult english = RunCli({"words", DataPath("words/simple.html")});
  EXPECT_EQ(0, english.status) << english.err;
  EXPECT_EQ("", english.err);
  // "wor" and "ld" are split by inline markup: one word of two pieces.
  EXPECT_EQ((std::vector<std::string>{"0\thello\t0:0:5", "1\tworld\t1:0:3 2:0:2",
                                      "2\tconnect\t4:0:9", "3\trun\t4:10:7", "4\trun\t4:18:4"}),
            Lines(english.out));

  RunResult none = RunCli({"words", "--language", "none", DataPath("words/simple.html")});
  EXPECT_EQ(0, none.status) << none.err;
  EXPECT_EQ("2\tconnected\t4:0:9", Lines(none.out).at(2));
  RunResult french = RunCli(
      {
          "words",
          "--language=french",
          "-",
      },
      DataPath("words/simple.html"));
  EXPECT_EQ(0, french.status) << french.err;
  EXPECT_EQ(5u, Lines(french.out).size());
}

TEST(WordsCliTest, WordsOutsideChangedRegionsKeepNumbersButNoKey) {
  RunResult all = RunCli({"words", "--language", "none", DataPath("words/report.html")});
  EXPECT_EQ(0, all.status) << all.err;
  EXPECT_EQ(8u, Lines(all.out).size());
  RunResult changed =
      RunCli({"words", "--changes-only", "--language", "none", DataPath("words/report.html")});
  EXPECT_EQ(0, changed.status) << changed.err;
  std::vector<std::string> lines = Lines(changed.out);
  ASSERT_EQ(8u, lines.size());
  EXPECT_EQ("", Fields(lines[0]).at(1));
  EXPECT_EQ("new", Fields(lines[3]).at(1));
  EXPECT_EQ("words", Fields(lines[4]).at(1));
  EXPECT_EQ("", Fields(lines[7]).at(1));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(std::to_string(i), Fields(lines[i]).at(0));
    EXPECT_EQ(Fields(Lines(all.out)[i]).at(2), Fields(lines[i]).at(2)) << "same pieces";
  }
}

TEST(WordsCliTest, CharacterSetsAndLatinLetters) {
  RunResult latin = RunCli({"words", "--charset", "windows-1252", DataPath("words/latin1.html")});
  EXPECT_EQ(0, latin.status) << latin.err;
  // The multiplication sign is not a word; ß folds to ss before stemming.
  EXPECT_EQ((std::vector<std::string>{"0\tcafe\t0:0:4", "1\tnaiv\t0:5:5", "2\tstrass\t0:13:6"}),
            Lines(latin.out));
}

TEST(WordsCliTest, FailuresNameTheirCause) {
  RunResult unknown = RunCli({"words", "--language", "klingon", DataPath("words/simple.html")});
  EXPECT_EQ(2, unknown.status);
  EXPECT_EQ("", unknown.out);
  EXPECT_NE(std::string::npos, unknown.err.find("klingon"));
  EXPECT_NE(std::string::npos, unknown.err.find("english, none"));
  EXPECT_NE(std::string::npos, unknown.err.find("french"));

  RunResult missing = RunCli({"words", DataPath("words/no-such-page.html")});
  EXPECT_EQ(2, missing.status);
  EXPECT_NE(std::string::npos, missing.err.find("no-such-page.html"));

  EXPECT_EQ(2, RunCli({"words"}).status);
  EXPECT_EQ(2, RunCli({"words", "a.html", "b.html"}).status);
  EXPECT_EQ(2, RunCli({"words", "--charset", "no-such-set", DataPath("words/simple.html")}).status);
  RunResult help = RunCli({"words", "--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("RUN:OFFSET:LENGTH"));
}

TEST(WordsCliTest, PiecesSpellTheirKeysOnCorpusPages) {
  // Without stemming, each key is its pieces' characters folded; the words
  // are numbered 0, 1, 2, ... with nothing left out.
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  for (const char* name :
       {"bbc-1.html", "lwn-1.html", "httpd-core-de-latin1.html", "gmw-zh.html",
        "hukumusume-ja.html", "sakura-HLP000193-sjis.html", "httpd-index-ko-euckr.html"}) {
    const std::string path = corpus + "/pages/" + name;
    RunResult words = RunCli({"words", "--language", "none", path});
    ASSERT_EQ(0, words.status) << path << ": " << words.err;
    const std::string bytes = lvt_testing::ReadFile(path);
    const LVTCharset::CHARSET charset = LVTCharset::DetectCharset(bytes);
    LVTFile::MemoryBuffer page(bytes);
    LVTDT::RawTextList runs;
    LVTDT::RawTextExtractor::GetRawTextFromHtml(page, charset, runs);
    std::vector<std::string> lines = Lines(words.out);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::vector<std::string> fields = Fields(lines[i]);
      ASSERT_EQ(3u, fields.size()) << path << ": " << lines[i];
      ASSERT_EQ(std::to_string(i), fields[0]);
      std::u16string spelled;
      std::istringstream pieces(fields[2]);
      for (std::string piece; pieces >> piece;) {
        unsigned run = 0, offset = 0, length = 0;
        ASSERT_EQ(3, std::sscanf(piece.c_str(), "%u:%u:%u", &run, &offset, &length));
        ASSERT_LT(run, runs.size());
        ASSERT_LE(offset + length, runs[run]->m_Text.size());
        spelled += runs[run]->m_Text.substr(offset, length);
      }
      std::u16string folded;
      LVTDT::FoldString(spelled, folded);
      ASSERT_EQ(fields[1], lvt_testing::U8(folded)) << path << ": " << lines[i];
    }
    EXPECT_GT(lines.size(), 100u) << path;
  }
}

}  // namespace
