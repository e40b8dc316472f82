// SmartPtr<T>: an intrusive handle on a record derived from SPRefCounterST.
// The count is plain, not atomic: a record and all its handles belong to one
// thread at a time. The handle that drops the count to 0 destroys the record.
#ifndef LUMIVANT_FOUNDATION_BASE_SMART_PTR_H_
#define LUMIVANT_FOUNDATION_BASE_SMART_PTR_H_

#include <utility>

#include "lumivant/mem_pool.h"

namespace LVT {

template <class T>
class SmartPtr {
 public:
  SmartPtr() noexcept = default;

  // With count true (the only way the library uses it) the handle takes one
  // unit of the record's count. The record must come from LVTMem::Create.
  explicit SmartPtr(T* record, bool count = true) noexcept : m_pRecord(record) {
    if (count && m_pRecord != nullptr) m_pRecord->IncrementRefCount();
  }

  SmartPtr(const SmartPtr& other) noexcept : SmartPtr(other.m_pRecord, true) {}

  SmartPtr(SmartPtr&& other) noexcept : m_pRecord(other.m_pRecord) { other.m_pRecord = nullptr; }

  SmartPtr& operator=(const SmartPtr& other) noexcept {
    if (m_pRecord == other.m_pRecord) return *this;
    Release();
    m_pRecord = other.m_pRecord;
    if (m_pRecord != nullptr) m_pRecord->IncrementRefCount();
    return *this;
  }

  SmartPtr& operator=(SmartPtr&& other) noexcept {
    if (this == &other) return *this;
    if (m_pRecord == other.m_pRecord) {
      other.Release();
      return *this;
    }
    Release();
    m_pRecord = other.m_pRecord;
    other.m_pRecord = nullptr;
    return *this;
  }

  ~SmartPtr() { Release(); }

  T& operator*() const noexcept { return *m_pRecord; }
  T* operator->() const noexcept { return m_pRecord; }
  T* Get() const noexcept { return m_pRecord; }
  bool IsEmpty() const noexcept { return m_pRecord == nullptr; }
  explicit operator bool() const noexcept { return m_pRecord != nullptr; }

 private:
  void Release() noexcept {
    if (m_pRecord == nullptr) return;
    T* record = m_pRecord;
    m_pRecord = nullptr;
    if (record->DecrementRefCount() == 0) LVTMem::Destroy(record);
  }

  T* m_pRecord = nullptr;
};

// Builds a T in pool memory and hands it to a new SmartPtr (count 1).
template <class T, class... Args>
SmartPtr<T> MakeSmart(Args&&... args) {
  return SmartPtr<T>(LVTMem::Create<T>(std::forward<Args>(args)...), true);
}

}  // namespace LVT

#endif  // LUMIVANT_FOUNDATION_BASE_SMART_PTR_H_
