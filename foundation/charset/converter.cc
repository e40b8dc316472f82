#include "foundation/charset/converter.h"

#include <algorithm>
#include <cstring>

#include "foundation/charset/utf.h"

namespace LVTCharset {

namespace {

// Units decoded per round when the target is not 16-bit.
constexpr std::size_t kPivotUnits = 2048;
// Below this much room a call stops and leaves the rest to the next call
// rather than converting in ever smaller rounds.
constexpr std::size_t kMinRoom = 256;

bool IsUnicode(CHARSET cs) { return cs == kUtf8 || cs == kUtf16LE || cs == kWide; }

bool Aligned(const void* p) { return reinterpret_cast<uintptr_t>(p) % alignof(char16_t) == 0; }

}  // namespace

CharsetConverter::CharsetConverter(CHARSET from, CHARSET to)
    : m_Decoder(from), m_Encoder(to), m_From(from), m_To(to) {
  m_Valid = m_Decoder.IsValid() && m_Encoder.IsValid();
}

void CharsetConverter::operator()(const void* source, uint32_t sourceBytes, uint32_t& used,
                                  void* target, uint32_t targetBytes, uint32_t& produced,
                                  bool final) {
  used = 0;
  produced = 0;
  if (!m_Valid || sourceBytes == 0 || targetBytes == 0) return;
  const char* src = static_cast<const char*>(source);
  char* dst = static_cast<char*>(target);
  std::size_t u = 0, p = 0;
  const Codec encoding = m_Encoder.GetCodec();
  if (m_Decoder.GetCodec() == Codec::kUtf8 && encoding == Codec::kUtf8) {
    p = Utf8ToUtf8(src, sourceBytes, dst, targetBytes, final, &u);
  } else if (m_Decoder.GetCodec() == Codec::kTable && encoding == Codec::kUtf8) {
    p = m_Decoder.DecodeTableToUtf8(src, sourceBytes, dst, targetBytes, nullptr, 0, &u);
  } else if (encoding == Codec::kWide && Aligned(dst) && targetBytes >= 4) {
    // Straight into the caller's 16-bit buffer.
    const std::size_t units = m_Decoder.Decode(src, sourceBytes, reinterpret_cast<char16_t*>(dst),
                                               targetBytes / 2, nullptr, final, &u);
    m_Decoder.Commit(src, u);
    p = 2 * units;
  } else {
    p = ThroughUnits(src, sourceBytes, dst, targetBytes, final, &u);
  }
  used = static_cast<uint32_t>(u);
  produced = static_cast<uint32_t>(p);
}

// Decodes into a pivot of units, encodes what fits; when the target fills up
// first, the source counts as used up to the first character not written.
// ICU decoders are asked for no offsets (they cost ICU a good deal): they
// get no more units than surely fit, and offsets are only fetched, by
// decoding the same bytes again, should the encoder stop short anyway.
std::size_t CharsetConverter::ThroughUnits(const char* src, std::size_t n, char* dst,
                                           std::size_t cap, bool final, std::size_t* used) {
  char16_t units[kPivotUnits];
  int32_t offsets[kPivotUnits];
  const bool lazyOffsets = m_Decoder.GetCodec() == Codec::kIcu;
  const std::size_t perUnit = lazyOffsets ? m_Encoder.MaxBytesPerUnit() : 2;
  std::size_t pos = 0, o = 0;
  while (pos < n && (o == 0 || cap - o >= kMinRoom)) {
    const std::size_t room = cap - o;
    const std::size_t want = std::clamp<std::size_t>(room / perUnit, 2, kPivotUnits);
    std::size_t u = 0;
    const std::size_t count = m_Decoder.Decode(src + pos, n - pos, units, want,
                                               lazyOffsets ? nullptr : offsets, final, &u);
    if (u == 0) break;  // only a cut-off sequence is left
    const bool encodeFinal = (final && pos + u == n) || UnpairedLast(units, count);
    std::size_t usedUnits = 0;
    o += m_Encoder.Encode(units, count, dst + o, room, lazyOffsets ? nullptr : offsets, encodeFinal,
                          &usedUnits);
    std::size_t done = u;
    if (usedUnits < count) {
      if (lazyOffsets) {
        std::size_t again = 0;
        m_Decoder.Decode(src + pos, n - pos, units, want, offsets, final, &again);
      }
      done = static_cast<std::size_t>(offsets[usedUnits]);
    }
    m_Decoder.Commit(src + pos, done);
    pos += done;
    if (done < u) break;  // the target is full
  }
  *used = pos;
  return o;
}

// Decoders keep a surrogate pair together and hold a high surrogate back
// while its low half may still come, so one left last in the units is
// unpaired. True when the encoder is to take it so (a final call); an
// escape-driven encoder, whose final call would also end its shift state,
// gets U+FFFD instead, which it writes as it would the surrogate.
bool CharsetConverter::UnpairedLast(char16_t* units, std::size_t count) const {
  if (count == 0 || !IsHighSurrogate(units[count - 1])) return false;
  if (!m_Encoder.KeepsShiftState()) return true;
  units[count - 1] = kReplacement;
  return false;
}

void CharsetConverter::Finish(const void* source, uint32_t sourceBytes, uint32_t& used,
                              void* target, uint32_t targetBytes, uint32_t& produced) {
  used = 0;
  produced = 0;
  if (!m_Valid || targetBytes == 0) return;
  char* dst = static_cast<char*>(target);
  std::size_t o = 0;
  const Codec decoding = m_Decoder.GetCodec();
  if (decoding == Codec::kUtf16LE || decoding == Codec::kWide) {
    // Only whole units are converted; a lone last byte stays cut off.
    const char* src = static_cast<const char*>(source);
    const std::size_t n = sourceBytes & ~std::size_t{1};
    std::size_t pos = 0;
    while (pos < n) {
      char16_t units[16];
      std::size_t u = 0;
      const std::size_t count = m_Decoder.Decode(src + pos, n - pos, units, 16, nullptr, true, &u);
      if (u == 0) break;
      std::size_t usedUnits = 0;
      o += m_Encoder.Encode(units, count, dst + o, targetBytes - o, nullptr,
                            UnpairedLast(units, count), &usedUnits);
      if (usedUnits < count) break;  // no room: the rest is dropped
      pos += u;
    }
    used = static_cast<uint32_t>(pos);
  }
  o += m_Encoder.Drain(dst + o, targetBytes - o);
  produced = static_cast<uint32_t>(o);
}

DirectConverter FastConversionFunction(CHARSET from, CHARSET to) {
  if (!IsUnicode(from) && !IsUnicode(to)) return DirectConverter();
  DirectConverter converter(from, to);
  if (!converter) return DirectConverter();
  return converter;
}

CharsetConverter MbToWcConversionFunction(CHARSET from) { return CharsetConverter(from, kWide); }

CharsetConverter WcToMbConversionFunction(CHARSET to) { return CharsetConverter(kWide, to); }

}  // namespace LVTCharset
