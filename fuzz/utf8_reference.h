// The obvious UTF-8 decoder, to check the fast one against: well-formed
// sequences by the table of the Unicode standard, each maximal ill-formed
// subpart replaced by U+FFFD, and a sequence cut off by the end of the input
// dropped (what a stream conversion without the final flag does).
#ifndef LUMIVANT_FUZZ_UTF8_REFERENCE_H_
#define LUMIVANT_FUZZ_UTF8_REFERENCE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace lvt_fuzz {

// Length of the sequence a lead byte starts and the range of its second
// byte; length 0 for a byte that starts nothing.
struct Utf8Lead {
  std::size_t length;
  unsigned char low;
  unsigned char high;
};

inline Utf8Lead LeadOf(unsigned char byte) {
  if (byte < 0x80) return {1, 0, 0};
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// How many bytes from `at` belong to the sequence starting there: its full
// length when well formed, else its maximal subpart (at least 1). `cut` is
// set when the bytes run out in the middle of a well-formed prefix.
inline std::size_t Utf8Span(std::string_view bytes, std::size_t at, bool* complete, bool* cut) {
  const Utf8Lead lead = LeadOf(static_cast<unsigned char>(bytes[at]));
  *complete = lead.length != 0;
  *cut = false;
  if (lead.length <= 1) return 1;
  std::size_t n = 1;
  for (; n < lead.length; ++n) {
    if (at + n == bytes.size()) {
      *complete = false;
      *cut = true;
      return n;
    }
    const unsigned char next = static_cast<unsigned char>(bytes[at + n]);
    const unsigned char low = n == 1 ? lead.low : 0x80;
    const unsigned char high = n == 1 ? lead.high : 0xBF;
    if (next < low || next > high) {
      *complete = false;
      return n;
    }
  }
  return n;
}

inline bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    bool complete = false, cut = false;
    at += Utf8Span(bytes, at, &complete, &cut);
    if (!complete) return false;
  }
  return true;
}

// bytes decoded and encoded again as a stream converter should.
inline std::string ReferenceUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    bool complete = false, cut = false;
    const std::size_t n = Utf8Span(bytes, at, &complete, &cut);
    if (complete) {
      out.append(bytes.substr(at, n));
    } else if (!cut) {
      out.append("\xEF\xBF\xBD");
    }
    at += n;
  }
  return out;
}

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_UTF8_REFERENCE_H_
