#include "foundation/language/char_classes.h"

#include <gtest/gtest.h>

#include "foundation/base/string_utils.h"
#include "lumivant/language.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::U16;
using lvt_testing::U8;
using LVTDT::FoldCharacter;
using LVTDT::IsUnbreakable;
using LVTDT::IsWordCharacter;
using LVTLanguage::Language;

std::string Fold(const std::string& utf8) {
  std::u16string folded;
  LVTDT::FoldString(U16(utf8), folded);
  return U8(folded);
}

TEST(CharClassesTest, WordCharactersAreDigitsAndLatinLetters) {
  // The character ranges written out, against every 16-bit character.
  auto expected = [](unsigned c) {
    return (c >= 48 && c <= 57) || (c >= 65 && c <= 90) || (c >= 97 && c <= 122) ||
           (c >= 192 && c <= 214) || (c >= 216 && c <= 221) || (c >= 223 && c <= 246) ||
           (c >= 248 && c <= 253) || c == 255;
  };
  for (unsigned c = 0; c <= 0xFFFF; ++c)
    ASSERT_EQ(expected(c), IsWordCharacter(static_cast<char16_t>(c))) << "U+" << std::hex << c;

  EXPECT_TRUE(IsWordCharacter(u'A'));
  EXPECT_TRUE(IsWordCharacter(u'a'));
  EXPECT_TRUE(IsWordCharacter(u'\u00DF'));  // sharp s
  EXPECT_FALSE(IsWordCharacter(u'_'));
  EXPECT_FALSE(IsWordCharacter(u'#'));
  EXPECT_FALSE(IsWordCharacter(u'\u00D7'));  // multiplication sign
  EXPECT_FALSE(IsWordCharacter(u'\u00F7'));  // division sign
  EXPECT_FALSE(IsWordCharacter(u'\u00DE'));  // thorn letters
  EXPECT_FALSE(IsWordCharacter(u'\u00FE'));
  EXPECT_FALSE(IsWordCharacter(u'\u03B1'));  // Greek alpha
  EXPECT_FALSE(IsWordCharacter(u'\u0434'));  // Cyrillic de
  EXPECT_FALSE(IsWordCharacter(u'\u4E2D'));  // an ideograph is unbreakable, not a word character
}

TEST(CharClassesTest, UnbreakableCharactersAreIdeographsKanaAndHangul) {
  EXPECT_TRUE(IsUnbreakable(u'\u4E2D'));  // CJK ideograph
  EXPECT_TRUE(IsUnbreakable(u'\u3400'));  // extension A, first
  EXPECT_TRUE(IsUnbreakable(u'\u9FFF'));
  EXPECT_TRUE(IsUnbreakable(u'\u3042'));  // Hiragana a
  EXPECT_TRUE(IsUnbreakable(u'\u30A2'));  // Katakana a
  EXPECT_TRUE(IsUnbreakable(u'\u30FC'));  // prolonged sound mark
  EXPECT_TRUE(IsUnbreakable(u'\uFF71'));  // halfwidth Katakana a
  EXPECT_TRUE(IsUnbreakable(u'\uAC00'));  // Hangul syllables, both ends
  EXPECT_TRUE(IsUnbreakable(u'\uD7A3'));
  EXPECT_TRUE(IsUnbreakable(u'\uF900'));  // compatibility ideograph
  EXPECT_FALSE(IsUnbreakable(u'\uD7A4'));
  EXPECT_FALSE(IsUnbreakable(u'\u30FB'));  // Katakana middle dot is punctuation
  EXPECT_FALSE(IsUnbreakable(u'\u3002'));  // ideographic full stop
  EXPECT_FALSE(IsUnbreakable(u'\u3000'));  // ideographic space
  EXPECT_FALSE(IsUnbreakable(u'\uFA6E'));  // unassigned in the compatibility block
  EXPECT_FALSE(IsUnbreakable(u'a'));
  EXPECT_FALSE(IsUnbreakable(u'_'));
  EXPECT_FALSE(IsUnbreakable(u'\u0434'));

  std::size_t members = 0;
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const char16_t ch = static_cast<char16_t>(c);
    members += IsUnbreakable(ch) ? 1 : 0;
    ASSERT_FALSE(IsUnbreakable(ch) && IsWordCharacter(ch));
  }
  EXPECT_EQ(Language::m_ssUnbreakableChar.size(), members);
  EXPECT_GT(members, 30000u);
}

