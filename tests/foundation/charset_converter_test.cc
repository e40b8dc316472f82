#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "foundation/charset/converter.h"
#include "foundation/charset/utf.h"
#include "testing/test_util.h"

namespace {

using LVTCharset::CHARSET;
using LVTCharset::CharsetConverter;
using LVTCharset::ConversionClass;

const std::string kFffd = "\xEF\xBF\xBD";

std::string Wide(const std::u16string& s) {
  return std::string(reinterpret_cast<const char*>(s.data()), 2 * s.size());
}

std::u16string FromWide(const std::string& bytes) {
  std::u16string s(bytes.size() / 2, u'\0');
  std::memcpy(&s[0], bytes.data(), 2 * s.size());
  return s;
}

// One converter call on the whole source with a roomy target.
struct Call {
  uint32_t used = 0;
  std::string out;
};

Call Once(CharsetConverter& c, const std::string& source, bool final = false,
          uint32_t room = 1 << 16) {
  Call call;
  std::string target(room, '\0');
  uint32_t produced = 0;
  c(source.data(), static_cast<uint32_t>(source.size()), call.used, &target[0], room, produced,
    final);
  call.out = target.substr(0, produced);
  return call;
}

// Drives a converter as the transcoding loop does: source in pieces of
// `piece` bytes, unconsumed bytes carried over, a target of `room` bytes.
std::string Chunked(CharsetConverter c, const std::string& source, std::size_t piece,
                    uint32_t room) {
  std::string out, carry;
  std::string target(room, '\0');
  for (std::size_t at = 0; at < source.size(); at += piece) {
    carry += source.substr(at, piece);
    std::size_t pos = 0;
    while (pos != carry.size()) {
      uint32_t used = 0, produced = 0;
      c(carry.data() + pos, static_cast<uint32_t>(carry.size() - pos), used, &target[0], room,
        produced, false);
      out.append(target, 0, produced);
      if (used == 0) break;
      pos += used;
    }
    carry.erase(0, pos);
  }
  return out;
}

// Where two long texts part, for a readable failure.
std::string Difference(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  if (i == a.size() && i == b.size()) return "";
  return "differ at byte " + std::to_string(i) + " of " + std::to_string(a.size()) + " and " +
         std::to_string(b.size());
}

std::string Convert(CHARSET from, CHARSET to, const std::string& source) {
  CharsetConverter c(from, to);
  EXPECT_TRUE(static_cast<bool>(c)) << from << " -> " << to;
  Call call = Once(c, source, true);
  EXPECT_EQ(source.size(), call.used);
  return call.out;
}

TEST(CharsetConverterTest, CutOffSequencesWaitUnlessTheSourceEnds) {
  const struct {
    CHARSET from;
    const char* text;
    std::size_t length;
    uint32_t whole;  // bytes before the cut-off sequence
  } cases[] = {
      {65001, "ab\xE3\x81", 4, 2},     {65001, "ab\xF0\x9F\x98", 5, 2}, {932, "ab\x82", 3, 2},
      {54936, "ab\x81\x30\x81", 5, 2}, {1201, "a\0\x3D\xD8", 4, 2},     {1200, "a\0b", 3, 2},
      {50220, "ab\x1B$", 4, 2},        {51932, "ab\x8F\xB0", 4, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from);
    const std::string source(c.text, c.length);
    CharsetConverter toUtf8(c.from, 65001);
    Call call = Once(toUtf8, source);
    EXPECT_EQ(c.whole, call.used);
    EXPECT_EQ(std::string::npos, call.out.find(kFffd));
    // The bytes before the cut still come out.
    EXPECT_EQ(c.from == 1201 || c.from == 1200 ? "a" : "ab", call.out);
    call = Once(toUtf8, source, true);
    EXPECT_EQ(source.size(), call.used);
    EXPECT_NE(std::string::npos, call.out.find(kFffd)) << "final: nothing vanishes";
  }
}

TEST(CharsetConverterTest, IllFormedBytesBecomeReplacementCharacters) {
  EXPECT_EQ("a" + kFffd + "b" + kFffd + kFffd + "c", Convert(65001, 65001,
                                                             "a\xFF"
                                                             "b\xC0\xAF"
                                                             "c"));
  EXPECT_EQ("a" + kFffd + " b", Convert(932, 65001, "a\x81 b"));  // bad trail byte
  EXPECT_EQ(u"x\xFFFD\xFFFDy", FromWide(Convert(65001, 1201, "x\xE0\x80y")));
  // Unpaired surrogates in 16-bit text.
  EXPECT_EQ("a" + kFffd + "b", Convert(1201, 65001,
                                       Wide(u"a\xDC00"
                                            u"b")));
  // Characters a set lacks.
  EXPECT_EQ("a?b", Convert(1201, 1252,
                           Wide(u"a\x4E2D"
                                u"b")));
  EXPECT_EQ("?", Convert(1201, 1252, Wide(u"\xD83D\xDE00")));
}

TEST(CharsetConverterTest, Windows932KeepsControlBytesAsThemselves) {
  const std::string controls("\x1A\x1C\x7F", 3);
  EXPECT_EQ(u"\x001A\x001C\x007F", FromWide(Convert(932, 1201, controls)));
  EXPECT_EQ(controls, Convert(1201, 932, Wide(u"\x001A\x001C\x007F")));
  EXPECT_EQ(controls, Convert(65001, 932, controls));
  // Inside longer text, at every place within a group of four.
  const std::string text =
      "abc\x1A"
      "defgh\x1C"
      "\x7Fijklmn\x82\xA0\x1A";
  EXPECT_EQ(
      "abc\x1A"
      "defgh\x1C"
      "\x7Fijklmn\xE3\x81\x82\x1A",
      Convert(932, 65001, text));
  EXPECT_EQ(text, Convert(65001, 932, Convert(932, 65001, text)));
}

struct Sample {
  CHARSET codePage;
  const char16_t* text;
};

// Text every listed character set can hold, in its own script.
const Sample kSamples[] = {
    {65001, u"mixed \xD83D\xDE00 \x00E9 \x4E2D"},
    {1200, u"mixed \xD83D\xDE00 \x00E9 \x4E2D"},
    {1201, u"mixed \xD83D\xDE00 \x00E9 \x4E2D"},
    {1250, u"P\x0159\x00EDli\x0161 \x017Elu\x0165ou\x010Dk\x00FD k\x016F\x0148"},
    {1251, u"\x0421\x044A\x0435\x0448\x044C \x0436\x0435 \x0435\x0449\x0451"},
    {1252,
     u"Gr\x00FC\x00DF"
     u"e, caf\x00E9 \x2013 \x20AC\x201C\x201D"},
    {1253, u"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1"},
    {1254, u"G\x00FCnayd\x0131n, \x0130stanbul \x015F\x011F"},
    {1255, u"\x05E9\x05DC\x05D5\x05DD"},
    {1256, u"\x0645\x0631\x062D\x0628\x0627"},
    {1257, u"Labas \x0105\x010D\x0119\x0117\x012F\x0161\x0173\x016B\x017E"},
    {1258, u"Xin ch\x00E0o \x0103\x0111"},
    {874, u"\x0E2A\x0E27\x0E31\x0E2A\x0E14\x0E35"},
    {932, u"\x65E5\x672C\x8A9E\x306E\x30C6\x30AD\x30B9\x30C8\x3001\xFF76\xFF80"},
    {936, u"\x4E2D\x6587\x7B80\x4F53\x5B57"},
    {949, u"\xD55C\xAD6D\xC5B4 \xD14D\xC2A4\xD2B8"},
    {950, u"\x4E2D\x6587\x7E41\x9AD4\x5B57"},
    {54936, u"\x4E2D\x6587 \xD83D\xDE00 \xD55C\xAD6D\xC5B4"},
    {20866, u"\x041F\x0440\x0438\x0432\x0435\x0442"},
    {21866, u"\x041F\x0440\x0438\x0432\x0456\x0442 \x0491"},
    {28591, u"caf\x00E9 \x00FF"},
    {28592, u"P\x0159\x00EDli\x0161 \x017Elu\x0165ou\x010Dk\x00FD"},
    {28593,
     u"\x0126"
     u"al \x0121"},
    {28594, u"\x0100\x0101\x0112\x0113 \x0137"},
    {28595, u"\x041F\x0440\x0438\x0432\x0435\x0442"},
    {28596, u"\x0645\x0631\x062D\x0628\x0627"},
    {28597, u"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1"},
    {28598, u"\x05E9\x05DC\x05D5\x05DD"},
    {28599, u"\x0130stanbul \x015F"},
    {28600, u"\x0100\x0112 \x014B"},
    {28601, u"\x0E2A\x0E27\x0E31\x0E2A\x0E14\x0E35"},
    {28603, u"\x0105\x010D\x0119 \x201E\x201C"},
    {28604, u"\x0174\x0177 \x1E03"},
    {28605, u"\x20AC \x0153 \x0178"},
    {28606, u"\x0218 \x021B \x20AC \x201E\x201D"},
    {51932, u"\x65E5\x672C\x8A9E"},
    {50220,
     u"\x65E5\x672C\x8A9E\x3068"
     u"ASCII\x6DF7\x5728"},
    {10000, u"caf\x00E9 \x2122 \x2211"},
    {437, u"\x2500\x253C \x00F1"},
    {850, u"\x00F1 \x00D8 \x00FF"},
    {866, u"\x041F\x0440\x0438\x0432\x0435\x0442 \x2591"},
};

TEST(CharsetConverterTest, EveryListedCharsetRoundTripsItsSample) {
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.codePage);
    const std::u16string text = s.text;
    const std::string bytes = Convert(1201, s.codePage, Wide(text));
    EXPECT_EQ(std::string::npos, bytes.find('?'));
    EXPECT_EQ(text, FromWide(Convert(s.codePage, 1201, bytes)));
    const std::string utf8 = Convert(s.codePage, 65001, bytes);
    EXPECT_EQ(lvt_testing::U8(text), utf8);
    EXPECT_EQ(bytes, Convert(65001, s.codePage, utf8));
  }
}

