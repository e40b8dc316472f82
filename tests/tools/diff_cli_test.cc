// lumivant diff as a user runs it: the report, the counts, the options, the
// exit statuses and the failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "changes/report_format.h"
#include "fuzz/changes_case.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::ExamplePath;
using lvt_testing::ReadFile;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

const std::string kHeader = LVTDT::kReportHeader;
const std::string kOld = ExamplePath("news-v1.html");
const std::string kNew = ExamplePath("news-v2.html");
const std::string kUnchanged = "{\"changes\":0,\"changed_words\":0,\"change_ratio\":0}\n";

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
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }

  std::string m_Dir;
};

TEST_F(DiffCliTest, ReportCountsAndStatus) {
  RunResult r = RunCli({"diff", kOld, kNew});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ("", r.err);
  lvt_fuzz::ChangeReport report{r.out, 5, 0, 0.0};
  EXPECT_EQ("",
            lvt_fuzz::ReportFault(report, ReadFile(kNew), true, lvt_fuzz::kHighlightChoices[0]));
  r = RunCli({"diff", "--json", kOld, kNew});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ("{\"changes\":5,\"changed_words\":32,\"change_ratio\":0.26666666666666666}\n", r.out);
  r = RunCli({"diff", kOld, kOld});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(kHeader + ReadFile(kOld), r.out);
  EXPECT_EQ(kUnchanged, RunCli({"diff", "--json", kNew, kNew}).out);
  // A new page without words: the ratio is 0, the removed words count.
  r = RunCli({"diff", "--json", kOld, Write("empty.html", "<html><body></body></html>")});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(0u, r.out.find("{\"changes\":0,\"changed_words\":"));
  EXPECT_NE(std::string::npos, r.out.find(",\"change_ratio\":0}\n"));
}

TEST_F(DiffCliTest, OutputFileAndStandardInput) {
  RunResult r = RunCli({"diff", "-o", Path("report.html"), kOld, "-"}, kNew);
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ("", r.out);
  const std::string report = ReadFile(Path("report.html"));
  EXPECT_EQ(0u, report.find(kHeader));
  // With --json the counts go to standard output and the report to the file.
  r = RunCli({"diff", "--json", "-o", Path("again.html"), "-", kNew}, kOld);
  EXPECT_EQ(0u, r.out.find("{\"changes\":5,"));
  EXPECT_EQ(report, ReadFile(Path("again.html")));
  // The stored report as the old page: nothing changed.
  r = RunCli({"diff", "--json", Path("report.html"), kNew});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(kUnchanged, r.out);
  EXPECT_EQ(2u, lvt_testing::ListFiles(m_Dir).size());  // no temporary files left
}

TEST_F(DiffCliTest, TroubleLeavesTheOutputAlone) {
  Write("kept.html", "precious");
  RunResult r = RunCli({"diff", "-o", Path("kept.html"), Path("missing.html"), kNew});
  EXPECT_EQ(2, r.status);
  EXPECT_NE(std::string::npos, r.err.find(Path("missing.html")));
  EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n'));
  EXPECT_EQ("precious", ReadFile(Path("kept.html")));
  EXPECT_EQ(1u, lvt_testing::ListFiles(m_Dir).size());
  r = RunCli({"diff", "-o", Path("no/such/dir/out.html"), kOld, kNew});
  EXPECT_EQ(2, r.status);
  EXPECT_NE(std::string::npos, r.err.find("no/such/dir/out.html"));
}

TEST_F(DiffCliTest, CharsetOptions) {
  // The cafe page is windows-1252 and says so; every way of naming it works.
  const std::string cafe = ExamplePath("cafe-1252.html");
  const std::string cafeNew = Write("cafe-new.html", ReadFile(cafe) + "<p>Caf\xE9 cr\xE8me</p>");
  const RunResult r = RunCli({"diff", cafe, cafeNew});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("Caf\xC3\xA9 cr\xC3\xA8me</font></LumivantChanges>"));
  EXPECT_EQ(r.out, RunCli({"diff", "--charset", "windows-1252", cafe, cafeNew}).out);
  EXPECT_EQ(r.out,
            RunCli({"diff", "--old-charset", "1252", "--new-charset=1252", cafe, cafeNew}).out);
  // Read as ISO-8859-1 (code page 28591) the euro sign is another character.
  const std::string utf8 = Write("cafe-utf8.html", lvt_fuzz::ExpectedCopy(ReadFile(cafe), 1252));
  EXPECT_EQ(0, RunCli({"diff", "--json", "--old-charset", "windows-1252", "--new-charset", "utf-8",
                       cafe, utf8})
                   .status);
  EXPECT_EQ(
      1, RunCli({"diff", "--json", "--old-charset", "28591", "--new-charset", "utf-8", cafe, utf8})
             .status);
}

TEST_F(DiffCliTest, ComparisonAndReportOptions) {
  const std::string oldPage = Write("old.html", "<p>Price: 10 EUR</p><p>kept</p>");
  const std::string newPage = Write("new.html", "<p>price - 12 eur</p><p>kept</p>");
  EXPECT_EQ(1, RunCli({"diff", oldPage, newPage}).status);
  EXPECT_EQ(1, RunCli({"diff", "--ignore-case", "--ignore-digits", oldPage, newPage}).status);
  EXPECT_EQ(0, RunCli({"diff", "--ignore-case", "--ignore-digits", "--ignore-punctuation", oldPage,
                       newPage})
                   .status);
  EXPECT_EQ(
      "<p><a name=\"Change1\"></a><LumivantChanges><mark>price - 12 eur</mark>"
      "</LumivantChanges></p><p>kept</p>",
      RunCli({"diff", "--no-header", "--highlight-start", "<mark>", "--highlight-end=</mark>",
              oldPage, newPage})
          .out);
  // One highlight string given: the other keeps its default.
  EXPECT_NE(std::string::npos,
            RunCli({"diff", "--no-header", "--highlight-start", "", oldPage, newPage})
                .out.find("<LumivantChanges>price - 12 eur</font>"));
}

}  // namespace
