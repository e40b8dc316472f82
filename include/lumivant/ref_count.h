// RefCount<T>: a shared handle with an external, atomically updated counter.
// Copies share the object; the last handle destroys it. Handles on one object
// may be copied and released from several threads; the object itself gets no
// protection from this. MakeRefCount puts the counter and the object in one
// block, which halves the allocations of a tree of shared nodes; a
// SlabMaker puts many such blocks side by side in one allocation, for a
// tree built at once and walked in the order it was built.
#ifndef LUMIVANT_REF_COUNT_H_
#define LUMIVANT_REF_COUNT_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "lumivant/mem_pool.h"

namespace LVT {

namespace internal {
// Where a counter lives: alone, in one block with its object, or in one of
// the blocks of a slab.
enum class CountHome : uint8_t { kAlone, kWithObject, kInSlab };
// The counter of a handle: the count of handles first, then where it lives
// (the object, when not alone, right behind the counter).
struct SharedCount {
  explicit SharedCount(CountHome home, uint16_t slot = 0) : home(home), slot(slot) {}
  std::atomic<int32_t> count{1};
  const CountHome home;
  const uint16_t slot;  // in a slab: the block's index
};
// Where the object begins in a block made by MakeRefCount or a SlabMaker.
template <class T>
constexpr std::size_t ObjectOffset() {
  return (sizeof(SharedCount) + alignof(T) - 1) / alignof(T) * alignof(T);
}

// A slab: this header, then blocks of counter and object. It lives while
// one of its objects does, or while its maker still fills it.
struct SlabHeader {
  explicit SlabHeader(int32_t references) : live(references) {}
  std::atomic<int32_t> live;
};
constexpr std::size_t kSlabHeaderSize = alignof(std::max_align_t);
static_assert(sizeof(SlabHeader) <= kSlabHeaderSize, "the header fits its room");
template <class T>
constexpr std::size_t SlabBlockSize() {
  constexpr std::size_t align =
      alignof(T) > alignof(SharedCount) ? alignof(T) : alignof(SharedCount);
  return (ObjectOffset<T>() + sizeof(T) + align - 1) / align * align;
}
inline void ReleaseSlab(SlabHeader* header, int32_t references) noexcept {
  if (header->live.fetch_sub(references) == references) LVTMem::Destroy(header);
}
}  // namespace internal

template <class T, std::size_t kBlocks>
class SlabMaker;

template <class T>
class RefCount {
 public:
  RefCount() noexcept = default;

  // Takes ownership of object, which must come from LVTMem::Create (or be
  // null). A null object allocates no counter.
  explicit RefCount(T* object) {
    if (object == nullptr) return;
    try {
      m_pCount = LVTMem::Create<internal::SharedCount>(internal::CountHome::kAlone);
    } catch (...) {
      LVTMem::Destroy(object);
      throw;
    }
    m_pObject = object;
  }

  RefCount(const RefCount& other) noexcept : m_pCount(other.m_pCount), m_pObject(other.m_pObject) {
    if (m_pObject != nullptr) m_pCount->count.fetch_add(1);
  }

  RefCount(RefCount&& other) noexcept : m_pCount(other.m_pCount), m_pObject(other.m_pObject) {
    other.m_pCount = nullptr;
    other.m_pObject = nullptr;
  }

  RefCount& operator=(const RefCount& other) noexcept {
    if (this == &other) return *this;
    Release();
    m_pCount = other.m_pCount;
    m_pObject = other.m_pObject;
    if (m_pObject != nullptr) m_pCount->count.fetch_add(1);
    return *this;
  }

  RefCount& operator=(RefCount&& other) noexcept {
    if (this == &other) return *this;
    Release();
    m_pCount = other.m_pCount;
    m_pObject = other.m_pObject;
    other.m_pCount = nullptr;
    other.m_pObject = nullptr;
    return *this;
  }

  ~RefCount() { Release(); }

  T& operator*() const noexcept { return *m_pObject; }
  T* operator->() const noexcept { return m_pObject; }
  T* Get() const noexcept { return m_pObject; }
  bool IsEmpty() const noexcept { return m_pObject == nullptr; }
  explicit operator bool() const noexcept { return m_pObject != nullptr; }

  // Number of handles on the object; 0 for an empty handle.
  int32_t UseCount() const noexcept { return m_pCount == nullptr ? 0 : m_pCount->count.load(); }

