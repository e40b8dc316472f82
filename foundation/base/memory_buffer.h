// MemoryBuffer: a BinaryStreamBuf held in memory. It grows to take any
// number of bytes written and reads back what was written. Not copyable.
#ifndef LUMIVANT_FOUNDATION_BASE_MEMORY_BUFFER_H_
#define LUMIVANT_FOUNDATION_BASE_MEMORY_BUFFER_H_

#include <cstdint>
#include <string>

#include "lumivant/binary_stream_buf.h"
#include "lumivant/export.h"

namespace LVTFile {

class LVT_EXPORT MemoryBuffer : public LVTBase::BinaryStreamBuf {
 public:
  // An empty buffer with room reserved for initialSize bytes.
  explicit MemoryBuffer(uint32_t initialSize = 0);
  // A buffer holding bytes, both positions at 0.
  explicit MemoryBuffer(std::string bytes);
  ~MemoryBuffer() override;

  // Everything written so far, whatever the positions.
  const std::string& Bytes() const { return m_Bytes; }

 protected:
  uint32_t ReadAt(uint32_t offset, void* buffer, uint32_t n) override;
  uint32_t WriteAt(uint32_t offset, const void* bytes, uint32_t n) override;
  uint32_t Size() const override;
  const char* ContiguousData() const override { return m_Bytes.data(); }

 private:
  std::string m_Bytes;
};

}  // namespace LVTFile

#endif  // LUMIVANT_FOUNDATION_BASE_MEMORY_BUFFER_H_
