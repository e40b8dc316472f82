// Base of every record held through LVT::SmartPtr: one plain (non-atomic)
// signed count, 0 when the record is built. Records counted this way belong
// to one thread at a time.
#ifndef LUMIVANT_SP_REF_COUNTER_H_
#define LUMIVANT_SP_REF_COUNTER_H_

#include <cstdint>

namespace LVT {

class SPRefCounterST {
 public:
  SPRefCounterST() = default;
  // A copy is a new record: it starts uncounted.
  SPRefCounterST(const SPRefCounterST&) noexcept {}
  SPRefCounterST& operator=(const SPRefCounterST&) noexcept { return *this; }

  int32_t RefCountValue() const noexcept { return m_nRefCount; }
  int32_t IncrementRefCount() const noexcept { return ++m_nRefCount; }
  int32_t DecrementRefCount() const noexcept { return --m_nRefCount; }

 private:
  // Counting happens through const handles, hence mutable.
  mutable int32_t m_nRefCount = 0;
};

}  // namespace LVT

#endif  // LUMIVANT_SP_REF_COUNTER_H_
