// lumivant highlight as a user runs it: exit statuses, output files,
// options, standard input and the page-watch pipeline after lumivant diff.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "testing/test_util.h"

namespace {

using lvt_testing::DataPath;
using lvt_testing::ReadFile;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

constexpr char kHeader[] = "<!-- Lumivant Generated file -->\n";
constexpr char kYellow[] = "<B style=\"color:black;background-color:#FFFF66\">";

std::string Article() { return DataPath("highlight/article.html"); }

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "lumivant-highlight-" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(HighlightCliTest, WritesThePageAndAnswersWhetherItMatches) {
  RunResult hit = RunCli({"highlight", "fuel prices", Article()});
  EXPECT_EQ(0, hit.status) << hit.err;
  EXPECT_EQ(0u, hit.out.find(kHeader));
  EXPECT_NE(std::string::npos, hit.out.find("<a name=\"Query1\"></a>"));
  EXPECT_NE(std::string::npos, hit.out.find(std::string("<LumivantQuery>") + kYellow + "Fuel</B>"));
  EXPECT_EQ("", hit.err);

  RunResult miss = RunCli({"highlight", "zebra", Article()});
  EXPECT_EQ(1, miss.status);
  EXPECT_EQ(kHeader, miss.out.substr(0, sizeof(kHeader) - 1));
  EXPECT_NE(std::string::npos, miss.out.find(ReadFile(Article())));

  RunResult json = RunCli({"highlight", "--json", "price or diesel", Article()});
  EXPECT_EQ(0, json.status);
  EXPECT_EQ("{\"match\":true,\"anchors\":", json.out.substr(0, 24));
  EXPECT_EQ("}\n", json.out.substr(json.out.size() - 2));
  EXPECT_EQ(json.out.size() - 1, json.out.find('\n')) << "exactly one line";

  RunResult none = RunCli({"highlight", "--json", "zebra", Article()});
  EXPECT_EQ(1, none.status);
  EXPECT_EQ("{\"match\":false,\"anchors\":0}\n", none.out);

  RunResult negated = RunCli({"highlight", "--json", "not zebra", Article()});
  EXPECT_EQ(0, negated.status);
  EXPECT_EQ("{\"match\":true,\"anchors\":0}\n", negated.out);
}

TEST(HighlightCliTest, OutputFileIsReplacedOnlyOnSuccess) {
  const std::string out = TempPath("out.html");
  WriteFile(out, "keep me");
  RunResult bad = RunCli({"highlight", "-o", out, "price and ", Article()});
  EXPECT_EQ(2, bad.status);
  EXPECT_EQ("keep me", ReadFile(out)) << "a bad query leaves the file alone";
  EXPECT_EQ(0u, bad.err.find("lumivant: bad query: ")) << bad.err;
  EXPECT_EQ(1, std::count(bad.err.begin(), bad.err.end(), '\n'));
  RunResult parse = RunCli({"parse", "price and "});
  if (parse.err.find("not available") == std::string::npos) {
    EXPECT_EQ(parse.err, bad.err) << "the same message as lumivant parse";
  }

  RunResult good = RunCli({"highlight", "-o", out, "--json", "diesel", Article()});
  EXPECT_EQ(0, good.status) << good.err;
  EXPECT_EQ("{\"match\":true,\"anchors\":", good.out.substr(0, 24));
  EXPECT_EQ(0u, ReadFile(out).find(kHeader)) << "the page still goes to -o with --json";

  RunResult missing = RunCli({"highlight", "-o", out, "price", TempPath("absent.html")});
  EXPECT_EQ(2, missing.status);
  EXPECT_NE(std::string::npos, missing.err.find("absent.html")) << missing.err;
  EXPECT_EQ(0u, ReadFile(out).find(kHeader));
  std::remove(out.c_str());
}

TEST(HighlightCliTest, OptionsForCharsetLanguageAndColours) {
  const std::string menu = DataPath("highlight/menu-1252.html");
  RunResult detected = RunCli({"highlight", "creme", menu});
  EXPECT_EQ(0, detected.status) << detected.err;
  EXPECT_NE(std::string::npos, detected.out.find("Cr\xC3\xA8me</B></LumivantQuery>"));
  RunResult forced = RunCli({"highlight", "--charset", "utf-8", "--json", "creme", menu});
  EXPECT_EQ(1, forced.status) << "read as UTF-8 the word is garbled";
  RunResult unknown = RunCli({"highlight", "--charset", "klingon", "creme", menu});
  EXPECT_EQ(2, unknown.status);

  RunResult stemmed = RunCli({"highlight", "--json", "prices", Article()});
  RunResult exact = RunCli({"highlight", "--json", "--language", "none", "prices", Article()});
  EXPECT_EQ(0, exact.status);
  EXPECT_NE(stemmed.out, exact.out) << "without stemming, price no longer counts";
  RunResult badLanguage = RunCli({"highlight", "--language", "elvish", "price", Article()});
  EXPECT_EQ(2, badLanguage.status);
  EXPECT_NE(std::string::npos, badLanguage.err.find("english")) << badLanguage.err;

  const std::string colours = TempPath("colours.txt");
  WriteFile(colours, "<mark class=one>\t</mark>\r\n\n<mark class=two>\t</mark>\n");
  RunResult custom = RunCli({"highlight", "--colours", colours, "petrol diesel coast", Article()});
  EXPECT_EQ(0, custom.status) << custom.err;
  EXPECT_NE(std::string::npos,
            custom.out.find("<LumivantQuery><mark class=one>Coast</mark></LumivantQuery>"));
  EXPECT_NE(std::string::npos,
            custom.out.find("<LumivantQuery><mark class=two>Diesel</mark></LumivantQuery>"));
  EXPECT_EQ(std::string::npos, custom.out.find("<B style"));
  WriteFile(colours, "<mark>\n");
  RunResult badColours = RunCli({"highlight", "--colours", colours, "price", Article()});
  EXPECT_EQ(2, badColours.status);
  EXPECT_NE(std::string::npos, badColours.err.find(colours + ":1:")) << badColours.err;
  std::remove(colours.c_str());
}

TEST(HighlightCliTest, ChangesOnlyReadsAReportFromStandardInput) {
  const std::string report = DataPath("highlight/change-report.html");
  RunResult r = RunCli({"highlight", "--changes-only", "price near:3 drop", "-"}, report);
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(std::string::npos, r.out.find(kHeader));
  EXPECT_NE(std::string::npos,
            r.out.find("Last week the price of petrol rose slightly, and no drop was expected."));
  RunResult stale = RunCli({"highlight", "--changes-only", "--json", "diesel", "-"}, report);
  EXPECT_EQ(1, stale.status) << "diesel appears only in unchanged text";
  EXPECT_EQ("{\"match\":false,\"anchors\":0}\n", stale.out);
}

TEST(HighlightCliTest, PageWatchPipelineAfterDiff) {
  const std::string oldPage = TempPath("old.html");
  const std::string newPage = TempPath("new.html");
  const std::string report = TempPath("report.html");
  WriteFile(oldPage,
            "<html><body><h1>Fuel</h1><p>Prices held steady this week.</p>"
            "<p>Diesel price drop expected soon.</p></body></html>");
  WriteFile(newPage,
            "<html><body><h1>Fuel</h1><p>Petrol prices saw a drop today.</p>"
            "<p>Diesel price drop expected soon.</p></body></html>");
  RunResult diff = RunCli({"diff", "-o", report, oldPage, newPage});
  if (diff.status == 2 && diff.err.find("not available") != std::string::npos)
    GTEST_SKIP() << "lumivant diff is not built yet";
  ASSERT_EQ(1, diff.status) << diff.err;
  RunResult watch =
      RunCli({"highlight", "--changes-only", "--json", "price near:3 drop", "-"}, report);
  EXPECT_EQ(0, watch.status) << watch.err;
  EXPECT_EQ("{\"match\":true,\"anchors\":1}\n", watch.out);
  RunResult quiet = RunCli({"highlight", "--changes-only", "--json", "diesel", "-"}, report);
  EXPECT_EQ(1, quiet.status) << "the unchanged paragraph is not searched";
  for (const std::string& path : {oldPage, newPage, report}) std::remove(path.c_str());
}

TEST(HighlightCliTest, UsageErrorsAndHelp) {
  RunResult help = RunCli({"highlight", "--help"});
  EXPECT_EQ(0, help.status);
  for (const char* option : {"-o FILE", "--charset", "--language", "--changes-only", "--colours",
                             "--json", "lumivant diff"})
    EXPECT_NE(std::string::npos, help.out.find(option)) << option;
  EXPECT_EQ(2, RunCli({"highlight", "price"}).status);
  EXPECT_EQ(2, RunCli({"highlight", "--bogus", "price", Article()}).status);
  RunResult empty = RunCli({"highlight", "--json", "price", "-"});
  EXPECT_EQ(1, empty.status) << "an empty page matches nothing";
  EXPECT_EQ("{\"match\":false,\"anchors\":0}\n", empty.out);
}

}  // namespace
