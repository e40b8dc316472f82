// Change detection (DetectChanges: conversion, parse of both pages, text
// sequences, alignment, report) on generated page pairs of 100 KB, 1 MB and
// 10 MB (identical, one paragraph edited, 1% of the paragraphs edited), on
// unrelated pages of 2,000, 10,000 and 20,000 text nodes, and on all the
// pairs of the shared corpus in one run; the edited pairs and the corpus
// also with word level (word_level/...), which compares each changed text
// word by word.
//
// Counters: x_parse = DetectChanges CPU time / CPU time the HTML5 tokenizer
// library alone takes to parse both pages (goal: within 2 for the 1 MB pair
// with one edited paragraph); peak_MB = growth of the peak resident memory
// during one comparison (goal: reported for the unrelated 10,000-node pair);
// nodes = text nodes of the new page; changes = groups of changes.
//
// LUMIVANT_PAIRS=050,026 keeps only those corpus pairs, and
// LUMIVANT_ROUNDS=40 times each of them 40 times instead of 5: on a
// machine whose speed drifts, a pair's best of many rounds is steadier.
#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "lumivant/compare_html_documents.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

// CPU time of this thread, in seconds: the machine may be busy with other
// work, which wall time would count.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A small deterministic generator.
class Random {
 public:
  explicit Random(uint64_t seed) : m_State(seed | 1) {}
  uint32_t Next(uint32_t bound) {
    m_State ^= m_State << 13;
    m_State ^= m_State >> 7;
    m_State ^= m_State << 17;
    return static_cast<uint32_t>(m_State % bound);
  }

 private:
  uint64_t m_State;
};

const char* const kWords[] = {
    "station", "driver", "city",     "council", "report", "said",     "market",  "crude",
    "barrel",  "queue",  "analyst",  "coast",   "region", "weather",  "traffic", "harbour",
    "budget",  "the",    "minister", "school",  "river",  "election", "prices",  "week",
    "court",   "voters", "energy",   "plan",    "bridge", "museum",   "season",  "police"};

std::string Word(Random& random) { return kWords[random.Next(sizeof(kWords) / sizeof(kWords[0]))]; }

// One block of a news or reference page: a paragraph with inline markup and
// links, a small table or a list of links. Each is several text nodes.
std::string Block(Random& random) {
  std::string block;
  switch (random.Next(6)) {
    case 0:
      block =
          "<table class=data><tr><th>" + Word(random) + "</th><th>" + Word(random) + "</th></tr>";
      for (int row = 0; row < 4; ++row) {
        block += "<tr><td>" + Word(random) + " " + Word(random) + "</td><td>" +
                 std::to_string(random.Next(1000)) + "&nbsp;&euro;</td></tr>";
      }
      return block + "</table>\n";
    case 1:
      block = "<ul>";
      for (int item = 0; item < 4; ++item) {
        block += "<li><a href=\"/" + Word(random) + "\">" + Word(random) + " " + Word(random) +
                 "</a></li>";
      }
      return block + "</ul>\n";
    default:
      block = "<p>";
      for (int w = 0; w < 45; ++w) {
        if (random.Next(15) == 0) {
          block += "<b>" + Word(random) + "</b> ";
        } else if (random.Next(25) == 0) {
          block += "<a href=\"/x\">" + Word(random) + " " + Word(random) + "</a> ";
        } else {
          block += Word(random) + (random.Next(9) == 0 ? ", " : " ");
        }
      }
      return block + "</p>\n";
  }
}

std::string Join(const std::vector<std::string>& blocks) {
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta "
      "charset=\"utf-8\"><title>Generated</title>"
      "<style>p{margin:0}</style></head><body>\n";
  for (const std::string& block : blocks) page += block;
  return page + "</body></html>\n";
}

std::vector<std::string> Blocks(std::size_t size, uint64_t seed) {
  Random random(seed);
  std::vector<std::string> blocks;
  std::size_t total = 0;
  while (total < size) {
    blocks.push_back(Block(random));
    total += blocks.back().size();
  }
  return blocks;
}

// Changes one word in a paragraph (or a number in a table).
void EditBlock(std::string& block, Random& random) {
  const std::size_t at = block.find(' ', random.Next(static_cast<uint32_t>(block.size())));
  if (at == std::string::npos) {
    block.insert(block.size() - 1, " edited");
  } else {
    block.insert(at, " edited");
  }
}

// Unrelated pages: `nodes` paragraphs of one text node each.
std::string Unrelated(std::size_t nodes, uint64_t seed) {
  Random random(seed);
  std::vector<std::string> blocks;
  for (std::size_t k = 0; k < nodes; ++k) {
    std::string text;
    for (int w = 0; w < 8; ++w) text += Word(random) + " ";
    blocks.push_back("<p>" + text + std::to_string(seed) + "-" + std::to_string(k) + "</p>\n");
  }
  return Join(blocks);
}

