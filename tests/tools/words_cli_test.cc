// lumivant words as a user runs it: the three fields, languages, changed
// regions, character sets and the failures.
#include <gtest/gtest.h>

#include <string>

#include "testing/test_util.h"

namespace {

using lvt_testing::DataPath;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

TEST(WordsCliTest, PrintsIndexKeyAndPieces) {
  // "wor" and "ld" are split by inline markup: one word of two pieces.
  const std::string simple = DataPath("words/simple.html");
  RunResult run = RunCli({"words", simple});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("", run.err);
  EXPECT_EQ(
      "0\thello\t0:0:5\n1\tworld\t1:0:3 2:0:2\n2\tconnect\t4:0:9\n3\trun\t4:10:7\n"
      "4\trun\t4:18:4\n",
      run.out);
  EXPECT_NE(std::string::npos,
            RunCli({"words", "--language", "none", simple}).out.find("\n2\tconnected\t4:0:9\n"));
  EXPECT_NE(std::string::npos,
            RunCli({"words", "--language=french", "-"}, simple).out.find("\n3\trunning\t4:10:7\n"));
  // The multiplication sign is not a word; \u00df folds to ss before stemming.
  EXPECT_EQ("0\tcafe\t0:0:4\n1\tnaiv\t0:5:5\n2\tstrass\t0:13:6\n",
            RunCli({"words", "--charset", "windows-1252", DataPath("words/latin1.html")}).out);
}

TEST(WordsCliTest, WordsOutsideChangedRegionsKeepNumbersButNoKey) {
  const std::string report = DataPath("words/report.html");
  EXPECT_EQ(
      "0\told\t0:0:3\n1\ttext\t0:4:4\n2\tstays\t0:9:5\n3\tnew\t1:0:3\n4\twords\t1:4:5\n"
      "5\tand\t2:0:3\n6\told\t2:4:3\n7\tagain\t2:8:5\n",
      RunCli({"words", "--language", "none", report}).out);
  EXPECT_EQ(
      "0\t\t0:0:3\n1\t\t0:4:4\n2\t\t0:9:5\n3\tnew\t1:0:3\n4\twords\t1:4:5\n5\t\t2:0:3\n"
      "6\t\t2:4:3\n7\t\t2:8:5\n",
      RunCli({"words", "--changes-only", "--language", "none", report}).out);
}

}  // namespace
