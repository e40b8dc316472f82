// HighlightHtml on generated pages of 1 MB and 10 MB and on every page of the
// shared corpus, with queries of 1, 3 and 8 terms, each beside the time Gumbo
// alone takes to parse the same page (counter x_parse = highlight / parse, in
// CPU time of the thread).
// Goal: the 3-term query on the 1 MB page within 2.5x the parse-only time.
#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "foundation/charset/transcode.h"
#include "highlight/highlight_testing.h"
#include "lumivant/html_query_highlighter.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "testing/test_util.h"
#include "text/occurrence_release.h"

namespace {

// CPU time of this thread: the ratio to the parse time must not depend on
// what else the machine is running.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A news-like page of about size bytes: sections of paragraphs with links,
// inline markup that splits words, tables and lists, over a vocabulary that
// holds the query words at realistic rates.
std::string GeneratePage(std::size_t size) {
  static const char* const kCommon[] = {
      "the",      "of",      "and",  "a",       "to",      "in",     "is",     "was",    "for",
      "on",       "that",    "with", "as",      "by",      "at",     "from",   "this",   "week",
      "station",  "driver",  "city", "council", "report",  "said",   "year",   "market", "oil",
      "crude",    "barrel",  "pump", "queue",   "analyst", "coast",  "inland", "region", "weather",
      "forecast", "traffic", "road", "harbour", "ferry",   "school", "budget"};
  static const char* const kRare[] = {"price", "prices", "drop", "fuel", "diesel", "petrol"};
  std::minstd_rand random(20260514);
  auto next = [&random](uint32_t bound) { return static_cast<uint32_t>(random() % bound); };
  auto word = [&]() -> std::string {
    if (next(40) == 0) return kRare[next(6)];
    return kCommon[next(sizeof(kCommon) / sizeof(kCommon[0]))];
  };
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Generated</title>"
      "<style>p{margin:0}</style></head>\n<body>\n";
  page.reserve(size + 4096);
  for (uint32_t section = 0; page.size() < size; ++section) {
    page +=
        "<section id=\"s" + std::to_string(section) + "\"><h2>" + word() + " " + word() + "</h2>\n";
    for (int p = 0; p < 6; ++p) {
      page += "<p>";
      for (int w = 0; w < 60; ++w) {
        switch (next(30)) {
          case 0:
            page += "<a href=\"/n/" + std::to_string(next(9999)) + "\">" + word() + " " + word() +
                    "</a> ";
            break;
          case 1:
            page += "<b>" + word() + "</b> ";
            break;
          case 2: {  // a word split by inline markup
            const std::string x = word();
            page += x.size() < 4 ? x + " " : x.substr(0, 2) + "<i>" + x.substr(2) + "</i> ";
            break;
          }
          case 3:
            page += word() + " &amp; ";
            break;
          default:
            page += word() + (next(12) == 0 ? ". " : " ");
            break;
        }
      }
      page += "</p>\n";
    }
    page += "<table><tr><th>Region</th><th>" + word() + "</th></tr>";
    for (int r = 0; r < 4; ++r)
      page += "<tr><td>" + word() + "</td><td>1." + std::to_string(40 + next(50)) + "</td></tr>";
    page += "</table>\n<ul><li>" + word() + " " + word() + "</li><li><a href=\"/x\">" + word() +
            "</a></li></ul></section>\n";
  }
  return page + "</body></html>\n";
}

const char* const kGeneratedQueries[] = {
    "price",
    "price drop fuel",
    "\"fuel price\" near:4 drop or (diesel petrol) or market report not zebra",
};

// Queries of 1, 3 and 8 words that the page holds, picked across its words.
std::vector<std::string> QueriesFromPage(const std::string& utf8) {
  std::vector<std::string> queries;
  for (std::size_t terms : {1, 3, 8}) {
    const std::string query =
        lvt_highlight_testing::AnyOf(lvt_highlight_testing::WordsOfPage(utf8, terms, 3, 1));
    queries.push_back(query.empty() ? "zebra" : query);
  }
  return queries;
}

// Gumbo alone, with the options the library parses with.
void GumboParse(const std::string& utf8) {
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;
  GumboOutput* output = gumbo_parse_with_options(&options, utf8.data(), utf8.size());
  gumbo_destroy_output(&options, output);
}

struct Page {
  std::string name;
  std::string bytes;
  LVTCharset::CHARSET charset = LVTCharset::kUtf8;
  std::string utf8;
  double parseSeconds = 0;  // Gumbo alone, best of a few runs
};

double MeasureParse(const std::string& utf8) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const double start = ThreadSeconds();
    GumboParse(utf8);
    best = std::min(best, ThreadSeconds() - start);
  }
  return best;
}

