// What every command of the tool shares: a failure is one line on standard
// error that names its cause, nothing on standard output, exit status 2;
// --help prints the command's usage.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/test_util.h"

namespace {

using lvt_testing::RunCli;

TEST(CliTest, FailuresSayWhatAndExitTwo) {
  const std::string page = lvt_testing::DataPath("words/simple.html");
  const struct {
    std::vector<std::string> args;
    const char* says;
  } rows[] = {
      {{"text"}, "lumivant: text: "},
      {{"words", "a.html", "b.html"}, "lumivant: words: "},
      {{"diff", page}, "lumivant: diff: "},
      {{"diff", "-", "-"}, "lumivant: diff: "},
      {{"diff", "--frobnicate", page, page}, "lumivant: diff: "},
      {{"match", "bridge"}, "lumivant: match: "},
      {{"match", "bridge", "-", "-"}, "lumivant: match: "},
      {{"highlight", "--bogus", "price", page}, "lumivant: highlight: "},
      {{"parse", "a", "b"}, "expected one QUERY"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"text", "/nonexistent/page.html"}, "lumivant: /nonexistent/page.html: No such file"},
      {{"words", "--charset", "no-such-set", page}, "no-such-set"},
      {{"diff", "--charset", "klingon-8", page, page}, "klingon-8"},
      {{"match", "--charset", "no-such-set", "bridge", page, page}, "no-such-set"},
      {{"words", "--language", "klingon", page},
       "unknown language 'klingon' (one of: english, none"},
      {{"match", "--language", "klingon", "bridge", page}, "'klingon'"},
      {{"highlight", "--language", "elvish", "price", page}, "'elvish'"},
      {{"parse", "--language", "klingon", "a"}, "'klingon'"},
  };
  for (const auto& row : rows) {
    const lvt_testing::RunResult run = RunCli(row.args);
    EXPECT_EQ(2, run.status) << row.says;
    EXPECT_EQ("", run.out) << row.says;
    EXPECT_NE(std::string::npos, run.err.find(row.says)) << run.err;
    EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
  }
  for (const char* command : {"text", "words", "parse", "match", "highlight", "diff"}) {
    const lvt_testing::RunResult help = RunCli({command, "--help"});
    EXPECT_EQ(0, help.status) << command;
    EXPECT_EQ(0u, help.out.find(std::string("usage: lumivant ") + command)) << command;
  }
}

}  // namespace
