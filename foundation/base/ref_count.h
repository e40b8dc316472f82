// RefCount<T>: a shared handle with an external, atomically updated counter.
// Copies share the object; the last handle destroys it. Handles on one object
// may be copied and released from several threads; the object itself gets no
// protection from this.
#ifndef LUMIVANT_FOUNDATION_BASE_REF_COUNT_H_
#define LUMIVANT_FOUNDATION_BASE_REF_COUNT_H_

#include <atomic>
#include <cstdint>

#include "lumivant/mem_pool.h"

namespace LVT {

template <class T>
class RefCount {
 public:
  RefCount() noexcept = default;

  // Takes ownership of object, which must come from LVTMem::Create (or be
  // null). A null object allocates no counter.
  explicit RefCount(T* object) {
    if (object == nullptr) return;
    try {
      m_pCount = LVTMem::Create<std::atomic<int32_t>>(1);
    } catch (...) {
      LVTMem::Destroy(object);
      throw;
    }
    m_pObject = object;
  }

  RefCount(const RefCount& other) noexcept : m_pCount(other.m_pCount), m_pObject(other.m_pObject) {
    if (m_pObject != nullptr) m_pCount->fetch_add(1);
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
    if (m_pObject != nullptr) m_pCount->fetch_add(1);
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
  int32_t UseCount() const noexcept { return m_pCount == nullptr ? 0 : m_pCount->load(); }

 private:
  void Release() noexcept {
    if (m_pObject == nullptr) return;
    if (m_pCount->fetch_sub(1) == 1) {
      LVTMem::Destroy(m_pObject);
      LVTMem::Destroy(m_pCount);
    }
    m_pObject = nullptr;
    m_pCount = nullptr;
  }

  std::atomic<int32_t>* m_pCount = nullptr;
  T* m_pObject = nullptr;
};

// Builds a T in pool memory and hands it to a new RefCount.
template <class T, class... Args>
RefCount<T> MakeRefCount(Args&&... args) {
  return RefCount<T>(LVTMem::Create<T>(std::forward<Args>(args)...));
}

}  // namespace LVT

#endif  // LUMIVANT_FOUNDATION_BASE_REF_COUNT_H_
