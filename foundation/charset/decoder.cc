#include "foundation/charset/decoder.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "foundation/charset/utf.h"

namespace LVTCharset {

namespace {

inline char16_t LoadUnit(const char* p, bool swap) {
  char16_t c;
  std::memcpy(&c, p, 2);
  return swap ? static_cast<char16_t>((c >> 8) | (c << 8)) : c;
}

// 16-bit units as bytes, host order (wide) or little-endian.
std::size_t DecodeUnits(const char* src, std::size_t n, char16_t* out, std::size_t unitCap,
                        int32_t* offsets, bool final, bool swap, std::size_t* used) {
  const std::size_t whole = n / 2;
  std::size_t count = std::min(whole, unitCap);
  if (swap) {
    for (std::size_t i = 0; i < count; ++i) out[i] = LoadUnit(src + 2 * i, true);
  } else {
    std::memcpy(out, src, 2 * count);
  }
  if (count > 0 && IsHighSurrogate(out[count - 1])) {
    // Keep a pair together: its low half is cut off by the room or, unless
    // the text ends here, may still come.
    const bool more = count < whole;
    if (more ? IsLowSurrogate(LoadUnit(src + 2 * count, swap)) : !final) --count;
  }
  std::size_t bytes = 2 * count;
  if (final && count == whole && (n & 1) && count < unitCap) {
    out[count++] = kReplacement;  // a lone last byte
    bytes = n;
  }
  if (offsets) {
    for (std::size_t i = 0; i < count; ++i) offsets[i] = static_cast<int32_t>(2 * i);
  }
  *used = bytes;
  return count;
}

std::size_t DecodeTable(const ByteTable& table, const char* src, std::size_t n, char16_t* out,
                        std::size_t unitCap, int32_t* offsets, std::size_t* used) {
  const std::size_t count = std::min(n, unitCap);
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  for (std::size_t i = 0; i < count; ++i) out[i] = table.toUnit[s[i]];
  if (offsets) {
    for (std::size_t i = 0; i < count; ++i) offsets[i] = static_cast<int32_t>(i);
  }
  *used = count;
  return count;
}

// ICU's 932 table gives byte 0x1A as U+001C, 0x1C as U+007F and 0x7F as
// U+001A; the Windows code page maps all three to themselves.
inline void UnswapControl(char16_t& c) {
  if (c == 0x1C || c == 0x7F || c == 0x1A) c = c == 0x1C ? 0x1A : c == 0x7F ? 0x1C : 0x7F;
}

void UnswapControls(char16_t* units, std::size_t n) {
  std::size_t i = 0;
  // Four units at a time, skipped unless one is below U+0020 or is U+007F.
  for (; i + 4 <= n; i += 4) {
    uint64_t w;
    std::memcpy(&w, units + i, sizeof w);
    const uint64_t below = (w - 0x0020002000200020ull) & ~w & 0x8000800080008000ull;
    const uint64_t x = w ^ 0x007F007F007F007Full;
    const uint64_t del = (x - 0x0001000100010001ull) & ~x & 0x8000800080008000ull;
    if ((below | del) == 0) continue;
    for (std::size_t k = 0; k < 4; ++k) UnswapControl(units[i + k]);
  }
  for (; i < n; ++i) UnswapControl(units[i]);
}

}  // namespace

CharsetDecoder::CharsetDecoder(CHARSET codePage) : m_Info(LookUpCodec(codePage)) {
  if (m_Info.codec == Codec::kIcu) {
    m_Icu = IcuLease(codePage, m_Info.icuName);
    if (m_Icu.Get() == nullptr) m_Info.codec = Codec::kNone;
  }
}

std::size_t CharsetDecoder::Decode(const char* src, std::size_t n, char16_t* out,
                                   std::size_t unitCap, int32_t* offsets, bool final,
                                   std::size_t* used) {
  switch (m_Info.codec) {
    case Codec::kUtf8:
      return Utf8ToUtf16(src, n, out, unitCap, offsets, final, used);
    case Codec::kWide:
      return DecodeUnits(src, n, out, unitCap, offsets, final, false, used);
    case Codec::kUtf16LE:
      return DecodeUnits(src, n, out, unitCap, offsets, final, !kHostLittleEndian, used);
    case Codec::kTable:
      return DecodeTable(*m_Info.table, src, n, out, unitCap, offsets, used);
    case Codec::kIcu:
      return DecodeIcu(src, n, out, unitCap, offsets, final, used);
    case Codec::kNone:
      break;
  }
  *used = 0;
  return 0;
}

UConverter* CharsetDecoder::StartIcu() {
  m_WorkingClean = false;
  if (!m_Committed) ucnv_resetToUnicode(m_Icu.Get());
  if (!m_Info.escapeState) return m_Icu.Get();
  m_Working = CopyIcuConverter(m_Committed ? m_Committed.get() : m_Icu.Get());
  return m_Working.get();
}

std::size_t CharsetDecoder::DecodeTableToUtf8(const char* src, std::size_t n, char* out,
                                              std::size_t cap, uint32_t* byteOffsets,
                                              uint32_t offsetBase, std::size_t* used) const {
  const ByteTable& table = *m_Info.table;
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  std::size_t i = 0, o = 0;
  while (i < n) {
    if (table.asciiSame && !byteOffsets && i + 8 <= n && o + 8 <= cap) {
      uint64_t word;
      std::memcpy(&word, s + i, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        std::memcpy(out + o, &word, 8);
        i += 8;
        o += 8;
        continue;
      }
    }
    const ByteTable::Utf8Form& form = table.toUtf8[s[i]];
    if (o + form.length > cap) break;
    for (unsigned k = 0; k < form.length; ++k) {
      out[o + k] = form.bytes[k];
      if (byteOffsets) byteOffsets[o + k] = offsetBase + static_cast<uint32_t>(i);
    }
    o += form.length;
    ++i;
  }
  *used = i;
  return o;
}

std::size_t CharsetDecoder::DecodeIcu(const char* src, std::size_t n, char16_t* out,
                                      std::size_t unitCap, int32_t* offsets, bool final,
                                      std::size_t* used) {
  // No character set here yields more units than bytes, so a slice of at
  // most unitCap bytes fits; should one ever not, the slice is halved.
  std::size_t slice = std::min(n, unitCap);
  for (;;) {
    UConverter* cnv = StartIcu();
    if (cnv == nullptr) {
      *used = 0;
      return 0;
    }
    const bool flush = final && slice == n;
    const char* s = src;
    UChar* t = reinterpret_cast<UChar*>(out);
    UErrorCode err = U_ZERO_ERROR;
    ucnv_toUnicode(cnv, &t, t + unitCap, &s, src + slice, offsets, flush, &err);
    if (err == U_BUFFER_OVERFLOW_ERROR && slice > 1) {
      slice /= 2;
      continue;
    }
    if (U_FAILURE(err)) {
      *used = 0;
      return 0;
    }
    std::size_t consumed = static_cast<std::size_t>(s - src);
    bool clean = !flush;
    if (!flush) {
      // What ICU holds back is a sequence cut off by the end of the slice:
      // it stays with the caller, to come again with the following bytes.
      UErrorCode pendingErr = U_ZERO_ERROR;
      const int32_t pending = ucnv_toUCountPending(cnv, &pendingErr);
      if (U_FAILURE(pendingErr) || pending != 0) clean = false;
      if (U_SUCCESS(pendingErr) && pending > 0)
        consumed -= std::min(consumed, static_cast<std::size_t>(pending));
    }
    if (m_Working) {
      m_WorkingFrom = src;
      m_WorkingBytes = consumed;
      m_WorkingClean = clean;
    }
    const std::size_t units = static_cast<std::size_t>(t - reinterpret_cast<UChar*>(out));
    // Only the three bytes themselves decode to the three controls.
    if (m_Info.swapControls &&
        (std::memchr(src, 0x1A, consumed) || std::memchr(src, 0x1C, consumed) ||
         std::memchr(src, 0x7F, consumed)))
      UnswapControls(out, units);
    *used = consumed;
    return units;
  }
}

// The state after the committed bytes is the converter's own: it takes the
// copy the last Decode ended with when that covered exactly these bytes,
// else decodes them once more from the state before. Either way the text is
// read as if in one piece, whatever invalid or unfinished escapes it holds.
void CharsetDecoder::CommitShift(const char* src, std::size_t done) {
  if (done == 0) return;
  if (m_Working && m_WorkingClean && m_WorkingFrom == src && m_WorkingBytes == done) {
    m_Committed = std::move(m_Working);
    m_WorkingClean = false;
    return;
  }
  if (!m_Committed) ucnv_resetToUnicode(m_Icu.Get());
  IcuCopy next = CopyIcuConverter(m_Committed ? m_Committed.get() : m_Icu.Get());
  m_Working.reset();
  m_WorkingClean = false;
  if (!next) return;
  UChar scratch[512];
  const auto feed = [&](const char* from, const char* to) {
    UErrorCode err = U_BUFFER_OVERFLOW_ERROR;
    while (err == U_BUFFER_OVERFLOW_ERROR) {
      err = U_ZERO_ERROR;
      UChar* t = scratch;
      ucnv_toUnicode(next.get(), &t, scratch + 512, &from, to, nullptr, false, &err);
    }
  };
  feed(src, src + done);
  // What ICU holds back at the end of the committed bytes was judged by the
  // bytes after them (a lead byte before an escape), and always as
  // ill-formed, or it would lie beyond. A byte that continues nothing ends
  // it the same way, changing no designation.
  for (int k = 0; k < 3; ++k) {
    UErrorCode err = U_ZERO_ERROR;
    if (ucnv_toUCountPending(next.get(), &err) <= 0 || U_FAILURE(err)) break;
    const char ends = '\x80';
    feed(&ends, &ends + 1);
  }
  m_Committed = std::move(next);
}

}  // namespace LVTCharset
