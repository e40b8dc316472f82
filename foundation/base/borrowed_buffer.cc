#include "foundation/base/borrowed_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace LVTFile {

BorrowedBuffer::BorrowedBuffer(std::string_view bytes) : m_Bytes(bytes) {
  if (m_Bytes.size() >= std::numeric_limits<uint32_t>::max())
    throw std::length_error("a stream holds less than 4 GiB");
}

uint32_t BorrowedBuffer::ReadAt(uint32_t offset, void* buffer, uint32_t n) {
  if (offset >= m_Bytes.size()) return 0;
  const uint32_t got = std::min<uint32_t>(n, static_cast<uint32_t>(m_Bytes.size() - offset));
  std::memcpy(buffer, m_Bytes.data() + offset, got);
  return got;
}

}  // namespace LVTFile