TEST(CharClassesTest, FoldingRemovesCaseAndDiacritics) {
  EXPECT_EQ("a", Fold("A"));
  EXPECT_EQ("cafe", Fold("Café"));
  EXPECT_EQ("eeeee", Fold("ÉÈÊËé"));
  EXPECT_EQ("strasse", Fold("Straße"));
  EXPECT_EQ("aeon", Fold("Æon"));
  EXPECT_EQ("aeon", Fold("æon"));
  EXPECT_EQ("oeuvre", Fold("Œuvre"));
  EXPECT_EQ("ijssel", Fold("Ĳssel"));
  EXPECT_EQ("office", Fold("o\uFB03ce"));  // ffi ligature
  EXPECT_EQ("ff fi fl ffl st st", Fold("\uFB00 \uFB01 \uFB02 \uFB04 \uFB05 \uFB06"));
  EXPECT_EQ("lodz", Fold("Łódź"));
  EXPECT_EQ("dvorak", Fold("Dvořák"));
  EXPECT_EQ("istanbul", Fold("İstanbul"));
  EXPECT_EQ("oslo", Fold("Øslo"));
  EXPECT_EQ("y", Fold("ÿ"));
  EXPECT_EQ("\u03c3\u03bf\u03c6\u03b9\u03b1", Fold("ΣΟΦΙΑ"));  // above 255: lower case only
  EXPECT_EQ("\u0434\u0430", Fold("ДА"));
  EXPECT_EQ("\u4E2D", Fold("\u4E2D"));
  EXPECT_EQ("3\u00D74 \u00F7", Fold("3×4 ÷"));
  EXPECT_EQ("a-b_c#d", Fold("A-B_C#D"));
  EXPECT_EQ(u"ss", FoldCharacter(u'\u00DF'));
}

TEST(CharClassesTest, FoldingFollowsTheNamedTablesInOrder) {
  // The fast lookup must give exactly what the three tables say, in their
  // order of precedence, for every character.
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const char16_t ch = static_cast<char16_t>(c);
    std::u16string expected;
    auto entry = Language::m_msHighCharMap.find(ch);
    if (entry != Language::m_msHighCharMap.end()) {
      expected = entry->second.second;
    } else if (c < 256) {
      expected.assign(1, Language::CharArray::m_CharArray[c][2]);
    } else {
      expected.assign(1, LVTBase::ToLower(ch));
    }
    ASSERT_EQ(expected, FoldCharacter(ch)) << "U+" << std::hex << c;
  }
  // A high-map entry wins over the character array even below 256.
  EXPECT_EQ(u'\u00DF', Language::CharArray::m_CharArray[0xDF][2]);
  EXPECT_EQ(u"ss", FoldCharacter(u'\u00DF'));
}

TEST(CharClassesTest, WordCharactersFoldToAsciiLettersAndDigits) {
  // Page words reach the stemmer as plain ASCII.
  for (unsigned c = 0; c < 256; ++c) {
    if (!IsWordCharacter(static_cast<char16_t>(c))) continue;
    std::u16string folded = FoldCharacter(static_cast<char16_t>(c));
    ASSERT_FALSE(folded.empty());
    for (char16_t f : folded)
      ASSERT_TRUE((f >= u'a' && f <= u'z') || (f >= u'0' && f <= u'9')) << "U+" << std::hex << c;
  }
}

}  // namespace
