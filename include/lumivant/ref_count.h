// RefCount<T>: a shared handle with an external, atomically updated counter.
// Copies share the object; the last handle destroys it. Handles on one object
// may be copied and released from several threads; the object itself gets no
// protection from this. MakeRefCount puts the counter and the object in one
// block, which halves the allocations of a tree of shared nodes.
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
// The counter of a handle: the count of handles first, then whether the
// object lives in the same block, right behind the counter.
struct SharedCount {
  explicit SharedCount(bool withObject) : withObject(withObject) {}
  std::atomic<int32_t> count{1};
  const bool withObject;
};
// Where the object begins in a block made by MakeRefCount.
template <class T>
constexpr std::size_t ObjectOffset() {
  return (sizeof(SharedCount) + alignof(T) - 1) / alignof(T) * alignof(T);
}
}  // namespace internal

template <class T>
class RefCount {
 public:
  RefCount() noexcept = default;

  // Takes ownership of object, which must come from LVTMem::Create (or be
  // null). A null object allocates no counter.
  explicit RefCount(T* object) {
    if (object == nullptr) return;
    try {
      m_pCount = LVTMem::Create<internal::SharedCount>(false);
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
      if (m_pCount->withObject) {
        m_pObject->~T();
        LVTMem::Destroy(m_pCount);  // and the block with it
      } else {
        LVTMem::Destroy(m_pObject);
        LVTMem::Destroy(m_pCount);
      }
    }
    m_pObject = nullptr;
    m_pCount = nullptr;
  }

  template <class U, class... Args>
  friend RefCount<U> MakeRefCount(Args&&... args);

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
  return RefCount<T>(::new (block) internal::SharedCount(true), object);
}

}  // namespace LVT

#endif  // LUMIVANT_REF_COUNT_H_
