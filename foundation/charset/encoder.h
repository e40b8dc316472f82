// CharsetEncoder: UTF-16 units to the bytes of one character set, the last
// stage of every conversion. Escape-driven character sets (ISO-2022-JP) keep
// their shift state from one call to the next and return to ASCII only in a
// final call, so that the pieces join into well-formed text.
//
// Move-only: it may hold an ICU converter lent from the pool. Use from one
// thread at a time.
#ifndef LUMIVANT_FOUNDATION_CHARSET_ENCODER_H_
#define LUMIVANT_FOUNDATION_CHARSET_ENCODER_H_

#include <cstddef>
#include <cstdint>

#include "foundation/charset/codecs.h"

namespace LVTCharset {

class CharsetEncoder {
 public:
  CharsetEncoder() = default;
  explicit CharsetEncoder(CHARSET codePage);
  CharsetEncoder(CharsetEncoder&&) noexcept = default;
  CharsetEncoder& operator=(CharsetEncoder&&) noexcept = default;

  bool IsValid() const { return m_Info.codec != Codec::kNone; }
  Codec GetCodec() const { return m_Info.codec; }

  // Encodes a prefix of the n units into at most cap bytes, whole characters
  // only; with offsets (one per unit, as a decoder gives them), it stops only
  // where the offset changes, so that the units of one source character go
  // all or none. A high surrogate as the last unit waits for its low half
  // unless final. Unpaired surrogates and characters the set lacks become
  // U+FFFD in Unicode sets, '?' in others; the 16-bit sets keep unpaired
  // surrogates as they are. Returns the bytes written; *usedUnits is the
  // number of units they stand for.
  std::size_t Encode(const char16_t* units, std::size_t n, char* out, std::size_t cap,
                     const int32_t* offsets, bool final, std::size_t* usedUnits);

  // At the end of the text: writes what an escape-driven set holds back
  // from the last call for want of room in its target (nothing for other
  // sets), without returning to the initial shift state. Returns the bytes
  // written.
  std::size_t Drain(char* out, std::size_t cap);

  // Forgets the shift state: the next call starts a new text.
  void Restart();

  // Whether the set is escape-driven: a final call also ends its shift state.
  bool KeepsShiftState() const { return m_Info.escapeState; }

  // The most bytes one unit can take, escapes included.
  std::size_t MaxBytesPerUnit() const;

 private:
  std::size_t EncodeIcu(const char16_t* units, std::size_t n, char* out, std::size_t cap,
                        const int32_t* offsets, bool final, std::size_t* usedUnits);

  CodecInfo m_Info;
  IcuLease m_Icu;
  std::size_t m_IcuMaxBytes = 1;
};

// How many of the first `take` of n units can go without splitting a
// surrogate pair or a group of equal offsets, or leaving a trailing high
// surrogate that may still get its low half (unless final).
std::size_t WholeUnits(const char16_t* units, std::size_t n, std::size_t take,
                       const int32_t* offsets, bool final);

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_ENCODER_H_