struct PagePair {
  std::string name;
  std::string oldPage;
  std::string newPage;
  LVTCharset::CHARSET oldCharset = LVTCharset::kUtf8;
  LVTCharset::CHARSET newCharset = LVTCharset::kUtf8;
};

std::vector<PagePair>& Generated() {
  static std::vector<PagePair> pairs = [] {
    std::vector<PagePair> list;
    const std::pair<const char*, std::size_t> sizes[] = {
        {"100KB", 100 << 10}, {"1MB", 1 << 20}, {"10MB", 10 << 20}};
    for (const auto& size : sizes) {
      std::vector<std::string> blocks = Blocks(size.second, 42);
      const std::string old = Join(blocks);
      list.push_back({std::string("identical/") + size.first, old, old});
      Random random(7);
      std::vector<std::string> one = blocks;
      EditBlock(one[one.size() / 2], random);
      list.push_back({std::string("one_edit/") + size.first, old, Join(one)});
      std::vector<std::string> some = blocks;
      for (std::size_t k = 0; k < some.size(); ++k) {
        if (random.Next(100) == 0) EditBlock(some[k], random);
      }
      list.push_back({std::string("one_percent/") + size.first, old, Join(some)});
    }
    for (std::size_t nodes : {2000, 10000, 20000}) {
      list.push_back({"unrelated/" + std::to_string(nodes) + "_nodes", Unrelated(nodes, 1),
                      Unrelated(nodes, 2)});
    }
    return list;
  }();
  return pairs;
}

std::vector<PagePair>& Corpus() {
  static std::vector<PagePair> pairs = [] {
    std::vector<PagePair> list;
    const std::string corpus = lvt_testing::CorpusDir();
    if (corpus.empty()) return list;
    const char* only = std::getenv("LUMIVANT_PAIRS");
    const std::string wanted = only == nullptr ? "" : "," + std::string(only) + ",";
    for (const std::string& dir : lvt_testing::ListDirs(corpus + "/pairs")) {
      PagePair pair;
      pair.name = dir.substr(dir.rfind('/') + 1);
      if (!wanted.empty() && wanted.find("," + pair.name + ",") == std::string::npos) continue;
      pair.oldPage = lvt_testing::ReadFile(dir + "/old.html");
      pair.newPage = lvt_testing::ReadFile(dir + "/new.html");
      pair.oldCharset = LVTCharset::DetectCharset(pair.oldPage);
      pair.newCharset = LVTCharset::DetectCharset(pair.newPage);
      list.push_back(std::move(pair));
    }
    return list;
  }();
  return pairs;
}

double GumboSeconds(const std::string& bytes) {
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;
  const double start = CpuSeconds();
  GumboOutput* output = gumbo_parse_with_options(&options, bytes.data(), bytes.size());
  const double seconds = CpuSeconds() - start;
  gumbo_destroy_output(&options, output);
  return seconds;
}

// The best of three parses of both pages.
double ParseOnlySeconds(const PagePair& pair) {
  double best = 1e9;
  for (int k = 0; k < 3; ++k)
    best = std::min(best, GumboSeconds(pair.oldPage) + GumboSeconds(pair.newPage));
  return best;
}

struct Result {
  unsigned changes = 0;
  unsigned changedWords = 0;
  std::size_t reportBytes = 0;
};

Result Detect(const PagePair& pair, bool wordLevel = false) {
  LVTFile::MemoryBuffer oldStream(pair.oldPage);
  LVTFile::MemoryBuffer newStream(pair.newPage);
  LVTFile::MemoryBuffer out;
  Result result;
  double ratio = 0.0;
  LVTDT::CompareHtmlDocuments comparer;
  comparer.WordLevel(wordLevel);
  comparer.DetectChanges(oldStream, pair.oldCharset, newStream, pair.newCharset, out,
                         result.changes, result.changedWords, ratio);
  result.reportBytes = out.Bytes().size();
  return result;
}

// Resident memory from /proc/self/status, in bytes; 0 when unavailable.
uint64_t StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) {
      std::istringstream value(line.substr(line.find(':') + 1));
      uint64_t kilobytes = 0;
      value >> kilobytes;
      return kilobytes * 1024;
    }
  }
  return 0;
}

const PagePair* FindGenerated(const std::string& name) {
  for (const PagePair& pair : Generated()) {
    if (pair.name == name) return &pair;
  }
  return nullptr;
}

// Run in a fresh process (this program with "--peak NAME"): the growth of
// the peak resident memory over one comparison, in MB. A fresh process has
// no freed heap to reuse, so the growth is what the comparison needs.
double MeasurePeakHere(const PagePair& pair) {
  // Character tables and converters are loaded once per process: not part
  // of what one comparison needs.
  Detect({"warm-up", "<p>caf\xC3\xA9 1</p>", "<p>caf\xC3\xA9 2</p>"});
  // Give freed heap back and forget the peak of making the pages (writing 5
  // resets it), so that what the comparison needs shows as growth.
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  const uint64_t before = StatusBytes("VmRSS");
  Detect(pair);
  const uint64_t peak = StatusBytes("VmHWM");
  return peak > before ? static_cast<double>(peak - before) / (1 << 20) : 0.0;
}

