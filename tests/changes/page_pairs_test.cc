// Whole comparisons of realistic page pairs: golden reports for the pairs of
// tests/data/changes (reviewed by eye once), and the report's invariants
// over those and over every pair of the shared corpus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "changes/report_testing.h"
#include "foundation/charset/labels.h"
#include "lumivant/compare_html_documents.h"
#include "testing/test_util.h"

namespace {

using lvt_changes_testing::Compare;
using lvt_changes_testing::Report;
using lvt_changes_testing::StripReport;
using lvt_changes_testing::ToUtf8;

struct Pair {
  std::string name;
  std::string oldPage;
  std::string newPage;
  LVTCharset::CHARSET oldCharset;
  LVTCharset::CHARSET newCharset;
};

Pair LoadPair(const std::string& dir) {
  Pair pair;
  pair.name = dir.substr(dir.find_last_of('/') + 1);
  pair.oldPage = lvt_testing::ReadFile(dir + "/old.html");
  pair.newPage = lvt_testing::ReadFile(dir + "/new.html");
  pair.oldCharset = LVTCharset::DetectCharset(pair.oldPage);
  pair.newCharset = LVTCharset::DetectCharset(pair.newPage);
  return pair;
}

Report ComparePair(const Pair& pair) {
  return Compare(LVTDT::CompareHtmlDocuments(), pair.oldPage, pair.newPage, pair.oldCharset,
                 pair.newCharset);
}

// What every report must satisfy: taken apart, it is the new page in UTF-8
// (the very bytes, for a page that was valid UTF-8); given back as the old
// page, it compares equal.
void CheckInvariants(const Pair& pair, const Report& report, bool checkStored) {
  const std::string converted = ToUtf8(pair.newPage, pair.newCharset);
  EXPECT_EQ(converted, StripReport(report)) << pair.name;
  if (pair.newCharset == LVTCharset::kUtf8 && converted == pair.newPage) {
    EXPECT_EQ(pair.newPage, StripReport(report)) << pair.name;
  }
  if (report.changes > 0) {
    EXPECT_GT(report.changedWords, 0u) << pair.name;
  }
  if (checkStored) {
    const Report again = Compare(LVTDT::CompareHtmlDocuments(), report.page, pair.newPage,
                                 LVTCharset::kUtf8, pair.newCharset);
    EXPECT_EQ(0u, again.changes) << pair.name;
    EXPECT_EQ(0u, again.changedWords) << pair.name;
  }
}

TEST(PagePairs, GoldenReports) {
  const std::vector<std::string> dirs = lvt_testing::ListDirs(lvt_testing::DataPath("changes"));
  ASSERT_GE(dirs.size(), 4u);
  const bool update = std::getenv("LUMIVANT_UPDATE_GOLDEN") != nullptr;
  for (const std::string& dir : dirs) {
    const Pair pair = LoadPair(dir);
    const Report report = ComparePair(pair);
    const std::string summary = std::to_string(report.changes) + " " +
                                std::to_string(report.changedWords) + " " +
                                std::to_string(report.ratio) + "\n";
    if (update) {
      std::ofstream(dir + "/expected.html", std::ios::binary) << report.page;
      std::ofstream(dir + "/expected.counts", std::ios::binary) << summary;
    }
    EXPECT_EQ(lvt_testing::ReadFile(dir + "/expected.html"), report.page) << pair.name;
    EXPECT_EQ(lvt_testing::ReadFile(dir + "/expected.counts"), summary) << pair.name;
    CheckInvariants(pair, report, true);
  }
}

TEST(PagePairs, WhatEachPairReports) {
  const std::string dir = lvt_testing::DataPath("changes/");
  // A note added to the date line, a price changed, a paragraph added, a
  // month changed: four groups.
  Report r = ComparePair(LoadPair(dir + "news-article"));
  EXPECT_EQ(4u, r.changes);
  EXPECT_NE(std::string::npos,
            r.page.find("<b><a name=\"Change4\"></a><LumivantChanges><font color=#800000 "
                        "style=background-color:#FFFF00>July</font></LumivantChanges></b>"));
  // Two rows swapped at the top, numbers changed in every row: the clubs
  // of the swapped rows and every changed cell are marked, each run of
  // changed cells its own group.
  r = ComparePair(LoadPair(dir + "table-rows"));
  EXPECT_EQ(12u, r.changes);
  EXPECT_NE(std::string::npos, r.page.find("<a name=\"Change5\"></a><a "
                                           "href=\"/clubs/ashford\"><LumivantChanges>"));
  // Three items inserted in two lists: three groups.
  r = ComparePair(LoadPair(dir + "list-items"));
  EXPECT_EQ(3u, r.changes);
  // A windows-1252 page: UTF-8 report, euro signs converted.
  r = ComparePair(LoadPair(dir + "windows-1252"));
  EXPECT_EQ(0u, r.page.find(LVTDT::kReportHeader));
  EXPECT_NE(std::string::npos, r.page.find("Tarte Tatin maison \xE2\x80\x93 5,40 \xE2\x82\xAC"));
  EXPECT_EQ(3u, r.changes);
}

// Pairs of the corpus index whose visible text did not change: only the
// markup or the character set did.
std::set<std::string> UnchangedTextPairs(const std::string& corpus) {
  std::set<std::string> ids;
  std::istringstream index(lvt_testing::ReadFile(corpus + "/pairs/INDEX.tsv"));
  std::string line;
  while (std::getline(index, line)) {
    const std::size_t tab = line.find('\t');
    const std::string category = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
    if (category == "markup-only" || category == "charset-change") ids.insert(line.substr(0, tab));
  }
  return ids;
}

TEST(PagePairs, EveryCorpusPairKeepsTheNewPage) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no shared corpus";
  const std::vector<std::string> dirs = lvt_testing::ListDirs(corpus + "/pairs");
  ASSERT_FALSE(dirs.empty());
  const std::set<std::string> unchanged = UnchangedTextPairs(corpus);
  EXPECT_GE(unchanged.size(), 3u);
  for (std::size_t k = 0; k < dirs.size(); ++k) {
    const Pair pair = LoadPair(dirs[k]);
    const Report report = ComparePair(pair);
    // Comparing a report again doubles the time: a sample is enough.
    CheckInvariants(pair, report, k % 8 == 0);
    if (unchanged.count(pair.name) != 0) {
      EXPECT_EQ(0u, report.changedWords) << pair.name;
    }
  }
}

}  // namespace
