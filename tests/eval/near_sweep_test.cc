// The proximity sweep, and the groups it leaves made directly, against the
// plain rule applied to every pair.
#include <gtest/gtest.h>

#include <random>

#include "eval/eval_test_support.h"
#include "eval/highlight_groups.h"

namespace lvt_eval_test {
namespace {

// The rule as stated, pair by pair: overlapping spans give one merged group,
// spans within the limit give both groups, in left-major order.
bool ReferenceNear(const GroupVector& left, const GroupVector& right, unsigned d,
                   GroupVector& out) {
  bool any = false;
  for (const GroupHandle& l : left) {
    for (const GroupHandle& r : right) {
      const unsigned lf = (*l)[0]->m_WordIndex, ll = l->back()->m_WordIndex;
      const unsigned rf = (*r)[0]->m_WordIndex, rl = r->back()->m_WordIndex;
      if (lf <= rl && ll >= rf) {
        GroupHandle merged = LVT::MakeRefCount<Evaluator::OccurrenceList>();
        const GroupHandle& a = lf <= rf ? l : r;
        const GroupHandle& b = lf <= rf ? r : l;
        *merged = *a;
        for (const auto& o : *b)
          if (o->m_WordIndex > merged->back()->m_WordIndex) merged->push_back(o);
        out.push_back(merged);
        any = true;
      } else if ((ll < rf && rf - ll <= d) || (rl < lf && lf - rl <= d)) {
        out.push_back(l);
        out.push_back(r);
        any = true;
      }
    }
  }
  return any;
}

using Page = std::vector<LVTDT::WordOccurencesExtractor::OccurrenceHandle>;

// One record per word index, as the occurrence map of a page has them.
Page MakePage(unsigned words) {
  Page page;
  for (unsigned index = 0; index < words; ++index) page.push_back(Group({index})->back());
  return page;
}

// Groups as an evaluated operand has them: ascending, neither overlapping
// nor touching, each a run of consecutive indexes; their records are those
// of page where it has one, else new.
GroupVector RandomNormalisedGroups(std::mt19937& rng, unsigned count, unsigned maxGap,
                                   unsigned maxLength, const Page& page = Page()) {
  GroupVector groups;
  unsigned next = std::uniform_int_distribution<unsigned>(0, maxGap)(rng);
  for (unsigned g = 0; g < count; ++g) {
    const unsigned length = std::uniform_int_distribution<unsigned>(1, maxLength)(rng);
    GroupHandle group = LVT::MakeRefCount<Evaluator::OccurrenceList>();
    for (unsigned i = next; i < next + length; ++i)
      group->push_back(i < page.size() ? page[i] : Group({i})->back());
    groups.push_back(group);
    next += length + 1 + std::uniform_int_distribution<unsigned>(1, maxGap)(rng);
  }
  return groups;
}

// Any groups at all: unsorted, overlapping, with gaps inside.
GroupVector RandomRawGroups(std::mt19937& rng, unsigned count) {
  GroupVector groups;
  std::uniform_int_distribution<unsigned> start(0, 60), step(1, 3), length(1, 4);
  for (unsigned g = 0; g < count; ++g) {
    GroupHandle group = LVT::MakeRefCount<Evaluator::OccurrenceList>();
    unsigned index = start(rng);
    for (unsigned i = length(rng); i > 0; --i, index += step(rng))
      group->push_back(Group({index})->back());
    groups.push_back(group);
  }
  return groups;
}

// direct: the operands share their records, so the groups must come out
// sorted and merged already, not as pairs.
void ExpectSameAsReference(const GroupVector& left, const GroupVector& right, unsigned d,
                           bool direct) {
  GroupVector expected, pairs, groups;
  const bool expectedAny = ReferenceNear(left, right, d, expected);
  const std::string context =
      "d=" + std::to_string(d) + " left " + Show(left) + " right " + Show(right);
  ASSERT_EQ(expectedAny, LVTDT::eval_groups::AppendNearPairs(left, right, d, pairs)) << context;
  ASSERT_EQ(Show(expected), Show(pairs)) << context;
  // The groups are made already sorted and merged, without the pairs.
  const std::string kept = Show(Peer::RemoveWordOverlaps(expected));
  ASSERT_EQ(expectedAny, LVTDT::eval_groups::AppendNearGroups(left, right, d, groups)) << context;
  ASSERT_EQ(kept, Show(Peer::RemoveWordOverlaps(groups))) << context;
  if (direct) {
    ASSERT_EQ(kept, Show(groups)) << context;
  }
}

TEST(NearSweepTest, AppendsExactlyWhatEveryPairWouldOnRandomOperands) {
  std::mt19937 rng(20240611);
  const Page page = MakePage(1000), none;
  for (int round = 0; round < 6000; ++round) {
    const unsigned maxGap = 1 + round % 25;
    // Odd rounds: records of their own on each side, so that the groups
    // built directly fall back to the pairs where the sides overlap.
    const bool shared = round % 2 == 0;
    const Page& records = shared ? page : none;
    const GroupVector left =
        RandomNormalisedGroups(rng, rng() % 12, maxGap, 1 + rng() % 4, records);
    const GroupVector right =
        RandomNormalisedGroups(rng, rng() % 12, maxGap, 1 + rng() % 4, records);
    const unsigned d = round % 7 == 0 ? rng() % 400 : rng() % 14;
    ExpectSameAsReference(left, right, d, shared);
    ExpectSameAsReference(right, left, d, shared);
    if (HasFatalFailure()) return;
  }
}

TEST(NearSweepTest, FallsBackToEveryPairForGroupsThatAreNotAscending) {
  std::mt19937 rng(7);
  for (int round = 0; round < 1000; ++round) {
    const GroupVector left = RandomRawGroups(rng, rng() % 8);
    const GroupVector right = RandomRawGroups(rng, rng() % 8);
    ExpectSameAsReference(left, right, rng() % 12, false);
    if (HasFatalFailure()) return;
  }
}

TEST(NearSweepTest, HugeLimitsDoNotWrapAround) {
  const GroupVector left = Groups({Group({0}), Group({4000000000u})});
  const GroupVector right = Groups({Group({5}), Group({4294967295u})});
  ExpectSameAsReference(left, right, 4294967295u, true);
  ExpectSameAsReference(left, right, 294967295u, true);
  ExpectSameAsReference(left, right, 0, true);
}

}  // namespace
}  // namespace lvt_eval_test
