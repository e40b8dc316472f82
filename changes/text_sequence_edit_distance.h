// TextSequenceEditDistance: the edit distance between the text-node sequences
// of an old and a new page. Two nodes are equal when their normalised texts
// are. Costs: a match 0, a substitution 1.2, an insertion or a deletion 1.0,
// swapping two neighbours 1.5 (only when they really are swapped). So a
// substitution is cheaper than a deletion plus an insertion, and a swap is
// cheaper than two substitutions.
//
// Each distinct text gets a small number when the object is built, so the
// quadratic cell loop compares numbers, never texts.
#ifndef LUMIVANT_CHANGES_TEXT_SEQUENCE_EDIT_DISTANCE_H_
#define LUMIVANT_CHANGES_TEXT_SEQUENCE_EDIT_DISTANCE_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "changes/generalized_edit_distance.h"
#include "changes/node.h"
#include "changes/suffix_match_counter.h"

namespace LVTDT {

class TextSequenceEditDistance : public LVTAlgo::GeneralizedEditDistance<NodeHandle, NodeSequence> {
 public:
  static constexpr double kMatchCost = 0.0;
  static constexpr double kSubstitutionCost = 1.2;
  static constexpr double kInsertDeleteCost = 1.0;
  static constexpr double kTranspositionCost = 1.5;

  // Copies both sequences (sharing their nodes). Every node must be set.
  TextSequenceEditDistance(const NodeSequence& a, const NodeSequence& b);
  ~TextSequenceEditDistance() override;

  double SubstitutionCost(const NodeHandle& a, const NodeHandle& b) const override;
  double InsertionCost(const NodeHandle& b) const override;
  double DeletionCost(const NodeHandle& a) const override;
  double TranspositionCost(const NodeHandle& a1, const NodeHandle& a2, const NodeHandle& b1,
                           const NodeHandle& b2) const override;

 protected:
  void SubstitutionRow(std::size_t i, std::size_t first, std::size_t last,
                       double* costs) const override;
  void TranspositionRow(std::size_t i, std::size_t first, std::size_t last,
                        double* costs) const override;
  // At best, every node whose text the other rest still holds is matched;
  // the others are substituted, deleted or inserted.
  double RestLowerBound(std::size_t i, std::size_t j) const override;
  // The cost of an alignment anchored on texts that occur once on each page.
  double UpperBound() const override;

 private:
  static double InsertOrDelete();
  // Calls visit(j) for each j in [first, last) where B holds `text`.
  template <class Visit>
  void ForEachPositionInB(uint32_t text, std::size_t first, std::size_t last, Visit visit) const;

  // Text numbers: equal numbers exactly when the texts are equal.
  std::vector<uint32_t> m_TextIdsA;
  std::vector<uint32_t> m_TextIdsB;
  uint32_t m_TextCount = 0;
  // B's positions of text t: m_PositionsB[m_TextStartsB[t] .. m_TextStartsB[t + 1]).
  std::vector<uint32_t> m_PositionsB;
  std::vector<uint32_t> m_TextStartsB;
  // Asked for cells near each other, so it moves by small steps.
  mutable std::optional<SuffixMatchCounter> m_RestMatches;
};

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_TEXT_SEQUENCE_EDIT_DISTANCE_H_
