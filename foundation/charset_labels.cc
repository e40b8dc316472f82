#include "foundation/charset_labels.h"

#include <cstdlib>

namespace LVTCharset {

// Placeholder until the converter layer lands: UTF-8 and windows-1252 only.
CHARSET CodePageFromLabel(std::string_view label) {
  if (label == "utf-8" || label == "utf8") return kUtf8;
  if (label == "windows-1252") return kWindows1252;
  std::string digits(label);
  char* end = nullptr;
  unsigned long n = std::strtoul(digits.c_str(), &end, 10);
  if (!digits.empty() && end && *end == '\0' && IsSupportedCodePage(n)) return n;
  return 0;
}

bool IsSupportedCodePage(CHARSET codePage) {
  return codePage == kUtf8 || codePage == kWindows1252;
}

CHARSET DetectCharset(std::string_view) { return kUtf8; }

}  // namespace LVTCharset
