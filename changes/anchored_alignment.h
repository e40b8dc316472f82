// AnchoredAlignmentCost: the cost of one quick alignment of two sequences of
// text numbers, an upper bound on their edit distance that the exact
// alignment uses to leave out cells. Elements that occur once in each range
// and keep their order (the longest such chain) are matched; so are equal
// elements at either end of a range; the ranges between matches are worked
// on again, and a range with nothing left to match pairs its elements by
// substitution and inserts or deletes the rest.
//
// Time: O((|a| + |b|) log) per level of ranges; the work is counted, and past
// `workLimit` steps the answer is DBL_MAX (no bound), so no input makes it
// slow.
#ifndef LUMIVANT_CHANGES_ANCHORED_ALIGNMENT_H_
#define LUMIVANT_CHANGES_ANCHORED_ALIGNMENT_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace LVTDT {

struct AlignmentCosts {
  double m_Substitution;
  double m_InsertDelete;

  // A pair of unequal elements: substituted, or deleted and inserted.
  double Pair() const { return std::min(m_Substitution, 2 * m_InsertDelete); }
  // The cheapest alignment of na elements with nb when none of them match:
  // as many pairs as possible, the rest inserted or deleted.
  double Unmatched(std::size_t na, std::size_t nb) const {
    const std::size_t pairs = std::min(na, nb);
    return static_cast<double>(pairs) * Pair() +
           static_cast<double>(na + nb - 2 * pairs) * m_InsertDelete;
  }
};

// Numbers below `textCount`; equal numbers are equal elements.
double AnchoredAlignmentCost(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                             uint32_t textCount, const AlignmentCosts& costs,
                             std::size_t workLimit);

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_ANCHORED_ALIGNMENT_H_
