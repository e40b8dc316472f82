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

// The proximity rule on two group vectors: for every pair (l of left, r of
// right), in left-major order, appends merge(l, r) when their spans overlap,
// or l then r when the gap between their facing ends is at most distance.
// Returns whether anything was appended.
//
// The sweep version visits, for each l, only the r whose spans can qualify;
// with both vectors AscendingSpans those form one window that only moves
// forward, so the cost is linear in the input plus the output instead of
// |left| x |right|. It appends exactly what the all-pairs version does and
// falls back to it for vectors that are not ascending.
bool AppendNearPairs(const GroupVector& left, const GroupVector& right, unsigned distance,
                     GroupVector& out);
bool AppendNearPairsAllPairs(const GroupVector& left, const GroupVector& right, unsigned distance,
                             GroupVector& out);

}  // namespace eval_groups
}  // namespace LVTDT

#endif  // LUMIVANT_EVAL_HIGHLIGHT_GROUPS_H_
