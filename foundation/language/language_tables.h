// The raw data behind Language's character tables, in constant-initialised
// arrays so that folding works before (and while) static objects are built.
// The data is generated: see language_tables_gen.py.
#ifndef LUMIVANT_FOUNDATION_LANGUAGE_LANGUAGE_TABLES_H_
#define LUMIVANT_FOUNDATION_LANGUAGE_LANGUAGE_TABLES_H_

#include <cstddef>
#include <cstdint>

#include "lumivant/language.h"

namespace LVTLanguage {
namespace tables {

// One entry of the high-character map: the character, its case-keeping
// expansion and its folded expansion (null-terminated).
struct HighChar {
  char16_t m_Char;
  const char16_t* m_Kept;
  const char16_t* m_Folded;
};

// Sorted by m_Char.
extern const HighChar kHighChars[];
extern const std::size_t kHighCharCount;
// For each character up to 255, its index in kHighChars, or -1.
extern const int16_t kLowHighCharIndex[256];

// The entry of c, or null.
const HighChar* FindHighChar(char16_t c);

}  // namespace tables
}  // namespace LVTLanguage

#endif  // LUMIVANT_FOUNDATION_LANGUAGE_LANGUAGE_TABLES_H_
