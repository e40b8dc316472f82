// String helpers of the base library, on strings of 16-bit characters.
#ifndef LUMIVANT_FOUNDATION_BASE_STRING_UTILS_H_
#define LUMIVANT_FOUNDATION_BASE_STRING_UTILS_H_

#include <string>

namespace LVTBase {

// Lower case of one character by the Unicode default mapping (simple, one to
// one), independent of the process locale. Surrogates map to themselves.
char16_t ToLower(char16_t c);

// True for the white space of HTML text: tab, line feed, form feed, carriage
// return and blank. With nbsp, also the no-break space and the other Unicode
// space separators.
bool IsBlank(char16_t c, bool nbsp = false);

// Normalises the white space of input into output (replacing it).
//  - trim: drop white space at both ends, and count no-break spaces and the
//    other Unicode spaces as white space;
//  - collapse: each run of white space becomes one character.
// (true, true) gives the comparable form: runs become one blank, ends are
// trimmed, and only white space gives an empty string.
// (false, true) never trims and never removes the only white space between
// two words: a run becomes a line feed when it holds a line break (so text
// in <pre> keeps its lines), else one blank.
void BeautifyString(const std::u16string& input, std::u16string& output, bool trim, bool collapse);
// The same, with text as both input and output (no copy is made).
void BeautifyStringInPlace(std::u16string& text, bool trim, bool collapse);

// Appends c to a text that is as good as finished (a blank behind a run of
// page text). Growing it a little instead of doubling it keeps the text near
// its size for the rest of its life: a page's texts would otherwise take
// twice their room, and a page of one large text node twice its size.
void AppendToFinished(std::u16string& text, char16_t c);

// Trim white space (with no-break spaces) in place.
void StripLeadingBlanks(std::u16string& text);
void StripTrailingBlanks(std::u16string& text);

}  // namespace LVTBase

#endif  // LUMIVANT_FOUNDATION_BASE_STRING_UTILS_H_
