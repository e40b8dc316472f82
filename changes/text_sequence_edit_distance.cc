#include "changes/text_sequence_edit_distance.h"

#include <algorithm>
#include <cfloat>
#include <string_view>
#include <unordered_map>

#include "changes/anchored_alignment.h"
#include "changes/suffix_match_counter.h"

namespace LVTDT {

namespace {

// The costs of unequal nodes, for the quick alignment and the lower bound.
const AlignmentCosts kNodeCosts{TextSequenceEditDistance::kSubstitutionCost,
                                TextSequenceEditDistance::kInsertDeleteCost};

using TextIds = std::unordered_map<std::u16string_view, uint32_t>;

// Numbers each node's text, the same number for the same text. The views
// point into the nodes, which the sequences keep alive.
void NumberTexts(const NodeSequence& nodes, TextIds& ids, std::vector<uint32_t>& out) {
  out.reserve(nodes.size());
  for (const NodeHandle& node : nodes) {
    auto inserted = ids.emplace(node->m_Text, static_cast<uint32_t>(ids.size()));
    out.push_back(inserted.first->second);
  }
}

}  // namespace

TextSequenceEditDistance::TextSequenceEditDistance(const NodeSequence& a, const NodeSequence& b)
    : GeneralizedEditDistance(a, b) {
  TextIds ids;
  ids.reserve(First().size() + Second().size());
  NumberTexts(First(), ids, m_TextIdsA);
  NumberTexts(Second(), ids, m_TextIdsB);
  m_TextCount = static_cast<uint32_t>(ids.size());
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
