// lumivant highlight as a user runs it: exit statuses, output files,
// options, standard input and the page-watch pipeline after lumivant diff.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "testing/test_util.h"

namespace {

using lvt_testing::ReadFile;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

constexpr char kHeader[] = "<!-- Lumivant Generated file -->\n";
const std::string kArticle = lvt_testing::DataPath("highlight/article.html");

std::string Write(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + "lumivant-highlight-" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(HighlightCliTest, WritesThePageAndAnswersWhetherItMatches) {
  RunResult run = RunCli({"highlight", "fuel prices", kArticle});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0u, run.out.find(kHeader));
  EXPECT_NE(std::string::npos, run.out.find("<a name=\"Query1\"></a>"));
  EXPECT_NE(
      std::string::npos,
      run.out.find("<LumivantQuery><B style=\"color:black;background-color:#FFFF66\">Fuel</B>"));
  run = RunCli({"highlight", "zebra", kArticle});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(0u, run.out.find(kHeader));
  EXPECT_NE(std::string::npos, run.out.find(ReadFile(kArticle)));
  const struct {
    const char* query;
    std::string page;
    int status;
    const char* json;
  } rows[] = {{"zebra", kArticle, 1, "{\"match\":false,\"anchors\":0}\n"},
              {"price", "-", 1, "{\"match\":false,\"anchors\":0}\n"},  // an empty page
              {"not zebra", kArticle, 0, "{\"match\":true,\"anchors\":0}\n"},
              {"price or diesel", kArticle, 0, "{\"match\":true,\"anchors\":"}};
  for (const auto& row : rows) {
    run = RunCli({"highlight", "--json", row.query, row.page});
    EXPECT_EQ(row.status, run.status) << row.query;
    EXPECT_EQ(0u, run.out.find(row.json)) << run.out;
    EXPECT_EQ(run.out.size() - 1, run.out.find('\n')) << "exactly one line";
  }
}

TEST(HighlightCliTest, OutputFileIsReplacedOnlyOnSuccess) {
  const std::string out = Write("out.html", "keep me");
  RunResult run = RunCli({"highlight", "-o", out, "price and ", kArticle});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("keep me", ReadFile(out)) << "a bad query leaves the file alone";
  EXPECT_EQ(RunCli({"parse", "price and "}).err, run.err) << "the same message as lumivant parse";
  run = RunCli({"highlight", "-o", out, "--json", "diesel", kArticle});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(0u, run.out.find("{\"match\":true,\"anchors\":"));
  EXPECT_EQ(0u, ReadFile(out).find(kHeader)) << "the page still goes to -o with --json";
  run = RunCli({"highlight", "-o", out, "price", out + ".absent"});
  EXPECT_EQ(2, run.status);
  EXPECT_NE(std::string::npos, run.err.find(".absent")) << run.err;
  EXPECT_EQ(0u, ReadFile(out).find(kHeader));
  std::remove(out.c_str());
}

TEST(HighlightCliTest, OptionsForCharsetLanguageAndColours) {
  const std::string menu = lvt_testing::DataPath("highlight/menu-1252.html");
  EXPECT_NE(std::string::npos,
            RunCli({"highlight", "creme", menu}).out.find("Cr\u00e8me</B></LumivantQuery>"));
  EXPECT_EQ(1, RunCli({"highlight", "--charset", "utf-8", "creme", menu}).status)
      << "read as UTF-8 the word is garbled";
  EXPECT_NE(RunCli({"highlight", "--json", "prices", kArticle}).out,
            RunCli({"highlight", "--json", "--language", "none", "prices", kArticle}).out)
      << "without stemming, price no longer counts";
  const std::string colours =
      Write("colours.txt", "<mark class=one>\t</mark>\r\n\n<mark class=two>\t</mark>\n");
  const RunResult custom =
      RunCli({"highlight", "--colours", colours, "petrol diesel coast", kArticle});
  EXPECT_EQ(0, custom.status) << custom.err;
  EXPECT_NE(std::string::npos,
            custom.out.find("<LumivantQuery><mark class=one>Coast</mark></LumivantQuery>"));
  EXPECT_NE(std::string::npos,
            custom.out.find("<LumivantQuery><mark class=two>Diesel</mark></LumivantQuery>"));
  EXPECT_EQ(std::string::npos, custom.out.find("<B style"));
  const std::string bad = Write("colours.txt", "<mark>\n");
  const RunResult badColours = RunCli({"highlight", "--colours", bad, "price", kArticle});
  EXPECT_EQ(2, badColours.status);
  EXPECT_NE(std::string::npos, badColours.err.find(bad + ":1:")) << badColours.err;
  std::remove(bad.c_str());
}

// The words of each hit, in page order.
std::string Hits(const std::string& highlighted) {
  std::string hits;
  for (std::size_t at = 0;
       (at = highlighted.find("\">", highlighted.find("<B style", at))) != std::string::npos;) {
    const std::size_t end = highlighted.find("</B>", at);
    hits += highlighted.substr(at + 2, end - at - 2) + "|";
    at = end;
  }
  return hits;
}

TEST(HighlightCliTest, WordsOfEveryScriptAndTheQueryLanguageAsDocumented) {
  const std::string koi8 = lvt_testing::DataPath("scripts/russian-koi8r.html");
  const std::string thai = lvt_testing::DataPath("scripts/thai-tis620.html");
  const std::string page = Write("words.html",
                                 "<p>Anton\u00edn Dvo\u0159\u00e1k: C++, x-1 and x 1, x1. The cat "
                                 "saw the dog.</p>");
  const struct {
    std::vector<std::string> args;
    const char* hits;
  } rows[] = {
      {{"--language", "russian", "\u041c\u0430\u0440\u0438\u044f", koi8},
       "\u041c\u0430\u0440\u0438\u044f|\u041c\u0430\u0440\u0438\u0438|"},
      {{"--unicode-words", "Dvorak", page}, "Dvo\u0159\u00e1k|"},
      {{"Dvorak", page}, ""},
      {{"dvo", page}, "Dvo|"},  // by default \u0159 is no letter
      {{"--unicode-words", "\u0e44\u0e17\u0e22\u0e21\u0e32\u0e01", thai},
       "\u0e44\u0e17\u0e22|\u0e21\u0e32\u0e01|"},
      {{"x-1", page}, "x|1|x|1|"},
      {{"c++", page}, ""},
      {{"c", page}, "C|"},
      {{"the cat", page}, "cat|"},
      {{"\"the\" cat", page}, "The|cat|the|"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> args = {"highlight"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    EXPECT_EQ(row.hits, Hits(RunCli(args).out)) << row.args[row.args.size() - 2];
  }
  std::remove(page.c_str());
}

TEST(HighlightCliTest, PageWatchPipelineAfterDiff) {
  const std::string oldPage = Write("old.html",
                                    "<html><body><h1>Fuel</h1><p>Prices held steady this week.</p>"
                                    "<p>Diesel price drop expected soon.</p></body></html>");
  const std::string newPage =
      Write("new.html",
            "<html><body><h1>Fuel</h1><p>Petrol prices saw a drop today.</p>"
            "<p>Diesel price drop expected soon.</p></body></html>");
  const std::string report = ::testing::TempDir() + "lumivant-highlight-report.html";
  ASSERT_EQ(1, RunCli({"diff", "-o", report, oldPage, newPage}).status);
  RunResult watch =
      RunCli({"highlight", "--changes-only", "--json", "price near:3 drop", "-"}, report);
  EXPECT_EQ(0, watch.status) << watch.err;
  EXPECT_EQ("{\"match\":true,\"anchors\":1}\n", watch.out);
  EXPECT_EQ(1, RunCli({"highlight", "--changes-only", "diesel", "-"}, report).status)
      << "the unchanged paragraph is not searched";
  EXPECT_EQ(std::string::npos,
            RunCli({"highlight", "--changes-only", "drop", "-"}, report).out.find(kHeader))
      << "a report keeps its own header";
  // The same in a terminal: only the changed paragraph, its hits marked.
  EXPECT_EQ(
      "Petrol {+prices+} saw a {+drop+} today.\n",
      RunCli({"highlight", "--changes-only", "--text", "--context", "0", "price near:3 drop", "-"},
             report)
          .out);
  EXPECT_EQ(
      "Fuel\nPetrol \x1b[30;43mprices\x1b[0m saw a \x1b[30;46mdrop\x1b[0m today.\n"
      "Diesel \x1b[30;43mprice\x1b[0m \x1b[30;46mdrop\x1b[0m expected soon.\n",
      RunCli({"highlight", "--text", "--color=always", "price near:3 drop", newPage}).out);
  for (const std::string& path : {oldPage, newPage, report}) std::remove(path.c_str());
}

}  // namespace
