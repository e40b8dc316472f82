// The memory pool every record, counter and handle array of the library is
// drawn from: a thin layer over the system allocator. The library allocates
// through AllocateOrNull, which gives null for size 0 without asking the
// pool and, when the pool is exhausted, calls the installed new-handler once
// and gives null; Allocate turns that null into std::bad_alloc.
//
// Create/Destroy build and destroy objects in pool memory; they are what the
// ownership templates use, so that nothing else calls new or delete.
#ifndef LUMIVANT_MEM_POOL_H_
#define LUMIVANT_MEM_POOL_H_

#include <cstddef>
#include <new>
#include <utility>

#include "lumivant/export.h"

namespace LVTMem {

class LVT_EXPORT MemoryPool {
 public:
  // Null for size 0, or when the system allocator is exhausted.
  static void* New(std::size_t size) noexcept;
  // p must come from New and must not be null.
  static void Delete(void* p) noexcept;
};

LVT_EXPORT void* AllocateOrNull(std::size_t size) noexcept;
// Allocates from the pool or throws std::bad_alloc.
LVT_EXPORT void* Allocate(std::size_t size);

// Constructs a T in pool memory. The caller owns the result and gives it to
// a handle (LVT::RefCount, LVT::SmartPtr) or to Destroy.
template <class T, class... Args>
T* Create(Args&&... args) {
  void* p = Allocate(sizeof(T));
  try {
    return ::new (p) T(std::forward<Args>(args)...);
  } catch (...) {
    MemoryPool::Delete(p);
    throw;
  }
}

// Destroys an object made by Create; null is ignored.
template <class T>
void Destroy(T* p) noexcept {
  if (p == nullptr) return;
  p->~T();
  MemoryPool::Delete(const_cast<void*>(static_cast<const void*>(p)));
}

}  // namespace LVTMem

#endif  // LUMIVANT_MEM_POOL_H_
