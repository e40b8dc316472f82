#include "query/query_preparation.h"

#include <vector>

#include "foundation/language/char_classes.h"
#include "foundation/language/unicode_words.h"
#include "lumivant/language.h"

namespace LVTDT {

namespace {

constexpr char16_t kQuote = u'"';
constexpr char16_t kBlank = u' ';

bool IsSeparator(char16_t c) {
  return c == u'_' || c == u'-' || c == u',' || c == u'.' || c == u'/' || c == u':';
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Whether the separator c, preceded by before (the query up to it) and
// followed by next (0 when nothing follows, which is no digit), stays.
bool SeparatorStays(char16_t c, const std::u16string& before, char16_t next) {
  if (before.empty()) return false;
  const char16_t previous = before.back();
  switch (c) {
    case u'.': {
      // A decimal point after a comparison or a parenthesis, as in "x>3.5"
      // or "a (1.5". The scan never goes below the second character, so at
      // the very start "(1.5" stops on the '1' and becomes "(\"1 5\")".
      if (!IsDigit(previous) || !IsDigit(next)) return false;
      std::size_t k = before.size() - 1;
      while (k > 1 && IsDigit(before[k])) --k;
      while (k > 1 && before[k] == kBlank) --k;
      const char16_t stop = before[k];
      return stop == u'=' || stop == u'>' || stop == u'<' || stop == u'(' || stop == u')' ||
             stop == u',';
    }
    case u'/':
      return IsDigit(previous) && IsDigit(next);
    case u':':
      return previous != kBlank && IsDigit(next);
    default:
      return false;
  }
}

// Where the word that ends the query so far begins: the walk goes back over
// word characters, unbreakable characters and ':' and never tests the
// first character.
std::size_t WordStart(const std::u16string& before, bool unicodeWords) {
  std::size_t k = before.size() - 1;
  auto inWord = [&](std::size_t i) {
    if (unicodeWords) return IsUnicodeWordUnit(before, i) || before[i] == u':';
    return IsWordCharacter(before[i]) || IsUnbreakable(before[i]) || before[i] == u':';
  };
  while (k > 0 && inWord(k)) --k;
  return k > 0 ? k + 1 : 0;
}

void FlushWord(std::u16string& word, std::u16string& result, PrepareQueryStemMap& stems,
               const LVTLanguage::Language& language) {
  if (word.empty()) return;
  std::u16string stem;
  language.Stem(word, stem);
  stems.emplace(stem, word);  // keeps an existing entry
  result += stem;
  word.clear();
}

// StemQuery under Unicode words. Words that touch (a Thai sentence cut by
// the dictionary, ideographs in a row, a change of script) are a phrase,
// as words joined by separators are.
void StemUnicodeQuery(std::u16string& query, PrepareQueryStemMap& stems,
                      const LVTLanguage::Language& language) {
  UnicodeWordScanner scanner;
  std::u16string result;
  result.reserve(query.size() + 2);
  std::size_t quotes = 0;
  std::vector<std::pair<std::size_t, std::size_t>> words;  // touching, [start, end)
  std::u16string key;
  for (std::size_t i = 0; i < query.size();) {
    if (!UnicodeWordScanner::StartsWord(query, i)) {
      if (query[i] == kQuote) ++quotes;
      result += query[i++];
      continue;
    }
    words.clear();
    bool mayContinue;
    do {
      const std::size_t end = scanner.WordEnd(query, i, false, mayContinue);
      words.emplace_back(i, end);
      i = end;
    } while (UnicodeWordScanner::StartsWord(query, i));
    const bool phrase = words.size() > 1 && quotes % 2 == 0;
    if (phrase) result += kQuote;
    for (std::size_t w = 0; w < words.size(); ++w) {
      const std::u16string word = query.substr(words[w].first, words[w].second - words[w].first);
      UnicodeWordKey(word, language, key);
      stems.emplace(key, word);  // keeps an existing entry
      if (w != 0) result += kBlank;
      result += key;
    }
    if (phrase) result += kQuote;
  }
  query.swap(result);
}

}  // namespace

bool PrepareQuery(const std::u16string& query, std::u16string& prepared, PrepareQueryStemMap& stems,
                  const LVTLanguage::Language& language) {
  if (!query.empty() && query[0] == u'!') {
    prepared.assign(query, 1, std::u16string::npos);
  } else if (&prepared != &query) {
    prepared = query;
  }
  // Unicode words are folded whole, with their stems.
  const bool unicodeWords = language.HasUnicodeWords();
  NormalizeQuery(prepared, !unicodeWords);
  SplitSeparatorWords(prepared, unicodeWords);
  if (unicodeWords)
    StemUnicodeQuery(prepared, stems, language);
  else
    StemQuery(prepared, stems, language);
  return !prepared.empty();
}

void NormalizeQuery(std::u16string& query, bool fold) {
  std::u16string result;
  result.reserve(query.size() + 4);
  std::size_t depth = 0;
  std::size_t quotes = 0;
  for (char16_t c : query) {
    if (c == kQuote) {
      ++quotes;
      result += c;
    } else if (c == u'(') {
      ++depth;
      result += c;
    } else if (c == u')') {
      if (depth > 0) {
        result += c;
        --depth;
      }
    } else if (fold) {
      AppendFoldedCharacter(c, result);
    } else {
      result += c;
    }
  }
  result.append(depth, u')');
  if (quotes % 2 != 0) {
    const std::size_t last = result.rfind(kQuote);
    if (last != std::u16string::npos) result.erase(last, 1);
  }
  query.swap(result);
}

// One pass from left to right. The rewrite inserts an opening quote at the
// start of the word before a separator (only the word's characters move)
// and a closing quote before the next blank or at the end; closing quotes
// are kept as counts per input position and written when the pass gets
// there. Each blank is searched for once, so the pass is linear.
void SplitSeparatorWords(std::u16string& query, bool unicodeWords) {
  const std::u16string& in = query;
  const std::size_t n = in.size();
  std::u16string out;
  std::vector<unsigned> closingBefore;  // quotes due before in[j]; [n]: at the end
  std::size_t quotes = 0;               // quotes in out
  std::size_t nextBlank = 0;            // first blank at or after some position, or n
  bool nextBlankKnown = false;
  for (std::size_t j = 0; j < n; ++j) {
    if (!closingBefore.empty() && closingBefore[j] != 0) {
      out.append(closingBefore[j], kQuote);
      quotes += closingBefore[j];
    }
    const char16_t c = in[j];
    if (!IsSeparator(c)) {
      out += c;
      if (c == kQuote) ++quotes;
      continue;
    }
    // Closing quotes only ever wait before a blank or at the end, so a quote
    // due before in[j + 1] would not change the decision: no digit either way.
    const char16_t next = j + 1 < n ? in[j + 1] : 0;
    if (SeparatorStays(c, out, next)) {
      out += c;
      continue;
    }
    if (quotes % 2 != 0) {
      out += kBlank;  // inside a phrase: only the blank
      continue;
    }
    out.insert(out.empty() ? 0 : WordStart(out, unicodeWords), 1, kQuote);
    ++quotes;
    out += kBlank;
    if (!nextBlankKnown || nextBlank < j + 1) {
      nextBlank = in.find(kBlank, j + 1);
      if (nextBlank == std::u16string::npos) nextBlank = n;
      nextBlankKnown = true;
    }
    if (closingBefore.empty()) closingBefore.assign(n + 1, 0);
    ++closingBefore[nextBlank];
  }
  if (!closingBefore.empty()) out.append(closingBefore[n], kQuote);
  query.swap(out);
}

void StemQuery(std::u16string& query, PrepareQueryStemMap& stems,
               const LVTLanguage::Language& language) {
  std::u16string result;
  result.reserve(query.size());
  std::u16string word;
  for (char16_t c : query) {
    if (IsWordCharacter(c) || (word.empty() && IsUnbreakable(c))) {
      word += c;
    } else {
      FlushWord(word, result, stems, language);
      result += c;
    }
  }
  FlushWord(word, result, stems, language);
  query.swap(result);
}

}  // namespace LVTDT
