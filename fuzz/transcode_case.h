// Fuzz case for TranscodeStream. Input: a byte choosing the source
// character set, one choosing the target, one choosing how the input stream
// cuts its reads, then the bytes to convert.
//
// Invariants: an unsupported pair converts nothing; at most a cut-off last
// sequence is left unconsumed; UTF-8 output is well formed and, from UTF-8,
// equals the obvious decoder's; reads cut into small chunks give the same
// bytes as whole reads; the string converters agree with the stream one;
// Latin-1, UTF-8 and UTF-16 pages survive a round trip through UTF-8.
#ifndef LUMIVANT_FUZZ_TRANSCODE_CASE_H_
#define LUMIVANT_FUZZ_TRANSCODE_CASE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "foundation/charset/transcode.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/utf8_reference.h"
#include "lumivant/code_page.h"
#include "lumivant/memory_buffer.h"

namespace lvt_fuzz {

inline constexpr std::size_t kTranscodeMaxInput = 64 * 1024;

struct Transcoded {
  uint32_t consumed = 0;
  std::string bytes;
};

inline Transcoded Transcode(LVTCharset::CHARSET from, LVTCharset::CHARSET to,
                            LVTBase::BinaryStreamBuf& input, bool flag = false) {
  LVTFile::MemoryBuffer out;
  Transcoded result;
  result.consumed = LVTCharset::TranscodeStream(from, to, input, out, flag);
  result.bytes = out.Bytes();
  return result;
}

inline Transcoded Transcode(LVTCharset::CHARSET from, LVTCharset::CHARSET to,
                            const std::string& bytes) {
  LVTFile::MemoryBuffer in(bytes);
  return Transcode(from, to, in);
}

// Well-formed UTF-16 in host order: even length, surrogates paired.
inline bool IsValidWide(const std::string& bytes) {
  if (bytes.size() % 2 != 0) return false;
  std::u16string units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), bytes.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

// True when every byte string of `from` comes back unchanged from UTF-8.
inline bool RoundTrips(LVTCharset::CHARSET from, const std::string& page) {
  if (from == 28591) return true;
  if (from == LVTCharset::kUtf8) return IsValidUtf8(page);
  if (from == LVTCharset::kWide) return IsValidWide(page);
  return false;
}

// What a stream adds at its end over the string path: a 16-bit unit that
// waited for the other half of a surrogate pair that never came becomes
// U+FFFD, where a string keeps it last, looking cut off, and drops it (a
// string may be a piece of a longer text): once in each of the two string
// conversions, bytes to 16-bit and 16-bit to UTF-8.
inline bool OnlyUnpairedAtTheEnd(LVTCharset::CHARSET from, const std::string& stream,
                                 const std::string& strings) {
  if (stream.compare(0, strings.size(), strings) != 0) return false;
  const std::string rest = stream.substr(strings.size());
  if (rest.empty()) return true;
  if (from != LVTCharset::kUtf16LE && from != LVTCharset::kWide) return false;
  return rest == "\xEF\xBF\xBD" || rest == "\xEF\xBF\xBD\xEF\xBF\xBD";
}

inline std::string CheckUnsupported(LVTCharset::CHARSET from, LVTCharset::CHARSET to,
                                    const Transcoded& whole) {
  if (whole.consumed != 0 || !whole.bytes.empty())
    return "an unsupported pair " + std::to_string(from) + "->" + std::to_string(to) +
           " converted something";
  return "";
}

inline std::string CheckToUtf8(LVTCharset::CHARSET from, const std::string& page,
                               const Transcoded& whole) {
  if (!IsValidUtf8(whole.bytes)) return "UTF-8 output is not well formed";
  if (from == LVTCharset::kUtf8 && whole.bytes != ReferenceUtf8(page))
    return "UTF-8 to UTF-8 differs from the reference decoder";
  std::u16string wide;
  LVTCharset::BytesToWide(from, LVTCharset::kWide, page, wide, false);
  std::string again;
  LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, wide, again, false);
  if (!OnlyUnpairedAtTheEnd(from, whole.bytes, again))
    return "the string converters disagree with the stream";
  if (RoundTrips(from, page)) {
    const Transcoded back = Transcode(LVTCharset::kUtf8, from, whole.bytes);
    if (back.bytes != page) return "no round trip through UTF-8";
  }
  return "";
}

inline std::string TranscodeCase(const uint8_t* data, std::size_t size) {
  if (size > kTranscodeMaxInput) return "";
  FuzzInput input(data, size);
  const LVTCharset::CHARSET from = TakeCharset(input);
  const LVTCharset::CHARSET to = TakeCharset(input);
  const uint8_t cut = input.TakeByte();
  const std::string page = input.TakeRest();

  const Transcoded whole = Transcode(from, to, page);
  if (!LVTCharset::IsSupportedCodePage(from) || !LVTCharset::IsSupportedCodePage(to))
    return CheckUnsupported(from, to, whole);
  if (whole.consumed > page.size()) return "consumed more than the input";
  // A cut-off last sequence is the most that may stay behind (the longest
  // is an escape sequence and a double-byte character).
  if (page.size() - whole.consumed > 8) return "more than a cut-off sequence left unconsumed";

  ChunkedStream chunked(page, {cut % 7u + 1u, cut / 7u % 5u + 1u, 4096u, 1u});
  const Transcoded pieces = Transcode(from, to, chunked);
  if (pieces.bytes != whole.bytes || pieces.consumed != whole.consumed)
    return "short reads change the output";

  if (to == LVTCharset::kUtf8) return CheckToUtf8(from, page, whole);
  return "";
}

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_TRANSCODE_CASE_H_
