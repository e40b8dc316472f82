#include "lumivant/memory_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace LVTFile {

MemoryBuffer::MemoryBuffer(uint32_t initialSize) { m_Bytes.reserve(initialSize); }

MemoryBuffer::MemoryBuffer(std::string bytes) : m_Bytes(std::move(bytes)) {
  if (m_Bytes.size() >= std::numeric_limits<uint32_t>::max())
    throw std::length_error("a stream holds less than 4 GiB");
}

MemoryBuffer::~MemoryBuffer() = default;

uint32_t MemoryBuffer::ReadAt(uint32_t offset, void* buffer, uint32_t n) {
  if (offset >= m_Bytes.size()) return 0;
  uint32_t got = std::min<uint32_t>(n, m_Bytes.size() - offset);
  std::memcpy(buffer, m_Bytes.data() + offset, got);
  return got;
}

uint32_t MemoryBuffer::WriteAt(uint32_t offset, const void* bytes, uint32_t n) {
  // Stay below 4 GiB so that every offset fits in 32 bits.
  const std::size_t limit = std::numeric_limits<uint32_t>::max() - 1;
  if (offset >= limit) return 0;
  n = static_cast<uint32_t>(std::min<std::size_t>(n, limit - offset));
  // Writing at the end (a report, a converted page) appends: no bytes are
  // cleared first only to be overwritten.
  if (offset == m_Bytes.size()) {
    m_Bytes.append(static_cast<const char*>(bytes), n);
    return n;
  }
  if (m_Bytes.size() < offset + static_cast<std::size_t>(n))
    m_Bytes.resize(offset + static_cast<std::size_t>(n));
  std::memcpy(&m_Bytes[offset], bytes, n);
  return n;
}

uint32_t MemoryBuffer::Size() const { return static_cast<uint32_t>(m_Bytes.size()); }

}  // namespace LVTFile