void BM_GumboParse(benchmark::State& state, const Page* page) {
  for (auto _ : state) GumboParse(page->utf8);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->utf8.size()));
}

// The stages before the writer, to see where highlighting spends its time:
// runs of text alone, then runs and word occurrences.
void BM_Extract(benchmark::State& state, const Page* page, bool words) {
  const LVTLanguage::Language english;
  for (auto _ : state) {
    LVTFile::MemoryBuffer input(page->utf8);
    LVTDT::RawTextList runs;
    LVTDT::RawTextExtractor::GetRawTextFromHtml(input, LVTCharset::kUtf8, runs);
    if (words) {
      LVTDT::WordOccurencesExtractor::OccurrenceMap map;
      LVTDT::WordOccurencesExtractor::GetWordOccurences(runs, map, english);
      LVTDT::ReleaseInDocumentOrder(map);  // as the highlighter releases it
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->utf8.size()));
}

void BM_HighlightHtml(benchmark::State& state, const Page* page, std::string query) {
  const LVTDT::HtmlQueryHighlighter highlighter(lvt_testing::U16(query));
  LVTFile::MemoryBuffer input(page->bytes);
  uint32_t anchors = 0;
  double seconds = 0;
  for (auto _ : state) {
    LVTFile::MemoryBuffer output(static_cast<uint32_t>(page->bytes.size() + 65536));
    const double start = ThreadSeconds();
    benchmark::DoNotOptimize(highlighter.HighlightHtml(input, page->charset, output, anchors));
    seconds += ThreadSeconds() - start;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->bytes.size()));
  state.counters["anchors"] = anchors;
  state.counters["x_parse"] =
      seconds / static_cast<double>(state.iterations()) / page->parseSeconds;
}

void Register(const Page* page, const std::vector<std::string>& queries) {
  benchmark::RegisterBenchmark(("GumboParse/" + page->name).c_str(), BM_GumboParse, page)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("ExtractRuns/" + page->name).c_str(), BM_Extract, page, false)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("ExtractWords/" + page->name).c_str(), BM_Extract, page, true)
      ->Unit(benchmark::kMillisecond);
  static const char* const kTerms[] = {"1", "3", "8"};
  for (std::size_t i = 0; i < queries.size(); ++i)
    benchmark::RegisterBenchmark(("HighlightHtml/" + page->name + "/terms:" + kTerms[i]).c_str(),
                                 BM_HighlightHtml, page, queries[i])
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  std::deque<Page> pages;  // benchmarks keep pointers: a deque never moves them
  for (std::size_t megabytes : {1, 10}) {
    Page* page = &pages.emplace_back();
    page->name = "generated_" + std::to_string(megabytes) + "MB";
    page->bytes = GeneratePage(megabytes << 20);
    page->utf8 = page->bytes;
    page->parseSeconds = MeasureParse(page->utf8);
    Register(page, {std::begin(kGeneratedQueries), std::end(kGeneratedQueries)});
  }
  const std::string corpus = lvt_testing::CorpusDir();
  if (!corpus.empty()) {
    for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages")) {
      if (path.find(".htm") == std::string::npos) continue;
      Page* page = &pages.emplace_back();
      page->name = path.substr(path.rfind('/') + 1);
      page->bytes = lvt_testing::ReadFile(path);
      page->charset = LVTCharset::DetectCharset(page->bytes);
      // Gumbo reads only UTF-8: it parses the page as the library converts it.
      LVTFile::MemoryBuffer in(page->bytes);
      LVTFile::MemoryBuffer out;
      LVTCharset::TranscodeStream(page->charset, LVTCharset::kUtf8, in, out, false);
      page->utf8 = out.Bytes();
      page->parseSeconds = MeasureParse(page->utf8);
      Register(page, QueriesFromPage(page->utf8));
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
