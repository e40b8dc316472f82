#include "foundation/base/string_utils.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/base/file_loader.h"

namespace {

std::u16string Beautify(const std::u16string& in, bool trim, bool collapse) {
  std::u16string out = u"stale";
  LVTBase::BeautifyString(in, out, trim, collapse);
  return out;
}

TEST(BeautifyStringTest, ComparableFormTrimsAndCollapsesEverySpace) {
  EXPECT_EQ(u"a b c", Beautify(u"  a \t\n b\u00A0\u00A0c \r\n", true, true));
  EXPECT_EQ(u"", Beautify(u" \u00A0\n\t\u3000 ", true, true));
  EXPECT_EQ(u"", Beautify(u"", true, true));
  EXPECT_EQ(u"x", Beautify(u"x", true, true));
}

TEST(BeautifyStringTest, RunFormKeepsEndsLineBreaksAndNoBreakSpaces) {
  // Ends stay: a word split across runs depends on them.
  EXPECT_EQ(u" a b ", Beautify(u"   a    b  ", false, true));
  EXPECT_EQ(u"a\nb", Beautify(u"a \n  b", false, true));
  EXPECT_EQ(u"\n", Beautify(u"\r\n\r\n", false, true));
  EXPECT_EQ(u"a\u00A0\u00A0b", Beautify(u"a\u00A0\u00A0b", false, true));
  EXPECT_EQ(u"ab", Beautify(u"ab", false, true));
  EXPECT_EQ(u"  a  ", Beautify(u"  a  ", false, false));
}

TEST(StringUtilsTest, LowerCaseAndStripping) {
  EXPECT_EQ(u'a', LVTBase::ToLower(u'A'));
  EXPECT_EQ(u'\u00E9', LVTBase::ToLower(u'\u00C9'));
  EXPECT_EQ(u'\u03B1', LVTBase::ToLower(u'\u0391'));  // Greek
  EXPECT_EQ(u'\u0436', LVTBase::ToLower(u'\u0416'));  // Cyrillic
  EXPECT_EQ(u'1', LVTBase::ToLower(u'1'));
  EXPECT_EQ(char16_t(0xD83D), LVTBase::ToLower(char16_t(0xD83D)));

  std::u16string s = u" \u00A0 word one\t ";
  LVTBase::StripLeadingBlanks(s);
  EXPECT_EQ(u"word one\t ", s);
  LVTBase::StripTrailingBlanks(s);
  EXPECT_EQ(u"word one", s);
  std::u16string blank = u"   ";
  LVTBase::StripTrailingBlanks(blank);
  EXPECT_EQ(u"", blank);
}

TEST(FileLoaderTest, ReportsMissingFilesAndDirectories) {
  std::string bytes, error;
  EXPECT_FALSE(LVTFile::ReadWholeFile("/nonexistent/page.html", &bytes, &error));
  EXPECT_NE(std::string::npos, error.find("No such file"));
  error.clear();
  EXPECT_FALSE(LVTFile::ReadWholeFile("/", &bytes, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
