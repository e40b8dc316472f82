#include "foundation/html/gumbo_arena.h"

#include <gumbo.h>

#include <cstdlib>

#include "lumivant/mem_pool.h"

namespace LVTParser {

namespace {
constexpr std::size_t kBlockSize = 256 * 1024;
constexpr std::size_t kAlign = alignof(std::max_align_t);
}  // namespace

GumboArena::~GumboArena() {
  for (void* block : m_Blocks) LVTMem::MemoryPool::Delete(block);
}

void GumboArena::Install(GumboOptions* options) {
  options->allocator = &GumboArena::AllocateHook;
  options->deallocator = &GumboArena::FreeHook;
  options->userdata = this;
}

void* GumboArena::Allocate(std::size_t size) {
  size = (size + kAlign - 1) / kAlign * kAlign;
  if (size == 0) size = kAlign;
  if (size > kBlockSize / 4) {
    // Large blocks (long text buffers) get their own allocation.
    void* block = LVTMem::Allocate(size);
    m_Blocks.push_back(block);
    return block;
  }
  if (size > m_Left) {
    void* block = LVTMem::Allocate(kBlockSize);
    m_Blocks.push_back(block);
    m_pNext = static_cast<char*>(block);
    m_Left = kBlockSize;
  }
  void* result = m_pNext;
  m_pNext += size;
  m_Left -= size;
  return result;
}

void* GumboArena::AllocateHook(void* arena, std::size_t size) {
  // The library cannot take an exception through its frames; running out of
  // memory here ends the process, as it would inside the library itself.
  try {
    return static_cast<GumboArena*>(arena)->Allocate(size);
  } catch (...) {
    std::abort();
  }
}

// Blocks are released with the arena.
void GumboArena::FreeHook(void*, void*) {}

}  // namespace LVTParser
