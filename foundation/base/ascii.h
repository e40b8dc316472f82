// The ASCII rules of markup and labels: tag and attribute names, charset
// labels and query keywords compare ASCII letters without case, whatever the
// process locale, and only five characters count as space between them.
#ifndef LUMIVANT_FOUNDATION_BASE_ASCII_H_
#define LUMIVANT_FOUNDATION_BASE_ASCII_H_

#include <string>

namespace LVTBase {

// Tab, line feed, form feed, carriage return and blank.
constexpr bool IsHtmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

constexpr bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A-Z to a-z; every other value, wider characters included, unchanged.
template <class Char>
constexpr Char LowerAscii(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <class Char>
void LowerAsciiInPlace(std::basic_string<Char>& text) {
  for (Char& c : text) c = LowerAscii(c);
}

}  // namespace LVTBase

#endif  // LUMIVANT_FOUNDATION_BASE_ASCII_H_
