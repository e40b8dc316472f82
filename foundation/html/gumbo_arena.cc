#include "foundation/html/gumbo_arena.h"

#include <gumbo.h>
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "lumivant/mem_pool.h"

namespace LVTParser {

namespace {
// Bump blocks double from the first size to the largest, so that parsing a
// few bytes (a text stretch decoded on its own, of which a page may have
// thousands) touches a few pages, not a whole large block.
constexpr std::size_t kFirstBlockSize = 4 * 1024;
constexpr std::size_t kLargestBlockSize = 256 * 1024;

// Every block is preceded by one word: its size class, or for a block of
// its own, kLarge and its slot in m_Large.
constexpr std::size_t kHeader = sizeof(uint64_t);
constexpr uint64_t kLarge = uint64_t{1} << 32;

struct SizeClass {
  std::size_t index;
  std::size_t size;
};

SizeClass ClassOf(std::size_t size) {
  if (size <= 256) {
    const std::size_t steps = size <= 8 ? 1 : (size + 7) / 8;
    return SizeClass{steps - 1, steps * 8};
  }
  // 2^bit < size <= 2^(bit+1)
  const int bit = 63 - __builtin_clzll(static_cast<unsigned long long>(size - 1));
  const std::size_t step = std::size_t{1} << (bit - 2);
  const std::size_t quarters = (size + step - 1) / step;  // 5 to 8
  return SizeClass{32 + static_cast<std::size_t>(bit - 8) * 4 + (quarters - 5), quarters * step};
}
}  // namespace

GumboArena::~GumboArena() {
  for (void* block : m_Blocks) LVTMem::MemoryPool::Delete(block);
  for (const LargeBlock& large : m_Large)
    if (large.start != nullptr) munmap(large.start, large.size);
}

void GumboArena::Install(GumboOptions* options) {
  options->allocator = &GumboArena::AllocateHook;
  options->deallocator = &GumboArena::FreeHook;
  options->userdata = this;
}

void* GumboArena::AllocateLarge(std::size_t size) {
  // Large blocks (long text buffers, doubled as they grow) are mapped on
  // their own and unmapped when freed: through malloc, freeing them would
  // raise its threshold for mapping blocks, and later stages would keep
  // memory they freed.
  void* mapped =
      mmap(nullptr, size + kHeader, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const uint64_t header = kLarge | m_Large.size();
  m_Large.push_back(LargeBlock{mapped, size + kHeader});
  std::memcpy(mapped, &header, kHeader);
  return static_cast<char*>(mapped) + kHeader;
}

void GumboArena::NewBlock(std::size_t need) {
  std::size_t blockSize = m_Blocks.empty() ? kFirstBlockSize : m_LastBlockSize * 2;
  if (blockSize > kLargestBlockSize) blockSize = kLargestBlockSize;
  while (blockSize < need) blockSize *= 2;
  void* block = LVTMem::Allocate(blockSize);
  m_Blocks.push_back(block);
  m_pNext = static_cast<char*>(block);
  m_Left = blockSize;
  m_LastBlockSize = blockSize;
}

void* GumboArena::Allocate(std::size_t size) {
  // The parser asks for small blocks all the time: this path stays short,
  // the rare ones are calls of their own.
  if (size > kLargestClassSize) return AllocateLarge(size);
  const SizeClass sizeClass = ClassOf(size);
  if (void* reused = m_Free[sizeClass.index]) {
    std::memcpy(&m_Free[sizeClass.index], reused, sizeof(void*));
    return reused;
  }
  const std::size_t need = kHeader + sizeClass.size;
  if (need > m_Left) NewBlock(need);
  const uint64_t header = sizeClass.index;
  std::memcpy(m_pNext, &header, kHeader);
  void* result = m_pNext + kHeader;
  m_pNext += need;
  m_Left -= need;
  return result;
}

void GumboArena::Free(void* block) {
  if (block == nullptr) return;
  uint64_t header;
  std::memcpy(&header, static_cast<char*>(block) - kHeader, kHeader);
  if (header & kLarge) {
    LargeBlock& large = m_Large[static_cast<std::size_t>(header & (kLarge - 1))];
    munmap(large.start, large.size);
    large.start = nullptr;
    return;
  }
  std::memcpy(block, &m_Free[header], sizeof(void*));
  m_Free[header] = block;
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

void GumboArena::FreeHook(void* arena, void* block) {
  static_cast<GumboArena*>(arena)->Free(block);
}

}  // namespace LVTParser
