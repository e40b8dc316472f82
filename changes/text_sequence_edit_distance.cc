#include "changes/text_sequence_edit_distance.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "changes/anchored_alignment.h"
#include "changes/suffix_match_counter.h"

namespace LVTDT {

namespace {

// The costs of unequal nodes, for the quick alignment and the lower bound.
const AlignmentCosts kNodeCosts{TextSequenceEditDistance::kSubstitutionCost,
                                TextSequenceEditDistance::kInsertDeleteCost};

// Numbers texts in the order they first come, the same number for the same
// text: an open-addressing table of views into the nodes (which the
// sequences keep alive), sized once for all the nodes it will see, so
// numbering takes no allocation per text.
class TextNumbering {
 public:
  explicit TextNumbering(std::size_t most) {
    std::size_t capacity = 16;
    while (capacity < 2 * most + 1) capacity *= 2;
    m_Slots.resize(capacity);
    m_Mask = capacity - 1;
  }
  uint32_t Number(std::u16string_view text) {
    const std::size_t hash = std::hash<std::u16string_view>{}(text);
    for (std::size_t i = hash & m_Mask;; i = (i + 1) & m_Mask) {
      Slot& slot = m_Slots[i];
      if (slot.id == kEmpty) {
        slot = Slot{hash, text, m_Count};
        return m_Count++;
      }
      if (slot.hash == hash && slot.text == text) return slot.id;
    }
  }
  void Number(const NodeSequence& nodes, std::vector<uint32_t>& out) {
    out.reserve(nodes.size());
    for (const NodeHandle& node : nodes) out.push_back(Number(node->m_Text));
  }
  uint32_t Count() const { return m_Count; }

 private:
  static constexpr uint32_t kEmpty = UINT32_MAX;
  struct Slot {
    std::size_t hash = 0;
    std::u16string_view text;
    uint32_t id = kEmpty;
  };
  std::vector<Slot> m_Slots;
  std::size_t m_Mask = 0;
  uint32_t m_Count = 0;
};

}  // namespace

TextSequenceEditDistance::TextSequenceEditDistance(const NodeSequence& a, const NodeSequence& b)
    : GeneralizedEditDistance(a, b) {
  TextNumbering numbering(First().size() + Second().size());
  numbering.Number(First(), m_TextIdsA);
  numbering.Number(Second(), m_TextIdsB);
  m_TextCount = numbering.Count();
  m_RestMatches.emplace(m_TextIdsA, m_TextIdsB, m_TextCount);
  // B's positions grouped by text, in ascending order within each text.
  m_TextStartsB.assign(m_TextCount + 1, 0);
  for (uint32_t id : m_TextIdsB) ++m_TextStartsB[id + 1];
  for (uint32_t id = 0; id < m_TextCount; ++id) m_TextStartsB[id + 1] += m_TextStartsB[id];
  m_PositionsB.resize(m_TextIdsB.size());
  std::vector<uint32_t> next(m_TextStartsB.begin(), m_TextStartsB.end() - 1);
  for (std::size_t j = 0; j < m_TextIdsB.size(); ++j)
    m_PositionsB[next[m_TextIdsB[j]]++] = static_cast<uint32_t>(j);
}

template <class Visit>
void TextSequenceEditDistance::ForEachPositionInB(uint32_t text, std::size_t first,
                                                  std::size_t last, Visit visit) const {
  const uint32_t* end = m_PositionsB.data() + m_TextStartsB[text + 1];
  const uint32_t* p = std::lower_bound(m_PositionsB.data() + m_TextStartsB[text], end,
                                       static_cast<uint32_t>(first));
  for (; p != end && *p < last; ++p) visit(*p);
}

TextSequenceEditDistance::~TextSequenceEditDistance() = default;

double TextSequenceEditDistance::InsertOrDelete() { return kInsertDeleteCost; }

double TextSequenceEditDistance::SubstitutionCost(const NodeHandle& a, const NodeHandle& b) const {
  return a->SameText(*b) ? kMatchCost : kSubstitutionCost;
}

double TextSequenceEditDistance::InsertionCost(const NodeHandle&) const { return InsertOrDelete(); }

double TextSequenceEditDistance::DeletionCost(const NodeHandle&) const { return InsertOrDelete(); }

double TextSequenceEditDistance::TranspositionCost(const NodeHandle& a1, const NodeHandle& a2,
                                                   const NodeHandle& b1,
                                                   const NodeHandle& b2) const {
  return a1->SameText(*b2) && a2->SameText(*b1) ? kTranspositionCost : DBL_MAX;
}

void TextSequenceEditDistance::SubstitutionRow(std::size_t i, std::size_t first, std::size_t last,
                                               double* costs) const {
  // Equal texts are few in a row: fill, then visit them.
  std::fill(costs + first, costs + last, kSubstitutionCost);
  ForEachPositionInB(m_TextIdsA[i], first, last, [costs](uint32_t j) { costs[j] = kMatchCost; });
}

double TextSequenceEditDistance::RestLowerBound(std::size_t i, std::size_t j) const {
  // With x nodes matched (a swap costs more than a match, never less), the
  // rest of each side is substituted in pairs or inserted and deleted:
  // cheapest with x as large as the texts of the two rests allow.
  const std::size_t restA = m_TextIdsA.size() - i;
  const std::size_t restB = m_TextIdsB.size() - j;
  const std::size_t matched = m_RestMatches->Count(i, j);
  return kNodeCosts.Unmatched(restA - matched, restB - matched);
}

double TextSequenceEditDistance::UpperBound() const {
  // Linear work on ordinary pages; the limit only stops pathological ones.
  const std::size_t limit = 64 * (m_TextIdsA.size() + m_TextIdsB.size()) + 4096;
  return AnchoredAlignmentCost(m_TextIdsA, m_TextIdsB, m_TextCount, kNodeCosts, limit);
}

void TextSequenceEditDistance::TranspositionRow(std::size_t i, std::size_t first, std::size_t last,
                                                double* costs) const {
  const uint32_t a1 = m_TextIdsA[i];
  const uint32_t* b = m_TextIdsB.data();
  std::fill(costs + first, costs + last, DBL_MAX);
  ForEachPositionInB(m_TextIdsA[i + 1], first, last, [costs, a1, b](uint32_t j) {
    if (b[j + 1] == a1) costs[j] = kTranspositionCost;
  });
}

}  // namespace LVTDT
