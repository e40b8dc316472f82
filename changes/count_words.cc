#include "changes/count_words.h"

namespace LVTDT {

bool IsWordDelimiter(char16_t c) {
  switch (c) {
    case u'\n':
    case u'\t':
    case u' ':
    case u'.':
    case u',':
    case u'!':
    case u'(':
    case u')':
    case u'%':
    case u'$':
    case u'?':
    case u'*':
    case u'#':
    case u'|':
      return true;
    default:
      return false;
  }
}

uint32_t CountWords(const std::u16string& text) {
  uint32_t count = 0;
  bool inDelimiters = false;
  for (char16_t c : text) {
    const bool delimiter = IsWordDelimiter(c);
    if (delimiter && !inDelimiters) ++count;
    inDelimiters = delimiter;
  }
  if (!text.empty() && !inDelimiters) ++count;
  return count;
}

}  // namespace LVTDT
