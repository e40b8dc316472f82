// DiscardBuffer: a BinaryStreamBuf that keeps nothing of what is written to
// it, only how far the writing went, for running a writer whose counts are
// wanted but whose output is not (a highlighted copy of a page full of hits
// is several times the page). Reading gives nothing.
#ifndef LUMIVANT_FOUNDATION_BASE_DISCARD_BUFFER_H_
#define LUMIVANT_FOUNDATION_BASE_DISCARD_BUFFER_H_

#include <algorithm>
#include <cstdint>

#include "lumivant/binary_stream_buf.h"

namespace LVTFile {

class DiscardBuffer : public LVTBase::BinaryStreamBuf {
 protected:
  uint32_t ReadAt(uint32_t, void*, uint32_t) override { return 0; }
  uint32_t WriteAt(uint32_t offset, const void*, uint32_t n) override {
    // As much as a MemoryBuffer would take: up to just below 4 GiB.
    const uint32_t limit = UINT32_MAX - 1;
    if (offset >= limit) return 0;
    n = std::min(n, limit - offset);
    m_Size = std::max(m_Size, offset + n);
    return n;
  }
  uint32_t Size() const override { return m_Size; }

 private:
  uint32_t m_Size = 0;
};

}  // namespace LVTFile

#endif  // LUMIVANT_FOUNDATION_BASE_DISCARD_BUFFER_H_
