// Raw text extraction (parse, tree, runs) beside the HTML5 tokenizer library
// parsing the same page alone, on every page of the shared corpus and on
// generated pages of 1 MB and 10 MB, plus a page nested 200,000 levels deep
// and two pages whose tables lose 100,000 pieces of text to the parser.
// Counter x_parse = extraction time / parse-only time: the price of our tree
// (page-order fixes, split text nodes, iterative release) and of the runs.
#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "testing/test_util.h"

namespace {

using Clock = std::chrono::steady_clock;

// Paragraphs with links, inline markup inside words, entities, tables and
// lists: what raw text extraction meets on news and reference pages.
std::string GeneratePage(std::size_t size) {
  static const char* const kWords[] = {
      "station", "driver",  "city",  "council", "report",  "said",    "market",  "crude",  "barrel",
      "queue",   "analyst", "coast", "region",  "weather", "traffic", "harbour", "budget", "the"};
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state](uint32_t bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<uint32_t>(state % bound);
  };
  auto word = [&]() { return std::string(kWords[next(sizeof(kWords) / sizeof(kWords[0]))]); };
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Generated</title>"
      "<style>p{margin:0}</style></head><body>\n";
  while (page.size() < size) {
    switch (next(4)) {
      case 0:
        page += "<table class=data><tr><th>" + word() + "</th><th>" + word() + "</th></tr>";
        for (int row = 0; row < 5; ++row)
          page += "<tr><td>" + word() + "</td><td>" + std::to_string(next(1000)) +
                  "&nbsp;&euro;</td></tr>";
        page += "</table>\n";
        break;
      case 1:
        page += "<ul>";
        for (int item = 0; item < 4; ++item)
          page += "<li><a href=\"/" + word() + "\">" + word() + " " + word() + "</a>";
        page += "</ul>\n";
        break;
      default:
        page += "<p>";
        for (int w = 0; w < 40; ++w) {
          if (next(12) == 0)
            page += "<b>" + word() + "</b> ";
          else if (next(20) == 0)
            page += "<a href=\"/x\">" + word() + "</a> ";
          else if (next(30) == 0)
            page += "su<i>per</i>" + word() + " ";
          else if (next(40) == 0)
            page += word() + " &amp; ";
          else
            page += word() + " ";
        }
        page += "</p>\n";
    }
  }
  return page + "</body></html>\n";
}

struct Input {
  std::string name;
  std::string bytes;
  LVTCharset::CHARSET charset;
};

std::vector<Input>& Inputs() {
  static std::vector<Input> inputs = [] {
    std::vector<Input> list;
    list.push_back({"generated_1MB", GeneratePage(1 << 20), LVTCharset::kUtf8});
    list.push_back({"generated_10MB", GeneratePage(10 << 20), LVTCharset::kUtf8});
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<div>x";
    list.push_back({"nested_200000", deep, LVTCharset::kUtf8});
    // Text the parser moves out of tables, to be put back: 100,000 pieces
    // between the cells of one row, and 100,000 tables with one piece each.
    std::string cells = "<body><table><tr>";
    std::string tables = "<body>";
    for (int i = 0; i < 100000; ++i) {
      cells += "<td>a</td>x";
      tables += "<table>x";
    }
    list.push_back({"fostered_cells_100000", cells, LVTCharset::kUtf8});
    list.push_back({"fostered_tables_100000", tables, LVTCharset::kUtf8});
    const std::string corpus = lvt_testing::CorpusDir();
    if (!corpus.empty()) {
      for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages")) {
        if (path.find(".htm") == std::string::npos) continue;
        std::string bytes = lvt_testing::ReadFile(path);
        LVTCharset::CHARSET charset = LVTCharset::DetectCharset(bytes);
        list.push_back({path.substr(path.rfind('/') + 1), std::move(bytes), charset});
      }
    }
    return list;
  }();
  return inputs;
}

double GumboSeconds(const std::string& bytes) {
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;
  auto start = Clock::now();
  GumboOutput* output = gumbo_parse_with_options(&options, bytes.data(), bytes.size());
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  gumbo_destroy_output(&options, output);
  return seconds;
}

// The library alone, on the bytes as UTF-8 (its only input); pages in other
// character sets are compared on their raw bytes, which it reads as UTF-8.
void BM_GumboParseOnly(benchmark::State& state, const Input* input) {
  for (auto _ : state) {
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboOutput* output =
        gumbo_parse_with_options(&options, input->bytes.data(), input->bytes.size());
    benchmark::DoNotOptimize(output);
    gumbo_destroy_output(&options, output);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input->bytes.size()));
}

void BM_RawTextFromHtml(benchmark::State& state, const Input* input) {
  double parseOnly = 1e9;
  // The nested page takes the library minutes; it gets no baseline.
  const bool baseline = input->name.rfind("nested", 0) != 0;
  for (int i = 0; baseline && i < 3; ++i)
    parseOnly = std::min(parseOnly, GumboSeconds(input->bytes));
  double total = 0;
  std::size_t runs = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    LVTFile::MemoryBuffer page(input->bytes);
    LVTDT::RawTextList list;
    LVTDT::RawTextExtractor::GetRawTextFromHtml(page, input->charset, list);
    runs = list.size();
    total += std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input->bytes.size()));
  state.counters["runs"] = static_cast<double>(runs);
  if (baseline)
    state.counters["x_parse"] = total / static_cast<double>(state.iterations()) / parseOnly;
}

int Register() {
  for (const Input& input : Inputs()) {
    if (input.name.rfind("nested", 0) != 0)
      benchmark::RegisterBenchmark(("GumboParseOnly/" + input.name).c_str(), BM_GumboParseOnly,
                                   &input)
          ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("RawTextFromHtml/" + input.name).c_str(), BM_RawTextFromHtml,
                                 &input)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
