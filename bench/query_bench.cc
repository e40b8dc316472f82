// The query pipeline before evaluation: preparation (English stemming) and
// lexing plus parsing, on a query as people type it and on long ones near
// the parser's bound, in queries (or characters) per second. Also the
// separator rewrite on a long query in which every separator opens a
// phrase: it must stay linear in the query's length.
#include <benchmark/benchmark.h>

#include <string>

#include "lumivant/language.h"
#include "query/dt_query_parser.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"

namespace {

const LVTLanguage::Language& English() {
  static const LVTLanguage::Language language(LVTLanguage::Language::kEnglish);
  return language;
}

const char16_t kTypical[] = u"\"New York\" (hotels OR motels) near:5 cheap -smoking e-mail";

std::u16string LongQuery() {
  // Just inside the node bound: words, phrases and operators.
  std::u16string query;
  while (query.size() < 3 * LVTDT::DTQueryParser::kMaxQueryNodes / 2) {
    query += u"alpha \"beta gamma\" or delta ";
  }
  return query;
}

void BM_PrepareTypical(benchmark::State& state) {
  const std::u16string query = kTypical;
  for (auto _ : state) {
    std::u16string prepared;
    LVTDT::PrepareQueryStemMap stems;
    LVTDT::PrepareQuery(query, prepared, stems, English());
    benchmark::DoNotOptimize(prepared.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrepareTypical);

void BM_ParseTypical(benchmark::State& state) {
  std::u16string prepared;
  LVTDT::PrepareQueryStemMap stems;
  LVTDT::PrepareQuery(kTypical, prepared, stems, English());
  for (auto _ : state) {
    antlr::RefAST tree = LVTDT::ParsePreparedQuery(prepared);
    benchmark::DoNotOptimize(tree.get());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseTypical);

void BM_PrepareAndParseLong(benchmark::State& state) {
  const std::u16string query = LongQuery();
  for (auto _ : state) {
    std::u16string prepared;
    LVTDT::PrepareQueryStemMap stems;
    LVTDT::PrepareQuery(query, prepared, stems, English());
    antlr::RefAST tree = LVTDT::ParsePreparedQuery(prepared);
    benchmark::DoNotOptimize(tree.get());
  }
  state.SetItemsProcessed(state.iterations() * query.size());  // characters
}
BENCHMARK(BM_PrepareAndParseLong);

void BM_SplitSeparatorWords(benchmark::State& state) {
  std::u16string query;
  while (query.size() < static_cast<std::size_t>(state.range(0))) query += u"ab-cd ";
  for (auto _ : state) {
    std::u16string copy = query;
    LVTDT::SplitSeparatorWords(copy);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetItemsProcessed(state.iterations() * query.size());  // characters
}
BENCHMARK(BM_SplitSeparatorWords)->Range(1 << 10, 1 << 20);

}  // namespace
BENCHMARK_MAIN();
