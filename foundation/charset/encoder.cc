#include "foundation/charset/encoder.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstring>

#include "foundation/charset/decoder.h"
#include "foundation/charset/utf.h"

namespace LVTCharset {

namespace {

// Units per ICU call: bounds the stack copy made for the 932 repair.
constexpr std::size_t kIcuChunk = 1024;

// Keeps track of the last place where a source character ended, so that a
// stop for lack of room falls on it.
struct Boundary {
  std::size_t unit = 0;
  std::size_t byte = 0;
  void Mark(std::size_t i, std::size_t o, std::size_t n, const int32_t* offsets) {
    if (!offsets || i == n || offsets[i] != offsets[i - 1]) {
      unit = i;
      byte = o;
    }
  }
};

std::size_t EncodeUnits(const char16_t* units, std::size_t n, char* out, std::size_t cap,
                        const int32_t* offsets, bool final, bool swap, std::size_t* usedUnits) {
  const std::size_t take = WholeUnits(units, n, std::min(n, cap / 2), offsets, final);
  if (swap) {
    for (std::size_t i = 0; i < take; ++i) {
      out[2 * i] = static_cast<char>(units[i] & 0xFF);
      out[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
  } else {
    std::memcpy(out, units, 2 * take);
  }
  *usedUnits = take;
  return 2 * take;
}

unsigned char TableByte(const ByteTable& table, char16_t c) {
  if (c < 256 && table.toUnit[c] == c) return static_cast<unsigned char>(c);
  auto it = std::lower_bound(
      table.fromUnit.begin(), table.fromUnit.end(), c,
      [](const std::pair<char16_t, unsigned char>& e, char16_t v) { return e.first < v; });
  if (it != table.fromUnit.end() && it->first == c) return it->second;
  return '?';
}

std::size_t EncodeTable(const ByteTable& table, const char16_t* units, std::size_t n, char* out,
                        std::size_t cap, const int32_t* offsets, bool final,
                        std::size_t* usedUnits) {
  std::size_t i = 0, o = 0;
  Boundary done;
  while (i < n && o < cap) {
    const char16_t c = units[i];
    std::size_t take = 1;
    unsigned char byte;
    if (IsHighSurrogate(c)) {
      if (i + 1 == n && !final) break;  // its low half may still come
      if (i + 1 < n && IsLowSurrogate(units[i + 1])) take = 2;
      byte = '?';  // no single-byte set has characters beyond U+FFFF
    } else if (IsLowSurrogate(c)) {
      byte = '?';
    } else {
      byte = TableByte(table, c);
    }
    out[o++] = static_cast<char>(byte);
    i += take;
    done.Mark(i, o, n, offsets);
  }
  *usedUnits = done.unit;
  return done.byte;
}

// The inverse of the repair of ICU's 932 table on decoding.
void SwapControls(const char16_t* units, std::size_t n, char16_t* out) {
  for (std::size_t i = 0; i < n; ++i) {
    switch (units[i]) {
      case 0x1A:
        out[i] = 0x1C;
        break;
      case 0x1C:
        out[i] = 0x7F;
        break;
      case 0x7F:
        out[i] = 0x1A;
        break;
      default:
        out[i] = units[i];
        break;
    }
  }
}

}  // namespace

std::size_t WholeUnits(const char16_t* units, std::size_t n, std::size_t take,
                       const int32_t* offsets, bool final) {
  std::size_t k = std::min(take, n);
  while (k > 0) {
    if (k < n) {
      if (IsHighSurrogate(units[k - 1]) && IsLowSurrogate(units[k])) {
        --k;
        continue;
      }
      if (offsets && offsets[k] == offsets[k - 1]) {
        --k;
        continue;
      }
    } else if (!final && IsHighSurrogate(units[k - 1])) {
      --k;
      continue;
    }
    break;
  }
  return k;
}

CharsetEncoder::CharsetEncoder(CHARSET codePage) : m_Info(LookUpCodec(codePage)) {
  if (m_Info.codec == Codec::kIcu) {
    m_Icu = IcuLease(codePage, m_Info.icuName);
    if (m_Icu.Get() == nullptr) {
      m_Info.codec = Codec::kNone;
    } else {
      m_IcuMaxBytes = static_cast<std::size_t>(ucnv_getMaxCharSize(m_Icu.Get()));
    }
  }
}

std::size_t CharsetEncoder::Drain(char* out, std::size_t cap) {
  if (m_Info.codec != Codec::kIcu || !m_Info.escapeState || cap == 0) return 0;
  // No input and no flush: ICU writes only what it holds.
  const UChar none = 0;
  const UChar* s = &none;
  char* t = out;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_fromUnicode(m_Icu.Get(), &t, out + cap, &s, s, nullptr, false, &err);
  return static_cast<std::size_t>(t - out);
}

void CharsetEncoder::Restart() {
  if (m_Icu.Get() != nullptr) ucnv_resetFromUnicode(m_Icu.Get());
}

std::size_t CharsetEncoder::MaxBytesPerUnit() const {
  switch (m_Info.codec) {
    case Codec::kUtf8:
      return 3;
    case Codec::kUtf16LE:
    case Codec::kWide:
      return 2;
    case Codec::kTable:
      return 1;
    case Codec::kIcu:
      return m_IcuMaxBytes;
    case Codec::kNone:
      break;
  }
  return 1;
}

std::size_t CharsetEncoder::Encode(const char16_t* units, std::size_t n, char* out, std::size_t cap,
                                   const int32_t* offsets, bool final, std::size_t* usedUnits) {
  switch (m_Info.codec) {
    case Codec::kUtf8:
      return Utf16ToUtf8(units, n, out, cap, final, usedUnits, offsets);
    case Codec::kWide:
      return EncodeUnits(units, n, out, cap, offsets, final, false, usedUnits);
    case Codec::kUtf16LE:
      return EncodeUnits(units, n, out, cap, offsets, final, !kHostLittleEndian, usedUnits);
    case Codec::kTable:
      return EncodeTable(*m_Info.table, units, n, out, cap, offsets, final, usedUnits);
    case Codec::kIcu:
      return EncodeIcu(units, n, out, cap, offsets, final, usedUnits);
    case Codec::kNone:
      break;
  }
  *usedUnits = 0;
  return 0;
}

// Stateless sets are converted in chunks, each complete in itself. An
// escape-driven set keeps its shift state in the ICU converter from one
// chunk and one call to the next (returning to ASCII and entering the same
// mode again would put two escapes in a row, which decoders reject), and
// returns to ASCII when the text is final.
std::size_t CharsetEncoder::EncodeIcu(const char16_t* units, std::size_t n, char* out,
                                      std::size_t cap, const int32_t* offsets, bool final,
                                      std::size_t* usedUnits) {
  UConverter* cnv = m_Icu.Get();
  const bool keepState = m_Info.escapeState;
  char16_t swapped[kIcuChunk];
  std::size_t i = 0, o = 0;
  while (i < n && o < cap) {
    // Chunks sized so that even the worst case fits, with room for the
    // escape back to ASCII; should one not fit all the same, a stateless
    // chunk is halved.
    std::size_t want = (cap - o) / m_IcuMaxBytes;
    want = std::min(want > 1 ? want - 1 : 1, kIcuChunk);
    const int32_t* rest = offsets ? offsets + i : nullptr;
    std::size_t take = WholeUnits(units + i, n - i, want, rest, final);
    std::size_t wrote = 0;
    while (take > 0) {
      const char16_t* from = units + i;
      if (m_Info.swapControls) {
        SwapControls(from, take, swapped);
        from = swapped;
      }
      if (!keepState) ucnv_resetFromUnicode(cnv);
      const UChar* s = reinterpret_cast<const UChar*>(from);
      char* t = out + o;
      UErrorCode err = U_ZERO_ERROR;
      ucnv_fromUnicode(cnv, &t, out + cap, &s, s + take, nullptr, !keepState, &err);
      wrote = static_cast<std::size_t>(t - (out + o));
      if (keepState) {
        // The call stands, as its shift state does: when the target fills,
        // ICU stops before a character it had no room for, and the units
        // from there wait for the next call.
        take = static_cast<std::size_t>(s - reinterpret_cast<const UChar*>(from));
        break;
      }
      if (U_SUCCESS(err)) break;
      take =
          err == U_BUFFER_OVERFLOW_ERROR ? WholeUnits(units + i, n - i, take / 2, rest, final) : 0;
    }
    if (take == 0 && (!keepState || wrote == 0)) break;
    i += take;
    o += wrote;
  }
  if (keepState && final && i == n) {
    const UChar* s = nullptr;
    char* t = out + o;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_fromUnicode(cnv, &t, out + cap, &s, s, nullptr, true, &err);
    o = static_cast<std::size_t>(t - out);
  }
  if (!keepState) ucnv_resetFromUnicode(cnv);
  *usedUnits = i;
  return o;
}

}  // namespace LVTCharset
