// CHARSET: the character set of a byte stream, as a Windows code-page number.
#ifndef LUMIVANT_CODE_PAGE_H_
#define LUMIVANT_CODE_PAGE_H_

namespace LVTCharset {

using CHARSET = unsigned int;

constexpr CHARSET kUtf8 = 65001;
constexpr CHARSET kUtf16LE = 1200;
// The library's own strings of 16-bit characters (char16_t, host order).
constexpr CHARSET kWide = 1201;
constexpr CHARSET kWindows1252 = 1252;

}  // namespace LVTCharset

#endif  // LUMIVANT_CODE_PAGE_H_
