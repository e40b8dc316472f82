// lumivant text as a user runs it: the five fields, escaping, character
// sets, standard input, --changes-only and the failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "testing/test_util.h"

namespace {

using lvt_testing::DataPath;
using lvt_testing::ReadFile;
using lvt_testing::RunCli;
using lvt_testing::RunResult;

struct Line {
  uint32_t start;
  uint32_t length;
  uint32_t anchor;
  int excluded;
  std::string text;
};

std::vector<Line> Lines(const std::string& out) {
  std::vector<Line> lines;
  std::istringstream in(out);
  std::string row;
  while (std::getline(in, row)) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t tab; (tab = row.find('\t', from)) != std::string::npos; from = tab + 1)
      fields.push_back(row.substr(from, tab - from));
    fields.push_back(row.substr(from));
    EXPECT_EQ(5u, fields.size()) << row;
    if (fields.size() != 5) continue;
    lines.push_back(Line{
        static_cast<uint32_t>(std::stoul(fields[0])), static_cast<uint32_t>(std::stoul(fields[1])),
        static_cast<uint32_t>(std::stoul(fields[2])), std::stoi(fields[3]), fields[4]});
  }
  return lines;
}

const Line* Find(const std::vector<Line>& lines, const std::string& prefix) {
  for (const Line& line : lines)
    if (line.text.rfind(prefix, 0) == 0) return &line;
  return nullptr;
}

TEST(TextCliTest, PrintsFiveFieldsPerRunWithEscapes) {
  const std::string path = DataPath("html/cli-latin1.html");
  const std::string page = ReadFile(path);
  RunResult result = RunCli({"text", path});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_EQ("", result.err);
  std::vector<Line> lines = Lines(result.out);
  ASSERT_GE(lines.size(), 4u);
  const Line* street = Find(lines,
                            "Stra\xC3\x9F"
                            "e \\\\ back");  // read as latin-1
  ASSERT_NE(nullptr, street) << result.out;
  EXPECT_EQ(page.find("Stra"), street->start);
  EXPECT_EQ(std::string("Stra\xdf"
                        "e \\ back")
                .size(),
            street->length);
  EXPECT_EQ(street->start, street->anchor);
  const Line* pre = Find(lines, "one\\ntwo\\x1B");
  ASSERT_NE(nullptr, pre) << result.out;
  const Line* link = Find(lines, "words");
  ASSERT_NE(nullptr, link);
  EXPECT_EQ(page.find("<a href"), link->anchor);
  EXPECT_EQ(page.find("words"), link->start);
  for (const Line& line : lines) EXPECT_EQ(0, line.excluded);

  // The same page from standard input, with the charset named.
  RunResult piped = RunCli({"text", "--charset", "windows-1252", "-"}, path);
  EXPECT_EQ(0, piped.status) << piped.err;
  EXPECT_EQ(result.out, piped.out);
  RunResult utf8 = RunCli({"text", "--charset=65001", path});
  EXPECT_EQ(0, utf8.status);
  EXPECT_NE(result.out, utf8.out);  // 0xDF is no UTF-8
}

TEST(TextCliTest, ChangesOnlyExcludesRunsOutsideChangedRegions) {
  RunResult result = RunCli({"text", "--changes-only", DataPath("html/cli-latin1.html")});
  ASSERT_EQ(0, result.status) << result.err;
  std::vector<Line> lines = Lines(result.out);
  ASSERT_NE(nullptr, Find(lines, "new"));
  EXPECT_EQ(0, Find(lines, "new")->excluded);
  EXPECT_EQ(0, Find(lines, "words")->excluded);
  EXPECT_EQ(1, Find(lines, " old")->excluded);
  EXPECT_EQ(1, Find(lines, "Stra")->excluded);
}

TEST(TextCliTest, BundledExamplesGiveRunsInsideThePage) {
  for (const char* example : {"news-v1.html", "news-v2.html", "cafe-1252.html"}) {
    const std::string path = lvt_testing::ExamplePath(example);
    const std::string page = ReadFile(path);
    RunResult result = RunCli({"text", path});
    ASSERT_EQ(0, result.status) << example << result.err;
    std::vector<Line> lines = Lines(result.out);
    EXPECT_GE(lines.size(), 3u) << example;
    uint32_t lastEnd = 0;
    for (const Line& line : lines) {
      EXPECT_GE(line.start, lastEnd) << example;
      EXPECT_LE(line.start + line.length, page.size()) << example;
      EXPECT_EQ(std::string::npos, page.substr(line.start, line.length).find("<p")) << example;
      lastEnd = line.start + line.length;
    }
  }
  RunResult cafe = RunCli({"text", lvt_testing::ExamplePath("cafe-1252.html")});
  EXPECT_NE(std::string::npos, cafe.out.find("Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
                                             "e \xE2\x82\xAC"));
}

TEST(TextCliTest, FailuresSayWhatAndExitTwo) {
  RunResult missing = RunCli({"text", "/nonexistent/page.html"});
  EXPECT_EQ(2, missing.status);
  EXPECT_EQ("", missing.out);
  EXPECT_NE(std::string::npos, missing.err.find("/nonexistent/page.html"));
  EXPECT_EQ(1, std::count(missing.err.begin(), missing.err.end(), '\n'));

  RunResult charset = RunCli({"text", "--charset", "no-such-set", DataPath("html/messy.html")});
  EXPECT_EQ(2, charset.status);
  EXPECT_NE(std::string::npos, charset.err.find("no-such-set"));

  EXPECT_EQ(2, RunCli({"text"}).status);
  EXPECT_EQ(2, RunCli({"text", "a.html", "b.html"}).status);
  EXPECT_EQ(2, RunCli({"text", "--bogus", DataPath("html/messy.html")}).status);

  RunResult help = RunCli({"text", "--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("usage: lumivant text"));
}

}  // namespace
