// BinaryStream: a small writer bound to a BinaryStreamBuf, made for one
// string and dropped right after. The stream must outlive the writer.
#ifndef LUMIVANT_FOUNDATION_BASE_BINARY_STREAM_H_
#define LUMIVANT_FOUNDATION_BASE_BINARY_STREAM_H_

#include <cstdint>
#include <string>

#include "lumivant/binary_stream_buf.h"

namespace LVTBase {

class BinaryStream {
 public:
  explicit BinaryStream(BinaryStreamBuf& buffer) : m_Buffer(buffer) {}
  BinaryStream(const BinaryStream&) = delete;
  BinaryStream& operator=(const BinaryStream&) = delete;

  BinaryStreamBuf& Buffer() const { return m_Buffer; }

 private:
  BinaryStreamBuf& m_Buffer;
};

// Writes the first n bytes of text (all of it when n exceeds its length).
inline uint32_t Copy(BinaryStream& stream, const std::string& text, uint32_t n) {
  if (n > text.size()) n = static_cast<uint32_t>(text.size());
  return stream.Buffer().Write(text.data(), n);
}

}  // namespace LVTBase

#endif  // LUMIVANT_FOUNDATION_BASE_BINARY_STREAM_H_
