// Matching a query against a generated 10 MB page, as lumivant match does:
// text and word extraction, then parsing and evaluating the query. Each run
// reports, beside its total, the time of extraction alone (extract_ms), of
// the query alone (query_ms) and of releasing it all (release_ms), for queries
// of 1, 3 and 8 terms with a phrase and a near (CPU milliseconds).
// BM_NearFrequentWords shows the proximity operator on two very frequent words,
// with the bounded sweep and with every pair examined.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "eval/highlight_groups.h"
#include "foundation/charset/transcode.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "lumivant/word_occurences_extractor.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"

namespace {

using Evaluator = LVTDT::TermDocumentEvaluatorEx;

const char* const kQueries[] = {
    "bridge",
    "\"harbour bridge\" near:5 traffic commuters",
    "\"harbour bridge\" near ferry (traffic or commuters) not tunnel "
    "council budget \"steel deck\"",
};
const int kQueryTerms[] = {1, 3, 8};

// A local-news page of about size bytes: articles of paragraphs with links,
// emphasis inside words, lists and tables. Query words come at the rates of
// real reporting: a few per paragraph, the phrase words sometimes together.
std::string GenerateNewsPage(std::size_t size) {
  static const char* const kFiller[] = {
      "the",     "a",          "of",        "to",       "and",    "in",      "on",
      "for",     "was",        "is",        "with",     "that",   "by",      "at",
      "city",    "engineers",  "said",      "morning",  "week",   "lane",    "cyclists",
      "drivers", "road",       "river",     "repairs",  "cost",   "million", "winter",
      "spring",  "passengers", "residents", "mayor",    "deputy", "plans",   "opened",
      "closed",  "night",      "works",     "crossing", "east",   "west",    "north",
      "south",   "market",     "station",   "bus",      "tram",   "tolls",   "forecast"};
  static const char* const kTopic[] = {"bridge",  "harbour", "traffic", "commuters", "ferry",
                                       "closure", "council", "budget",  "steel",     "deck"};
  uint64_t state = 0x2545F4914F6CDD1Dull;
  auto next = [&state](uint32_t bound) {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return static_cast<uint32_t>((state * 0x2545F4914F6CDD1Dull) >> 33) % bound;
  };
  auto word = [&]() -> std::string {
    const uint32_t roll = next(100);
    if (roll < 2) return "harbour bridge";
    if (roll < 3) return "steel deck";
    if (roll < 9) return kTopic[next(10)];
    return kFiller[next(sizeof(kFiller) / sizeof(kFiller[0]))];
  };
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<title>Coastal Daily archive</title><script>var x = "
      "1;</script></head>\n<body>\n";
  page.reserve(size + 4096);
  for (unsigned article = 0; page.size() < size; ++article) {
    page += "<article id=\"a" + std::to_string(article) + "\"><h1>" + word() + " " + word() + " " +
            word() + "</h1>\n";
    for (int paragraph = 0; paragraph < 5; ++paragraph) {
      page += "<p>";
      for (int w = 0; w < 70; ++w) {
        switch (next(40)) {
          case 0:
            page += "<a href=\"/story/" + std::to_string(next(100000)) + "\">" + word() + "</a> ";
            break;
          case 1:
            page += "<em>" + word() + "</em> ";
            break;
          case 2: {
            const std::string split = word();
            page += split.substr(0, 1) + "<b>" + split.substr(1) + "</b> ";
            break;
          }
          default:
            page += word() + (next(15) == 0 ? ". " : " ");
        }
      }
      page += "</p>\n";
    }
    page += "<ul><li>" + word() + " " + word() + "</li><li>" + word() + "</li></ul>\n";
    page += "<table><tr><td>" + word() + "</td><td>" + std::to_string(next(90000)) +
            "</td></tr></table></article>\n";
  }
  return page + "</body></html>\n";
}

const std::string& TenMegabytePage() {
  static const std::string page = GenerateNewsPage(10u << 20);
  return page;
}

const LVTLanguage::Language& English() {
  static const LVTLanguage::Language language(LVTLanguage::Language::kEnglish);
  return language;
}

Evaluator::OccurrenceMapHandle ExtractWords(const std::string& bytes) {
  LVTFile::MemoryBuffer page(bytes);
  LVTDT::RawTextList runs;
  LVTDT::RawTextExtractor::GetRawTextFromHtml(page, LVTCharset::kUtf8, runs);
  auto words = LVT::MakeRefCount<Evaluator::OccurrenceMap>();
  LVTDT::WordOccurencesExtractor::GetWordOccurences(runs, *words, English());
  return words;
}

antlr::RefAST ParseQuery(const std::string& query) {
  std::u16string wide;
  LVTCharset::BytesToWide(LVTCharset::kUtf8, LVTCharset::kWide, query, wide, false);
  std::u16string prepared;
  LVTDT::PrepareQueryStemMap stems;
  LVTDT::PrepareQuery(wide, prepared, stems, English());
  std::string utf8;
  LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, prepared, utf8, false);
  return LVTDT::ParseQueryUtf8(utf8);
}

