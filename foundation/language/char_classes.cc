#include "foundation/language/char_classes.h"

#include "foundation/base/string_utils.h"
#include "foundation/language/language_tables.h"

namespace LVTDT {

void AppendFoldedCharacter(char16_t c, std::u16string& out) {
  // Most characters of a page are plain ASCII letters without an entry in
  // the high-character map: fold them without a search.
  if (c < 256) {
    const int16_t index = LVTLanguage::tables::kLowHighCharIndex[c];
    if (index < 0) {
      out.push_back(LVTLanguage::Language::CharArray::m_CharArray[c][2]);
    } else {
      out.append(LVTLanguage::tables::kHighChars[index].m_Folded);
    }
    return;
  }
  if (const LVTLanguage::tables::HighChar* entry = LVTLanguage::tables::FindHighChar(c)) {
    out.append(entry->m_Folded);
    return;
  }
  out.push_back(LVTBase::ToLower(c));
}

std::u16string FoldCharacter(char16_t c) {
  std::u16string folded;
  AppendFoldedCharacter(c, folded);
  return folded;
}

void FoldString(const std::u16string& input, std::u16string& output) {
  output.clear();
  output.reserve(input.size());
  for (char16_t c : input) AppendFoldedCharacter(c, output);
}

}  // namespace LVTDT
