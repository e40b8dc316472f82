#include <gtest/gtest.h>

#include <vector>

#include "lumivant/fast_vector.h"
#include "lumivant/ref_count.h"
#include "lumivant/ref_count_vector.h"
#include "lumivant/smart_ptr.h"
#include "lumivant/sp_ref_counter.h"

namespace {

int g_alive = 0;

struct Record : LVT::SPRefCounterST {
  Record() { ++g_alive; }
  ~Record() { --g_alive; }
};

using Handle = LVT::SmartPtr<Record>;
using Vector = LVT::RefCountVector<Record, Handle>;

TEST(RefCountTest, NullAndSelfAssignment) {
  LVT::RefCount<Record> empty(nullptr);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(0, empty.UseCount());
  LVT::RefCount<Record> copy(empty);
  EXPECT_TRUE(copy.IsEmpty());

  auto handle = LVT::MakeRefCount<Record>();
  EXPECT_EQ(1, g_alive);
  auto& alias = handle;
  handle = alias;
  EXPECT_EQ(1, handle.UseCount());
  {
    LVT::RefCount<Record> second = handle;
    EXPECT_EQ(2, handle.UseCount());
  }
  EXPECT_EQ(1, handle.UseCount());
  handle = LVT::RefCount<Record>();
  EXPECT_EQ(0, g_alive);
}

TEST(SmartPtrTest, CountsLiveInTheRecord) {
  Handle a = LVT::MakeSmart<Record>();
  EXPECT_EQ(1, a->RefCountValue());
  Handle b = a;
  EXPECT_EQ(2, a->RefCountValue());
  b = a;  // same record: nothing changes
  EXPECT_EQ(2, a->RefCountValue());
  a = a;
  EXPECT_EQ(2, b->RefCountValue());
  a = Handle();
  EXPECT_EQ(1, b->RefCountValue());
  EXPECT_EQ(1, g_alive);
  b = Handle();
  EXPECT_EQ(0, g_alive);
}

TEST(RefCountVectorTest, GrowthAndSharing) {
  Vector v;
  EXPECT_EQ(0u, v.size());
  EXPECT_EQ(16u, v.capacity());
  Handle first = LVT::MakeSmart<Record>();
  v.push_back(first);
  for (int i = 1; i < 16; ++i) v.push_back(LVT::MakeSmart<Record>());
  EXPECT_EQ(16u, v.capacity());
  EXPECT_EQ(2, first->RefCountValue());
  v.push_back(LVT::MakeSmart<Record>());
  EXPECT_EQ(32u, v.capacity());
  EXPECT_EQ(17u, v.size());
  EXPECT_EQ(2, first->RefCountValue()) << "growth moves handles without counting";

  Record* before = v[0].Get();
  v.reserve(v.capacity());
  EXPECT_EQ(32u, v.capacity());
  EXPECT_EQ(before, v[0].Get());
  EXPECT_EQ(2, first->RefCountValue());
  v.reserve(8);
  EXPECT_EQ(32u, v.capacity());
}

TEST(RefCountVectorTest, CopyHasExactCapacityAndDoublesFromThere) {
  Vector v;
  for (int i = 0; i < 3; ++i) v.push_back(LVT::MakeSmart<Record>());
  {
    Vector copy(v);
    EXPECT_EQ(3u, copy.capacity());
    EXPECT_EQ(2, v[0]->RefCountValue());
    copy.push_back(LVT::MakeSmart<Record>());
    EXPECT_EQ(6u, copy.capacity());
    EXPECT_EQ(4, g_alive);
  }
  EXPECT_EQ(3, g_alive) << "the copy frees only what nobody else holds";
  EXPECT_EQ(1, v[0]->RefCountValue());

  Vector empty;
  Vector emptyCopy(empty);
  EXPECT_EQ(0u, emptyCopy.capacity());
  emptyCopy.push_back(LVT::MakeSmart<Record>());
  EXPECT_EQ(1u, emptyCopy.capacity());
  emptyCopy.push_back(LVT::MakeSmart<Record>());
  EXPECT_EQ(2u, emptyCopy.capacity());
  emptyCopy.push_back(LVT::MakeSmart<Record>());
  EXPECT_EQ(4u, emptyCopy.capacity());

  Vector small;
  small = v;  // 3 fit in 16: keep the array
  EXPECT_EQ(16u, small.capacity());
  EXPECT_EQ(3u, small.size());
  small = small;
  EXPECT_EQ(3u, small.size());
}

TEST(RefCountVectorTest, AppendingItsOwnHandleWhileGrowing) {
  // The handle to append may live in the array that growth frees.
  Vector v;
  for (int i = 0; i < 16; ++i) v.push_back(LVT::MakeSmart<Record>());
  Record* last = v.back().Get();
  v.push_back(v.back());
  ASSERT_EQ(17u, v.size());
  EXPECT_EQ(last, v[16].Get());
  EXPECT_EQ(last, v[15].Get());
  EXPECT_EQ(2, last->RefCountValue());

  LVT::RefCountVector<Record, LVT::RefCount<Record>> shared;
  for (int i = 0; i < 16; ++i) shared.push_back(LVT::MakeRefCount<Record>());
  Record* first = shared[0].Get();
  shared.push_back(shared[0]);
  ASSERT_EQ(17u, shared.size());
  EXPECT_EQ(first, shared[16].Get());
  EXPECT_EQ(2, shared[0].UseCount());
}

TEST(FastVectorTest, GrowthRule) {
  LVT::FastVector<unsigned> v;
  EXPECT_EQ(0u, v.capacity());
  for (unsigned i = 0; i < 17; ++i) {
    v.push_back(i);
    EXPECT_EQ(i < 16 ? 16u : 32u, v.capacity());
  }
  LVT::FastVector<unsigned> full;
  for (unsigned i = 0; i < 256; ++i) full.push_back(i);
  EXPECT_EQ(256u, full.capacity());
  full.push_back(256);
  EXPECT_EQ(512u, full.capacity());

  LVT::FastVector<unsigned> big;
  big.reserve(257);
  for (unsigned i = 0; i < 257; ++i) big.push_back(i);
  EXPECT_EQ(257u, big.capacity());
  big.push_back(0);
  EXPECT_EQ(321u, big.capacity());
  EXPECT_EQ(256u, big[256]);
  big.reserve(321);  // not strictly greater: no change
  EXPECT_EQ(321u, big.capacity());

  // The value to append may live in the storage that growth frees.
  LVT::FastVector<unsigned> own;
  for (unsigned i = 0; i < 16; ++i) own.push_back(100 + i);
  own.push_back(own[0]);
  EXPECT_EQ(32u, own.capacity());
  EXPECT_EQ(100u, own[16]);
  while (own.size() < 32) own.push_back(0);
  own.push_back(own[3]);
  EXPECT_EQ(64u, own.capacity());
  EXPECT_EQ(103u, own[32]);

  LVT::FastVector<unsigned> runs;
  std::vector<std::size_t> seen;
  for (unsigned i = 0; i < 1300; ++i) {
    runs.push_back(i);
    if (seen.empty() || seen.back() != runs.capacity()) seen.push_back(runs.capacity());
  }
  EXPECT_EQ((std::vector<std::size_t>{16, 32, 64, 128, 256, 512, 640, 800, 1000, 1250, 1562}),
            seen);
}

}  // namespace
