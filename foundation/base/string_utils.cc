#include "foundation/base/string_utils.h"

#include <unicode/uchar.h>

namespace LVTBase {

char16_t ToLower(char16_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c;
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

void BeautifyString(const std::u16string& input, std::u16string& output, bool trim, bool collapse) {
  output.clear();
  output.reserve(input.size());
  std::size_t i = 0;
  const std::size_t n = input.size();
  if (trim) {
    while (i < n && IsBlank(input[i], true)) ++i;
  }
  std::size_t end = n;
  if (trim) {
    while (end > i && IsBlank(input[end - 1], true)) --end;
  }
  if (!collapse) {
    output.assign(input, i, end - i);
    return;
  }
  while (i < end) {
    char16_t c = input[i];
    if (!IsBlank(c, trim)) {
      output.push_back(c);
      ++i;
      continue;
    }
    bool lineBreak = false;
    for (; i < end && IsBlank(input[i], trim); ++i) {
      lineBreak = lineBreak || input[i] == u'\n' || input[i] == u'\r';
    }
    output.push_back(lineBreak && !trim ? u'\n' : u' ');
  }
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
