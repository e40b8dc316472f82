#include "changes/text_sequence_edit_distance.h"

#include <algorithm>
#include <cfloat>
#include <string_view>
#include <unordered_map>

#include "changes/anchored_alignment.h"

namespace LVTDT {

namespace {

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

// rest[i]: cost times the nodes from i on whose text `other` lacks.
void RestOfUnmatched(const std::vector<uint32_t>& ids, const std::vector<uint8_t>& inOther,
                     double cost, std::vector<double>& rest) {
  rest.assign(ids.size() + 1, 0.0);
  std::size_t unmatched = 0;
  for (std::size_t i = ids.size(); i-- > 0;) {
    if (!inOther[ids[i]]) ++unmatched;
    rest[i] = static_cast<double>(unmatched) * cost;
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
  const uint32_t a = m_TextIdsA[i];
  const uint32_t* b = m_TextIdsB.data();
  for (std::size_t j = first; j < last; ++j) costs[j] = a == b[j] ? kMatchCost : kSubstitutionCost;
}

void TextSequenceEditDistance::RestLowerBounds(std::vector<double>& restOfA,
                                               std::vector<double>& restOfB) const {
  std::vector<uint8_t> inA(m_TextCount, 0), inB(m_TextCount, 0);
  for (uint32_t id : m_TextIdsA) inA[id] = 1;
  for (uint32_t id : m_TextIdsB) inB[id] = 1;
  const double cheapest = std::min(kSubstitutionCost, kInsertDeleteCost);
  RestOfUnmatched(m_TextIdsA, inB, cheapest, restOfA);
  RestOfUnmatched(m_TextIdsB, inA, cheapest, restOfB);
}

double TextSequenceEditDistance::UpperBound() const {
  // Linear work on ordinary pages; the limit only stops pathological ones.
  const std::size_t limit = 64 * (m_TextIdsA.size() + m_TextIdsB.size()) + 4096;
  return AnchoredAlignmentCost(m_TextIdsA, m_TextIdsB, m_TextCount,
                               {kSubstitutionCost, kInsertDeleteCost}, limit);
}

void TextSequenceEditDistance::TranspositionRow(std::size_t i, std::size_t first, std::size_t last,
                                                double* costs) const {
  const uint32_t a1 = m_TextIdsA[i];
  const uint32_t a2 = m_TextIdsA[i + 1];
  const uint32_t* b = m_TextIdsB.data();
  for (std::size_t j = first; j < last; ++j) {
    costs[j] = a1 == b[j + 1] && a2 == b[j] ? kTranspositionCost : DBL_MAX;
  }
}

}  // namespace LVTDT
