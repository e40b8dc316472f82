// BinaryStreamBuf: a seekable byte stream with separate read and write
// positions. Reading goes through a private read-ahead buffer: TellRead() is
// where the underlying read pointer stands, which is past the bytes still
// waiting in the read-ahead, so the next byte to be read is at
// TellRead() - PendingReadAhead() (NextReadOffset()). SeekRead() always
// drops the read-ahead and makes the next read start exactly at the offset.
//
// Offsets and sizes are 32-bit: a stream holds at most 4 GiB - 1 bytes.
// A stream belongs to one thread at a time. Not copyable.
#ifndef LUMIVANT_BINARY_STREAM_BUF_H_
#define LUMIVANT_BINARY_STREAM_BUF_H_

#include <cstdint>
#include <vector>

#include "lumivant/export.h"

namespace LVTBase {

class LVT_EXPORT BinaryStreamBuf {
 public:
  // Copy(target, kAll) copies everything up to the end of the stream.
  static constexpr uint32_t kAll = 0xFFFFFFFFu;
  // Size of one read-ahead fill.
  static constexpr uint32_t kReadAhead = 4096;

  BinaryStreamBuf() = default;
  BinaryStreamBuf(const BinaryStreamBuf&) = delete;
  BinaryStreamBuf& operator=(const BinaryStreamBuf&) = delete;
  virtual ~BinaryStreamBuf();

  // Reads up to n bytes; returns how many were read, 0 at the end.
  uint32_t Get(void* buffer, uint32_t n);

  // True when the n bytes occur at or after the next read position; the next
  // bytes then read are the match. When false, the stream is read to its end.
  bool Find(const void* bytes, uint32_t n);

  // Copies the next n bytes (kAll: all remaining) to target's write position;
  // returns the number copied.
  uint32_t Copy(BinaryStreamBuf& target, uint32_t n);

  // Writes at the write position, growing the stream as needed; returns the
  // number of bytes written.
  uint32_t Write(const void* bytes, uint32_t n);

  uint32_t TellWrite() const { return m_WritePos; }
  // origin 0 is the start of the stream, the only origin supported.
  void SeekWrite(uint32_t offset, int origin = 0);
  uint32_t TellRead() const { return m_ReadPos; }
  void SeekRead(uint32_t offset, int origin = 0);
  uint32_t GetSize() const { return Size(); }

  // Discards the read-ahead: the next read starts at TellRead().
  void DeletePeekBuffer();
  uint32_t PendingReadAhead() const { return static_cast<uint32_t>(m_Peek.size() - m_PeekNext); }
  uint32_t NextReadOffset() const { return m_ReadPos - PendingReadAhead(); }

 protected:
  // The storage behind the stream.
  virtual uint32_t ReadAt(uint32_t offset, void* buffer, uint32_t n) = 0;
  virtual uint32_t WriteAt(uint32_t offset, const void* bytes, uint32_t n) = 0;
  virtual uint32_t Size() const = 0;
  // Storage held in one block may expose it to spare copies; others give null.
  virtual const char* ContiguousData() const { return nullptr; }

 private:
  void RefreshReadAhead(uint32_t offset, uint32_t n);

  uint32_t m_ReadPos = 0;
  uint32_t m_WritePos = 0;
  std::vector<char> m_Peek;  // read-ahead; bytes before m_PeekNext are used
  std::size_t m_PeekNext = 0;
};

}  // namespace LVTBase

#endif  // LUMIVANT_BINARY_STREAM_BUF_H_
