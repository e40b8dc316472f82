// Word count of a node text, as the change report counts words: the number
// of maximal runs of delimiters, plus one when the text does not end with a
// delimiter. The delimiters are line feed, tab, blank and . , ! ( ) % $ ? * # |
// So "a b" and "a b." count 2, "a" counts 1, "(a)" counts 2 (a leading run
// counts too) and an empty text counts 0.
#ifndef LUMIVANT_CHANGES_COUNT_WORDS_H_
#define LUMIVANT_CHANGES_COUNT_WORDS_H_

#include <cstdint>
#include <string>

namespace LVTDT {

uint32_t CountWords(const std::u16string& text);

// One of the delimiters above.
bool IsWordDelimiter(char16_t c);

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_COUNT_WORDS_H_
