// The base layer: counted handles and their vectors, memory streams,
// strings, files and the memory pool.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "foundation/base/binary_stream.h"
#include "foundation/base/string_utils.h"
#include "lumivant/fast_vector.h"
#include "lumivant/mem_pool.h"
#include "lumivant/memory_buffer.h"
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

TEST(HandlesTest, SelfAssignmentAndSharing) {
  auto shared = LVT::MakeRefCount<Record>();
  auto& alias = shared;
  shared = alias;
  EXPECT_EQ(1, shared.UseCount());
  EXPECT_TRUE(LVT::RefCount<Record>(nullptr).IsEmpty());
  Handle a = LVT::MakeSmart<Record>();
  Handle b = a;
  b = a;  // same record: nothing changes
  a = a;
  EXPECT_EQ(2, a->RefCountValue());
  shared = LVT::RefCount<Record>();
  a = Handle();
  EXPECT_EQ(1, g_alive);
  b = Handle();
  EXPECT_EQ(0, g_alive);

  // A record in one block with its counter, and one with a counter of its
  // own, released in either order (the sanitizers check the frees).
  for (const bool madeFirst : {true, false}) {
    auto made = LVT::MakeRefCount<Record>();
    LVT::RefCount<Record> adopted(LVTMem::Create<Record>());
    auto madeCopy = made;
    auto adoptedCopy = adopted;
    EXPECT_EQ(2, made.UseCount());
    if (madeFirst) {
      made = adopted;
      madeCopy = adoptedCopy;
    } else {
      adopted = made;
      adoptedCopy = madeCopy;
    }
    EXPECT_EQ(1, g_alive);
  }
  EXPECT_EQ(0, g_alive);
  struct Throws {
    Throws() { throw std::bad_alloc(); }
  };
  EXPECT_THROW(LVT::MakeRefCount<Throws>(), std::bad_alloc);  // and nothing leaks
}

// Slabs go with their last record, whether the maker or a record goes last,
// and a constructor that throws leaves its block unused (the sanitizers
// check the frees).
TEST(HandlesTest, SlabsLiveWhileOneOfTheirRecordsDoes) {
  struct Throws {
    explicit Throws(bool fail) {
      if (fail) throw std::bad_alloc();
    }
  };
  std::vector<LVT::RefCount<Record>> kept;
  {
    LVT::SlabMaker<Record, 4> maker;
    for (int i = 0; i < 10; ++i) kept.push_back(maker.Make());  // three slabs, the last half full
    EXPECT_EQ(10, g_alive);
    kept.erase(kept.begin(), kept.begin() + 5);  // the first slab is gone
    LVT::SlabMaker<Throws, 2> throwing;
    EXPECT_THROW(throwing.Make(true), std::bad_alloc);
    auto made = throwing.Make(false);
    EXPECT_EQ(1, made.UseCount());
  }
  EXPECT_EQ(5, g_alive) << "records outlive their maker";
  LVT::RefCount<Record> last = kept.back();
  kept.clear();
  EXPECT_EQ(1, g_alive);
  last = LVT::RefCount<Record>();
  EXPECT_EQ(0, g_alive);
}

TEST(HandlesTest, VectorsCountOnlyWhatTheyHold) {
  Vector v;
  Handle first = LVT::MakeSmart<Record>();
  for (int i = 0; i < 40; ++i) v.push_back(i == 0 ? first : LVT::MakeSmart<Record>());
  EXPECT_EQ(2, first->RefCountValue()) << "growth moves handles without counting";
  {
    Vector copy(v);
    copy.push_back(LVT::MakeSmart<Record>());
    Vector assigned;
    assigned = copy;
    assigned = assigned;
    EXPECT_EQ(4, first->RefCountValue());
    EXPECT_EQ(41, g_alive);
  }
  EXPECT_EQ(40, g_alive) << "copies free only what nobody else holds";
  EXPECT_EQ(2, first->RefCountValue());
}