TEST(CharsetConverterTest, SingleByteSetsMapEveryByteBackToItself) {
  for (CHARSET cs : {1250u, 1251u, 1252u, 1253u, 1254u, 1257u, 28591u, 28592u, 28605u, 28606u,
                     20866u, 21866u, 10000u, 437u, 850u, 866u}) {
    SCOPED_TRACE(cs);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string wide = Convert(cs, 1201, all);
    const std::u16string units = FromWide(wide);
    ASSERT_EQ(256u, units.size());
    std::string mapped, back;
    for (int b = 0; b < 256; ++b) {
      if (units[b] == 0xFFFD) continue;
      mapped += static_cast<char>(b);
      back += Convert(1201, cs, Wide(units.substr(b, 1)));
    }
    EXPECT_EQ(mapped, back);
  }
}

// Any way of cutting the source and the target gives the same text as one
// call over all of it.
TEST(CharsetConverterTest, PiecesAndSmallTargetsGiveTheWholeConversion) {
  std::mt19937 rng(11);
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.codePage);
    std::u16string text;
    const std::u16string sample = s.text;
    for (int i = 0; i < 300; ++i) {
      std::size_t from = rng() % sample.size();
      if (LVTCharset::IsLowSurrogate(sample[from])) ++from;
      text += sample.substr(from) + u"<p>";
    }
    const std::string bytes = Convert(1201, s.codePage, Wide(text));
    const std::string utf8 = lvt_testing::U8(text);
    for (std::size_t piece : {1, 3, 7, 4096}) {
      for (uint32_t room : {16u, 17u, 61u, 4096u}) {
        ASSERT_EQ(
            "", Difference(utf8, Chunked(CharsetConverter(s.codePage, 65001), bytes, piece, room)))
            << "piece " << piece << " room " << room;
        ASSERT_EQ("", Difference(Wide(text),
                                 Chunked(CharsetConverter(s.codePage, 1201), bytes, piece, room)))
            << "piece " << piece << " room " << room;
      }
    }
    // And back: chunked encoding decodes to the same text.
    const std::string encoded = Chunked(CharsetConverter(65001, s.codePage), utf8, 5, 23);
    EXPECT_EQ("", Difference(Wide(text), Convert(s.codePage, 1201, encoded)));
  }
}

