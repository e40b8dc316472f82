#include "eval/highlight_groups.h"

#include <cstdint>
#include <vector>

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

bool AppendNearPairs(const GroupVector& left, const GroupVector& right, unsigned distance,
                     GroupVector& out) {
  bool any = false;
  if (!AscendingSpans(left) || !AscendingSpans(right)) {
    for (const GroupHandle& l : left)
      for (const GroupHandle& r : right)
        if (AppendIfNear(l, r, distance, out)) any = true;
    return any;
  }
  // A pair qualifies exactly when rf <= ll + d and rl + d >= lf. Along the
  // right groups the first test turns false once and stays false, the second
  // turns true once and stays true, so the qualifying r form a window
  // [low, high); as l moves on, lf and ll never decrease, so neither end of
  // the window ever moves back.
  const uint64_t d = distance;
  const std::size_t count = right.size();
  std::size_t low = 0, high = 0;
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

bool ApartRuns(const GroupVector& groups) {
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const Group& group = *groups[i];
    if (group.empty()) return false;
    for (std::size_t k = 1; k < group.size(); ++k)
      if (group[k]->m_WordIndex != uint64_t{group[k - 1]->m_WordIndex} + 1) return false;
    if (i > 0 && uint64_t{LastIndex(*groups[i - 1])} + 1 >= FirstIndex(group)) return false;
  }
  return true;
}

namespace {

// Marks the groups of one side that some group of the other side is near
// (or overlaps). A pair qualifies when of.first <= g.last + d and
// of.last + d >= g.first; the groups of the other side passing the second
// test are a suffix that only shrinks as g moves on, and its first group has
// the smallest first index of them all.
std::vector<bool> NearAny(const GroupVector& side, const GroupVector& of, uint64_t d) {
  std::vector<bool> kept(side.size(), false);
  std::size_t low = 0;
  for (std::size_t i = 0; i < side.size(); ++i) {
    const uint64_t first = FirstIndex(*side[i]), last = LastIndex(*side[i]);
    while (low < of.size() && LastIndex(*of[low]) + d < first) ++low;
    kept[i] = low < of.size() && FirstIndex(*of[low]) <= last + d;
  }
  return kept;
}

}  // namespace

bool AppendNearGroups(const GroupVector& left, const GroupVector& right, unsigned distance,
                      GroupVector& out) {
  if (!ApartRuns(left) || !ApartRuns(right)) return AppendNearPairs(left, right, distance, out);
  // Every pair that qualifies puts both its groups, whole, into the result
  // (merged or side by side), and nothing else; removing overlaps then joins
  // what overlaps or touches. With runs of consecutive indexes that agree on
  // the records of shared words, each joined group is every word of its
  // span, whatever order the merges took, so it can be built from the kept
  // groups of both sides in order of their first index.
  const std::vector<bool> keptLeft = NearAny(left, right, distance);
  const std::vector<bool> keptRight = NearAny(right, left, distance);
  GroupVector joined;
  GroupHandle current;
  bool currentIsOurs = false;  // a new list, still free to extend in place
  std::size_t i = 0, j = 0;
  for (;;) {
    while (i < left.size() && !keptLeft[i]) ++i;
    while (j < right.size() && !keptRight[j]) ++j;
    if (i == left.size() && j == right.size()) break;
    const bool takeLeft =
        j == right.size() || (i < left.size() && FirstIndex(*left[i]) <= FirstIndex(*right[j]));
    const GroupHandle& next = takeLeft ? left[i++] : right[j++];
    if (!current || uint64_t{LastIndex(*current)} + 1 < FirstIndex(*next)) {
      if (current) joined.push_back(std::move(current));
      current = next;
      currentIsOurs = false;
      continue;
    }
    const unsigned base = FirstIndex(*current), last = LastIndex(*current);
    for (const auto& occurrence : *next) {
      const unsigned index = occurrence->m_WordIndex;
      if (index > last) break;
      // Two records for one word: which one the pairs keep depends on the
      // order they are merged in, so only the pairs themselves can tell.
      if ((*current)[index - base].Get() != occurrence.Get())
        return AppendNearPairs(left, right, distance, out);
    }
    if (LastIndex(*next) <= last) continue;
    if (!currentIsOurs) {
      GroupHandle fresh = LVT::MakeRefCount<Group>();
      *fresh = *current;
      current = std::move(fresh);
      currentIsOurs = true;
    }
    for (const auto& occurrence : *next)
      if (occurrence->m_WordIndex > last) current->push_back(occurrence);
  }
  if (!current) return false;
  joined.push_back(std::move(current));
  const std::size_t needed = out.size() + joined.size();
  if (needed > out.capacity()) out.reserve(needed);
  for (GroupHandle& group : joined) out.push_back(std::move(group));
  return true;
}

}  // namespace eval_groups
}  // namespace LVTDT