 private:
  void Release() noexcept {
    if (m_pObject == nullptr) return;
    if (m_pCount->count.fetch_sub(1) == 1) {
      switch (m_pCount->home) {
        case internal::CountHome::kWithObject:
          m_pObject->~T();
          LVTMem::Destroy(m_pCount);  // and the block with it
          break;
        case internal::CountHome::kInSlab: {
          m_pObject->~T();
          char* block = reinterpret_cast<char*>(m_pCount);
          internal::ReleaseSlab(
              reinterpret_cast<internal::SlabHeader*>(
                  block - std::size_t{m_pCount->slot} * internal::SlabBlockSize<T>() -
                  internal::kSlabHeaderSize),
              1);
          break;
        }
        case internal::CountHome::kAlone:
          LVTMem::Destroy(m_pObject);
          LVTMem::Destroy(m_pCount);
          break;
      }
    }
    m_pObject = nullptr;
    m_pCount = nullptr;
  }

  template <class U, class... Args>
  friend RefCount<U> MakeRefCount(Args&&... args);
  template <class U, std::size_t kBlocks>
  friend class SlabMaker;

  RefCount(internal::SharedCount* count, T* object) noexcept : m_pCount(count), m_pObject(object) {}

  internal::SharedCount* m_pCount = nullptr;
  T* m_pObject = nullptr;
};

// Builds a T and its counter in one block of pool memory and hands it to a
// new RefCount.
template <class T, class... Args>
RefCount<T> MakeRefCount(Args&&... args) {
  static_assert(alignof(T) <= alignof(std::max_align_t), "the block is aligned as malloc's");
  void* block = LVTMem::Allocate(internal::ObjectOffset<T>() + sizeof(T));
  T* object;
  try {
    object = ::new (static_cast<char*>(block) + internal::ObjectOffset<T>())
        T(std::forward<Args>(args)...);
  } catch (...) {
    LVTMem::MemoryPool::Delete(block);
    throw;
  }
  return RefCount<T>(::new (block) internal::SharedCount(internal::CountHome::kWithObject), object);
}

// Makes RefCount<T>s whose counters and objects lie side by side, kBlocks
// to a slab, so that a tree of them built at once takes one allocation per
// kBlocks nodes and is walked through neighbouring memory. A slab is freed
// with the last of its objects; objects may outlive the maker. Not copyable.
template <class T, std::size_t kBlocks = 256>
class SlabMaker {
  static_assert(kBlocks >= 1 && kBlocks <= 65536, "block indexes fit 16 bits");
  static_assert(alignof(T) <= internal::kSlabHeaderSize, "the slab is aligned as malloc's");

 public:
  SlabMaker() = default;
  ~SlabMaker() { Leave(); }
  SlabMaker(const SlabMaker&) = delete;
  SlabMaker& operator=(const SlabMaker&) = delete;

  template <class... Args>
  RefCount<T> Make(Args&&... args) {
    if (m_pSlab == nullptr || m_Used == kBlocks) {
      Leave();
      void* memory =
          LVTMem::Allocate(internal::kSlabHeaderSize + kBlocks * internal::SlabBlockSize<T>());
      // Every block counts as taken, plus the maker itself, until it leaves.
      m_pSlab = ::new (memory) internal::SlabHeader(static_cast<int32_t>(kBlocks) + 1);
      m_Used = 0;
    }
    char* block = reinterpret_cast<char*>(m_pSlab) + internal::kSlabHeaderSize +
                  m_Used * internal::SlabBlockSize<T>();
    // A constructor that throws leaves the block unused.
    T* object = ::new (block + internal::ObjectOffset<T>()) T(std::forward<Args>(args)...);
    auto* count = ::new (block)
        internal::SharedCount(internal::CountHome::kInSlab, static_cast<uint16_t>(m_Used));
    ++m_Used;
    return RefCount<T>(count, object);
  }

 private:
  // Gives back the blocks never handed out and the maker's own reference.
  void Leave() noexcept {
    if (m_pSlab == nullptr) return;
    internal::ReleaseSlab(m_pSlab, static_cast<int32_t>(kBlocks - m_Used) + 1);
    m_pSlab = nullptr;
  }

  internal::SlabHeader* m_pSlab = nullptr;
  std::size_t m_Used = 0;
};

}  // namespace LVT

#endif  // LUMIVANT_REF_COUNT_H_
