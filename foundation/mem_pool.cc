#include "foundation/mem_pool.h"

#include <cstdlib>

namespace LVTMem {

void* MemoryPool::New(std::size_t size) noexcept {
  if (size == 0) return nullptr;
  void* p = std::malloc(size);
  if (p == nullptr) {
    if (std::new_handler handler = std::get_new_handler()) {
      try {
        handler();
      } catch (...) {
        return nullptr;
      }
      p = std::malloc(size);
    }
  }
  return p;
}

void MemoryPool::Delete(void* p) noexcept { std::free(p); }

void* Allocate(std::size_t size) {
  void* p = MemoryPool::New(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace LVTMem