// CPU time of this thread: the machine may be shared, wall time is not.
double ThreadMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void BM_TextAndWordExtraction(benchmark::State& state) {
  const std::string& page = TenMegabytePage();
  for (auto _ : state) benchmark::DoNotOptimize(ExtractWords(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_TextAndWordExtraction)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Match(benchmark::State& state) {
  const std::string& page = TenMegabytePage();
  const std::string query = kQueries[state.range(0)];
  double extractMs = 0, queryMs = 0, releaseMs = 0;
  std::size_t groups = 0;
  bool matched = false;
  for (auto _ : state) {
    const double start = ThreadMilliseconds();
    double queried = 0;
    {
      const Evaluator::OccurrenceMapHandle words = ExtractWords(page);
      const double extracted = ThreadMilliseconds();
      extractMs += extracted - start;
      Evaluator evaluator(ParseQuery(query), words);
      matched = evaluator.EvaluateNode();
      Evaluator::QueryTermMap terms;
      Evaluator::GetQueryTerms(terms, ParseQuery(query), words);
      groups = evaluator.HighlightedWords().size();
      queried = ThreadMilliseconds();
      queryMs += queried - extracted;
    }
    releaseMs += ThreadMilliseconds() - queried;  // groups, words and runs
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["terms"] = kQueryTerms[state.range(0)];
  state.counters["extract_ms"] = extractMs / n;
  state.counters["query_ms"] = queryMs / n;
  state.counters["release_ms"] = releaseMs / n;
  state.counters["groups"] = static_cast<double>(groups);
  state.counters["matched"] = matched ? 1 : 0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Match)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);

// "the near:N of" on the page: two words with tens of thousands of hits
// each, as the pairs within the limit (what the groups were made from
// before) and as the groups made directly; the pairs grow with the limit.
void BM_NearFrequentWords(benchmark::State& state) {
  const bool direct = state.range(0) == 1;
  const unsigned distance = static_cast<unsigned>(state.range(1));
  const Evaluator::OccurrenceMapHandle words = ExtractWords(TenMegabytePage());
  Evaluator left(ParseQuery("the"), words);
  Evaluator right(ParseQuery("of"), words);
  left.EvaluateNode();
  right.EvaluateNode();
  std::size_t appended = 0;
  for (auto _ : state) {
    Evaluator::GroupVector out;
    if (direct)
      LVTDT::eval_groups::AppendNearGroups(left.HighlightedWords(), right.HighlightedWords(),
                                           distance, out);
    else
      LVTDT::eval_groups::AppendNearPairs(left.HighlightedWords(), right.HighlightedWords(),
                                          distance, out);
    appended = out.size();
  }
  state.counters["left_groups"] = static_cast<double>(left.HighlightedWords().size());
  state.counters["right_groups"] = static_cast<double>(right.HighlightedWords().size());
  state.counters["appended"] = static_cast<double>(appended);
  state.SetLabel(direct ? "groups" : "pairs");
}
BENCHMARK(BM_NearFrequentWords)
    ->Args({0, 10})
    ->Args({1, 10})
    ->Args({0, 200})
    ->Args({1, 200})
    ->Args({1, 4000000000u})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
