#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/charset/offsets.h"
#include "testing/test_util.h"

namespace {

using LVTCharset::DecodeToUtf8WithOffsets;

struct Decoded {
  std::string utf8;
  std::vector<uint32_t> offsets;
};

Decoded Decode(LVTCharset::CHARSET cs, const std::string& bytes) {
  Decoded d;
  EXPECT_TRUE(DecodeToUtf8WithOffsets(cs, bytes, &d.utf8, &d.offsets));
  return d;
}

// Offsets run from 0 to the input size without going back, one per byte
// plus the end, and all bytes of one UTF-8 character share their offset
// (except well-formed UTF-8 input, which maps byte to byte).
void ExpectWellFormed(const std::string& bytes, const Decoded& d, bool byteToByte = false) {
  ASSERT_EQ(d.utf8.size() + 1, d.offsets.size());
  EXPECT_EQ(bytes.size(), d.offsets.back());
  for (std::size_t i = 1; i < d.offsets.size(); ++i) {
    ASSERT_LE(d.offsets[i - 1], d.offsets[i]) << "at byte " << i;
    const bool continuation =
        i < d.utf8.size() && (static_cast<unsigned char>(d.utf8[i]) & 0xC0) == 0x80;
    if (continuation && !byteToByte) {
      ASSERT_EQ(d.offsets[i - 1], d.offsets[i]) << "inside a character at " << i;
    }
  }
  if (!bytes.empty() && !d.utf8.empty()) {
    EXPECT_EQ(0u, d.offsets.front());
  }
}

TEST(CharsetOffsetsTest, ValidUtf8IsTheIdentity) {
  const std::string page = "<p>caf\xC3\xA9 \xF0\x9F\x98\x80</p>";
  Decoded d = Decode(65001, page);
  EXPECT_EQ(page, d.utf8);
  for (std::size_t i = 0; i < d.offsets.size(); ++i) EXPECT_EQ(i, d.offsets[i]);

  d = Decode(65001, "");
  EXPECT_EQ("", d.utf8);
  EXPECT_EQ(std::vector<uint32_t>{0}, d.offsets);
}

TEST(CharsetOffsetsTest, IllFormedUtf8BecomesReplacementAtItsOwnOffset) {
  // A cut sequence, a stray byte, a surrogate, and a sequence cut by the end.
  const std::string page =
      "a\xE3\x81"
      "b\xFF"
      "c\xED\xA0\x80"
      "d\xE3\x81";
  Decoded d = Decode(65001, page);
  EXPECT_EQ(
      "a\xEF\xBF\xBD"
      "b\xEF\xBF\xBD"
      "c\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
      "d\xEF\xBF\xBD",
      d.utf8);
  ExpectWellFormed(page, d, true);
  EXPECT_EQ((std::vector<uint32_t>{0, 1, 1, 1, 3, 4, 4, 4,  5,  6,  6, 6,
                                   7, 7, 7, 8, 8, 8, 9, 10, 10, 10, 12}),
            d.offsets);
}

TEST(CharsetOffsetsTest, LegacyCharsetsMapEachByteToItsCharacter) {
  Decoded d = Decode(932,
                     "\x82\xA0"
                     "A\x1A");  // HIRAGANA A, A, SUB
  EXPECT_EQ(
      "\xE3\x81\x82"
      "A\x1A",
      d.utf8);
  EXPECT_EQ((std::vector<uint32_t>{0, 0, 0, 2, 3, 4}), d.offsets);

  d = Decode(1252, "x\x80\x81");
  EXPECT_EQ("x\xE2\x82\xAC\xC2\x81", d.utf8);
  EXPECT_EQ((std::vector<uint32_t>{0, 1, 1, 1, 2, 2, 3}), d.offsets);

  // Escape sequences produce nothing; the characters keep their offsets.
  d = Decode(50220, "\x1B$B\x24\x22\x1B(BA");
  EXPECT_EQ(
      "\xE3\x81\x82"
      "A",
      d.utf8);
  EXPECT_EQ((std::vector<uint32_t>{3, 3, 3, 8, 9}), d.offsets);

  // A lead byte cut off by the end is not lost.
  d = Decode(932, "A\x82");
  EXPECT_EQ("A\xEF\xBF\xBD", d.utf8);
  EXPECT_EQ((std::vector<uint32_t>{0, 1, 1, 1, 2}), d.offsets);
}

TEST(CharsetOffsetsTest, Utf16PairsAndAnOddLastByte) {
  const std::string page(
      "A\0\x3D\xD8\x00\xDE"
      "B",
      7);  // A, U+1F600, odd byte
  Decoded d = Decode(1200, page);
  EXPECT_EQ("A\xF0\x9F\x98\x80\xEF\xBF\xBD", d.utf8);
  EXPECT_EQ((std::vector<uint32_t>{0, 2, 2, 2, 2, 6, 6, 6, 7}), d.offsets);
}

TEST(CharsetOffsetsTest, UnsupportedCharsetGivesFalseAndEmptyOutputs) {
  std::string utf8 = "old";
  std::vector<uint32_t> offsets{1, 2};
  EXPECT_FALSE(DecodeToUtf8WithOffsets(12345, "abc", &utf8, &offsets));
  EXPECT_TRUE(utf8.empty());
  EXPECT_TRUE(offsets.empty());
}

TEST(CharsetOffsetsTest, RandomBytesInEveryCharsetStayAccountedFor) {
  std::mt19937 rng(7);
  std::string bytes(20000, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() % 4 == 0 ? rng() : 'a' + rng() % 26);
  for (LVTCharset::CHARSET cs : {65001u, 1200u, 1201u, 1252u, 932u, 936u, 949u, 950u, 54936u,
                                 51932u, 50220u, 28606u, 866u}) {
    SCOPED_TRACE(cs);
    ExpectWellFormed(bytes, Decode(cs, bytes), cs == 65001);
  }
}

// On real pages, decoding the source bytes of each output character alone
// gives that character back.
TEST(CharsetOffsetsTest, RealPagesDecodeCharacterByCharacter) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  const struct {
    const char* file;
    LVTCharset::CHARSET cs;
  } pages[] = {{"sakura-HLP000193-sjis.html", 932},
               {"httpd-core-ja-eucjp.html", 51932},
               {"httpd-index-ko-euckr.html", 949},
               {"geekbone-FAQr-gb2312.htm", 936},
               {"httpd-core-de-latin1.html", 1252}};
  for (const auto& page : pages) {
    SCOPED_TRACE(page.file);
    const std::string bytes = lvt_testing::ReadFile(corpus + "/pages/" + page.file);
    const Decoded d = Decode(page.cs, bytes);
    ExpectWellFormed(bytes, d);
    EXPECT_EQ(std::string::npos, d.utf8.find("\xEF\xBF\xBD"));
    std::size_t i = 0;
    while (i < d.utf8.size()) {
      std::size_t j = i + 1;
      while (j < d.utf8.size() && d.offsets[j] == d.offsets[i]) ++j;
      const std::string piece = bytes.substr(d.offsets[i], d.offsets[j] - d.offsets[i]);
      Decoded alone = Decode(page.cs, piece);
      ASSERT_EQ(d.utf8.substr(i, j - i), alone.utf8) << "at " << d.offsets[i];
      i = j;
    }
  }
}

// A stateful page: the shift state must survive the internal chunks.
TEST(CharsetOffsetsTest, Iso2022JpPageKeepsItsShiftState) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  const std::string bytes = lvt_testing::ReadFile(corpus + "/pages/httpd-index-ja-iso2022jp.html");
  const Decoded d = Decode(50220, bytes);
  ExpectWellFormed(bytes, d);
  // Twice the page has two escapes in a row, which browsers take as an
  // error; nothing else may go wrong.
  std::size_t bad = 0;
  for (std::size_t at = d.utf8.find("\xEF\xBF\xBD"); at != std::string::npos;
       at = d.utf8.find("\xEF\xBF\xBD", at + 1))
    ++bad;
  EXPECT_EQ(2u, bad);
  // Doubling the page crosses internal chunk edges at other places.
  const Decoded twice = Decode(50220, bytes + bytes);
  EXPECT_EQ(d.utf8 + d.utf8, twice.utf8);
}

}  // namespace
