#include "lumivant/word_occurences_extractor.h"

#include <unordered_map>

#include "foundation/language/char_classes.h"
#include "lumivant/language.h"

namespace LVTDT {

namespace {

void AddPiece(WordOccurencesExtractor::WordOccurence& occurrence, uint32_t start, uint32_t length,
              const RawTextHandle& run) {
  occurrence.m_Offsets.push_back(start);
  occurrence.m_Lengths.push_back(length);
  occurrence.m_RawTexts.push_back(run);
}

// The list of the key that folded stems to, made when the key is new; null
// when the stem is empty (such words are not entered). stem is scratch.
WordOccurencesExtractor::OccurrenceList* ListOfStem(
    const std::u16string& folded, WordOccurencesExtractor::OccurrenceMap& occurrences,
    const LVTLanguage::Language& language, std::u16string& stem) {
  language.Stem(folded, stem);
  if (stem.empty()) return nullptr;
  auto entry = occurrences.try_emplace(stem);
  if (entry.second)
    entry.first->second = LVT::MakeRefCount<WordOccurencesExtractor::OccurrenceList>();
  return entry.first->second.Get();
}

}  // namespace

bool WordOccurencesExtractor::FindWord(const RawTextHandle*& current,
                                       const RawTextHandle* const& last, uint32_t& position,
                                       std::u16string& word, OccurrenceHandle& occurrence,
                                       const LVTLanguage::Language&) {
  word.clear();
  if (current == last) return false;
  bool continuing = false;  // a piece of this word lies in an earlier run
  for (;;) {
    const std::u16string& text = (*current)->m_Text;
    const uint32_t length = static_cast<uint32_t>(text.size());
    if (!continuing) {
      while (position < length && !IsWordCharacter(text[position]) &&
             !IsUnbreakable(text[position]))
        ++position;
    }
    const uint32_t start = position;
    // An unbreakable character may only open a word.
    bool first = !continuing;
    while (position < length) {
      const char16_t c = text[position];
      if (!IsWordCharacter(c) && !(first && IsUnbreakable(c))) break;
      word.push_back(c);
      ++position;
      first = false;
    }
    if (position < length) {
      if (position > start) AddPiece(*occurrence, start, position - start, *current);
      return true;
    }
    // The run ended: the word may go on at the start of the next one.
    if (position > start) {
      AddPiece(*occurrence, start, position - start, *current);
      continuing = true;
    }
    ++current;
    position = 0;
    if (current == last) return continuing;
  }
}

void WordOccurencesExtractor::GetWordOccurences(const RawTextList& runs, OccurrenceMap& occurrences,
                                                const LVTLanguage::Language& language) {
  if (runs.empty()) return;
  const RawTextHandle* current = runs.begin();
  const RawTextHandle* const last = runs.end();
  uint32_t position = 0;
  uint32_t index = 0;
  std::u16string word;
  std::u16string folded;
  // Folded word -> its key's list (null for an empty stem). Pages repeat
  // their words: a repeated word costs one hash lookup instead of stemming
  // and a walk down the ordered map, which together took most of the time.
  std::unordered_map<std::u16string, OccurrenceList*> lists;
  while (current != last) {
    OccurrenceHandle occurrence = LVT::MakeSmart<WordOccurence>();
    if (!FindWord(current, last, position, word, occurrence, language)) break;
    occurrence->m_WordIndex = index++;
    // Words of excluded runs keep their numbers, so that positions stay
    // those of the whole page.
    if (occurrence->m_RawTexts[0]->m_Excluded) continue;
    FoldString(word, folded);
    auto known = lists.find(folded);
    if (known == lists.end())
      known = lists.emplace(folded, ListOfStem(folded, occurrences, language, word)).first;
    if (known->second != nullptr) known->second->push_back(std::move(occurrence));
  }
}

}  // namespace LVTDT