double PeakGrowthMegabytes(const PagePair& pair) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return -1;
  self[length] = '\0';
  const std::string command = std::string(self) + " --peak '" + pair.name + "'";
  std::FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return -1;
  double megabytes = -1;
  if (std::fscanf(child, "%lf", &megabytes) != 1) megabytes = -1;
  pclose(child);
  return megabytes;
}

void BM_DetectChanges(benchmark::State& state, const PagePair* pair, bool wordLevel) {
  const double parseOnly = ParseOnlySeconds(*pair);
  double total = 0;
  Result result;
  for (auto _ : state) {
    const double start = CpuSeconds();
    result = Detect(*pair, wordLevel);
    total += CpuSeconds() - start;
  }
  state.SetBytesProcessed(
      static_cast<int64_t>(state.iterations() * (pair->oldPage.size() + pair->newPage.size())));
  state.counters["x_parse"] = total / static_cast<double>(state.iterations()) / parseOnly;
  state.counters["changes"] = result.changes;
  state.counters["words"] = result.changedWords;
  if (pair->name.rfind("unrelated", 0) == 0) state.counters["peak_MB"] = PeakGrowthMegabytes(*pair);
}

// Every corpus pair once per iteration, each right after Gumbo's parse of
// its two pages, so that both see the machine in the same state (this one
// is shared, and its speed drifts by half within a minute); a pair's ratio
// is its best comparison over its best parse. worst_x_parse is the highest
// ratio, over_1_5 counts the pairs above 1.5, which the label names, and
// x_parse is the sum of the best comparisons over the sum of the best
// parses.
void BM_DetectChangesCorpus(benchmark::State& state, bool wordLevel) {
  const std::vector<PagePair>& pairs = Corpus();
  std::vector<double> best(pairs.size(), 1e9);
  std::vector<double> parseBest(pairs.size(), 1e9);
  std::size_t bytes = 0;
  for (const PagePair& pair : pairs) bytes += pair.oldPage.size() + pair.newPage.size();
  double slowest = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      state.PauseTiming();
      parseBest[i] =
          std::min(parseBest[i], GumboSeconds(pairs[i].oldPage) + GumboSeconds(pairs[i].newPage));
      state.ResumeTiming();
      const double start = CpuSeconds();
      Detect(pairs[i], wordLevel);
      const double spent = CpuSeconds() - start;
      best[i] = std::min(best[i], spent);
      slowest = std::max(slowest, spent);
    }
  }
  double total = 0;
  double parseTotal = 0;
  double worst = 0;
  std::string over;
  int overCount = 0;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    total += best[i];
    parseTotal += parseBest[i];
    const double ratio = best[i] / parseBest[i];
    worst = std::max(worst, ratio);
    if (ratio > 1.5) {
      ++overCount;
      char figure[32];
      std::snprintf(figure, sizeof(figure), " %.2f", ratio);
      over += " " + pairs[i].name + figure;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["pairs"] = static_cast<double>(pairs.size());
  state.counters["x_parse"] = total / parseTotal;
  state.counters["worst_x_parse"] = worst;
  state.counters["over_1_5"] = overCount;
  state.counters["slowest_ms"] = slowest * 1000;
  state.SetLabel("over 1.5:" + over);
}

int Rounds() {
  const char* rounds = std::getenv("LUMIVANT_ROUNDS");
  const int n = rounds == nullptr ? 0 : std::atoi(rounds);
  return n > 0 ? n : 5;
}

int Register() {
  for (const PagePair& pair : Generated()) {
    auto* benchmark = benchmark::RegisterBenchmark(("DetectChanges/" + pair.name).c_str(),
                                                   BM_DetectChanges, &pair, false);
    benchmark->Unit(benchmark::kMillisecond);
    if (pair.name == "unrelated/20000_nodes") benchmark->Iterations(1);
  }
  for (const PagePair& pair : Generated()) {
    if (pair.name.rfind("one_", 0) != 0) continue;
    benchmark::RegisterBenchmark(("DetectChanges/word_level/" + pair.name).c_str(),
                                 BM_DetectChanges, &pair, true)
        ->Unit(benchmark::kMillisecond);
  }
  if (!Corpus().empty()) {
    for (const bool wordLevel : {false, true}) {
      benchmark::RegisterBenchmark(wordLevel ? "DetectChanges/word_level/corpus_all_pairs"
                                             : "DetectChanges/corpus_all_pairs",
                                   BM_DetectChangesCorpus, wordLevel)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(Rounds());
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--peak") {
    const PagePair* pair = FindGenerated(argv[2]);
    if (pair == nullptr) return 2;
    std::printf("%.1f\n", MeasurePeakHere(*pair));
    return 0;
  }
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
