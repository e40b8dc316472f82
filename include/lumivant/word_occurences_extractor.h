// WordOccurencesExtractor: cuts runs of raw text into numbered words and
// files each word, folded and stemmed, in an occurrence map: for each stem,
// the shared list of its occurrences in document order. Every function is
// static; the class holds no data. (The name keeps its historical spelling.)
//
// A WordOccurence records its word number and the pieces of runs it covers;
// it holds those runs, so they live as long as the occurrence. Records and
// lists are counted without atomics: one map belongs to one thread at a time,
// while the map's list handles (RefCount) may be shared across threads.
#ifndef LUMIVANT_WORD_OCCURENCES_EXTRACTOR_H_
#define LUMIVANT_WORD_OCCURENCES_EXTRACTOR_H_

#include <cstdint>
#include <map>
#include <string>

#include "lumivant/export.h"
#include "lumivant/fast_vector.h"
#include "lumivant/raw_text.h"
#include "lumivant/ref_count.h"
#include "lumivant/ref_count_vector.h"
#include "lumivant/smart_ptr.h"
#include "lumivant/sp_ref_counter.h"

namespace LVTLanguage {
class Language;
}

namespace LVTDT {

class LVT_EXPORT WordOccurencesExtractor {
 public:
  struct WordOccurence : LVT::SPRefCounterST {
    // Ordinal of the word in its list of runs, from 0; counts every word
    // found, also words that are not entered in the map.
    uint32_t m_WordIndex = 0;
    // Per piece, in document order: offset and length in the run's m_Text
    // (16-bit characters), and the run that holds it.
    LVT::FastVector<unsigned> m_Offsets;
    LVT::FastVector<unsigned> m_Lengths;
    RawTextList m_RawTexts;
  };

  using OccurrenceHandle = LVT::SmartPtr<WordOccurence>;
  using OccurrenceList = LVT::RefCountVector<WordOccurence, OccurrenceHandle>;
  using OccurrenceListHandle = LVT::RefCount<OccurrenceList>;
  // Keyed by folded, stemmed word; ordered by 16-bit code unit.
  using OccurrenceMap = std::map<std::u16string, OccurrenceListHandle>;

  // Numbers the words of runs from 0 and adds the entered ones to
  // occurrences (never cleared): each under its folded word's stem, words of
  // excluded runs and words with an empty stem left out. language is asked
  // for the stem of each distinct folded word once per call. Which
  // characters make words, and how a word folds, is the language's word
  // rule: the default, or Unicode words (Language::HasUnicodeWords), where
  // a word is folded whole and loses its diacritics after stemming; either
  // way the pieces point into the runs' own text.
  static void GetWordOccurences(const RawTextList& runs, OccurrenceMap& occurrences,
                                const LVTLanguage::Language& language);

  // No state: assignment copies nothing of substance.
  WordOccurencesExtractor& operator=(const WordOccurencesExtractor&) = default;

 private:
  static bool FindWord(const RawTextHandle*& current, const RawTextHandle* const& last,
                       uint32_t& position, std::u16string& word, OccurrenceHandle& occurrence,
                       const LVTLanguage::Language& language);
};

}  // namespace LVTDT

#endif  // LUMIVANT_WORD_OCCURENCES_EXTRACTOR_H_
