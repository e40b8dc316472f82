// lumivant batch as a user runs it: each pair's line and report as lumivant
// diff gives them, in manifest order, and bad pairs as error lines.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testing/test_util.h"

namespace {

using lvt_testing::ReadFile;
using lvt_testing::RunCli;

TEST(BatchCliTest, EveryPairAsDiffGivesItAndBadPairsAsErrors) {
  char temp[] = "/tmp/lumivant-batch-test.XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(temp));
  const std::string dir = temp;
  std::vector<std::pair<std::string, std::string>> pairs = {
      {lvt_testing::ExamplePath("news-v1.html"), lvt_testing::ExamplePath("news-v2.html")}};
  if (!lvt_testing::CorpusDir().empty())
    for (const std::string& pair : lvt_testing::ListDirs(lvt_testing::CorpusDir() + "/pairs"))
      pairs.emplace_back(pair + "/old.html", pair + "/new.html");

  std::ostringstream manifest, expected;
  manifest << "# old\tnew\treport\n\n";
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const std::string want = dir + "/want" + std::to_string(i);
    const std::string got = dir + "/got" + std::to_string(i);
    const lvt_testing::RunResult diff =
        RunCli({"diff", "--json", "-o", want, pairs[i].first, pairs[i].second});
    ASSERT_EQ("", diff.err);
    expected << "{\"old\":\"" << pairs[i].first << "\",\"new\":\"" << pairs[i].second << "\","
             << diff.out.substr(1);
    manifest << pairs[i].first << '\t' << pairs[i].second << '\t' << got << '\n';
  }
  std::ofstream(dir + "/pairs.tsv") << manifest.str();
  lvt_testing::RunResult batch = RunCli({"batch", "-j", "2", dir + "/pairs.tsv"});
  EXPECT_EQ(1, batch.status) << batch.err;
  EXPECT_EQ("", batch.err);
  EXPECT_EQ(expected.str(), batch.out);
  for (std::size_t i = 0; i < pairs.size(); ++i)
    EXPECT_EQ(ReadFile(dir + "/want" + std::to_string(i)),
              ReadFile(dir + "/got" + std::to_string(i)))
        << pairs[i].second;

  // A missing page and a folder are errors of their pairs only; a binary
  // file is a bad page, compared like any other.
  const std::string& page = pairs[0].first;
  std::ofstream(dir + "/binary.bin") << std::string("\0\xff\xfe<p>\x01\0</", 10);
  std::ofstream(dir + "/bad.tsv") << page << '\t' << dir + "/missing.html\n"
                                  << dir << '\t' << page << '\n'
                                  << page << '\t' << page << '\n'
                                  << dir + "/binary.bin\t" << page << '\n';
  batch = RunCli({"batch", "-j", "2", "--query", "bridge", dir + "/bad.tsv"});
  EXPECT_EQ(2, batch.status);
  const std::size_t binaryLine = batch.out.find("{\"old\":\"" + dir + "/binary.bin\"");
  ASSERT_NE(std::string::npos, binaryLine) << batch.out;
  EXPECT_NE(std::string::npos, batch.out.find("\"changes\":", binaryLine)) << batch.out;
  batch.out.resize(binaryLine);
  EXPECT_EQ("{\"old\":\"" + page + "\",\"new\":\"" + dir + "/missing.html\",\"error\":\"" + dir +
                "/missing.html: No such file or directory\"}\n" + "{\"old\":\"" + dir +
                "\",\"new\":\"" + page + "\",\"error\":\"" + dir + ": Is a directory\"}\n" +
                "{\"old\":\"" + page + "\",\"new\":\"" + page +
                "\",\"changes\":0,\"changed_words\":0,\"change_ratio\":0,\"match\":false,"
                "\"hits\":0}\n",
            batch.out);

  // --query takes --unicode-words.
  std::ofstream(dir + "/old.html") << "<p>\u03c4\u03c3\u03ac\u03b9</p>";
  std::ofstream(dir + "/new.html") << "<p>\u03c4\u03c3\u03ac\u03b9 \u03ba\u03b1\u03c6\u03ad</p>";
  std::ofstream(dir + "/greek.tsv") << dir + "/old.html\t" + dir + "/new.html\n";
  for (const bool unicodeWords : {false, true}) {
    std::vector<std::string> args = {"batch", "--query", "\u039a\u0391\u03a6\u0395",
                                     dir + "/greek.tsv"};
    if (unicodeWords) args.insert(args.begin() + 1, "--unicode-words");
    batch = RunCli(args);
    EXPECT_NE(std::string::npos,
              batch.out.find(unicodeWords ? "\"match\":true" : "\"match\":false"))
        << batch.out;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
