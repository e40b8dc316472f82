// Memory for one run of the HTML tokenizer library: it allocates from a
// private arena that is released in one go, so its output tree is never
// walked to be freed (its own release recurses over the tree's depth) and
// its many small blocks cost one pointer bump each. The library grows its
// buffers and lists by doubling them and freeing the old storage: freed
// blocks are kept by size class and serve the next request of that class,
// so the arena stays close to what the parser holds at once. Not copyable.
#ifndef LUMIVANT_FOUNDATION_HTML_GUMBO_ARENA_H_
#define LUMIVANT_FOUNDATION_HTML_GUMBO_ARENA_H_

#include <cstddef>
#include <cstdint>
#include <vector>

struct GumboInternalOptions;

namespace LVTParser {

class GumboArena {
 public:
  GumboArena() = default;
  ~GumboArena();
  GumboArena(const GumboArena&) = delete;
  GumboArena& operator=(const GumboArena&) = delete;

  // Points the options' allocator at this arena.
  void Install(GumboInternalOptions* options);

  // Blocks are aligned for the library's structures (pointers and sizes).
  void* Allocate(std::size_t size);
  void Free(void* block);

  // Size classes: 8-byte steps to 256 bytes, then four per doubling.
  static constexpr std::size_t kClasses = 57;
  static constexpr std::size_t kLargestClassSize = 16 * 1024;

 private:
  static void* AllocateHook(void* arena, std::size_t size);
  [[gnu::noinline]] void* AllocateLarge(std::size_t size);
  [[gnu::noinline]] void NewBlock(std::size_t need);
  static void FreeHook(void* arena, void* block);

  struct LargeBlock {
    void* start;  // null once freed
    std::size_t size;
  };
  std::vector<void*> m_Blocks;  // bump blocks
  std::vector<LargeBlock> m_Large;
  void* m_Free[kClasses] = {};  // freed blocks by class, linked through their first word
  char* m_pNext = nullptr;
  std::size_t m_Left = 0;
  std::size_t m_LastBlockSize = 0;
};

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_GUMBO_ARENA_H_
