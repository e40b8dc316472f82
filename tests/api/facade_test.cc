// The facade of the shared library against the command-line tool, at the
// boundary where a host program meets it: errors it can catch, threads.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "lumivant/lumivant.h"
#include "lumivant/version.h"
#include "testing/test_util.h"

namespace {

// The facade gives what the tool prints for the same pages and options:
// reports, counts and highlighted pages, on the examples and every corpus
// pair and page.
TEST(Facade, EqualsTheTool) {
  std::vector<std::pair<std::string, std::string>> pairs = {
      {lvt_testing::ExamplePath("news-v1.html"), lvt_testing::ExamplePath("news-v2.html")}};
  std::vector<std::string> pages = {lvt_testing::ExamplePath("cafe-1252.html")};
  const std::string corpus = lvt_testing::CorpusDir();
  if (!corpus.empty()) {
    for (const std::string& dir : lvt_testing::ListDirs(corpus + "/pairs"))
      pairs.emplace_back(dir + "/old.html", dir + "/new.html");
    for (const std::string& page : lvt_testing::ListFiles(corpus + "/pages"))
      if (page.find(".htm") != std::string::npos) pages.push_back(page);
  }
  for (const auto& [oldPath, newPath] : pairs) {
    lumivant::DiffOptions options;
    options.ignore_case = true;
    const lumivant::DiffResult result =
        lumivant::Diff(lvt_testing::ReadFile(oldPath), lvt_testing::ReadFile(newPath), options);
    const std::string report = testing::TempDir() + "/facade-report.html";
    const auto tool =
        lvt_testing::RunCli({"diff", "--json", "--ignore-case", "-o", report, oldPath, newPath});
    EXPECT_TRUE(result.report == lvt_testing::ReadFile(report)) << newPath;
    EXPECT_EQ(result.changed_words == 0 ? 0 : 1, tool.status) << newPath;
    EXPECT_EQ(0u, tool.out.find("{\"changes\":" + std::to_string(result.changes) +
                                ",\"changed_words\":" + std::to_string(result.changed_words)))
        << newPath;
    pages.push_back(newPath);
  }
  const lumivant::Query query("the and (news or page) near:5 world");
  for (const std::string& path : pages) {
    const lumivant::HighlightResult result = query.Highlight(lvt_testing::ReadFile(path));
    const auto tool =
        lvt_testing::RunCli({"highlight", "the and (news or page) near:5 world", path});
    EXPECT_TRUE(result.page == tool.out) << path;
    EXPECT_EQ(result.match ? 0 : 1, tool.status) << path;
    EXPECT_EQ(result.match, query.Matches(lvt_testing::ReadFile(path))) << path;
  }
}

// Rejected queries and unknown names come out as standard exceptions with
// the position, from the facade; the tool says the same.
TEST(Facade, ErrorsAHostCanCatch) {
  try {
    lumivant::Query("price ) ,");
    FAIL() << "no error";
  } catch (const lumivant::QueryError& e) {
    EXPECT_EQ("line 1:" + std::to_string(e.column()) + ": unexpected token: \"", e.what());
    EXPECT_NE(std::string::npos, lvt_testing::RunCli({"parse", "price ) ,"}).err.find(e.what()));
  }
  lumivant::QueryOptions klingon;
  klingon.language = "klingon";
  EXPECT_THROW(lumivant::Query("price", klingon), lumivant::QueryError);
  const lumivant::Query query("price");
  lumivant::PageOptions martian;
  martian.charset = "martian-8";
  EXPECT_THROW(query.Matches("<p>price</p>", martian), std::invalid_argument);
  lumivant::DiffOptions diff;
  diff.new_charset = "martian-8";
  EXPECT_THROW(lumivant::Diff("", "", diff), std::invalid_argument);
}

// Charsets by label, number or detection; the head and its policy; changed
// regions of a report only.
TEST(Facade, OptionsShapeTheOutput) {
  EXPECT_EQ("utf-16le", lumivant::DetectCharset("\xff\xfe<\0p\0>\0"));
  EXPECT_EQ("shift_jis", lumivant::DetectCharset("<meta charset=sjis>"));
  EXPECT_EQ("windows-1252", lumivant::DetectCharset("caf\xe9"));
  EXPECT_EQ(LUMIVANT_VERSION, std::string(lumivant::Version()));

  const std::string policy = "<meta http-equiv=\"Content-Security-Policy\"";
  lumivant::DiffOptions options;
  options.no_scripts = true;
  options.old_charset = "1252";
  options.new_charset = "windows-1252";
  const lumivant::DiffResult diff =
      lumivant::Diff("<p>caf\xe9 ferry</p>", "<p>caf\xe9 ferry</p><p>fast</p>", options);
  EXPECT_EQ(1u, diff.changes);
  EXPECT_LT(diff.report.find(policy), diff.report.find("</head>"));
  EXPECT_NE(std::string::npos, diff.report.find("caf\xc3\xa9"));

  const lumivant::Query query("ferry");
  lumivant::PageOptions page;
  page.header = false;
  EXPECT_EQ(0u, query.Highlight("<p>ferry</p>", page).page.find("<p><a name=\"Query1\">"));
  page.header = true;
  page.no_scripts = true;
  EXPECT_NE(std::string::npos, query.Highlight("<p>ferry</p>", page).page.find(policy));
  lumivant::PageOptions changes;
  changes.changes_only = true;
  EXPECT_EQ(1u, query.CountHits(diff.report));
  EXPECT_FALSE(query.Matches(diff.report, changes));
  EXPECT_TRUE(lumivant::Query("fast").Matches(diff.report, changes));

  // Words of every script: with unicode_words, and always for russian.
  const std::string dvorak = "<p>Dvo\u0159\u00e1k</p>";
  lumivant::QueryOptions words;
  EXPECT_FALSE(lumivant::Query("Dvorak", words).Matches(dvorak));
  words.unicode_words = true;
  EXPECT_TRUE(lumivant::Query("DVORAK", words).Matches(dvorak));
  words = {};
  words.language = "russian";
  EXPECT_EQ("\u043c\u0430\u0440",
            lumivant::Query("\u041c\u0430\u0440\u0438\u044f", words).Prepared());
}

// One query shared by threads gives every thread what it gives one.
TEST(Facade, OneQueryServesManyThreads) {
  const lumivant::Query query("ferry near:8 weekdays or lobster");
  const std::string page = lvt_testing::ReadFile(lvt_testing::ExamplePath("news-v2.html"));
  const lumivant::HighlightResult alone = query.Highlight(page);
  const unsigned hits = query.CountHits(page);
  std::vector<std::future<bool>> runs;
  for (int t = 0; t < 8; ++t)
    runs.push_back(std::async(std::launch::async, [&] {
      bool same = true;
      for (int i = 0; i < 20; ++i) {
        const lumivant::HighlightResult result = query.Highlight(page);
        same = same && result.page == alone.page && query.CountHits(page) == hits;
      }
      return same;
    }));
  for (auto& run : runs) EXPECT_TRUE(run.get());
}

}  // namespace