TEST(CharsetConverterTest, RandomBytesDecodeTheSameInAnyPieces) {
  std::mt19937 rng(5);
  std::string bytes(6000, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() % 3 == 0 ? rng() : 'a' + rng() % 26);
  for (CHARSET cs :
       {65001u, 1200u, 1201u, 1252u, 932u, 936u, 949u, 950u, 54936u, 51932u, 50220u, 28606u}) {
    SCOPED_TRACE(cs);
    CharsetConverter whole(cs, 65001);
    Call call = Once(whole, bytes, false, 1 << 20);
    for (std::size_t piece : {1, 2, 5, 4096}) {
      ASSERT_EQ("", Difference(call.out, Chunked(CharsetConverter(cs, 65001), bytes, piece, 37)))
          << "piece " << piece;
    }
  }
}

TEST(CharsetConverterTest, FactoriesGiveDirectConvertersOnlyWithAUnicodeSide) {
  EXPECT_TRUE(LVTCharset::FastConversionFunction(1252, 65001));
  EXPECT_TRUE(LVTCharset::FastConversionFunction(65001, 1201));
  EXPECT_TRUE(LVTCharset::FastConversionFunction(1201, 65001));
  EXPECT_TRUE(LVTCharset::FastConversionFunction(65001, 65001));
  EXPECT_FALSE(LVTCharset::FastConversionFunction(1252, 932));
  EXPECT_FALSE(LVTCharset::FastConversionFunction(65001, 4242));
  EXPECT_FALSE(LVTCharset::MbToWcConversionFunction(4242));
  EXPECT_FALSE(LVTCharset::WcToMbConversionFunction(4242));
  EXPECT_FALSE(ConversionClass(4242, 65001));

  // Two legacy sets go through 16-bit units.
  ConversionClass twoStage(1252, 932);
  ASSERT_TRUE(twoStage);
  EXPECT_EQ("caf?", Once(twoStage, "caf\xE9").out);
  ConversionClass cyrillic(1251, 20866);
  EXPECT_EQ("\xF0\xD2", Once(cyrillic, "\xCF\xF0").out);  // "Пр"

  LVTCharset::CharsetConverter toWide = LVTCharset::MbToWcConversionFunction(932);
  EXPECT_EQ(Wide(u"\x3042"), Once(toWide, "\x82\xA0").out);
  LVTCharset::CharsetConverter fromWide = LVTCharset::WcToMbConversionFunction(932);
  EXPECT_EQ("\x82\xA0", Once(fromWide, Wide(u"\x3042")).out);

  // A null converter converts nothing.
  CharsetConverter none;
  Call call = Once(none, "abc");
  EXPECT_EQ(0u, call.used);
  EXPECT_EQ("", call.out);
}

