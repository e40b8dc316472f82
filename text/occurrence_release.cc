#include "text/occurrence_release.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace LVTDT {

void ReleaseInDocumentOrder(WordOccurencesExtractor::OccurrenceMap& occurrences) {
  using Handle = WordOccurencesExtractor::OccurrenceHandle;
  std::vector<std::pair<uint32_t, Handle>> records;
  for (auto& entry : occurrences) {
    if (entry.second.UseCount() != 1) continue;  // shared: not ours to empty
    for (Handle& occurrence : *entry.second)
      if (occurrence) records.emplace_back(occurrence->m_WordIndex, std::move(occurrence));
  }
  occurrences.clear();
  std::sort(records.begin(), records.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  records.clear();
}

}  // namespace LVTDT