TEST(HandlesTest, AppendingAnElementOfItsOwnWhileGrowing) {
  // The value to append may live in the storage that growth frees.
  Vector v;
  for (int i = 0; i < 16; ++i) v.push_back(LVT::MakeSmart<Record>());
  Record* last = v.back().Get();
  v.push_back(v.back());
  ASSERT_EQ(17u, v.size());
  EXPECT_EQ(last, v[16].Get());
  EXPECT_EQ(2, last->RefCountValue());
  LVT::RefCountVector<Record, LVT::RefCount<Record>> shared;
  for (int i = 0; i < 16; ++i) shared.push_back(LVT::MakeRefCount<Record>());
  shared.push_back(shared[0]);
  EXPECT_EQ(shared[0].Get(), shared[16].Get());
  EXPECT_EQ(2, shared[0].UseCount());
  LVT::FastVector<unsigned> own;
  for (unsigned i = 0; i < 1300; ++i) own.push_back(i == 0 ? 100 : own[i / 2]);
  for (unsigned i = 1; i < 1300; ++i) ASSERT_EQ(100u, own[i]) << i;
}

TEST(StreamTest, WritesRefreshPendingBytesAndCopyOntoItself) {
  LVTFile::MemoryBuffer s(std::string("<m>text<m>"));
  ASSERT_TRUE(s.Find("<m>", 3));
  s.SeekWrite(s.NextReadOffset());
  s.Write("   ", 3);
  char b[4] = {};
  ASSERT_EQ(3u, s.Get(b, 3));
  EXPECT_EQ("   ", std::string(b, 3)) << "pending read-ahead sees the overwrite";
  ASSERT_TRUE(s.Find("<m>", 3));
  EXPECT_EQ(7u, s.NextReadOffset());
  std::string page(100000, ' ');
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<char>('a' + i % 26);
  LVTFile::MemoryBuffer twice(page);
  twice.SeekWrite(twice.GetSize());
  EXPECT_EQ(page.size(), twice.Copy(twice, LVTBase::BinaryStreamBuf::kAll));
  EXPECT_TRUE(page + page == twice.Bytes());
}

std::u16string Beautify(const std::u16string& in, bool trim, bool collapse) {
  std::u16string out = u"stale";
  LVTBase::BeautifyString(in, out, trim, collapse);
  std::u16string inPlace = in;
  LVTBase::BeautifyStringInPlace(inPlace, trim, collapse);
  EXPECT_EQ(out, inPlace);
  return out;
}

TEST(StringUtilsTest, BeautifyTrimsAndCollapsesAsAsked) {
  EXPECT_EQ(u"a b c", Beautify(u"  a \t\n b\u00A0\u00A0c \r\n", true, true));
  EXPECT_EQ(u"", Beautify(u" \u00A0\n\t\u3000 ", true, true));
  // Runs keep their ends, line breaks and no-break spaces: a word split
  // across runs depends on them.
  EXPECT_EQ(u" a b ", Beautify(u"   a    b  ", false, true));
  EXPECT_EQ(u"a\nb", Beautify(u"a \n  b", false, true));
  EXPECT_EQ(u"\n", Beautify(u"\r\n\r\n", false, true));
  EXPECT_EQ(u"a\u00A0\u00A0b", Beautify(u"a\u00A0\u00A0b", false, true));
  EXPECT_EQ(u"  a  ", Beautify(u"  a  ", false, false));
  EXPECT_EQ(u'\u0436', LVTBase::ToLower(u'\u0416'));
  EXPECT_EQ(char16_t(0xD83D), LVTBase::ToLower(char16_t(0xD83D)));
  std::u16string s = u" \u00A0 word one\t ";
  LVTBase::StripLeadingBlanks(s);
  LVTBase::StripTrailingBlanks(s);
  EXPECT_EQ(u"word one", s);
}

[[maybe_unused]] int g_handlerCalls = 0;  // unused under the sanitizers

TEST(MemPoolTest, ZeroSizeAndExhaustion) {
  EXPECT_EQ(nullptr, LVTMem::AllocateOrNull(0));
  void* one = LVTMem::Allocate(0);  // a real block, so handles can own it
  ASSERT_NE(nullptr, one);
  LVTMem::MemoryPool::Delete(one);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "sanitizer allocators abort on impossible sizes";
#else
  // An impossible size: the handler runs once and the request fails.
  std::new_handler previous = std::set_new_handler([] { ++g_handlerCalls; });
  EXPECT_EQ(nullptr, LVTMem::AllocateOrNull(SIZE_MAX / 2));
  EXPECT_EQ(1, g_handlerCalls);
  EXPECT_THROW(LVTMem::Allocate(SIZE_MAX / 2), std::bad_alloc);
  std::set_new_handler(previous);
#endif
}

}  // namespace
