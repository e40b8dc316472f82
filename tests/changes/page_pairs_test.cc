// Whole comparisons of realistic page pairs: golden reports for the pairs of
// tests/data/changes (reviewed by eye once), and the report's invariants
// over those and over every pair of the shared corpus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "foundation/charset/labels.h"
#include "fuzz/changes_case.h"
#include "lumivant/compare_html_documents.h"
#include "testing/test_util.h"

namespace {

// Compares dir/old.html with dir/new.html and checks what every report must
// satisfy: taken apart, it is the new page in UTF-8; its elements are the new
// page's and ours; given back as the old page (when `again`), it compares
// equal.
lvt_fuzz::ChangeReport ComparePair(const std::string& dir, bool again) {
  const std::string oldPage = lvt_testing::ReadFile(dir + "/old.html");
  const std::string newPage = lvt_testing::ReadFile(dir + "/new.html");
  const LVTCharset::CHARSET oldCharset = LVTCharset::DetectCharset(oldPage);
  const LVTCharset::CHARSET newCharset = LVTCharset::DetectCharset(newPage);
  const LVTDT::CompareHtmlDocuments comparer;
  const lvt_fuzz::ChangeReport report =
      lvt_fuzz::RunComparison(comparer, oldPage, oldCharset, newPage, newCharset);
  EXPECT_EQ("", lvt_fuzz::ReportFault(report, lvt_fuzz::ExpectedCopy(newPage, newCharset), true,
                                      lvt_fuzz::kHighlightChoices[0]))
      << dir;
  EXPECT_TRUE(report.changes == 0 || report.changedWords > 0) << dir;
  if (again) {
    const lvt_fuzz::ChangeReport stored =
        lvt_fuzz::RunComparison(comparer, report.page, LVTCharset::kUtf8, newPage, newCharset);
    EXPECT_EQ(0u, stored.changedWords) << dir;
  }
  return report;
}

TEST(PagePairs, GoldenReports) {
  const std::vector<std::string> dirs = lvt_testing::ListDirs(lvt_testing::DataPath("changes"));
  ASSERT_GE(dirs.size(), 4u);
  const bool update = std::getenv("LUMIVANT_UPDATE_GOLDEN") != nullptr;
  for (const std::string& dir : dirs) {
    const lvt_fuzz::ChangeReport report = ComparePair(dir, true);
    const std::string counts = std::to_string(report.changes) + " " +
                               std::to_string(report.changedWords) + " " +
                               std::to_string(report.ratio) + "\n";
    if (update) {
      std::ofstream(dir + "/expected.html", std::ios::binary) << report.page;
      std::ofstream(dir + "/expected.counts", std::ios::binary) << counts;
    }
    EXPECT_EQ(lvt_testing::ReadFile(dir + "/expected.html"), report.page) << dir;
    EXPECT_EQ(lvt_testing::ReadFile(dir + "/expected.counts"), counts) << dir;
  }
}

TEST(PagePairs, EveryCorpusPairKeepsTheNewPage) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no shared corpus";
  // Pairs whose visible text did not change: only the markup or the
  // character set did.
  std::set<std::string> unchanged;
  std::istringstream index(lvt_testing::ReadFile(corpus + "/pairs/INDEX.tsv"));
  for (std::string line; std::getline(index, line);) {
    const std::size_t tab = line.find('\t');
    const std::string category = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
    if (category == "markup-only" || category == "charset-change")
      unchanged.insert(line.substr(0, tab));
  }
  EXPECT_GE(unchanged.size(), 3u);
  const std::vector<std::string> dirs = lvt_testing::ListDirs(corpus + "/pairs");
  ASSERT_FALSE(dirs.empty());
  for (std::size_t k = 0; k < dirs.size(); ++k) {
    // Comparing a report again doubles the time: a sample is enough.
    const lvt_fuzz::ChangeReport report = ComparePair(dirs[k], k % 8 == 0);
    const bool sameText = unchanged.count(dirs[k].substr(dirs[k].find_last_of('/') + 1)) != 0;
    EXPECT_TRUE(!sameText || report.changedWords == 0) << dirs[k];
  }
}

}  // namespace
