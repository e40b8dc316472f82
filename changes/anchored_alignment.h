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

#include <cstddef>
#include <cstdint>
#include <vector>

namespace LVTDT {

struct AlignmentCosts {
  double m_Substitution;
  double m_InsertDelete;
};

// Numbers below `textCount`; equal numbers are equal elements.
double AnchoredAlignmentCost(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                             uint32_t textCount, const AlignmentCosts& costs,
                             std::size_t workLimit);

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_ANCHORED_ALIGNMENT_H_
