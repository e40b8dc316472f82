// Hand-written UTF-8 and UTF-16 routines of the converter layer. They are
// the hot paths (pages in UTF-8, the library's 16-bit strings), so they run
// without ICU and without allocating.
//
// Shared rules: an ill-formed UTF-8 sequence becomes one U+FFFD per maximal
// subpart (as browsers decode); a sequence cut off by the end of the input
// is left unconsumed unless `final` says the input ends there, in which case
// it becomes U+FFFD too. Nothing is dropped silently.
#ifndef LUMIVANT_FOUNDATION_CHARSET_UTF_H_
#define LUMIVANT_FOUNDATION_CHARSET_UTF_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace LVTCharset {

constexpr char16_t kReplacement = 0xFFFD;

// The library's 16-bit strings are in host byte order.
constexpr bool kHostLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Length of the longest prefix of bytes made of complete, well-formed UTF-8
// sequences.
std::size_t ValidUtf8Prefix(const char* bytes, std::size_t n);

inline bool IsValidUtf8(std::string_view bytes) {
  return ValidUtf8Prefix(bytes.data(), bytes.size()) == bytes.size();
}

// Where one UTF-8 sequence starting at bytes[0] ends. length: bytes that
// form it (a whole character, or the maximal ill-formed subpart); valid:
// whether they are a character; incomplete: it was cut off by the end of
// the input (length then counts what there was).
struct Utf8Step {
  uint32_t length;
  char32_t value;
  bool valid;
  bool incomplete;
};
Utf8Step NextUtf8(const unsigned char* bytes, std::size_t n);

// UTF-8 -> UTF-16 units. Writes at most unitCap units, never half of a
// surrogate pair; offsets (may be null) receive for each unit the byte
// offset of the sequence that produced it. Returns the units written;
// *used is the number of bytes they stand for.
std::size_t Utf8ToUtf16(const char* src, std::size_t n, char16_t* out, std::size_t unitCap,
                        int32_t* offsets, bool final, std::size_t* used);

// UTF-8 -> UTF-8 with every ill-formed sequence replaced by EF BF BD.
// Writes at most cap bytes, whole characters only. Returns the bytes
// written; *used is the number of source bytes they stand for.
std::size_t Utf8ToUtf8(const char* src, std::size_t n, char* out, std::size_t cap, bool final,
                       std::size_t* used);

// UTF-16 units -> UTF-8. An unpaired surrogate becomes U+FFFD; a high
// surrogate as the last unit is left unconsumed unless final. Writes at most
// cap bytes, whole characters only. When unitOffsets is given, it stops only
// where the offset changes, so that the units of one source character are
// written all or not at all, and byteOffsets (may be null) receive for each
// byte written the offset of its unit. Returns the bytes written; *usedUnits
// is the number of units they stand for.
std::size_t Utf16ToUtf8(const char16_t* units, std::size_t n, char* out, std::size_t cap,
                        bool final, std::size_t* usedUnits, const int32_t* unitOffsets = nullptr,
                        uint32_t* byteOffsets = nullptr, uint32_t offsetBase = 0);

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_UTF_H_
