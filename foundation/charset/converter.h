// Converters between character sets (CHARSET code pages).
//
// Every converter has the same call:
//
//   converter(source, sourceBytes, used, target, targetBytes, produced, final)
//
// It converts as much of the source as fits into the target and sets
// `used` (source bytes converted) and `produced` (target bytes written).
// Only whole characters go: a multi-byte sequence cut off by the end of the
// source is left unconsumed (`used` stops before it) so that the caller can
// hand it in again with the bytes that follow; a call that uses 0 bytes
// means nothing more can be converted from what was given. `final` says the
// source ends for good: a cut-off sequence then becomes U+FFFD too.
// Ill-formed and unmappable bytes become U+FFFD (nothing vanishes);
// characters the target set lacks become '?' (U+FFFD in Unicode sets).
// A target of fewer than 16 bytes may take nothing.
//
// 16-bit text is CHARSET 1201 (kWide): char16_t in host byte order, as the
// library's strings hold it; 1200 is UTF-16 little-endian bytes. Source and
// target need no alignment.
//
// Converters are values made for one conversion: cheap to make after the
// first use of a code page, move-only, and for one thread at a time (a
// converter may move to another thread between calls). Different
// converters may run on different threads at once. A converter may borrow
// an ICU converter from a process-wide pool and gives it back when it is
// destroyed; do not keep converters in static storage. A converter keeps
// the shift state of escape-driven sets (ISO-2022-JP) from one call to the
// next, so one converter should see one text, in order.
#ifndef LUMIVANT_FOUNDATION_CHARSET_CONVERTER_H_
#define LUMIVANT_FOUNDATION_CHARSET_CONVERTER_H_

#include <cstddef>
#include <cstdint>

#include "foundation/charset/decoder.h"
#include "foundation/charset/encoder.h"
#include "lumivant/code_page.h"

namespace LVTCharset {

// A conversion from one character set to another through 16-bit units.
// Default-constructed, or made for an unsupported code page, it is null
// (false) and converts nothing.
class CharsetConverter {
 public:
  CharsetConverter() = default;
  CharsetConverter(CHARSET from, CHARSET to);
  CharsetConverter(CharsetConverter&&) noexcept = default;
  CharsetConverter& operator=(CharsetConverter&&) noexcept = default;
  CharsetConverter(const CharsetConverter&) = delete;
  CharsetConverter& operator=(const CharsetConverter&) = delete;

  explicit operator bool() const { return m_Valid; }
  CHARSET From() const { return m_From; }
  CHARSET To() const { return m_To; }

  void operator()(const void* source, uint32_t sourceBytes, uint32_t& used, void* target,
                  uint32_t targetBytes, uint32_t& produced, bool final);

  // The text ends, with the sourceBytes at source that the calls left
  // unconverted. Writes what the conversion still owes it: 16-bit units
  // there waited for the other half of a surrogate pair that never came,
  // and become U+FFFD (kept as they are by 16-bit targets); an escape-driven
  // target writes the output it could not place in the last call's target.
  // A cut-off multi-byte sequence stays unconverted, and the shift state
  // stays as it is.
  void Finish(const void* source, uint32_t sourceBytes, uint32_t& used, void* target,
              uint32_t targetBytes, uint32_t& produced);

  // Forgets the shift state: the next call starts a new text.
  void Restart() {
    m_Decoder.Restart();
    m_Encoder.Restart();
  }

 private:
  std::size_t ThroughUnits(const char* src, std::size_t n, char* dst, std::size_t cap, bool final,
                           std::size_t* used);
  bool UnpairedLast(char16_t* units, std::size_t count) const;

  CharsetDecoder m_Decoder;
  CharsetEncoder m_Encoder;
  CHARSET m_From = 0;
  CHARSET m_To = 0;
  bool m_Valid = false;
};

// The direct converter of a pair that has one: its call takes one more
// flag, `restart`, which forgets the shift state first (the library passes
// false: one text, in order).
class DirectConverter : public CharsetConverter {
 public:
  DirectConverter() = default;
  DirectConverter(CHARSET from, CHARSET to) : CharsetConverter(from, to) {}

  using CharsetConverter::operator();
  void operator()(const void* source, uint32_t sourceBytes, uint32_t& used, void* target,
                  uint32_t targetBytes, uint32_t& produced, bool final, bool restart) {
    if (restart) Restart();
    (*this)(source, sourceBytes, used, target, targetBytes, produced, final);
  }
};

// The two-stage converter: bytes of `from` to 16-bit units, units to bytes
// of `to`. Null when either code page is unsupported.
class ConversionClass : public CharsetConverter {
 public:
  ConversionClass() = default;
  ConversionClass(CHARSET from, CHARSET to) : CharsetConverter(from, to) {}
};

// A direct converter for the pair, or null. Pairs with a direct converter
// are those with a Unicode side (65001, 1200 or 1201); two legacy sets go
// through ConversionClass.
DirectConverter FastConversionFunction(CHARSET from, CHARSET to);

// The first stage: bytes of `from` to 16-bit units (1201). Null when
// unsupported.
CharsetConverter MbToWcConversionFunction(CHARSET from);

// The second stage: 16-bit units (1201) to bytes of `to`. Null when
// unsupported.
CharsetConverter WcToMbConversionFunction(CHARSET to);

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_CONVERTER_H_
