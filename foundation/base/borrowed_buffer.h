// BorrowedBuffer: a read-only BinaryStreamBuf over bytes that the caller
// keeps, for reading a caller's page without a copy of our own (a page
// copy is a page's size more at the peak). The bytes must outlive the
// buffer and stay unchanged; writing writes nothing. Not copyable.
#ifndef LUMIVANT_FOUNDATION_BASE_BORROWED_BUFFER_H_
#define LUMIVANT_FOUNDATION_BASE_BORROWED_BUFFER_H_

#include <cstdint>
#include <string_view>

#include "lumivant/binary_stream_buf.h"

namespace LVTFile {

class BorrowedBuffer : public LVTBase::BinaryStreamBuf {
 public:
  // Throws std::length_error for 4 GiB or more, as a MemoryBuffer does.
  explicit BorrowedBuffer(std::string_view bytes);

 protected:
  uint32_t ReadAt(uint32_t offset, void* buffer, uint32_t n) override;
  uint32_t WriteAt(uint32_t, const void*, uint32_t) override { return 0; }
  uint32_t Size() const override { return static_cast<uint32_t>(m_Bytes.size()); }
  const char* ContiguousData() const override { return m_Bytes.data(); }

 private:
  std::string_view m_Bytes;
};

}  // namespace LVTFile

#endif  // LUMIVANT_FOUNDATION_BASE_BORROWED_BUFFER_H_
