// Unicode words: the word rule of a Language with HasUnicodeWords(), which
// queries and pages share as they share the default rule of
// char_classes.h, so that a query word always meets the same word in a page.
//
// - A word starts with a letter or a decimal digit of any script, or with a
//   character that stands alone as a word (IsUnbreakable: ideographs, kana,
//   Hangul), and goes on over letters, marks and decimal digits. As under
//   the default rule, a standing-alone character ends the word before it.
// - Scripts written without blanks between words (Thai, Lao, Khmer,
//   Myanmar: line-breaking class SA) are cut into words by ICU's dictionary
//   word breaking; a word of theirs never runs on into another script.
// - A word's key is its case-folded compatibility form (NFKC_Casefold),
//   stemmed, without its diacritics: "Dvořák", "DVORAK" and "dvorak" meet.
//   Words that a standing-alone character starts keep their marks (the
//   voicing marks of kana tell words apart).
//
// Positions count 16-bit characters; a surrogate pair is one character.
// The functions are safe from any thread; a UnicodeWordScanner belongs to
// one thread and caches the dictionary's cuts of one piece of text, which
// must not change while the scanner reads it.
#ifndef LUMIVANT_FOUNDATION_LANGUAGE_UNICODE_WORDS_H_
#define LUMIVANT_FOUNDATION_LANGUAGE_UNICODE_WORDS_H_

#include <unicode/uversion.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

U_NAMESPACE_BEGIN
class BreakIterator;
U_NAMESPACE_END

namespace LVTLanguage {
class Language;
}

namespace LVTDT {

class UnicodeWordScanner {
 public:
  UnicodeWordScanner();
  ~UnicodeWordScanner();
  UnicodeWordScanner(const UnicodeWordScanner&) = delete;
  UnicodeWordScanner& operator=(const UnicodeWordScanner&) = delete;

  // Whether a word starts at text[i].
  static bool StartsWord(const std::u16string& text, std::size_t i);
  // The first position at or after i where a word starts, or text.size().
  static std::size_t NextWordStart(const std::u16string& text, std::size_t i);
  // Whether text[i] belongs to the word that ends before it in an earlier
  // piece of text (a word split by inline markup), the word's last
  // character being a letter, mark or digit outside the scripts that the
  // dictionary cuts.
  static bool ContinuesWord(const std::u16string& text, std::size_t i);

  // The end of the word that starts at text[start] (StartsWord), or, with
  // continued, of the part of an earlier word that goes on at text[start]
  // (start itself when nothing does). mayContinue tells whether the word
  // could run on past the end of text.
  std::size_t WordEnd(const std::u16string& text, std::size_t start, bool continued,
                      bool& mayContinue);

 private:
  // The dictionary's next cut after start, in the segment of text around it.
  std::size_t DictionaryCut(const std::u16string& text, std::size_t start);

  std::unique_ptr<icu::BreakIterator> m_Breaker;  // made on first use
  // The cached segment: text.data() of its text, and its bounds there.
  const char16_t* m_pText = nullptr;
  std::size_t m_SegmentStart = 0;
  std::size_t m_SegmentEnd = 0;
  std::vector<std::size_t> m_Cuts;  // ascending positions in the text
};

// Replaces key with the key of word (a whole word as the scanner finds it)
// under language: case-folded, stemmed, without diacritics.
void UnicodeWordKey(const std::u16string& word, const LVTLanguage::Language& language,
                    std::u16string& key);

// Whether text[i] is a character of a word under Unicode words
// (letter, mark, digit, standing-alone character); for walking back over a
// word. A surrogate is judged by the character of its pair.
bool IsUnicodeWordUnit(const std::u16string& text, std::size_t i);

}  // namespace LVTDT

#endif  // LUMIVANT_FOUNDATION_LANGUAGE_UNICODE_WORDS_H_
