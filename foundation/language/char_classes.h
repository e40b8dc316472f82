// The two character rules that documents and queries must share, or a query
// word would never meet the same word in a page: which characters make up
// words, and how a character folds before comparison. Both read only the
// Language tables, which never change; safe from any thread, at any time.
#ifndef LUMIVANT_FOUNDATION_LANGUAGE_CHAR_CLASSES_H_
#define LUMIVANT_FOUNDATION_LANGUAGE_CHAR_CLASSES_H_

#include <string>

#include "lumivant/language.h"

namespace LVTDT {

// Digits, ASCII letters and the Latin-1 letters. Not the multiplication and
// division signs, not the thorn letters (222, 254), nothing above 255.
inline bool IsWordCharacter(char16_t c) {
  if (c < 0x80) {
    const char16_t lower = c | 0x20;  // maps 'A'..'Z' onto 'a'..'z' only
    return (c >= u'0' && c <= u'9') || (lower >= u'a' && lower <= u'z');
  }
  return c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7 && c != 0xDE && c != 0xFE;
}

// A character that stands alone as a word (Language::m_ssUnbreakableChar):
// where it may stand inside a word is each caller's rule.
inline bool IsUnbreakable(char16_t c) {
  return LVTLanguage::Language::m_ssUnbreakableChar.count(c) != 0;
}

// The fold of c: the folded expansion in Language::m_msHighCharMap when c
// has an entry (possibly several characters, possibly none), else for c up
// to 255 the folded form in the character array, else LVTBase::ToLower(c).
std::u16string FoldCharacter(char16_t c);

// Appends the fold of c to out: FoldCharacter without a temporary string.
void AppendFoldedCharacter(char16_t c, std::u16string& out);

// Replaces output with input folded character by character. input and
// output must be different strings.
void FoldString(const std::u16string& input, std::u16string& output);

}  // namespace LVTDT

#endif  // LUMIVANT_FOUNDATION_LANGUAGE_CHAR_CLASSES_H_
