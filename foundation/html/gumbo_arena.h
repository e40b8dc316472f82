// Memory for one run of the HTML tokenizer library: it allocates from a
// private arena that is released in one go, so its output tree is never
// walked to be freed (its own release recurses over the tree's depth) and
// its many small blocks cost one pointer bump each. Not copyable.
#ifndef LUMIVANT_FOUNDATION_HTML_GUMBO_ARENA_H_
#define LUMIVANT_FOUNDATION_HTML_GUMBO_ARENA_H_

#include <cstddef>
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

  void* Allocate(std::size_t size);

 private:
  static void* AllocateHook(void* arena, std::size_t size);
  static void FreeHook(void* arena, void* block);

  std::vector<void*> m_Blocks;
  char* m_pNext = nullptr;
  std::size_t m_Left = 0;
  std::size_t m_LastBlockSize = 0;
};

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_GUMBO_ARENA_H_
