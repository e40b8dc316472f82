// What the fuzz cases share: the character sets they draw from, streams
// that read in odd chunks, and running one case on a byte string.
//
// A case is a function (data, size) -> std::string that returns "" when
// every invariant held and otherwise says which one broke. The fuzz targets
// abort on a non-empty answer; the regression test replays kept inputs
// through the same functions.
#ifndef LUMIVANT_FUZZ_FUZZ_SUPPORT_H_
#define LUMIVANT_FUZZ_FUZZ_SUPPORT_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "lumivant/binary_stream_buf.h"
#include "lumivant/code_page.h"
#include "lumivant/memory_buffer.h"

namespace lvt_fuzz {

using Case = std::string (*)(const uint8_t* data, std::size_t size);

inline std::string RunCase(Case fuzzCase, std::string_view bytes) {
  return fuzzCase(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// For the fuzz targets: a broken invariant is a crash, so that the fuzzer
// keeps the input.
inline int Verify(const std::string& broken) {
  if (broken.empty()) return 0;
  std::fprintf(stderr, "invariant broken: %s\n", broken.c_str());
  std::abort();
}

// Code pages of every kind of converter: the UTF routines, single-byte
// tables, ICU's multi-byte and escape-driven sets; and one that is not
// supported at all (its pages convert to nothing).
inline constexpr LVTCharset::CHARSET kCharsets[] = {
    65001, 1252,  1200, 1201, 28591, 1251, 1250, 28605, 28606, 20866, 437,
    10000, 20127, 874,  932,  936,   949,  950,  54936, 51932, 50220, 4242};

inline LVTCharset::CHARSET TakeCharset(FuzzInput& input) {
  return kCharsets[input.TakeIndex(sizeof(kCharsets) / sizeof(kCharsets[0]))];
}

// A byte stream whose reads return at most a few bytes at a time, the sizes
// cycling through `chunks`, to shake out code that expects full reads.
class ChunkedStream : public LVTBase::BinaryStreamBuf {
 public:
  ChunkedStream(std::string bytes, std::vector<uint32_t> chunks)
      : m_Bytes(std::move(bytes)), m_Chunks(std::move(chunks)) {
    if (m_Chunks.empty()) m_Chunks.push_back(1);
  }

 protected:
  uint32_t ReadAt(uint32_t offset, void* buffer, uint32_t n) override {
    if (offset >= m_Bytes.size()) return 0;
    const uint32_t chunk = std::max<uint32_t>(1, m_Chunks[m_Next++ % m_Chunks.size()]);
    const uint32_t got = std::min<uint32_t>({n, chunk, Size() - offset});
    std::memcpy(buffer, m_Bytes.data() + offset, got);
    return got;
  }
  uint32_t WriteAt(uint32_t, const void*, uint32_t) override { return 0; }
  uint32_t Size() const override { return static_cast<uint32_t>(m_Bytes.size()); }

 private:
  std::string m_Bytes;
  std::vector<uint32_t> m_Chunks;
  std::size_t m_Next = 0;
};

// Every occurrence of needle in text overwritten by replacement (as long),
// scanning left to right and going on behind each one.
inline void Overwrite(std::string& text, std::string_view needle, std::string_view replacement) {
  for (std::size_t at = text.find(needle); at != std::string::npos;
       at = text.find(needle, at + needle.size()))
    text.replace(at, needle.size(), replacement);
}

inline bool Contains(std::string_view text, std::string_view needle) {
  return !needle.empty() && text.find(needle) != std::string_view::npos;
}

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_FUZZ_SUPPORT_H_
