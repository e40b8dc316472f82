#include "foundation/language/language_tables.h"

#include <algorithm>

namespace LVTLanguage {

namespace {

Language::HighCharMap BuildHighCharMap() {
  Language::HighCharMap map;
  for (std::size_t i = 0; i < tables::kHighCharCount; ++i) {
    const tables::HighChar& entry = tables::kHighChars[i];
    map.emplace_hint(map.end(), entry.m_Char,
                     std::make_pair(std::u16string(entry.m_Kept), std::u16string(entry.m_Folded)));
  }
  return map;
}

}  // namespace

// Built while static objects are built, from constant data; the folding
// functions read that data directly, so nothing depends on this map being
// built first.
const Language::HighCharMap Language::m_msHighCharMap = BuildHighCharMap();

namespace tables {

const HighChar* FindHighChar(char16_t c) {
  if (c < 256) {
    const int16_t index = kLowHighCharIndex[c];
    return index < 0 ? nullptr : &kHighChars[index];
  }
  const HighChar* end = kHighChars + kHighCharCount;
  const HighChar* found = std::lower_bound(
      kHighChars, end, c, [](const HighChar& entry, char16_t key) { return entry.m_Char < key; });
  return found != end && found->m_Char == c ? found : nullptr;
}

}  // namespace tables
}  // namespace LVTLanguage
