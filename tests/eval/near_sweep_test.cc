// The proximity sweep against the plain rule applied to every pair.
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

// Groups as an evaluated operand has them: ascending, neither overlapping
// nor touching, each a run of consecutive indexes.
GroupVector RandomNormalisedGroups(std::mt19937& rng, unsigned count, unsigned maxGap,
                                   unsigned maxLength) {
  GroupVector groups;
  unsigned next = std::uniform_int_distribution<unsigned>(0, maxGap)(rng);
  for (unsigned g = 0; g < count; ++g) {
    const unsigned length = std::uniform_int_distribution<unsigned>(1, maxLength)(rng);
    GroupHandle group = LVT::MakeRefCount<Evaluator::OccurrenceList>();
    for (unsigned i = 0; i < length; ++i) group->push_back(Group({next + i})->back());
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

void ExpectSameAsReference(const GroupVector& left, const GroupVector& right, unsigned d) {
  GroupVector expected, actual;
  const bool expectedAny = ReferenceNear(left, right, d, expected);
  const bool actualAny = LVTDT::eval_groups::AppendNearPairs(left, right, d, actual);
  ASSERT_EQ(expectedAny, actualAny)
      << "d=" << d << " left " << Show(left) << " right " << Show(right);
  ASSERT_EQ(Show(expected), Show(actual))
      << "d=" << d << " left " << Show(left) << " right " << Show(right);
  ASSERT_EQ(Show(Peer::RemoveWordOverlaps(expected)), Show(Peer::RemoveWordOverlaps(actual)));
}

TEST(NearSweepTest, AppendsExactlyWhatEveryPairWouldOnRandomOperands) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 3000; ++round) {
    const unsigned maxGap = 1 + round % 25;
    const GroupVector left = RandomNormalisedGroups(rng, rng() % 12, maxGap, 1 + rng() % 4);
    const GroupVector right = RandomNormalisedGroups(rng, rng() % 12, maxGap, 1 + rng() % 4);
    const unsigned d = rng() % 14;
    ExpectSameAsReference(left, right, d);
    ExpectSameAsReference(right, left, d);
    if (HasFatalFailure()) return;
  }
}

TEST(NearSweepTest, FallsBackToEveryPairForGroupsThatAreNotAscending) {
  std::mt19937 rng(7);
  for (int round = 0; round < 1000; ++round) {
    const GroupVector left = RandomRawGroups(rng, rng() % 8);
    const GroupVector right = RandomRawGroups(rng, rng() % 8);
    ExpectSameAsReference(left, right, rng() % 12);
    if (HasFatalFailure()) return;
  }
}

TEST(NearSweepTest, HugeLimitsDoNotWrapAround) {
  const GroupVector left = Groups({Group({0}), Group({4000000000u})});
  const GroupVector right = Groups({Group({5}), Group({4294967295u})});
  ExpectSameAsReference(left, right, 4294967295u);
  ExpectSameAsReference(left, right, 294967295u);
  ExpectSameAsReference(left, right, 0);
}

}  // namespace
}  // namespace lvt_eval_test
