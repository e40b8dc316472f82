#include "foundation/charset/transcode.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "foundation/charset/labels.h"
#include "foundation/charset/utf.h"

namespace LVTCharset {

namespace {

constexpr uint32_t kChunk = 4096;

// The direct converter of the pair when there is one (called as the direct
// call with `restart` false does), else the two stages.
template <class Body>
auto WithConverter(CHARSET from, CHARSET to, Body body) {
  DirectConverter direct = FastConversionFunction(from, to);
  if (direct) return body(static_cast<CharsetConverter&>(direct));
  ConversionClass twoStage(from, to);
  return body(static_cast<CharsetConverter&>(twoStage));
}

uint32_t CopyStream(CharsetConverter& convert, LVTBase::BinaryStreamBuf& input,
                    LVTBase::BinaryStreamBuf& output, bool flag) {
  alignas(8) char source[kChunk];
  alignas(8) char target[kChunk];
  uint32_t carry = 0, total = 0;
  for (;;) {
    const uint32_t n = input.Get(source + carry, kChunk - carry);
    if (n == 0) break;
    const uint32_t avail = carry + n;
    uint32_t pos = 0;
    while (pos != avail) {
      uint32_t used = 0, produced = 0;
      convert(source + pos, avail - pos, used, target, kChunk, produced, flag);
      if (produced > 0) output.Write(target, produced);
      if (used == 0) break;
      pos += used;
    }
    if (pos < avail) std::memmove(source, source + pos, avail - pos);
    total += pos;
    carry = avail - pos;
  }
  // The input has ended: what the converter still owes the text comes out.
  uint32_t used = 0, produced = 0;
  convert.Finish(source, carry, used, target, kChunk, produced);
  if (produced > 0) output.Write(target, produced);
  return total + used;
}

// The string members: sourceBytes of source converted into target, which
// receives elements of Unit (char or char16_t). Returns the bytes consumed.
template <class Target>
std::size_t ConvertString(CharsetConverter& convert, const void* source, std::size_t sourceBytes,
                          std::size_t sourceElements, Target& target, bool flag) {
  using Unit = typename Target::value_type;
  target.reserve(target.size() + sourceElements);
  if (sourceBytes == 0) return 0;
  alignas(8) char buffer[kChunk];
  const auto append = [&](uint32_t produced) {
    const std::size_t count = produced / sizeof(Unit);
    const std::size_t at = target.size();
    target.resize(at + count);
    std::memcpy(&target[at], buffer, count * sizeof(Unit));
  };
  const char* src = static_cast<const char*>(source);
  std::size_t pos = 0;
  while (pos != sourceBytes) {
    const uint32_t length = static_cast<uint32_t>(
        std::min<std::size_t>(sourceBytes - pos, std::numeric_limits<uint32_t>::max() - 1));
    uint32_t used = 0, produced = 0;
    convert(src + pos, length, used, buffer, kChunk, produced, flag);
    append(produced);
    if (used == 0) break;
    pos += used;
  }
  // Output the converter held back comes out. A high surrogate left last
  // stays cut off: a string may be a piece of a longer text.
  uint32_t used = 0, produced = 0;
  convert.Finish(nullptr, 0, used, buffer, kChunk, produced);
  append(produced);
  return pos;
}

}  // namespace

uint32_t TranscodeStream(CHARSET from, CHARSET to, LVTBase::BinaryStreamBuf& input,
                         LVTBase::BinaryStreamBuf& output, bool flag) {
  if (!IsSupportedCodePage(from) || !IsSupportedCodePage(to)) return 0;
  return WithConverter(from, to, [&](CharsetConverter& convert) {
    return CopyStream(convert, input, output, flag);
  });
}

std::size_t WideToBytes(CHARSET from, CHARSET to, const std::u16string& source, std::string& target,
                        bool flag) {
  return WithConverter(from, to, [&](CharsetConverter& convert) {
    return ConvertString(convert, source.data(), 2 * source.size(), source.size(), target, flag) /
           2;
  });
}

std::size_t BytesToWide(CHARSET from, CHARSET to, const std::string& source, std::u16string& target,
                        bool flag) {
  return WithConverter(from, to, [&](CharsetConverter& convert) {
    return ConvertString(convert, source.data(), source.size(), source.size(), target, flag);
  });
}

std::size_t WideToBytes(ConversionClass& converter, const std::u16string& source,
                        std::string& target, bool flag) {
  return ConvertString(converter, source.data(), 2 * source.size(), source.size(), target, flag) /
         2;
}

std::size_t BytesToWide(ConversionClass& converter, const std::string& source,
                        std::u16string& target, bool flag) {
  return ConvertString(converter, source.data(), source.size(), source.size(), target, flag);
}

std::u16string Utf8ToWide(const std::string& utf8) {
  std::u16string text;
  BytesToWide(kUtf8, kWide, utf8, text, false);
  return text;
}

std::string WideToUtf8(std::u16string_view text) {
  // Straight through the UTF-16 encoder: the texts are often a few words
  // (the stretches between hits), and a converter costs more to set up.
  std::string utf8(3 * text.size(), '\0');  // three bytes at most per unit
  std::size_t used = 0;
  utf8.resize(Utf16ToUtf8(text.data(), text.size(), utf8.data(), utf8.size(), false, &used));
  return utf8;
}

}  // namespace LVTCharset
