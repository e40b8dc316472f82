// RefCountVector<T, H>: a growable array of handles H (SmartPtr<T> or
// RefCount<T>). Copying the vector shares the records, never copies them.
//
// Growth is fixed because callers and tests rely on it: a new vector owns 16
// empty slots; a full one doubles (0 slots grow to 1); a copy, or an
// assignment that reallocates, owns exactly the source's size. Slots past
// size() are always empty handles. Handles are moved, not counted, when the
// array grows. Not thread-safe.
#ifndef LUMIVANT_FOUNDATION_BASE_REF_COUNT_VECTOR_H_
#define LUMIVANT_FOUNDATION_BASE_REF_COUNT_VECTOR_H_

#include <cstddef>
#include <functional>
#include <new>
#include <utility>

#include "lumivant/mem_pool.h"

namespace LVT {

template <class T, class H>
class RefCountVector {
 public:
  using value_type = T;
  using handle_type = H;

  RefCountVector() { reserve(16); }

  RefCountVector(const RefCountVector& other) {
    Reallocate(other.size());
    for (const H& h : other) push_back(h);
  }

  RefCountVector& operator=(const RefCountVector& other) {
    if (this == &other) return *this;
    if (other.size() > capacity()) {
      FreeArray();
      Reallocate(other.size());
    } else {
      clear();
    }
    for (const H& h : other) push_back(h);
    return *this;
  }

  ~RefCountVector() { FreeArray(); }

  std::size_t size() const noexcept { return m_pEnd - m_pFirst; }
  std::size_t capacity() const noexcept { return m_pStorageEnd - m_pFirst; }
  bool empty() const noexcept { return m_pEnd == m_pFirst; }

  H& operator[](std::size_t i) noexcept { return m_pFirst[i]; }
  const H& operator[](std::size_t i) const noexcept { return m_pFirst[i]; }
  H& back() noexcept { return m_pEnd[-1]; }
  const H& back() const noexcept { return m_pEnd[-1]; }

  // The raw range of used slots.
  H* begin() noexcept { return m_pFirst; }
  H* end() noexcept { return m_pEnd; }
  const H* begin() const noexcept { return m_pFirst; }
  const H* end() const noexcept { return m_pEnd; }

  // Reallocates when n >= capacity() (also when equal), moving the handles
  // without touching any count.
  void reserve(std::size_t n) {
    if (n < capacity()) return;
    const std::size_t used = size();
    H* fresh = AllocateArray(n);
    for (std::size_t i = 0; i < used; ++i) fresh[i] = std::move(m_pFirst[i]);
    FreeArray();
    m_pFirst = fresh;
    m_pEnd = fresh + used;
    m_pStorageEnd = fresh + n;
  }

  void push_back(const H& handle) {
    const H* from = GrowIfFull(&handle);
    *m_pEnd = *from;
    ++m_pEnd;
  }

  void push_back(H&& handle) {
    H* from = GrowIfFull(&handle);
    *m_pEnd = std::move(*from);
    ++m_pEnd;
  }

  // Releases every used handle; the array stays.
  void clear() noexcept {
    for (H* p = m_pFirst; p != m_pEnd; ++p) *p = H();
    m_pEnd = m_pFirst;
  }

 private:
  // Grows a full array. The handle to append may be one of the used slots,
  // which growth moves: returns where it lives afterwards.
  template <class P>
  P GrowIfFull(P handle) {
    if (m_pEnd != m_pStorageEnd) return handle;
    const std::less<const H*> before;
    const bool own = !before(handle, m_pFirst) && before(handle, m_pEnd);
    const std::size_t index = own ? static_cast<std::size_t>(handle - m_pFirst) : 0;
    reserve(size() == 0 ? 1 : 2 * size());
    return own ? m_pFirst + index : handle;
  }

  static H* AllocateArray(std::size_t n) {
    if (n == 0) return nullptr;
    H* array = static_cast<H*>(LVTMem::Allocate(n * sizeof(H)));
    for (std::size_t i = 0; i < n; ++i) ::new (array + i) H();
    return array;
  }

  void Reallocate(std::size_t n) {
    m_pFirst = AllocateArray(n);
    m_pEnd = m_pFirst;
    m_pStorageEnd = m_pFirst + n;
  }

  void FreeArray() noexcept {
    for (H* p = m_pFirst; p != m_pStorageEnd; ++p) p->~H();
    if (m_pFirst != nullptr) LVTMem::MemoryPool::Delete(m_pFirst);
    m_pFirst = m_pEnd = m_pStorageEnd = nullptr;
  }

  H* m_pFirst = nullptr;
  H* m_pEnd = nullptr;
  H* m_pStorageEnd = nullptr;
};

}  // namespace LVT

#endif  // LUMIVANT_FOUNDATION_BASE_REF_COUNT_VECTOR_H_
