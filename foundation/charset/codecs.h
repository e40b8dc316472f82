// Which machinery converts a code page: the hand-written UTF routines, a
// 256-entry table for single-byte character sets, or an ICU converter.
// ICU converters are expensive to open and not thread-safe, so they are
// lent out from a process-wide pool (IcuLease) and given back when the
// lease ends; the pool is guarded by a mutex, a converter is used by one
// lease at a time.
#ifndef LUMIVANT_FOUNDATION_CHARSET_CODECS_H_
#define LUMIVANT_FOUNDATION_CHARSET_CODECS_H_

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "lumivant/code_page.h"

struct UConverter;

namespace LVTCharset {

enum class Codec { kNone, kUtf8, kUtf16LE, kWide, kTable, kIcu };

// A single-byte character set: bytes to units (U+FFFD where a byte means
// nothing), and units back to bytes, sorted by unit.
struct ByteTable {
  char16_t toUnit[256];
  std::vector<std::pair<char16_t, unsigned char>> fromUnit;
  // Each byte's character in UTF-8 (length, then up to 3 bytes), and
  // whether bytes below 0x80 are ASCII: the fast path to UTF-8.
  struct Utf8Form {
    unsigned char length;
    char bytes[3];
  } toUtf8[256];
  bool asciiSame;
};

struct CodecInfo {
  Codec codec = Codec::kNone;
  CHARSET codePage = 0;
  const char* icuName = nullptr;     // kIcu
  const ByteTable* table = nullptr;  // kTable; lives as long as the process
  // Shift state carried by escape sequences (ISO-2022-JP).
  bool escapeState = false;
  // ICU's table for 932 swaps the meanings of 0x1A, 0x1C and 0x7F.
  bool swapControls = false;
};

// How the code page is converted; codec kNone when it is not supported.
// The first lookup of a code page may open an ICU converter to learn what
// it is; later lookups are a map search under a mutex.
CodecInfo LookUpCodec(CHARSET codePage);

// An ICU converter lent from the pool, reset, with substitution set up:
// decoding writes U+FFFD for what it cannot map, encoding writes '?'
// (U+FFFD's encoding for Unicode character sets). Move-only. A lease may
// end on another thread than the one that took it.
class IcuLease {
 public:
  IcuLease() = default;
  // Get() is null when ICU cannot open the converter.
  IcuLease(CHARSET codePage, const char* icuName);
  IcuLease(IcuLease&& other) noexcept { *this = std::move(other); }
  IcuLease& operator=(IcuLease&& other) noexcept;
  IcuLease(const IcuLease&) = delete;
  IcuLease& operator=(const IcuLease&) = delete;
  ~IcuLease();

  UConverter* Get() const { return m_Converter; }

 private:
  void Release();

  CHARSET m_CodePage = 0;
  UConverter* m_Converter = nullptr;
};

// A converter of one's own, outside the pool: a copy of another one, state
// included (the shift state of escape-driven sets, bytes held back).
struct IcuClose {
  void operator()(UConverter* cnv) const;
};
using IcuCopy = std::unique_ptr<UConverter, IcuClose>;

// Null when ICU cannot copy it.
IcuCopy CopyIcuConverter(const UConverter* cnv);

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_CODECS_H_
