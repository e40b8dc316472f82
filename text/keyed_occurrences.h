// Filing only the words a reader will ask for. An evaluator looks words up
// in the occurrence map by a handful of keys; the records of every other
// word of the page (several hundred bytes each, most of a highlight's
// memory on a large page) would be made and freed unread. Given the keys,
// the page's words are read and numbered all the same, but only the
// occurrences under those keys get records, exactly as the full map has
// them: the map is the full one with the other keys left out.
#ifndef LUMIVANT_TEXT_KEYED_OCCURRENCES_H_
#define LUMIVANT_TEXT_KEYED_OCCURRENCES_H_

#include <string>
#include <unordered_set>

#include "lumivant/word_occurences_extractor.h"

namespace LVTDT {

using OccurrenceKeys = std::unordered_set<std::u16string>;

// GetWordOccurences, with the words whose key is not in keys left out.
void GetWordOccurencesOfKeys(const RawTextList& runs, const OccurrenceKeys& keys,
                             WordOccurencesExtractor::OccurrenceMap& occurrences,
                             const LVTLanguage::Language& language);

}  // namespace LVTDT

#endif  // LUMIVANT_TEXT_KEYED_OCCURRENCES_H_
