// lumivant diff as a user runs it: the report, the counts, the options, the
// exit statuses and the failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "changes/report_format.h"
#include "changes/report_testing.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::DataPath;
using lvt_testing::ExamplePath;
using lvt_testing::ReadFile;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

const std::string kHeader = LVTDT::kReportHeader;

// A scratch folder for output files, removed with its files at the end.
class DiffCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/lumivant-diff-test.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    m_Dir = dir;
  }
  void TearDown() override {
    for (const std::string& file : lvt_testing::ListFiles(m_Dir)) std::remove(file.c_str());
    rmdir(m_Dir.c_str());
  }
  std::string Path(const std::string& name) const { return m_Dir + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  std::string m_Dir;
};

TEST_F(DiffCliTest, WritesTheReportAndSaysWhetherSomethingChanged) {
  const RunResult r = RunCli({"diff", ExamplePath("news-v1.html"), ExamplePath("news-v2.html")});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ("", r.err);
  EXPECT_EQ(0u, r.out.find(kHeader));
  EXPECT_NE(std::string::npos, r.out.find("<a name=\"Change1\"></a>"));
  // Taken apart, the report is the new page.
  EXPECT_EQ(ReadFile(ExamplePath("news-v2.html")),
            lvt_changes_testing::StripReport(r.out, 5, LVTDT::kDefaultHighlightStart,
                                             LVTDT::kDefaultHighlightEnd));

  const RunResult same = RunCli({"diff", ExamplePath("news-v1.html"), ExamplePath("news-v1.html")});
  EXPECT_EQ(0, same.status) << same.err;
  EXPECT_EQ(kHeader + ReadFile(ExamplePath("news-v1.html")), same.out);
}

TEST_F(DiffCliTest, JsonGivesTheCounts) {
  RunResult r =
      RunCli({"diff", "--json", ExamplePath("news-v1.html"), ExamplePath("news-v2.html")});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ(
      "{\"changes\":5,\"changed_words\":32,\"change_ratio\":0."
      "26666666666666666}\n",
      r.out);
  r = RunCli({"diff", "--json", ExamplePath("news-v2.html"), ExamplePath("news-v2.html")});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("{\"changes\":0,\"changed_words\":0,\"change_ratio\":0}\n", r.out);
  // A new page without words: the ratio is 0, the removed words count.
  Write("empty.html", "<html><body></body></html>");
  r = RunCli({"diff", "--json", ExamplePath("news-v1.html"), Path("empty.html")});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(0u, r.out.find("{\"changes\":0,\"changed_words\":"));
  EXPECT_NE(std::string::npos, r.out.find(",\"change_ratio\":0}\n"));
}

TEST_F(DiffCliTest, OutputFileAndStandardInput) {
  RunResult r = RunCli({"diff", "-o", Path("report.html"), ExamplePath("news-v1.html"), "-"},
                       ExamplePath("news-v2.html"));
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ("", r.out);
  const std::string report = ReadFile(Path("report.html"));
  EXPECT_EQ(0u, report.find(kHeader));
  // With --json the counts go to standard output and the report to the file.
  r = RunCli({"diff", "--json", "-o", Path("again.html"), "-", ExamplePath("news-v2.html")},
             ExamplePath("news-v1.html"));
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ(0u, r.out.find("{\"changes\":5,"));
  EXPECT_EQ(report, ReadFile(Path("again.html")));
  // The stored report as the old page: nothing changed.
  r = RunCli({"diff", "--json", Path("report.html"), ExamplePath("news-v2.html")});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("{\"changes\":0,\"changed_words\":0,\"change_ratio\":0}\n", r.out);
  EXPECT_EQ(2u,
            lvt_testing::ListFiles(m_Dir).size());  // no temporary files left
}

TEST_F(DiffCliTest, TroubleLeavesTheOutputAlone) {
  Write("kept.html", "precious");
  RunResult r =
      RunCli({"diff", "-o", Path("kept.html"), Path("missing.html"), ExamplePath("news-v2.html")});
  EXPECT_EQ(2, r.status);
  EXPECT_NE(std::string::npos, r.err.find(Path("missing.html")));
  EXPECT_EQ(1u, std::count(r.err.begin(), r.err.end(), '\n'));
  EXPECT_EQ("precious", ReadFile(Path("kept.html")));
  EXPECT_EQ(1u, lvt_testing::ListFiles(m_Dir).size());

  r = RunCli({"diff", "-o", Path("no/such/dir/out.html"), ExamplePath("news-v1.html"),
              ExamplePath("news-v2.html")});
  EXPECT_EQ(2, r.status);
  EXPECT_NE(std::string::npos, r.err.find("no/such/dir/out.html"));

  r = RunCli(
      {"diff", "--charset", "klingon-8", ExamplePath("news-v1.html"), ExamplePath("news-v2.html")});
  EXPECT_EQ(2, r.status);
  EXPECT_NE(std::string::npos, r.err.find("klingon-8"));

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"diff", ExamplePath("news-v1.html")},
        std::vector<std::string>{"diff", "-", "-"},
        std::vector<std::string>{"diff", "--frobnicate", "a", "b"}}) {
    r = RunCli(args);
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(0u, r.err.find("lumivant: diff: "));
  }
}