TEST(CharsetConverterTest, ShiftStateCarriesOverCallsUntilRestart) {
  // Kanji mode is entered in the first call and still holds in the second.
  const std::string first = "\x1B$B\x46\x7C";    // ESC $ B, U+65E5
  const std::string second = "\x4B\x5C\x1B(B!";  // U+672C, ESC ( B, '!'
  LVTCharset::DirectConverter c = LVTCharset::FastConversionFunction(50220, 65001);
  ASSERT_TRUE(c);
  std::string target(64, '\0');
  uint32_t used = 0, produced = 0;
  c(first.data(), 5, used, &target[0], 64, produced, false, false);
  EXPECT_EQ(5u, used);
  EXPECT_EQ("\xE6\x97\xA5", target.substr(0, produced));
  c(second.data(), 6, used, &target[0], 64, produced, false, false);
  EXPECT_EQ("\xE6\x9C\xAC!", target.substr(0, produced));
  // After a restart the same bytes are ASCII again.
  c(second.data(), 6, used, &target[0], 64, produced, false, true);
  EXPECT_EQ("K\\!", target.substr(0, produced));
}

TEST(CharsetConverterTest, UnalignedSixteenBitBuffers) {
  const std::u16string text = u"ab\x4E2D\xD83D\xDE00";
  std::string source = "x" + Wide(text);
  char target[64];
  uint32_t used = 0, produced = 0;
  CharsetConverter toUtf8(1201, 65001);
  toUtf8(source.data() + 1, static_cast<uint32_t>(source.size() - 1), used, target, 64, produced,
         false);
  EXPECT_EQ(lvt_testing::U8(text), std::string(target, produced));
  CharsetConverter toWide(65001, 1201);
  const std::string utf8 = lvt_testing::U8(text);
  toWide(utf8.data(), static_cast<uint32_t>(utf8.size()), used, target + 1, 63, produced, false);
  EXPECT_EQ(Wide(text), std::string(target + 1, produced));
}

// Converters on several threads at once share the pool of ICU converters
// and the tables, never a converter.
TEST(CharsetConverterTest, ThreadsConvertAtTheSameTime) {
  std::u16string text;
  for (int i = 0; i < 2000; ++i) text += u"\x65E5\x672C\x8A9E x \x00E9 ";
  const CHARSET sets[] = {932, 50220, 936, 1252};
  std::vector<std::string> encoded;
  for (CHARSET cs : sets) encoded.push_back(Convert(1201, cs, Wide(text)));
  std::vector<int> failures(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) {
        const int k = (t + round) % 4;
        CharsetConverter c(sets[k], 1201);
        std::string out = Chunked(std::move(c), encoded[k], 1000, 4096);
        CharsetConverter back(1201, sets[k]);
        if (Once(back, out, true, 1 << 20).out != encoded[k]) ++failures[t];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), failures);
}

}  // namespace
