#include "lumivant/binary_stream_buf.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace LVTBase {

BinaryStreamBuf::~BinaryStreamBuf() = default;

uint32_t BinaryStreamBuf::Get(void* buffer, uint32_t n) {
  char* out = static_cast<char*>(buffer);
  uint32_t done = std::min(n, PendingReadAhead());
  if (done != 0) {
    std::memcpy(out, m_Peek.data() + m_PeekNext, done);
    m_PeekNext += done;
  }
  if (done == n) return done;
  // Large requests bypass the read-ahead; small ones refill it.
  if (n - done >= kReadAhead) {
    uint32_t got = ReadAt(m_ReadPos, out + done, n - done);
    m_ReadPos += got;
    return done + got;
  }
  m_Peek.resize(kReadAhead);
  uint32_t got = ReadAt(m_ReadPos, m_Peek.data(), kReadAhead);
  m_Peek.resize(got);
  m_ReadPos += got;
  uint32_t take = std::min(got, n - done);
  std::memcpy(out + done, m_Peek.data(), take);
  m_PeekNext = take;
  return done + take;
}

bool BinaryStreamBuf::Find(const void* bytes, uint32_t n) {
  const uint32_t from = NextReadOffset();
  const uint32_t size = Size();
  std::string_view needle(static_cast<const char*>(bytes), n);
  std::size_t found = std::string_view::npos;
  if (const char* data = ContiguousData()) {
    // A page holds '<' every few dozen bytes: skipping by the needle's
    // length beats stopping at each of its first bytes.
    const std::string_view haystack(data + from, size - from);
    const auto hit = std::search(haystack.begin(), haystack.end(),
                                 std::boyer_moore_horspool_searcher(needle.begin(), needle.end()));
    if (hit != haystack.end() || needle.empty())
      found = from + static_cast<std::size_t>(hit - haystack.begin());
  } else {
    // Scan in blocks that overlap by n - 1 bytes.
    std::vector<char> block;
    for (uint32_t at = from; at < size && found == std::string_view::npos;) {
      uint32_t want = std::min<uint32_t>(size - at, 65536 + n);
      block.resize(want);
      uint32_t got = ReadAt(at, block.data(), want);
      std::size_t hit = std::string_view(block.data(), got).find(needle);
      if (hit != std::string_view::npos) found = at + hit;
      if (got < want || at + got >= size) break;
      at += got - std::min<uint32_t>(got, n > 0 ? n - 1 : 0);
    }
  }
  DeletePeekBuffer();
  if (found == std::string_view::npos) {
    m_ReadPos = size;
    return false;
  }
  // The match becomes the read-ahead, as a reading scan would leave it.
  m_Peek.resize(n);
  uint32_t got = ReadAt(static_cast<uint32_t>(found), m_Peek.data(), n);
  m_Peek.resize(got);
  m_ReadPos = static_cast<uint32_t>(found) + got;
  return true;
}

uint32_t BinaryStreamBuf::Copy(BinaryStreamBuf& target, uint32_t n) {
  uint32_t copied = 0;
  uint32_t pending = std::min(n, PendingReadAhead());
  if (pending != 0) {
    copied = target.Write(m_Peek.data() + m_PeekNext, pending);
    m_PeekNext += pending;
  }
  const uint32_t size = Size();
  uint32_t rest = n == kAll ? size - m_ReadPos : std::min(n - pending, size - m_ReadPos);
  if (rest == 0) return copied;
  // A copy onto this stream goes through a block: writing may move the data.
  if (const char* data = &target != this ? ContiguousData() : nullptr) {
    copied += target.Write(data + m_ReadPos, rest);
    m_ReadPos += rest;
    return copied;
  }
  std::vector<char> block(std::min<uint32_t>(rest, 65536));
  while (rest != 0) {
    uint32_t got = ReadAt(m_ReadPos, block.data(), std::min<uint32_t>(rest, block.size()));
    if (got == 0) break;
    copied += target.Write(block.data(), got);
    m_ReadPos += got;
    rest -= got;
  }
  return copied;
}

uint32_t BinaryStreamBuf::Write(const void* bytes, uint32_t n) {
  if (n == 0) return 0;
  uint32_t written = WriteAt(m_WritePos, bytes, n);
  RefreshReadAhead(m_WritePos, written);
  m_WritePos += written;
  return written;
}

void BinaryStreamBuf::SeekWrite(uint32_t offset, int /*origin*/) { m_WritePos = offset; }

void BinaryStreamBuf::SeekRead(uint32_t offset, int /*origin*/) {
  DeletePeekBuffer();
  m_ReadPos = std::min(offset, Size());
}

void BinaryStreamBuf::DeletePeekBuffer() {
  m_Peek.clear();
  m_PeekNext = 0;
}

// Keeps pending read-ahead bytes in step with bytes just overwritten.
void BinaryStreamBuf::RefreshReadAhead(uint32_t offset, uint32_t n) {
  if (PendingReadAhead() == 0 || n == 0) return;
  const uint32_t peekStart = m_ReadPos - static_cast<uint32_t>(m_Peek.size());
  const uint32_t lo = std::max(offset, peekStart);
  const uint32_t hi = std::min(offset + n, m_ReadPos);
  if (lo >= hi) return;
  ReadAt(lo, m_Peek.data() + (lo - peekStart), hi - lo);
}

}  // namespace LVTBase
