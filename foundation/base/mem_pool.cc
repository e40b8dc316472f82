#include "lumivant/mem_pool.h"

#include <cstdlib>

namespace LVTMem {

void* MemoryPool::New(std::size_t size) noexcept { return size == 0 ? nullptr : std::malloc(size); }

void MemoryPool::Delete(void* p) noexcept { std::free(p); }

void* AllocateOrNull(std::size_t size) noexcept {
  if (size == 0) return nullptr;
  void* p = MemoryPool::New(size);
  if (p != nullptr) return p;
  // The handler may free memory or log; either way this request fails.
  if (std::new_handler handler = std::get_new_handler()) {
    try {
      handler();
    } catch (...) {
    }
  }
  return nullptr;
}

void* Allocate(std::size_t size) {
  void* p = AllocateOrNull(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace LVTMem