TEST_F(DiffCliTest, CharsetOptions) {
  // The cafe page is windows-1252 and says so; both ways of naming it work.
  Write("cafe-new.html", ReadFile(ExamplePath("cafe-1252.html")) + "<p>Caf\xE9 cr\xE8me</p>");
  RunResult r = RunCli({"diff", ExamplePath("cafe-1252.html"), Path("cafe-new.html")});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("Caf\xC3\xA9 cr\xC3\xA8me</font></LumivantChanges>"));
  const RunResult named = RunCli(
      {"diff", "--charset", "windows-1252", ExamplePath("cafe-1252.html"), Path("cafe-new.html")});
  EXPECT_EQ(r.out, named.out);
  const RunResult numbered = RunCli({"diff", "--old-charset", "1252", "--new-charset=1252",
                                     ExamplePath("cafe-1252.html"), Path("cafe-new.html")});
  EXPECT_EQ(r.out, numbered.out);
  // Read as ISO-8859-1 (code page 28591) the euro sign is another
  // character: a change.
  Write("cafe-utf8.html",
        lvt_changes_testing::ToUtf8(ReadFile(ExamplePath("cafe-1252.html")), 1252));
  r = RunCli({"diff", "--json", "--old-charset", "windows-1252", "--new-charset", "utf-8",
              ExamplePath("cafe-1252.html"), Path("cafe-utf8.html")});
  EXPECT_EQ(0, r.status) << r.err;
  r = RunCli({"diff", "--json", "--old-charset", "28591", "--new-charset", "utf-8",
              ExamplePath("cafe-1252.html"), Path("cafe-utf8.html")});
  EXPECT_EQ(1, r.status) << r.err;
}

TEST_F(DiffCliTest, ComparisonAndReportOptions) {
  Write("old.html", "<p>Price: 10 EUR</p><p>kept</p>");
  Write("new.html", "<p>price - 12 eur</p><p>kept</p>");
  const std::string oldPage = Path("old.html");
  const std::string newPage = Path("new.html");
  EXPECT_EQ(1, RunCli({"diff", oldPage, newPage}).status);
  EXPECT_EQ(1, RunCli({"diff", "--ignore-case", "--ignore-digits", oldPage, newPage}).status);
  EXPECT_EQ(0, RunCli({"diff", "--ignore-case", "--ignore-digits", "--ignore-punctuation", oldPage,
                       newPage})
                   .status);
  const RunResult r = RunCli({"diff", "--no-header", "--highlight-start", "<mark>",
                              "--highlight-end=</mark>", oldPage, newPage});
  EXPECT_EQ(
      "<p><a name=\"Change1\"></a><LumivantChanges><mark>price - 12 eur</mark>"
      "</LumivantChanges></p><p>kept</p>",
      r.out);
  // One highlight string given: the other keeps its default.
  const RunResult start =
      RunCli({"diff", "--no-header", "--highlight-start", "", oldPage, newPage});
  EXPECT_NE(std::string::npos, start.out.find("<LumivantChanges>price - 12 eur</font>"));
}

TEST_F(DiffCliTest, HelpDocumentsEveryOption) {
  const RunResult r = RunCli({"diff", "--help"});
  EXPECT_EQ(0, r.status);
  for (const char* option :
       {"-o FILE", "--charset", "--old-charset", "--new-charset", "--ignore-case",
        "--ignore-digits", "--ignore-punctuation", "--no-header", "--highlight-start",
        "--highlight-end", "--json", "changed_words", "exit status"}) {
    EXPECT_NE(std::string::npos, r.out.find(option)) << option;
  }
}

TEST_F(DiffCliTest, RealPagePairs) {
  for (const char* name : {"news-article", "table-rows", "list-items", "windows-1252"}) {
    const std::string dir = DataPath(std::string("changes/") + name);
    const RunResult r = RunCli({"diff", dir + "/old.html", dir + "/new.html"});
    EXPECT_EQ(1, r.status) << name << r.err;
    EXPECT_EQ(ReadFile(dir + "/expected.html"), r.out) << name;
  }
}

}  // namespace
