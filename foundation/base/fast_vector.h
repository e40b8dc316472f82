// FastVector<T>: a growable array of plain values (T trivially copyable).
// Starts without storage; the first append allocates 16 elements; a full
// vector doubles up to 256 elements and grows by a quarter above that, so
// long offset lists waste little memory. Not copyable: it lives inside the
// records that own it.
#ifndef LUMIVANT_FOUNDATION_BASE_FAST_VECTOR_H_
#define LUMIVANT_FOUNDATION_BASE_FAST_VECTOR_H_

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "lumivant/mem_pool.h"

namespace LVT {

template <class T>
class FastVector {
  static_assert(std::is_trivially_copyable<T>::value, "FastVector holds plain values only");

 public:
  FastVector() noexcept = default;
  FastVector(const FastVector&) = delete;
  FastVector& operator=(const FastVector&) = delete;

  virtual ~FastVector() {
    if (m_pFirst != nullptr) LVTMem::MemoryPool::Delete(m_pFirst);
    m_pFirst = m_pEnd = m_pStorageEnd = nullptr;
  }

  std::size_t size() const noexcept { return m_pEnd - m_pFirst; }
  std::size_t capacity() const noexcept { return m_pStorageEnd - m_pFirst; }
  bool empty() const noexcept { return m_pEnd == m_pFirst; }

  T& operator[](std::size_t i) noexcept { return m_pFirst[i]; }
  const T& operator[](std::size_t i) const noexcept { return m_pFirst[i]; }
  T* begin() noexcept { return m_pFirst; }
  T* end() noexcept { return m_pEnd; }
  const T* begin() const noexcept { return m_pFirst; }
  const T* end() const noexcept { return m_pEnd; }

  void push_back(const T& value) {
    const T copy = value;  // value may lie in the storage that growth frees
    if (m_pEnd == m_pStorageEnd) Grow();
    *m_pEnd++ = copy;
  }

  // Reallocates only when n is strictly greater than capacity().
  void reserve(std::size_t n) {
    if (n <= capacity()) return;
    const std::size_t used = size();
    T* fresh = static_cast<T*>(LVTMem::Allocate(n * sizeof(T)));
    if (used != 0) std::memcpy(fresh, m_pFirst, used * sizeof(T));
    if (m_pFirst != nullptr) LVTMem::MemoryPool::Delete(m_pFirst);
    m_pFirst = fresh;
    m_pEnd = fresh + used;
    m_pStorageEnd = fresh + n;
  }

 private:
  void Grow() {
    const std::size_t s = size();
    const double factor = s > 256 ? 1.25 : 2.0;
    std::size_t n = static_cast<std::size_t>(static_cast<double>(s) * factor);
    if (n < 16) n = 16;
    reserve(n);
  }

  T* m_pFirst = nullptr;
  T* m_pEnd = nullptr;
  T* m_pStorageEnd = nullptr;
};

}  // namespace LVT

#endif  // LUMIVANT_FOUNDATION_BASE_FAST_VECTOR_H_
