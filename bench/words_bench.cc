// GetWordOccurences on the runs of generated pages of 1 MB and 10 MB, in
// words per second, beside the time RawTextExtractor takes to cut the same
// page into runs and what the parts of GetWordOccurences cost on the same
// words: finding, folding and filing alone (no stemming), stemming alone;
// and the same page read with Unicode words. Also a libstemmer object per
// thread against one shared under a mutex, on one and on two threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "foundation/language/stemmer_snowball.h"
#include "lumivant/code_page.h"
#include "lumivant/language.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/word_occurences_extractor.h"

namespace {

using LVTDT::RawText;
using LVTDT::RawTextList;
using LVTDT::WordOccurencesExtractor;
using LVTLanguage::Language;
using LVTLanguage::SnowballStemmer;

struct Rng {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  uint32_t operator()(uint32_t bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<uint32_t>(state % bound);
  }
};

// A vocabulary of pronounceable stems with English endings, drawn with a
// roughly Zipfian skew, so that a few words repeat a lot and most are rare.
class Vocabulary {
 public:
  Vocabulary() {
    static const char* const kSyllables[] = {
        "con", "nect", "ra",  "ti",  "on", "mar", "ket", "ol", "pri", "ce",  "sta", "der",
        "vi",  "lo",   "pen", "tur", "al", "ex",  "pro", "cu", "men", "ber", "ga",  "sol"};
    static const char* const kEndings[] = {"",    "",   "",     "s",   "ed",    "ing",
                                           "ion", "ly", "ness", "ers", "ation", "ies"};
    static const char* const kCommon[] = {"the",  "of",     "and",   "a",    "to",   "in", "is",
                                          "was",  "for",    "on",    "that", "with", "as", "by",
                                          "Café", "Straße", "naïve", "2024", "3.5"};
    Rng rng;
    for (const char* word : kCommon) m_Words.emplace_back(word);
    while (m_Words.size() < 4000) {
      std::string word;
      const uint32_t syllables = 1 + rng(3);
      for (uint32_t s = 0; s < syllables; ++s) word += kSyllables[rng(24)];
      word += kEndings[rng(12)];
      if (rng(10) == 0) word[0] = static_cast<char>(word[0] - 32);
      m_Words.push_back(word);
    }
  }

  const std::string& Draw(Rng& rng) const {
    // The square of a uniform draw favours small indexes: the common words.
    const uint64_t u = rng(1u << 16);
    return m_Words[(u * u * m_Words.size()) >> 32];
  }

