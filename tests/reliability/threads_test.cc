// The library on eight threads at once: change detection, highlighting and
// simple queries, each thread with objects of its own, all of them on the
// library's shared state (the keyword tables, the inline element set, the
// stop words, the default languages, the converters' pool). Every result
// must equal the one the same call gives on one thread.
//
// Run one test per process (as ctest does) and the threads also race for
// the first use of the state built on demand. scripts/sanitize.sh runs these
// tests under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/changes_case.h"
#include "fuzz/highlight_case.h"
#include "fuzz/query_case.h"
#include "lumivant/compare_html_documents.h"
#include "lumivant/create_simple_query.h"
#include "lumivant/html_query_highlighter.h"
#include "testing/test_util.h"

namespace {

constexpr int kThreads = 8;

struct Work {
  std::string oldPage;
  std::string newPage;
  LVTCharset::CHARSET charset;
  std::u16string query;
};

std::vector<Work> Pages() {
  const std::string v1 = lvt_testing::ReadFile(lvt_testing::ExamplePath("news-v1.html"));
  const std::string v2 = lvt_testing::ReadFile(lvt_testing::ExamplePath("news-v2.html"));
  const std::string cafe = lvt_testing::ReadFile(lvt_testing::ExamplePath("cafe-1252.html"));
  std::string cafe2 = cafe;
  cafe2.replace(cafe2.find("<h1>"), 4, "<h1>Chez ");
  return {{v1, v2, LVTCharset::kUtf8, u"ferry OR harbour \"fish market\""},
          {v2, v1, LVTCharset::kUtf8, u"not budget"},
          {cafe, cafe2, 1252, u"caf\u00e9 near:3 port"},
          {"<p>alpha beta</p>", "<table>gamma<tr><td>alpha <b>be</b>ta</table>", 932,
           u"alpha (beta or gamma)"}};
}

// What one call of each kind gives; compared between threads and a lone run.
struct Results {
  std::string report;
  unsigned changes = 0;
  std::string highlighted;
  uint32_t anchors = 0;
  bool matches = false;
  std::string simple;  // the groups of CreateSimpleQuery's evaluator
};

std::string GroupsOf(const std::u16string& query, const std::string& text) {
  std::string out;
  const LVT::RefCount<LVTDT::TermDocumentEvaluatorEx> evaluator =
      LVTDT::CreateSimpleQuery(query, lvt_fuzz::OccurrencesOf(lvt_fuzz::Utf8ToWide(text)));
  out += evaluator->EvaluateNode() ? "match" : "no match";
  for (const auto& group : evaluator->HighlightedWords()) {
    out += " [";
    for (const auto& occurrence : *group) out += std::to_string(occurrence->m_WordIndex) + ",";
    out += "]";
  }
  return out;
}

Results RunAll(const Work& work, const LVTDT::CompareHtmlDocuments& sharedComparer) {
  Results results;
  const lvt_fuzz::ChangeReport report = lvt_fuzz::RunComparison(
      sharedComparer, work.oldPage, work.charset, work.newPage, work.charset);
  results.report = report.page;
  results.changes = report.changes;
  LVTDT::CompareHtmlDocuments own;
  own.IgnoreCase(true);
  results.report +=
      lvt_fuzz::RunComparison(own, work.newPage, work.charset, work.oldPage, work.charset).page;
  const lvt_fuzz::Highlighted hit = lvt_fuzz::RunHighlighter(
      LVTDT::HtmlQueryHighlighter(work.query), work.newPage, work.charset, false);
  results.highlighted = hit.page;
  results.anchors = hit.anchors;
  results.matches = hit.match;
  results.simple = GroupsOf(work.query, "alpha beta gamma fish market ferry caf\xC3\xA9 port");
  return results;
}

bool operator==(const Results& a, const Results& b) {
  return a.report == b.report && a.changes == b.changes && a.highlighted == b.highlighted &&
         a.anchors == b.anchors && a.matches == b.matches && a.simple == b.simple;
}

TEST(Threads, EightThreadsDetectHighlightAndQueryAtOnce) {
  const std::vector<Work> pages = Pages();
  const LVTDT::CompareHtmlDocuments sharedComparer;  // const: safe to share
  std::vector<std::vector<Results>> byThread(kThreads);
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // All start together, so that they race for the first use too.
      ++ready;
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int round = 0; round < 3; ++round)
        for (std::size_t i = 0; i < pages.size(); ++i)
          byThread[t].push_back(RunAll(pages[(i + t) % pages.size()], sharedComparer));
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(3 * pages.size(), byThread[t].size());
    for (std::size_t k = 0; k < byThread[t].size(); ++k) {
      const Work& work = pages[(k % pages.size() + t) % pages.size()];
      EXPECT_TRUE(RunAll(work, sharedComparer) == byThread[t][k])
          << "thread " << t << ", call " << k;
    }
  }
  EXPECT_GT(byThread[0][0].anchors, 0u);
  EXPECT_GT(byThread[0][0].changes, 0u);
}

// Highlighters and comparers made and dropped on all threads while others
// use theirs: nothing they share is owned by one of them.
TEST(Threads, ObjectsComeAndGoOnEveryThread) {
  const std::string page = lvt_testing::ReadFile(lvt_testing::ExamplePath("news-v2.html"));
  auto round = [&page](int t) {
    LVTDT::HtmlQueryHighlighter highlighter(t % 2 ? u"ferry" : u"nowhere");
    LVTDT::CompareHtmlDocuments comparer;
    comparer.HighlightString(u"<em>", u"</em>");
    const lvt_fuzz::ChangeReport report =
        lvt_fuzz::RunComparison(comparer, "<p>x</p>", LVTCharset::kUtf8, page, LVTCharset::kUtf8);
    return lvt_fuzz::RunHighlighter(highlighter, report.page, LVTCharset::kUtf8, true).match;
  };
  std::atomic<int> ready{0};
  std::atomic<int> matches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ++ready;
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int r = 0; r < 5; ++r) matches += round(t);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_TRUE(round(1));
  EXPECT_FALSE(round(0));
  EXPECT_EQ(kThreads / 2 * 5, matches.load());
}

}  // namespace
