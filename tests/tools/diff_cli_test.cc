// lumivant diff as a user runs it: the report, the counts, the options, the
// exit statuses and the output file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "changes/report_format.h"
#include "fuzz/changes_case.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::ReadFile;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

const std::string kHeader = LVTDT::kReportHeader;
const std::string kOld = lvt_testing::ExamplePath("news-v1.html");
const std::string kNew = lvt_testing::ExamplePath("news-v2.html");
const std::string kUnchanged = "{\"changes\":0,\"changed_words\":0,\"change_ratio\":0}\n";

// A fresh folder for a test's files, removed with them at the end.
struct Folder {
  Folder() {
    char dir[] = "/tmp/lumivant-diff-test.XXXXXX";
    path = mkdtemp(dir) != nullptr ? dir : "/tmp";
  }
  ~Folder() {
    for (const std::string& file : lvt_testing::ListFiles(path)) std::remove(file.c_str());
    rmdir(path.c_str());
  }
  std::string path;
};

std::string Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(DiffCliTest, ReportCountsAndStatus) {
  RunResult r = RunCli({"diff", kOld, kNew});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ("", r.err);
  EXPECT_EQ("", lvt_fuzz::ReportFault({r.out, 5, 0, 0.0}, ReadFile(kNew), true,
                                      lvt_fuzz::kHighlightChoices[0]));
  r = RunCli({"diff", "--json", kOld, kNew});
  EXPECT_EQ("{\"changes\":5,\"changed_words\":32,\"change_ratio\":0.26666666666666666}\n", r.out);
  r = RunCli({"diff", kOld, kOld});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(kHeader + ReadFile(kOld), r.out);
  // A new page without words: the ratio is 0, the removed words count.
  const Folder dir;
  r = RunCli({"diff", "--json", kOld, Write(dir.path + "/empty.html", "<html><body></body>")});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(0u, r.out.find("{\"changes\":0,\"changed_words\":"));
  EXPECT_NE(std::string::npos, r.out.find(",\"change_ratio\":0}\n"));
}

TEST(DiffCliTest, OutputFileAndStandardInput) {
  const Folder folder;
  const std::string dir = folder.path;
  RunResult r = RunCli({"diff", "-o", dir + "/report.html", kOld, "-"}, kNew);
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ("", r.out);
  const std::string report = ReadFile(dir + "/report.html");
  EXPECT_EQ(0u, report.find(kHeader));
  // With --json the counts go to standard output and the report to the file.
  r = RunCli({"diff", "--json", "-o", dir + "/again.html", "-", kNew}, kOld);
  EXPECT_EQ(0u, r.out.find("{\"changes\":5,"));
  EXPECT_EQ(report, ReadFile(dir + "/again.html"));
  // The stored report as the old page: nothing changed.
  r = RunCli({"diff", "--json", dir + "/report.html", kNew});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(kUnchanged, r.out);
  // Trouble leaves the output alone, and no temporary file behind.
  Write(dir + "/kept.html", "precious");
  r = RunCli({"diff", "-o", dir + "/kept.html", dir + "/missing.html", kNew});
  EXPECT_EQ(2, r.status);
  EXPECT_NE(std::string::npos, r.err.find(dir + "/missing.html"));
  EXPECT_EQ("precious", ReadFile(dir + "/kept.html"));
  EXPECT_EQ(3u, lvt_testing::ListFiles(dir).size());
  r = RunCli({"diff", "-o", dir + "/no/such/dir/out.html", kOld, kNew});
  EXPECT_EQ(2, r.status);
  EXPECT_NE(std::string::npos, r.err.find("no/such/dir/out.html"));
}

