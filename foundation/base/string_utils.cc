#include "foundation/base/string_utils.h"

#include <unicode/uchar.h>

#include "foundation/base/ascii.h"

namespace LVTBase {

char16_t ToLower(char16_t c) {
  if (c < 0x80) return LowerAscii(c);
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  UChar32 lower = u_tolower(c);
  return lower <= 0xFFFF ? static_cast<char16_t>(lower) : c;
}

bool IsBlank(char16_t c, bool nbsp) {
  switch (c) {
    case u' ':
    case u'\t':
    case u'\n':
    case u'\f':
    case u'\r':
      return true;
    default:
      break;
  }
  if (!nbsp || c < 0x80) return false;
  return c == 0xA0 || u_charType(c) == U_SPACE_SEPARATOR;
}

void AppendToFinished(std::u16string& text, char16_t c) {
  if (text.size() == text.capacity()) {
    // reserve() on a full string would double it: a fresh string gets the
    // size asked for. An eighth more keeps repeated appends linear.
    std::u16string grown;
    grown.reserve(text.size() + text.size() / 8 + 4);
    grown = text;
    text.swap(grown);
  }
  text.push_back(c);
}

namespace {

// IsBlank without the call for the characters that are never blank: ASCII
// beyond the space, the bulk of most texts.
inline bool Blank(char16_t c, bool nbsp) { return (c <= u' ' || c >= 0x80) && IsBlank(c, nbsp); }

// Writes the beautified form of in[0, n) to out and returns its length,
// which is at most n. Every character written has been read first, so out
// may be in itself.
std::size_t Beautify(const char16_t* in, std::size_t n, char16_t* out, bool trim, bool collapse) {
  std::size_t i = 0;
  std::size_t end = n;
  if (trim) {
    while (i < end && Blank(in[i], true)) ++i;
    while (end > i && Blank(in[end - 1], true)) --end;
  }
  if (!collapse) {
    std::char_traits<char16_t>::move(out, in + i, end - i);
    return end - i;
  }
  std::size_t o = 0;
  while (i < end) {
    const char16_t c = in[i];
    if (!Blank(c, trim)) {
      out[o++] = c;
      ++i;
      continue;
    }
    bool lineBreak = false;
    for (; i < end && Blank(in[i], trim); ++i) {
      lineBreak = lineBreak || in[i] == u'\n' || in[i] == u'\r';
    }
    out[o++] = lineBreak && !trim ? u'\n' : u' ';
  }
  return o;
}

}  // namespace

void BeautifyString(const std::u16string& input, std::u16string& output, bool trim, bool collapse) {
  output.resize(input.size());
  output.resize(Beautify(input.data(), input.size(), output.data(), trim, collapse));
}

void BeautifyStringInPlace(std::u16string& text, bool trim, bool collapse) {
  text.resize(Beautify(text.data(), text.size(), text.data(), trim, collapse));
}

void StripLeadingBlanks(std::u16string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i], true)) ++i;
  text.erase(0, i);
}

void StripTrailingBlanks(std::u16string& text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1], true)) --end;
  text.erase(end);
}

}  // namespace LVTBase
