#include "foundation/charset/utf.h"

#include <algorithm>
#include <cstring>

namespace LVTCharset {

namespace {

// True when the 8 bytes at p are all ASCII.
inline bool AsciiWord(const unsigned char* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return (w & 0x8080808080808080ull) == 0;
}

inline std::size_t Utf8Length(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

inline char* PutUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

}  // namespace

Utf8Step NextUtf8(const unsigned char* s, std::size_t n) {
  const unsigned char b = s[0];
  if (b < 0x80) return {1, b, true, false};
  uint32_t need;
  char32_t value;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
    value = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    value = b & 0x0F;
    if (b == 0xE0)
      lo = 0xA0;  // no overlong forms
    else if (b == 0xED)
      hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    value = b & 0x07;
    if (b == 0xF0)
      lo = 0x90;  // no overlong forms
    else if (b == 0xF4)
      hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return {1, kReplacement, false, false};
  }
  for (uint32_t i = 1; i <= need; ++i) {
    if (i >= n) return {i, kReplacement, false, true};
    const unsigned char c = s[i];
    if (c < lo || c > hi) return {i, kReplacement, false, false};
    lo = 0x80;
    hi = 0xBF;
    value = (value << 6) | (c & 0x3F);
  }
  return {need + 1, value, true, false};
}

std::size_t ValidUtf8Prefix(const char* bytes, std::size_t n) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes);
  std::size_t i = 0;
  while (i < n) {
    if (i + 8 <= n && AsciiWord(s + i)) {
      i += 8;
      continue;
    }
    if (s[i] < 0x80) {
      ++i;
      continue;
    }
    // Two- and three-byte characters whose lead byte allows every
    // continuation (no overlong forms, no surrogates): most non-ASCII text.
    if (i + 1 < n && s[i] >= 0xC2 && s[i] <= 0xDF && (s[i + 1] & 0xC0) == 0x80) {
      i += 2;
      continue;
    }
    if (i + 2 < n && s[i] >= 0xE1 && s[i] <= 0xEF && s[i] != 0xED && (s[i + 1] & 0xC0) == 0x80 &&
        (s[i + 2] & 0xC0) == 0x80) {
      i += 3;
      continue;
    }
    const Utf8Step step = NextUtf8(s + i, n - i);
    if (!step.valid) break;
    i += step.length;
  }
  return i;
}

std::size_t Utf8ToUtf16(const char* src, std::size_t n, char16_t* out, std::size_t unitCap,
                        int32_t* offsets, bool final, std::size_t* used) {
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  std::size_t i = 0, o = 0;
  while (i < n) {
    if (s[i] < 0x80) {
      if (o >= unitCap) break;
      if (offsets) offsets[o] = static_cast<int32_t>(i);
      out[o++] = s[i++];
      continue;
    }
    const Utf8Step step = NextUtf8(s + i, n - i);
    if (step.incomplete && !final) break;
    const std::size_t units = step.value >= 0x10000 ? 2 : 1;
    if (o + units > unitCap) break;
    if (offsets) {
      offsets[o] = static_cast<int32_t>(i);
      if (units == 2) offsets[o + 1] = static_cast<int32_t>(i);
    }
    if (units == 2) {
      const char32_t v = step.value - 0x10000;
      out[o++] = static_cast<char16_t>(0xD800 | (v >> 10));
      out[o++] = static_cast<char16_t>(0xDC00 | (v & 0x3FF));
    } else {
      out[o++] = static_cast<char16_t>(step.value);
    }
    i += step.length;
  }
  *used = i;
  return o;
}

std::size_t Utf8ToUtf8(const char* src, std::size_t n, char* out, std::size_t cap, bool final,
                       std::size_t* used) {
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  std::size_t i = 0, o = 0;
  while (i < n) {
    // A character cut by the room limit looks incomplete and is left out.
    const std::size_t valid = ValidUtf8Prefix(src + i, std::min(n - i, cap - o));
    std::memcpy(out + o, src + i, valid);
    i += valid;
    o += valid;
    if (i == n) break;
    const Utf8Step step = NextUtf8(s + i, n - i);
    if (step.valid) break;  // a whole character that does not fit
    if (step.incomplete && !final) break;
    if (o + 3 > cap) break;
    PutUtf8(kReplacement, out + o);
    o += 3;
    i += step.length;
  }
  *used = i;
  return o;
}

std::size_t Utf16ToUtf8(const char16_t* units, std::size_t n, char* out, std::size_t cap,
                        bool final, std::size_t* usedUnits, const int32_t* unitOffsets,
                        uint32_t* byteOffsets, uint32_t offsetBase) {
  std::size_t i = 0, o = 0;
  std::size_t safeI = 0, safeO = 0;  // the last end of a source character
  while (i < n) {
    if (!unitOffsets) {
      // Runs of ASCII, four units at a time.
      while (i + 4 <= n && o + 4 <= cap) {
        uint64_t word;
        std::memcpy(&word, units + i, sizeof word);
        if (word & 0xFF80FF80FF80FF80ull) break;
        out[o] = static_cast<char>(units[i]);
        out[o + 1] = static_cast<char>(units[i + 1]);
        out[o + 2] = static_cast<char>(units[i + 2]);
        out[o + 3] = static_cast<char>(units[i + 3]);
        i += 4;
        o += 4;
      }
      safeI = i;
      safeO = o;
      if (i == n) break;
    }
    const char16_t c = units[i];
    char32_t cp = c;
    std::size_t take = 1;
    if (IsHighSurrogate(c)) {
      if (i + 1 < n) {
        if (IsLowSurrogate(units[i + 1])) {
          cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
          take = 2;
        } else {
          cp = kReplacement;
        }
      } else if (!final) {
        break;  // its low half may come with the next call
      } else {
        cp = kReplacement;
      }
    } else if (IsLowSurrogate(c)) {
      cp = kReplacement;
    }
    const std::size_t len = Utf8Length(cp);
    if (o + len > cap) break;
    PutUtf8(cp, out + o);
    if (byteOffsets) {
      for (std::size_t k = 0; k < len; ++k)
        byteOffsets[o + k] = offsetBase + static_cast<uint32_t>(unitOffsets[i]);
    }
    o += len;
    i += take;
    if (!unitOffsets || i == n || unitOffsets[i] != unitOffsets[i - 1]) {
      safeI = i;
      safeO = o;
    }
  }
  *usedUnits = safeI;
  return safeO;
}

}  // namespace LVTCharset