TEST(DiffCliTest, CharsetComparisonAndReportOptions) {
  // The cafe page is windows-1252 and says so; every way of naming it works.
  const Folder folder;
  const std::string dir = folder.path, cafe = lvt_testing::ExamplePath("cafe-1252.html");
  const std::string cafeNew = Write(dir + "/new.html", ReadFile(cafe) + "<p>Caf\xE9 cr\xE8me</p>");
  const RunResult r = RunCli({"diff", cafe, cafeNew});
  EXPECT_NE(std::string::npos, r.out.find("Caf\u00e9 cr\u00e8me</font></LumivantChanges>"));
  EXPECT_EQ(r.out, RunCli({"diff", "--charset", "windows-1252", cafe, cafeNew}).out);
  EXPECT_EQ(r.out,
            RunCli({"diff", "--old-charset", "1252", "--new-charset=1252", cafe, cafeNew}).out);
  // Read as ISO-8859-1 (code page 28591) the euro sign is another character.
  const std::string utf8 = Write(dir + "/utf8.html", lvt_fuzz::ExpectedCopy(ReadFile(cafe), 1252));
  EXPECT_EQ(0,
            RunCli({"diff", "--old-charset", "windows-1252", "--new-charset", "utf-8", cafe, utf8})
                .status);
  EXPECT_EQ(
      1, RunCli({"diff", "--old-charset", "28591", "--new-charset", "utf-8", cafe, utf8}).status);
  const std::string oldPage = Write(dir + "/a.html", "<p>Price: 10 EUR</p><p>kept</p>");
  const std::string newPage = Write(dir + "/b.html", "<p>price - 12 eur</p><p>kept</p>");
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

// What changed, in words for a script and as text for a terminal: the
// example pair's groups are the texts its report highlights.
TEST(DiffCliTest, DetailsAndTextView) {
  RunResult r = RunCli({"diff", "--json", "--details", kOld, kNew});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ(
      "{\"changes\":5,\"changed_words\":32,\"change_ratio\":0.26666666666666666,\"groups\":["
      "{\"anchor\":\"Change1\",\"text\":\"fifteen\",\"words\":1},"
      "{\"anchor\":\"Change2\",\"text\":\"Cyclists pay a new supplement of £1 per "
      "crossing.\",\"words\":9},{\"anchor\":\"Change3\",\"text\":\"£15.10\",\"words\":2},"
      "{\"anchor\":\"Change4\",\"text\":\"Lobster £32.00 Prices are the average of "
      "Wednesday's auction. Read\",\"words\":11},{\"anchor\":\"Change5\",\"text\":\"Harbour "
      "clean-up, Sunday 09:30 Lifeboat open day, Saturday 10:00\",\"words\":9}],\"removed\":["
      "{\"text\":\"twenty\",\"before\":\"Change1\"},{\"text\":\"£14.20\",\"before\":"
      "\"Change3\"},{\"text\":\"Prices are the average of Tuesday's auction. Read\","
      "\"before\":\"Change4\"}]}\n",
      r.out);
  // Word level: the words of changed texts, the words removed without a
  // replacement counted; the text view marks the words.
  r = RunCli({"diff", "--json", "--details", "--word-level", kOld, kNew});
  EXPECT_EQ(0u, r.out.find("{\"changes\":5,\"changed_words\":25,"));
  EXPECT_NE(std::string::npos,
            r.out.find("{\"anchor\":\"Change4\",\"text\":\"Lobster £32.00 Wednesday's\","
                       "\"words\":4}"));
  EXPECT_NE(std::string::npos,
            RunCli({"diff", "--text", "--word-level", kOld, kNew})
                .out.find("[-Tuesday's-] Prices are the average of {+Wednesday's+} auction."));
  r = RunCli({"diff", "--text", "--context", "0", kOld, kNew});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_EQ(0u, r.out.find("The harbour ferry will run every [-twenty-] {+fifteen+} minutes"));
  EXPECT_NE(std::string::npos, r.out.find("\n--\n[-£14.20-] {+£15.10+}\n--\n{+Lobster+}\n"));
  EXPECT_EQ(0u, RunCli({"diff", "--text", "--context", "1", kOld, kNew})
                    .out.find("By Ann Kowalski, transport reporter\nThe harbour"));
  r = RunCli({"diff", "--text", "--color=always", kOld, kNew});
  EXPECT_NE(std::string::npos, r.out.find("\x1b[9;31mtwenty\x1b[0m \x1b[30;43mfifteen\x1b[0m"));
  for (const auto& bad :
       std::vector<std::vector<std::string>>{{"--details", kOld, kNew},
                                             {"--text", "--json", kOld, kNew},
                                             {"--context", "1", kOld, kNew},
                                             {"--text", "--color=pink", kOld, kNew},
                                             {"--text", "--context", "-1", kOld, kNew}}) {
    std::vector<std::string> args = {"diff"};
    args.insert(args.end(), bad.begin(), bad.end());
    EXPECT_EQ(2, RunCli(args).status) << bad[0];
  }
}

}  // namespace
