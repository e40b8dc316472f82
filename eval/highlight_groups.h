// Building blocks on highlight groups, shared by the evaluator's operators.
// A group is a non-empty occurrence list in ascending word index, held by a
// shared handle and never changed once it is in a group vector: everything
// here that combines groups makes a new list.
#ifndef LUMIVANT_EVAL_HIGHLIGHT_GROUPS_H_
#define LUMIVANT_EVAL_HIGHLIGHT_GROUPS_H_

#include "lumivant/term_document_evaluator_ex.h"

namespace LVTDT {
namespace eval_groups {

using Group = TermDocumentEvaluatorEx::OccurrenceList;
using GroupHandle = TermDocumentEvaluatorEx::GroupHandle;
using GroupVector = TermDocumentEvaluatorEx::GroupVector;

inline unsigned FirstIndex(const Group& group) { return group[0]->m_WordIndex; }
inline unsigned LastIndex(const Group& group) { return group.back()->m_WordIndex; }

// A new group holding one occurrence.
GroupHandle SingleOccurrenceGroup(const WordOccurencesExtractor::OccurrenceHandle& occurrence);

// Appends one single-occurrence group per occurrence of list, in order.
void AppendOneGroupPerOccurrence(const Group& list, GroupVector& groups);

// out gets a's occurrences, then those of b (in b's order) that lie after
// the last one taken so far. a must not be empty.
void MergeInto(const Group& a, const Group& b, Group& out);

// A new group: the merge of x and y, the one that starts first leading; x
// leads when both start at the same word.
GroupHandle Merge(const GroupHandle& x, const GroupHandle& y);

// True when the spans of two groups share a word or are adjacent.
bool OverlapOrTouch(const Group& a, const Group& b);

// True when first and last word indexes both never decrease along groups, as
// they do after the evaluator has normalised them.
bool AscendingSpans(const GroupVector& groups);

// True when the groups are as the evaluator leaves those of a word or a
// phrase: ascending, neither overlapping nor touching, each a run of
// consecutive word indexes.
bool ApartRuns(const GroupVector& groups);

// The proximity rule on two group vectors: for every pair (l of left, r of
// right), in left-major order, appends merge(l, r) when their spans overlap,
// or l then r when the gap between their facing ends is at most distance.
// Returns whether anything was appended. Visits, for each l, only the r
// whose spans can qualify (a window that only moves forward when both
// vectors are AscendingSpans, every pair otherwise), but what it appends
// can still be |left| x |right| groups.
bool AppendNearPairs(const GroupVector& left, const GroupVector& right, unsigned distance,
                     GroupVector& out);

// The groups that AppendNearPairs leaves once the evaluator has removed
// overlaps (sorted, merged where they overlap or touch), made directly: time
// and memory linear in the operands and the groups kept, whatever the
// distance. That holds for operands that are ApartRuns and give the same
// record for a word they both cover, as operands evaluated on one
// occurrence map do; for any others this appends the pairs themselves.
// Returns whether anything was appended.
bool AppendNearGroups(const GroupVector& left, const GroupVector& right, unsigned distance,
                      GroupVector& out);

}  // namespace eval_groups
}  // namespace LVTDT

#endif  // LUMIVANT_EVAL_HIGHLIGHT_GROUPS_H_
