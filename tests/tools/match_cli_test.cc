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

TEST(MatchCliTest, ListsOrCountsTheMatchingPagesInTheOrderGiven) {
  RunResult run = RunCli({"match", "roast or caf\u00e9", kNews, kRecipe, kMenu});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(kRecipe + "\n" + kMenu + "\n", run.out);
  EXPECT_EQ("", run.err);
  run = RunCli({"match", "zebra crossing", kNews, kRecipe});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("", run.out + run.err);
  // A negation matches with nothing to highlight.
  EXPECT_EQ(kNews + ":2\n" + kRecipe + ":3\n" + kMenu + ":0\n",
            RunCli({"match", "--count", "salt or steel", kNews, kRecipe, kMenu}).out);
  EXPECT_EQ(kRecipe + ":0\n", RunCli({"match", "--count", "not zebra", kRecipe}).out);
  // Options: a report's changed regions only, from standard input; the
  // charset; no stemming.
  EXPECT_EQ("(standard input)\n",
            RunCli({"match", "--changes-only", "price near:3 drop", "-"}, kReport).out);
  EXPECT_EQ(1, RunCli({"match", "--changes-only", "compost", kReport}).status);
  EXPECT_EQ(0, RunCli({"match", "compost", kReport}).status);
  EXPECT_EQ(0, RunCli({"match", "--charset", "windows-1252", "creme near brulee", kMenu}).status);
  EXPECT_EQ(1, RunCli({"match", "--charset", "utf-8", "\"creme brulee\"", kMenu}).status);
  EXPECT_EQ(0, RunCli({"match", "reopen", kNews}).status);
  EXPECT_EQ(1, RunCli({"match", "--language", "none", "reopen", kNews}).status);
}

TEST(MatchCliTest, BadQueriesAndUnreadablePages) {
  for (const std::string query : {"bridge and ", "Hello, world!", ""}) {
    const RunResult match = RunCli({"match", query, kNews});
    EXPECT_EQ(2, match.status) << query;
    EXPECT_EQ("", match.out) << query;
    EXPECT_EQ(RunCli({"parse", query}).err, match.err) << "reported as lumivant parse does";
  }
  // The other pages are still searched.
  const std::string missing = DataPath("eval/no_such_page.html");
  const RunResult run = RunCli({"match", "bridge", missing, kNews, DataPath("eval")});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(kNews + "\n", run.out);
  EXPECT_NE(std::string::npos, run.err.find("lumivant: " + missing + ": ")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("lumivant: " + DataPath("eval") + ": ")) << run.err;
  EXPECT_EQ(2, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
}

}  // namespace