 private:
  std::vector<std::string> m_Words;
};

// An HTML page of about size bytes: sections of paragraphs, links, inline
// markup that splits a word or sets a few words apart, lists and tables.
std::string GeneratePage(std::size_t size) {
  static const Vocabulary vocabulary;
  Rng rng;
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Words</title></head>\n<body>\n";
  page.reserve(size + 4096);
  while (page.size() < size) {
    page += "<section><h2>" + vocabulary.Draw(rng) + " " + vocabulary.Draw(rng) + "</h2>\n";
    for (int p = 0; p < 5 && page.size() < size; ++p) {
      page += p == 4 ? "<ul>" : "<p>";
      for (int w = 0; w < 60; ++w) {
        const std::string& word = vocabulary.Draw(rng);
        switch (rng(40)) {
          case 0:
            page += "<a href=\"/n/" + std::to_string(rng(9999)) + "\">" + word + "</a>";
            break;
          case 1:
            if (word.size() > 3) {
              page += word.substr(0, 2) + "<b>" + word.substr(2) + "</b>";
              break;
            }
            page += word;
            break;
          case 2:
            page += "<em>" + word + "</em>";
            break;
          case 3:
            page += p == 4 ? "<li>" + word : "<br>" + word;
            break;
          default:
            page += word;
        }
        page += rng(12) == 0 ? ", " : " ";
      }
      page += p == 4 ? "</ul>\n" : ".</p>\n";
    }
    page += "<table><tr><td>" + std::to_string(rng(100000)) + "</td><td>" + vocabulary.Draw(rng) +
            "</td></tr></table></section>\n";
  }
  page += "</body></html>\n";
  return page;
}

const std::string& Page(int64_t megabytes) {
  static std::map<int64_t, std::string> pages;
  auto found = pages.find(megabytes);
  if (found == pages.end())
    found = pages.emplace(megabytes, GeneratePage(static_cast<std::size_t>(megabytes) << 20)).first;
  return found->second;
}

RawTextList ExtractRuns(const std::string& page) {
  LVTFile::MemoryBuffer stream(page);
  RawTextList runs;
  LVTDT::RawTextExtractor::GetRawTextFromHtml(stream, LVTCharset::kUtf8, runs);
  return runs;
}

const RawTextList& Runs(int64_t megabytes) {
  static std::map<int64_t, RawTextList> runs;
  auto found = runs.find(megabytes);
  if (found == runs.end()) found = runs.emplace(megabytes, ExtractRuns(Page(megabytes))).first;
  return found->second;
}

// The words of a page, folded, as GetWordOccurences hands them to Stem.
const std::vector<std::u16string>& FoldedWords(int64_t megabytes) {
  static std::map<int64_t, std::vector<std::u16string>> words;
  auto found = words.find(megabytes);
  if (found != words.end()) return found->second;
  std::vector<std::u16string>& list = words[megabytes];
  const Language none(Language::kNone);
  WordOccurencesExtractor::OccurrenceMap map;
  WordOccurencesExtractor::GetWordOccurences(Runs(megabytes), map, none);
  std::vector<std::pair<uint32_t, const std::u16string*>> ordered;
  for (const auto& entry : map)
    for (const auto& occurrence : *entry.second)
      ordered.emplace_back(occurrence->m_WordIndex, &entry.first);
  std::sort(ordered.begin(), ordered.end());
  for (const auto& word : ordered) list.push_back(*word.second);
  return list;
}

// The time shown is filling the map; freeing it, which a caller also pays
// once per page, is shown apart as free_ms.
void Occurrences(benchmark::State& state, Language::StemmingType type, bool unicodeWords = false) {
  using Clock = std::chrono::steady_clock;
  const RawTextList& runs = Runs(state.range(0));
  const Language language(type, unicodeWords);
  const std::size_t words = FoldedWords(state.range(0)).size();
  double freeSeconds = 0;
  for (auto _ : state) {
    std::optional<WordOccurencesExtractor::OccurrenceMap> map;
    map.emplace();
    const auto start = Clock::now();
    WordOccurencesExtractor::GetWordOccurences(runs, *map, language);
    const auto filled = Clock::now();
    map.reset();
    freeSeconds += std::chrono::duration<double>(Clock::now() - filled).count();
    state.SetIterationTime(std::chrono::duration<double>(filled - start).count());
  }
  state.SetItemsProcessed(static_cast<int64_t>(words) * state.iterations());
  state.counters["words"] = static_cast<double>(words);
  state.counters["free_ms"] = 1000 * freeSeconds / static_cast<double>(state.iterations());
}

// The runs of the same page, for comparison: words per second here means
// the page's words divided by the time to cut it into runs.
void BM_RawTextExtractor(benchmark::State& state) {
  const std::string& page = Page(state.range(0));
  const std::size_t words = FoldedWords(state.range(0)).size();
  for (auto _ : state) {
    RawTextList runs = ExtractRuns(page);
    benchmark::DoNotOptimize(runs);
  }
  state.SetItemsProcessed(static_cast<int64_t>(words) * state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(page.size()) * state.iterations());
}

void BM_WordOccurencesEnglish(benchmark::State& state) { Occurrences(state, Language::kEnglish); }
void BM_WordOccurencesNoStemming(benchmark::State& state) { Occurrences(state, Language::kNone); }
// The same page read with Unicode words: what ICU's classes and folding
// cost on text that is mostly Latin.
void BM_WordOccurencesEnglishUnicodeWords(benchmark::State& state) {
  Occurrences(state, Language::kEnglish, true);
}

void StemAll(benchmark::State& state, const LVTLanguage::Stemmer& stemmer) {
  const std::vector<std::u16string>& words = FoldedWords(1);
  std::u16string stem;
  for (auto _ : state) {
    for (const std::u16string& word : words) {
      stemmer.Stem(word, stem);
      benchmark::DoNotOptimize(stem.data());
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(words.size()) * state.iterations());
}

// Stemming alone, on the words of the 1 MB page.
void BM_StemEnglish(benchmark::State& state) {
  const Language english;
  StemAll(state, english.GetStemmer());
}

// One stemmer shared by every benchmark thread.
void BM_StemPerThread(benchmark::State& state) {
  static const SnowballStemmer stemmer("english", SnowballStemmer::Sharing::kPerThread);
  StemAll(state, stemmer);
}

void BM_StemGuarded(benchmark::State& state) {
  static const SnowballStemmer stemmer("english", SnowballStemmer::Sharing::kGuarded);
  StemAll(state, stemmer);
}

}  // namespace

BENCHMARK(BM_RawTextExtractor)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordOccurencesEnglish)
    ->Arg(1)
    ->Arg(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordOccurencesEnglishUnicodeWords)
    ->Arg(1)
    ->Arg(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordOccurencesNoStemming)
    ->Arg(1)
    ->Arg(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StemEnglish)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StemPerThread)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StemGuarded)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
