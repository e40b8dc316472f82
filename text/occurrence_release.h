// Releasing a page's word occurrences cheaply. An occurrence map files its
// records by stem, so dropping it frees them in an order unrelated to the
// order they were made in; on a large page that costs several times more
// than building the map did (every record and its piece arrays is a cache
// miss, and the allocator keeps merging scattered free chunks). Releasing
// the records in document order, the order they were allocated in, avoids
// both.
#ifndef LUMIVANT_TEXT_OCCURRENCE_RELEASE_H_
#define LUMIVANT_TEXT_OCCURRENCE_RELEASE_H_

#include "lumivant/word_occurences_extractor.h"

namespace LVTDT {

// Empties occurrences, releasing the records its lists alone hold in
// ascending word index. Lists that others share are only dropped, so every
// other holder keeps its records.
void ReleaseInDocumentOrder(WordOccurencesExtractor::OccurrenceMap& occurrences);

}  // namespace LVTDT

#endif  // LUMIVANT_TEXT_OCCURRENCE_RELEASE_H_
