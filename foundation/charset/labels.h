// Naming and sniffing character sets, for callers that start from a label
// or from raw bytes (the command-line tool).
#ifndef LUMIVANT_FOUNDATION_CHARSET_LABELS_H_
#define LUMIVANT_FOUNDATION_CHARSET_LABELS_H_

#include <string>
#include <string_view>

#include "lumivant/code_page.h"

namespace LVTCharset {

// The code page for an encoding label (utf-8, windows-1252, shift_jis, ...;
// case and surrounding blanks ignored) or a decimal code-page number.
// 0 when the label is unknown or the code page is not supported.
CHARSET CodePageFromLabel(std::string_view label);

// True when converters exist for the code page.
bool IsSupportedCodePage(CHARSET codePage);

// The character set a browser would pick for a page without transport
// information: a byte-order mark, then a <meta charset> or http-equiv
// declaration in the first 1024 bytes (else the encoding of a leading XML
// declaration; a declared UTF-16 counts as UTF-8), then UTF-8 if the bytes
// are valid UTF-8, else windows-1252.
CHARSET DetectCharset(std::string_view bytes);

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_LABELS_H_
