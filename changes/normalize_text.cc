// TextSequenceExtractor::NormalizeText: the comparable form of a node text.
#include <unicode/uchar.h>

#include <algorithm>

#include "changes/text_sequence_extractor.h"
#include "foundation/base/string_utils.h"

namespace LVTDT {

namespace {

// Letters as the Unicode character database classes them; never the
// process locale.
bool IsLetter(char16_t c) { return u_isalpha(c) || u_isupper(c) || u_islower(c); }

bool IsDigit(char16_t c) { return u_isdigit(c) != 0; }

// Invisible; where a report's header pushed a page's byte-order mark away
// from the start of the page, it must not read as text.
constexpr char16_t kByteOrderMark = 0xFEFF;

bool Between(char16_t c, char16_t low, char16_t high) { return c >= low && c <= high; }

// Lower case for comparison, on purpose limited to the Latin capitals that
// have a lower case a fixed step away: ASCII, Latin-1, fullwidth and the
// paired letters of Latin Extended-A. Every other letter (sharp s, Y with
// diaeresis, Greek, Cyrillic, ...) stays as it is.
char16_t LowerLatin(char16_t c) {
  if (Between(c, 0x41, 0x5A) || Between(c, 0xC0, 0xD6) || Between(c, 0xD8, 0xDE) ||
      Between(c, 0xFF21, 0xFF3A)) {
    return static_cast<char16_t>(c + 0x20);
  }
  const bool even = c % 2 == 0;
  if ((Between(c, 0x100, 0x136) && even) || (Between(c, 0x139, 0x147) && !even) ||
      (Between(c, 0x14A, 0x176) && even) || (Between(c, 0x179, 0x17D) && !even)) {
    return static_cast<char16_t>(c + 1);
  }
  return c;
}

}  // namespace

void TextSequenceExtractor::NormalizeText(std::u16string& text) const {
  FoldText(text);
  LVTBase::BeautifyStringInPlace(text, true, true);
}

void TextSequenceExtractor::FoldText(std::u16string& text) const {
  // Only the ignore options that blank characters need to classify them:
  // every character of the case table is a letter.
  const bool classify = m_bIgnoreDigits || m_bIgnoreNonAlphaNum;
  if (!classify && !m_bIgnoreCase) {  // the default: only the mark goes
    std::replace(text.begin(), text.end(), kByteOrderMark, u' ');
    return;
  }
  for (char16_t& c : text) {
    if (c == kByteOrderMark) {
      c = u' ';
    } else if (!classify) {
      if (m_bIgnoreCase) c = LowerLatin(c);
    } else if (IsLetter(c)) {
      if (m_bIgnoreCase) c = LowerLatin(c);
    } else if (m_bIgnoreDigits && IsDigit(c)) {
      c = u' ';
    } else if (m_bIgnoreNonAlphaNum && !IsDigit(c)) {
      c = u' ';
    }
  }
}

}  // namespace LVTDT
