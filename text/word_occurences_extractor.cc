#include "lumivant/word_occurences_extractor.h"

#include <unordered_map>
#include <vector>

#include "foundation/language/char_classes.h"
#include "foundation/language/unicode_words.h"
#include "lumivant/language.h"
#include "text/keyed_occurrences.h"

namespace LVTDT {

namespace {

void AddPiece(WordOccurencesExtractor::WordOccurence& occurrence, uint32_t start, uint32_t length,
              const RawTextHandle& run) {
  occurrence.m_Offsets.push_back(start);
  occurrence.m_Lengths.push_back(length);
  occurrence.m_RawTexts.push_back(run);
}

// The pieces of the word being read, kept until it is known whether the
// word gets a record at all; reused from word to word.
struct Pieces {
  struct Piece {
    uint32_t start;
    uint32_t length;
    const RawTextHandle* run;  // in the list of runs being read
  };
  std::vector<Piece> m_Pieces;
};

void AddPiece(Pieces& pieces, uint32_t start, uint32_t length, const RawTextHandle& run) {
  pieces.m_Pieces.push_back({start, length, &run});
}

// The list of key, made when the key is new; null when the key is empty
// or not among keys (null: all are), as such words are not entered.
WordOccurencesExtractor::OccurrenceList* ListOfKey(
    const std::u16string& key, const OccurrenceKeys* keys,
    WordOccurencesExtractor::OccurrenceMap& occurrences) {
  if (key.empty() || (keys != nullptr && keys->count(key) == 0)) return nullptr;
  auto entry = occurrences.try_emplace(key);
  if (entry.second)
    entry.first->second = LVT::MakeRefCount<WordOccurencesExtractor::OccurrenceList>();
  return entry.first->second.Get();
}

// The words of the default rule: word characters, which an unbreakable
// character may open but never continue.
struct DefaultWordRule {
  static uint32_t NextWordStart(const std::u16string& text, uint32_t i) {
    while (i < text.size() && !IsWordCharacter(text[i]) && !IsUnbreakable(text[i])) ++i;
    return i;
  }
  static uint32_t WordEnd(const std::u16string& text, uint32_t i, bool continued,
                          bool& mayContinue) {
    mayContinue = true;
    if (!continued && i < text.size() && IsUnbreakable(text[i])) ++i;
    while (i < text.size() && IsWordCharacter(text[i])) ++i;
    return i;
  }
};

// The words of Unicode words (unicode_words.h).
struct UnicodeWordRule {
  static uint32_t NextWordStart(const std::u16string& text, uint32_t i) {
    return static_cast<uint32_t>(UnicodeWordScanner::NextWordStart(text, i));
  }
  uint32_t WordEnd(const std::u16string& text, uint32_t i, bool continued, bool& mayContinue) {
    return static_cast<uint32_t>(m_Scanner.WordEnd(text, i, continued, mayContinue));
  }
  UnicodeWordScanner m_Scanner;
};

// FindWord by either rule. A word that reaches the end of its run goes on
// at the start of the next one, unless the rule says it cannot.
template <class Rule, class Sink>
bool FindWordBy(Rule& rule, const RawTextHandle*& current, const RawTextHandle* const& last,
                uint32_t& position, std::u16string& word, Sink& occurrence) {
  word.clear();
  if (current == last) return false;
  bool continuing = false;  // a piece of this word lies in an earlier run
  for (;;) {
    const std::u16string& text = (*current)->m_Text;
    const uint32_t length = static_cast<uint32_t>(text.size());
    if (!continuing) position = rule.NextWordStart(text, position);
    const uint32_t start = position;
    bool mayContinue;
    position = rule.WordEnd(text, position, continuing, mayContinue);
    if (position > start) {
      word.append(text, start, position - start);
      AddPiece(occurrence, start, position - start, *current);
    }
    if (position < length || (position > start && !mayContinue)) return true;
    continuing = continuing || position > start;
    ++current;
    position = 0;
    if (current == last) return continuing;
  }
}

// Numbers the words that find gives and files each under its key:
// fold(word, cached) gives the form by which keys are cached, key(cached,
// key) the key. Pages repeat their words: a repeated word costs one hash
// lookup instead of stemming and a walk down the ordered map, which
// together took most of the time. Only words filed get a record.
template <class Find, class Fold, class Key>
void FileWords(const RawTextList& runs, const OccurrenceKeys* keys,
               WordOccurencesExtractor::OccurrenceMap& occurrences, Find find, Fold fold,
               Key keyOf) {
  const RawTextHandle* current = runs.begin();
  const RawTextHandle* const last = runs.end();
  uint32_t position = 0;
  uint32_t index = 0;
  std::u16string word, cached, key;
  Pieces pieces;
  std::unordered_map<std::u16string, WordOccurencesExtractor::OccurrenceList*> lists;
  while (current != last) {
    pieces.m_Pieces.clear();
    if (!find(current, last, position, word, pieces)) break;
    const uint32_t wordIndex = index++;
    // Words of excluded runs keep their numbers, so that positions stay
    // those of the whole page.
    if (pieces.m_Pieces.empty() || (*pieces.m_Pieces[0].run)->m_Excluded) continue;
    fold(word, cached);
    auto known = lists.find(cached);
    if (known == lists.end()) {
      keyOf(cached, key);
      known = lists.emplace(cached, ListOfKey(key, keys, occurrences)).first;
    }
    if (known->second == nullptr) continue;
    auto occurrence = LVT::MakeSmart<WordOccurencesExtractor::WordOccurence>();
    occurrence->m_WordIndex = wordIndex;
    for (const Pieces::Piece& piece : pieces.m_Pieces)
      AddPiece(*occurrence, piece.start, piece.length, *piece.run);
    known->second->push_back(std::move(occurrence));
  }
}

// GetWordOccurences, for every word (keys null) or the words of keys.
void FileWordsOfKeys(const RawTextList& runs, const OccurrenceKeys* keys,
                     WordOccurencesExtractor::OccurrenceMap& occurrences,
                     const LVTLanguage::Language& language) {
  if (runs.empty()) return;
  auto find = [](auto& rule) {
    return [&rule](const RawTextHandle*& current, const RawTextHandle* last, uint32_t& position,
                   std::u16string& word, Pieces& pieces) {
      return FindWordBy(rule, current, last, position, word, pieces);
    };
  };
  if (language.HasUnicodeWords()) {
    UnicodeWordRule rule;
    FileWords(
        runs, keys, occurrences, find(rule),
        // Words fold whole, with their stems: the cache is by the word.
        [](std::u16string& word, std::u16string& cached) { cached.swap(word); },
        [&](const std::u16string& cached, std::u16string& key) {
          UnicodeWordKey(cached, language, key);
        });
    return;
  }
  DefaultWordRule rule;
  FileWords(
      runs, keys, occurrences, find(rule),
      [](std::u16string& word, std::u16string& folded) { FoldString(word, folded); },
      [&](const std::u16string& folded, std::u16string& key) { language.Stem(folded, key); });
}

}  // namespace

bool WordOccurencesExtractor::FindWord(const RawTextHandle*& current,
                                       const RawTextHandle* const& last, uint32_t& position,
                                       std::u16string& word, OccurrenceHandle& occurrence,
                                       const LVTLanguage::Language&) {
  DefaultWordRule rule;
  return FindWordBy(rule, current, last, position, word, *occurrence);
}

void WordOccurencesExtractor::GetWordOccurences(const RawTextList& runs, OccurrenceMap& occurrences,
                                                const LVTLanguage::Language& language) {
  FileWordsOfKeys(runs, nullptr, occurrences, language);
}

void GetWordOccurencesOfKeys(const RawTextList& runs, const OccurrenceKeys& keys,
                             WordOccurencesExtractor::OccurrenceMap& occurrences,
                             const LVTLanguage::Language& language) {
  FileWordsOfKeys(runs, &keys, occurrences, language);
}

}  // namespace LVTDT
