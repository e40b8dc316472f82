// lumivant match as a user runs it over a folder of pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/test_util.h"

namespace {

using lvt_testing::DataPath;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

const std::string kNews = DataPath("eval/harbour_bridge_news.html");
const std::string kRecipe = DataPath("eval/tomato_soup_recipe.html");
const std::string kMenu = DataPath("eval/cafe_menu_cp1252.html");
const std::string kReport = DataPath("eval/price_watch_report.html");

TEST(MatchCliTest, ListsTheMatchingPagesInTheOrderGiven) {
  RunResult run = RunCli({"match", "\"harbour bridge\" near:5 traffic", kRecipe, kNews, kMenu});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(kNews + "\n", run.out);
  EXPECT_EQ("", run.err);

  run = RunCli({"match", "roast or caf\xC3\xA9", kNews, kRecipe, kMenu});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(kRecipe + "\n" + kMenu + "\n", run.out);

  run = RunCli({"match", "zebra crossing", kNews, kRecipe});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("", run.out);
  EXPECT_EQ("", run.err);
}

TEST(MatchCliTest, CountPrintsTheHitsOfEveryPage) {
  RunResult run = RunCli({"match", "--count", "salt or steel", kNews, kRecipe, kMenu});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(kNews + ":2\n" + kRecipe + ":3\n" + kMenu + ":0\n", run.out);

  // A negation matches with nothing to highlight.
  run = RunCli({"match", "--count", "not zebra", kRecipe});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(kRecipe + ":0\n", run.out);
}

TEST(MatchCliTest, BadQueriesAreReportedAsParseReportsThem) {
  for (const std::string query : {"bridge and ", "meeting at 10:30", "Hello, world!", ""}) {
    const RunResult parse = RunCli({"parse", query});
    const RunResult match = RunCli({"match", query, kNews});
    EXPECT_EQ(2, match.status) << query;
    EXPECT_EQ("", match.out) << query;
    EXPECT_EQ(parse.err, match.err) << query;
    EXPECT_EQ(0u, match.err.rfind("lumivant: bad query: ", 0)) << match.err;
  }
}

TEST(MatchCliTest, UnreadablePagesAreReportedAndTheOthersStillSearched) {
  const std::string missing = DataPath("eval/no_such_page.html");
  const RunResult run = RunCli({"match", "bridge", missing, kNews, DataPath("eval")});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(kNews + "\n", run.out);
  EXPECT_NE(std::string::npos, run.err.find("lumivant: " + missing + ": ")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("lumivant: " + DataPath("eval") + ": ")) << run.err;
  EXPECT_EQ(2, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
}

TEST(MatchCliTest, ChangeReportsFromStandardInput) {
  RunResult run = RunCli({"match", "--changes-only", "price near:3 drop", "-"}, kReport);
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("(standard input)\n", run.out);

  run = RunCli({"match", "--changes-only", "compost", kReport});
  EXPECT_EQ(1, run.status);
  run = RunCli({"match", "compost", kReport});
  EXPECT_EQ(0, run.status);
}

TEST(MatchCliTest, CharsetAndLanguageOptions) {
  RunResult run = RunCli({"match", "--charset", "windows-1252", "creme near brulee", kMenu});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(kMenu + "\n", run.out);
  // Read as UTF-8, the accented letters are broken and the words differ.
  run = RunCli({"match", "--charset", "utf-8", "\"creme brulee\"", kMenu});
  EXPECT_EQ(1, run.status) << run.err;

  // Without stemming, inflected forms no longer meet.
  EXPECT_EQ(0, RunCli({"match", "reopen", kNews}).status);
  EXPECT_EQ(1, RunCli({"match", "--language", "none", "reopen", kNews}).status);
  EXPECT_EQ(0, RunCli({"match", "--language", "none", "reopened", kNews}).status);

  run = RunCli({"match", "--language", "klingon", "bridge", kNews});
  EXPECT_EQ(2, run.status);
  EXPECT_NE(std::string::npos, run.err.find("klingon")) << run.err;
  run = RunCli({"match", "--charset", "no-such-charset", "bridge", kNews, kRecipe});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
  EXPECT_EQ("", run.out);
}

TEST(MatchCliTest, UsageErrors) {
  EXPECT_EQ(2, RunCli({"match", "bridge"}).status);
  EXPECT_EQ(2, RunCli({"match", "bridge", "-", "-"}).status);
  EXPECT_EQ(2, RunCli({"match", "--frobnicate", "bridge", kNews}).status);
  const RunResult help = RunCli({"match", "--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("usage: lumivant match"));
}

}  // namespace
