#include "eval/highlight_groups.h"

#include <cstdint>

namespace LVTDT {
namespace eval_groups {

GroupHandle SingleOccurrenceGroup(const WordOccurencesExtractor::OccurrenceHandle& occurrence) {
  GroupHandle group = LVT::MakeRefCount<Group>();
  group->push_back(occurrence);
  return group;
}

void AppendOneGroupPerOccurrence(const Group& list, GroupVector& groups) {
  const std::size_t needed = groups.size() + list.size();
  if (needed > groups.capacity()) groups.reserve(needed);
  for (const auto& occurrence : list) groups.push_back(SingleOccurrenceGroup(occurrence));
}

void MergeInto(const Group& a, const Group& b, Group& out) {
  out = a;
  for (const auto& occurrence : b)
    if (occurrence->m_WordIndex > out.back()->m_WordIndex) out.push_back(occurrence);
}

GroupHandle Merge(const GroupHandle& x, const GroupHandle& y) {
  GroupHandle merged = LVT::MakeRefCount<Group>();
  if (FirstIndex(*x) <= FirstIndex(*y))
    MergeInto(*x, *y, *merged);
  else
    MergeInto(*y, *x, *merged);
  return merged;
}

bool OverlapOrTouch(const Group& a, const Group& b) {
  const uint64_t af = FirstIndex(a), al = LastIndex(a);
  const uint64_t bf = FirstIndex(b), bl = LastIndex(b);
  return (af <= bl && al >= bf) || al + 1 == bf || bl + 1 == af;
}

bool AscendingSpans(const GroupVector& groups) {
  for (std::size_t i = 1; i < groups.size(); ++i) {
    if (FirstIndex(*groups[i]) < FirstIndex(*groups[i - 1])) return false;
    if (LastIndex(*groups[i]) < LastIndex(*groups[i - 1])) return false;
  }
  return true;
}

namespace {

// One pair of the proximity rule; true when it appended.
bool AppendIfNear(const GroupHandle& l, const GroupHandle& r, unsigned distance, GroupVector& out) {
  const unsigned lf = FirstIndex(*l), ll = LastIndex(*l);
  const unsigned rf = FirstIndex(*r), rl = LastIndex(*r);
  if (lf <= rl && ll >= rf) {
    out.push_back(Merge(l, r));
    return true;
  }
  if ((ll < rf && rf - ll <= distance) || (rl < lf && lf - rl <= distance)) {
    out.push_back(l);
    out.push_back(r);
    return true;
  }
  return false;
}

}  // namespace

bool AppendNearPairsAllPairs(const GroupVector& left, const GroupVector& right, unsigned distance,
                             GroupVector& out) {
  // Quadratic: |left| x |right| pairs. Used only when the groups are not
  // ascending, which normalised operands always are.
  bool any = false;
  for (const GroupHandle& l : left)
    for (const GroupHandle& r : right)
      if (AppendIfNear(l, r, distance, out)) any = true;
  return any;
}

bool AppendNearPairs(const GroupVector& left, const GroupVector& right, unsigned distance,
                     GroupVector& out) {
  if (!AscendingSpans(left) || !AscendingSpans(right))
    return AppendNearPairsAllPairs(left, right, distance, out);
  // A pair qualifies exactly when rf <= ll + d and rl + d >= lf. Along the
  // right groups the first test turns false once and stays false, the second
  // turns true once and stays true, so the qualifying r form a window
  // [low, high); as l moves on, lf and ll never decrease, so neither end of
  // the window ever moves back.
  const uint64_t d = distance;
  const std::size_t count = right.size();
  std::size_t low = 0, high = 0;
  bool any = false;
  for (const GroupHandle& l : left) {
    const uint64_t lf = FirstIndex(*l), ll = LastIndex(*l);
    while (low < count && LastIndex(*right[low]) + d < lf) ++low;
    if (high < low) high = low;
    while (high < count && FirstIndex(*right[high]) <= ll + d) ++high;
    for (std::size_t i = low; i < high; ++i)
      if (AppendIfNear(l, right[i], distance, out)) any = true;
  }
  return any;
}

}  // namespace eval_groups
}  // namespace LVTDT
