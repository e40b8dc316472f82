// Character sets: the converters, decoding with source offsets, streaming
// transcoding, labels and detection.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "foundation/charset/converter.h"
#include "foundation/charset/labels.h"
#include "foundation/charset/offsets.h"
#include "foundation/charset/transcode.h"
#include "foundation/charset/utf.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/transcode_case.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

using LVTCharset::CHARSET;
using LVTCharset::CharsetConverter;
using LVTCharset::DetectCharset;
using LVTFile::MemoryBuffer;

const std::string kFffd = "\xEF\xBF\xBD";

std::string Wide(const std::u16string& s) {
  return std::string(reinterpret_cast<const char*>(s.data()), 2 * s.size());
}

std::u16string FromWide(const std::string& bytes) {
  std::u16string s(bytes.size() / 2, u'\0');
  std::memcpy(&s[0], bytes.data(), 2 * s.size());
  return s;
}

// One converter call on the whole source with a roomy target: bytes used,
// and what came out.
template <class Converter>
std::pair<uint32_t, std::string> Once(Converter& c, const std::string& source, bool final) {
  std::string target(1 << 20, '\0');
  uint32_t used = 0, produced = 0;
  c(source.data(), static_cast<uint32_t>(source.size()), used, &target[0], 1 << 20, produced,
    final);
  return {used, target.substr(0, produced)};
}

// Drives a converter as the transcoding loop does: source in pieces of
// `piece` bytes, unconsumed bytes carried over, a target of `room` bytes.
std::string Chunked(CharsetConverter c, const std::string& source, std::size_t piece,
                    uint32_t room) {
  std::string out, carry, target(room, '\0');
  for (std::size_t at = 0; at < source.size(); at += piece) {
    carry += source.substr(at, piece);
    std::size_t pos = 0;
    for (uint32_t used = 1; used != 0 && pos != carry.size(); pos += used) {
      uint32_t produced = 0;
      c(carry.data() + pos, static_cast<uint32_t>(carry.size() - pos), used, &target[0], room,
        produced, false);
      out.append(target, 0, produced);
    }
    carry.erase(0, pos);
  }
  return out;
}

std::string Convert(CHARSET from, CHARSET to, const std::string& source) {
  CharsetConverter c(from, to);
  EXPECT_TRUE(static_cast<bool>(c)) << from << " -> " << to;
  const auto call = Once(c, source, true);
  EXPECT_EQ(source.size(), call.first);
  return call.second;
}

TEST(CharsetConverterTest, CutOffSequencesWaitUnlessTheSourceEnds) {
  const std::pair<CHARSET, std::string> cases[] = {{65001, "ab\xE3\x81"},
                                                   {65001, "ab\xF0\x9F\x98"},
                                                   {932, "ab\x82"},
                                                   {54936, "ab\x81\x30\x81"},
                                                   {50220, "ab\x1B$"},
                                                   {51932, "ab\x8F\xB0"},
                                                   {1200, std::string("a\0b", 3)},
                                                   {1201, std::string("a\0\x3D\xD8", 4)}};
  for (const auto& c : cases) {
    CharsetConverter toUtf8(c.first, 65001);
    auto call = Once(toUtf8, c.second, false);
    // The bytes before the cut still come out.
    EXPECT_EQ(2u, call.first) << c.first;
    EXPECT_EQ(c.first == 1200 || c.first == 1201 ? "a" : "ab", call.second) << c.first;
    call = Once(toUtf8, c.second, true);
    EXPECT_EQ(c.second.size(), call.first) << c.first;
    EXPECT_NE(std::string::npos, call.second.find(kFffd)) << c.first << ": final, nothing vanishes";
  }
}

TEST(CharsetConverterTest, IllFormedAndUnmappableCharacters) {
  EXPECT_EQ("a" + kFffd + "b" + kFffd + kFffd,
            Convert(65001, 65001, std::string("a\xFF") + "b\xC0\xAF"));
  EXPECT_EQ("a" + kFffd + " b", Convert(932, 65001, "a\x81 b"));  // bad trail byte
  EXPECT_EQ(u"x\xFFFD\xFFFDy", FromWide(Convert(65001, 1201, "x\xE0\x80y")));
  EXPECT_EQ(kFffd + "b", Convert(1201, 65001, Wide(std::u16string(u"\xDC00") + u"b")));
  EXPECT_EQ("?b", Convert(1201, 1252, Wide(std::u16string(u"\x4E2D") + u"b")));  // not in the set
  EXPECT_EQ("?", Convert(1201, 1252, Wide(u"\xD83D\xDE00")));
  // Windows-932 keeps control bytes as themselves, anywhere in a group of four.
  const std::string controls = std::string("abc\x1A") + "defgh\x1C\x7Fijklmn\x82\xA0\x1A";
  EXPECT_EQ(std::string("abc\x1A") + "defgh\x1C\x7Fijklmn\xE3\x81\x82\x1A",
            Convert(932, 65001, controls));
  EXPECT_EQ(controls, Convert(65001, 932, Convert(932, 65001, controls)));
}

// Text every listed character set can hold, in its own script.
const struct Sample {
  CHARSET codePage;
  std::u16string text;
} kSamples[] = {
    {65001, u"mixed \U0001F600 \u00E9 \u4E2D"},
    {1200, u"mixed \U0001F600 \u00E9 \u4E2D"},
    {1250, u"P\u0159\u00EDli\u0161 \u017Elu\u0165ou\u010Dk\u00FD k\u016F\u0148"},
    {1251, u"\u0421\u044A\u0435\u0448\u044C \u0436\u0435 \u0435\u0449\u0451"},
    {1252, u"Gr\u00FC\u00DFe, caf\u00E9 \u2013 \u20AC\u201C\u201D"},
    {1253, u"\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1"},
    {1254, u"G\u00FCnayd\u0131n, \u0130stanbul \u015F\u011F"},
    {1255, u"\u05E9\u05DC\u05D5\u05DD"},
    {1256, u"\u0645\u0631\u062D\u0628\u0627"},
    {1257, u"Labas \u0105\u010D\u0119\u0117\u012F\u0161\u0173\u016B\u017E"},
    {1258, u"Xin ch\u00E0o \u0103\u0111"},
    {874, u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35"},
    {932, u"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8\u3001\uFF76\uFF80"},
    {936, u"\u4E2D\u6587\u7B80\u4F53\u5B57"},
    {949, u"\uD55C\uAD6D\uC5B4 \uD14D\uC2A4\uD2B8"},
    {950, u"\u4E2D\u6587\u7E41\u9AD4\u5B57"},
    {54936, u"\u4E2D\u6587 \U0001F600 \uD55C\uAD6D\uC5B4"},
    {20866, u"\u041F\u0440\u0438\u0432\u0435\u0442"},
    {21866, u"\u041F\u0440\u0438\u0432\u0456\u0442 \u0491"},
    {28591, u"caf\u00E9 \u00FF"},
    {28592, u"P\u0159\u00EDli\u0161 \u017Elu\u0165ou\u010Dk\u00FD"},
    {28593, u"\u0126al \u0121"},
    {28594, u"\u0100\u0101\u0112\u0113 \u0137"},
    {28595, u"\u041F\u0440\u0438\u0432\u0435\u0442"},
    {28596, u"\u0645\u0631\u062D\u0628\u0627"},
    {28597, u"\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1"},
    {28598, u"\u05E9\u05DC\u05D5\u05DD"},
    {28599, u"\u0130stanbul \u015F"},
    {28600, u"\u0100\u0112 \u014B"},
    {28601, u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35"},
    {28603, u"\u0105\u010D\u0119 \u201E\u201C"},
    {28604, u"\u0174\u0177 \u1E03"},
    {28605, u"\u20AC \u0153 \u0178"},
    {28606, u"\u0218 \u021B \u20AC \u201E\u201D"},
    {51932, u"\u65E5\u672C\u8A9E"},
    {50220, u"\u65E5\u672C\u8A9E\u3068ASCII\u6DF7\u5728"},
    {10000, u"caf\u00E9 \u2122 \u2211"},
    {437, u"\u2500\u253C \u00F1"},
    {850, u"\u00F1 \u00D8 \u00FF"},
    {866, u"\u041F\u0440\u0438\u0432\u0435\u0442 \u2591"},
};

TEST(CharsetConverterTest, EveryListedCharsetRoundTripsItsSample) {
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.codePage);
    EXPECT_TRUE(LVTCharset::IsSupportedCodePage(s.codePage));
    const std::string bytes = Convert(1201, s.codePage, Wide(s.text));
    EXPECT_EQ(std::string::npos, bytes.find('?'));
    EXPECT_EQ(s.text, FromWide(Convert(s.codePage, 1201, bytes)));
    const std::string utf8 = Convert(s.codePage, 65001, bytes);
    EXPECT_EQ(lvt_testing::U8(s.text), utf8);
    EXPECT_EQ(bytes, Convert(65001, s.codePage, utf8));
  }
  // Two legacy sets go through 16-bit units.
  EXPECT_EQ("caf?", Convert(1252, 932, "caf\xE9"));
  EXPECT_EQ("\xF0\xD2", Convert(1251, 20866, "\xCF\xF0"));
  for (CHARSET unsupported : {0u, 28602u, 4242u})
    EXPECT_FALSE(LVTCharset::IsSupportedCodePage(unsupported)) << unsupported;
}

TEST(CharsetConverterTest, SingleByteSetsMapEveryByteBackToItself) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (CHARSET cs : {1250u, 1251u, 1252u, 1253u, 1254u, 1257u, 28591u, 28592u, 28605u, 28606u,
                     20866u, 21866u, 10000u, 437u, 850u, 866u}) {
    const std::u16string units = FromWide(Convert(cs, 1201, all));
    ASSERT_EQ(256u, units.size()) << cs;
    std::string mapped, back;
    for (int b = 0; b < 256; ++b) {
      if (units[b] == 0xFFFD) continue;
      mapped += static_cast<char>(b);
      back += Convert(1201, cs, Wide(units.substr(b, 1)));
    }
    EXPECT_EQ(mapped, back) << cs;
  }
}

// Any way of cutting the source and the target gives the same text as one
// call over all of it.
TEST(CharsetConverterTest, PiecesAndSmallTargetsGiveTheWholeConversion) {
  std::mt19937 rng(11);
  for (const Sample& s : kSamples) {
    std::u16string text;
    for (int i = 0; i < 300; ++i) {
      std::size_t from = rng() % s.text.size();
      if (LVTCharset::IsLowSurrogate(s.text[from])) ++from;
      text += s.text.substr(from) + u"<p>";
    }
    const std::string bytes = Convert(1201, s.codePage, Wide(text));
    const std::string utf8 = lvt_testing::U8(text);
    for (std::size_t piece : {1, 3, 7, 4096}) {
      for (uint32_t room : {16u, 17u, 61u, 4096u}) {
        ASSERT_TRUE(utf8 == Chunked(CharsetConverter(s.codePage, 65001), bytes, piece, room))
            << s.codePage << " piece " << piece << " room " << room;
        ASSERT_TRUE(Wide(text) == Chunked(CharsetConverter(s.codePage, 1201), bytes, piece, room))
            << s.codePage << " piece " << piece << " room " << room;
      }
    }
    // And back: chunked encoding decodes to the same text.
    const std::string encoded = Chunked(CharsetConverter(65001, s.codePage), utf8, 5, 23);
    EXPECT_TRUE(Wide(text) == Convert(s.codePage, 1201, encoded)) << s.codePage;
    // A lone high surrogate waits inside ICU for the next unit, which then
    // brings out two characters at once: a full target must lose neither.
    std::u16string lone;
    for (std::size_t i = 0; i < text.size(); ++i) {
      lone += text[i];
      if (i % 13 == 0 && !LVTCharset::IsHighSurrogate(text[i])) lone += u'\xDA9B';
    }
    lone += u"<p>";  // a cut-off surrogate last would wait for more
    const std::string whole = Convert(1201, s.codePage, Wide(lone));
    for (uint32_t room : {16u, 17u, 61u}) {
      ASSERT_TRUE(whole == Chunked(CharsetConverter(1201, s.codePage), Wide(lone), 4096, room))
          << s.codePage << " room " << room;
    }
  }
}

// Random bytes through the transcoding fuzz case's checks: short reads give
// what whole reads give, UTF-8 output is well formed, the string converters
// agree with the stream.
TEST(CharsetConverterTest, RandomBytesKeepTheTranscodingInvariants) {
  std::mt19937 rng(5);
  std::string bytes(6000, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() % 3 == 0 ? rng() : 'a' + rng() % 26);
  const std::size_t sets = sizeof(lvt_fuzz::kCharsets) / sizeof(lvt_fuzz::kCharsets[0]);
  for (std::size_t from = 0; from < sets; ++from) {
    for (char cut : {'\0', '\7', '\x40'}) {
      const std::string input = std::string{static_cast<char>(from), '\0', cut} + bytes;
      EXPECT_EQ("", lvt_fuzz::RunCase(lvt_fuzz::TranscodeCase, input)) << lvt_fuzz::kCharsets[from];
    }
  }
  // The valid prefix, with its shortcuts for common characters, against
  // stepping through the characters one by one, on text made of pieces of
  // characters: every lead byte that limits its continuations, stray and
  // missing continuations.
  const char* kPieces[] = {"a",        "\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80",
                           "\xC1",     "\xC2",     "\xDF",         "\xE0\xA0",
                           "\xE0\x9F", "\xED\x9F", "\xED\xA0",     "\xEF\xBF",
                           "\x80",     "\xBF",     "\xF4\x90"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int k = rng() % 8; k > 0; --k)
      text += kPieces[rng() % (sizeof(kPieces) / sizeof(kPieces[0]))];
    std::size_t valid = 0;
    while (valid < text.size()) {
      const auto step = LVTCharset::NextUtf8(
          reinterpret_cast<const unsigned char*>(text.data()) + valid, text.size() - valid);
      if (!step.valid) break;
      valid += step.length;
    }
    ASSERT_EQ(valid, LVTCharset::ValidUtf8Prefix(text.data(), text.size())) << round;
  }
}

TEST(CharsetConverterTest, UnalignedSixteenBitBuffers) {
  const std::u16string text = u"ab\u4E2D\U0001F600";
  const std::string utf8 = lvt_testing::U8(text), source = "x" + Wide(text);
  char target[64];
  uint32_t used = 0, produced = 0;
  CharsetConverter(1201, 65001)(source.data() + 1, static_cast<uint32_t>(source.size() - 1), used,
                                target, 64, produced, false);
  EXPECT_EQ(utf8, std::string(target, produced));
  CharsetConverter(65001, 1201)(utf8.data(), static_cast<uint32_t>(utf8.size()), used, target + 1,
                                63, produced, false);
  EXPECT_EQ(Wide(text), std::string(target + 1, produced));
}

// Converters on several threads at once share the pool of ICU converters
// and the tables, never a converter.
TEST(CharsetConverterTest, ThreadsConvertAtTheSameTime) {
  std::u16string text;
  for (int i = 0; i < 2000; ++i) text += u"\u65E5\u672C\u8A9E x \u00E9 ";
  const CHARSET sets[] = {932, 50220, 936, 1252};
  std::vector<std::string> encoded;
  for (CHARSET cs : sets) encoded.push_back(Convert(1201, cs, Wide(text)));
  std::vector<int> failures(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) {
        const int k = (t + round) % 4;
        const std::string wide = Chunked(CharsetConverter(sets[k], 1201), encoded[k], 1000, 4096);
        CharsetConverter back(1201, sets[k]);
        if (Once(back, wide, true).second != encoded[k]) ++failures[t];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), failures);
}

struct Decoded {
  std::string utf8;
  std::vector<uint32_t> offsets;
};

Decoded Decode(CHARSET cs, const std::string& bytes) {
  Decoded d;
  EXPECT_TRUE(LVTCharset::DecodeToUtf8WithOffsets(cs, bytes, &d.utf8, &d.offsets));
  return d;
}

// Offsets run from 0 to the input size without going back, one per byte
// plus the end, and all bytes of one UTF-8 character share their offset
// (except well-formed UTF-8 input, which maps byte to byte).
void ExpectWellFormed(const std::string& bytes, const Decoded& d, bool byteToByte) {
  ASSERT_EQ(d.utf8.size() + 1, d.offsets.size());
  EXPECT_EQ(bytes.size(), d.offsets.back());
  EXPECT_TRUE(d.utf8.empty() || d.offsets.front() == 0);
  for (std::size_t i = 1; i < d.offsets.size(); ++i) {
    ASSERT_LE(d.offsets[i - 1], d.offsets[i]) << "at byte " << i;
    const bool inside = i < d.utf8.size() && (static_cast<unsigned char>(d.utf8[i]) & 0xC0) == 0x80;
    ASSERT_TRUE(byteToByte || !inside || d.offsets[i - 1] == d.offsets[i]) << "inside at " << i;
  }
}

TEST(CharsetOffsetsTest, EachCharacterMapsToItsSourceBytes) {
  const struct {
    CHARSET cs;
    std::string bytes;
    std::string utf8;
    std::vector<uint32_t> offsets;
  } rows[] = {
      {65001, "a\xC3\xA9", "a\xC3\xA9", {0, 1, 2, 3}},
      // A cut sequence, a stray byte, a surrogate, a sequence cut by the end.
      {65001,
       std::string("a\xE3\x81") + "b\xFF" + "c\xED\xA0\x80" + "d\xE3\x81",
       "a" + kFffd + "b" + kFffd + "c" + kFffd + kFffd + kFffd + "d" + kFffd,
       {0, 1, 1, 1, 3, 4, 4, 4, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 10, 10, 10, 12}},
      {932,
       std::string("\x82\xA0") + "A\x1A",
       std::string("\xE3\x81\x82") + "A\x1A",
       {0, 0, 0, 2, 3, 4}},
      {1252, "x\x80\x81", "x\xE2\x82\xAC\xC2\x81", {0, 1, 1, 1, 2, 2, 3}},
      // Escape sequences produce nothing; the characters keep their offsets.
      {50220, "\x1B$B\x24\x22\x1B(BA", std::string("\xE3\x81\x82") + "A", {3, 3, 3, 8, 9}},
      // UTF-16: a pair, and an odd last byte.
      {1200,
       std::string("A\0\x3D\xD8\x00\xDE", 6) + "B",
       "A\xF0\x9F\x98\x80" + kFffd,
       {0, 2, 2, 2, 2, 6, 6, 6, 7}},
  };
  for (const auto& row : rows) {
    const Decoded d = Decode(row.cs, row.bytes);
    EXPECT_EQ(row.utf8, d.utf8) << row.cs;
    EXPECT_EQ(row.offsets, d.offsets) << row.cs;
  }
  std::string utf8 = "old";
  std::vector<uint32_t> offsets{1, 2};
  EXPECT_FALSE(LVTCharset::DecodeToUtf8WithOffsets(12345, "abc", &utf8, &offsets));
  EXPECT_TRUE(utf8.empty() && offsets.empty());
}

TEST(CharsetOffsetsTest, RandomBytesInEveryCharsetStayAccountedFor) {
  std::mt19937 rng(7);
  std::string bytes(20000, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() % 4 == 0 ? rng() : 'a' + rng() % 26);
  for (CHARSET cs : {65001u, 1200u, 1201u, 1252u, 932u, 936u, 949u, 950u, 54936u, 51932u, 50220u,
                     28606u, 866u}) {
    SCOPED_TRACE(cs);
    ExpectWellFormed(bytes, Decode(cs, bytes), cs == 65001);
  }
}

// Pages of the corpus in every multi-byte set it has: each is detected in
// its set; decoding the source bytes of each output character alone gives
// that character back; streaming the page gives what decoding it whole
// gives, and the clean ones convert back to the same bytes.
TEST(CharsetOffsetsTest, CorpusPagesDecodeCharacterByCharacterAndStream) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  const std::pair<const char*, CHARSET> pages[] = {
      {"sakura-HLP000193-sjis.html", 932}, {"httpd-core-ja-eucjp.html", 51932},
      {"httpd-index-ko-euckr.html", 949},  {"geekbone-FAQr-gb2312.htm", 936},
      {"httpd-core-de-latin1.html", 1252}, {"gmw-zh.html", 65001},
      {"wikipedia-en-1.html", 65001},      {"httpd-index-ja-iso2022jp.html", 50220}};
  for (const auto& [file, cs] : pages) {
    SCOPED_TRACE(file);
    const std::string bytes = lvt_testing::ReadFile(corpus + "/pages/" + file);
    EXPECT_EQ(cs, DetectCharset(bytes));
    const Decoded d = Decode(cs, bytes);
    ExpectWellFormed(bytes, d, cs == 65001);
    EXPECT_TRUE(lvt_fuzz::Transcode(cs, 65001, bytes).bytes == d.utf8);
    if (cs == 50220) {
      // The shift state survives the internal chunks. Twice the page has two
      // escapes in a row, which browsers take as an error too.
      EXPECT_TRUE(Decode(50220, bytes + bytes).utf8 == d.utf8 + d.utf8);
      continue;
    }
    EXPECT_EQ(std::string::npos, d.utf8.find(kFffd));
    EXPECT_TRUE(lvt_fuzz::Transcode(65001, cs, d.utf8).bytes == bytes);
    for (std::size_t i = 0, j; i < d.utf8.size() && cs != 65001; i = j) {
      for (j = i + 1; j < d.utf8.size() && d.offsets[j] == d.offsets[i];) ++j;
      const std::string piece = bytes.substr(d.offsets[i], d.offsets[j] - d.offsets[i]);
      ASSERT_EQ(d.utf8.substr(i, j - i), Decode(cs, piece).utf8) << "at " << d.offsets[i];
    }
  }
}

// A high surrogate waits for its low half only while the stream goes on: at
// its end it is unpaired and becomes U+FFFD, wherever the reads are cut.
TEST(TranscodeTest, UnpairedHighSurrogateEndingAStreamBecomesReplacement) {
  for (const std::u16string end : {u"\xD83D", u"\xD83D\xD83D", u"\xDE00\xD83D"}) {
    std::string page;
    for (char16_t c : u"<p>caf\xE9 \xD83D\xDE00</p>" + end)
      page += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    const std::string utf8 =
        "<p>caf\xC3\xA9 \xF0\x9F\x98\x80</p>" + kFffd + (end.size() == 2 ? kFffd : "");
    EXPECT_EQ(utf8, lvt_fuzz::Transcode(1200, 65001, page).bytes);
    for (uint32_t chunk : {1u, 2u, 3u, 5u}) {
      lvt_fuzz::ChunkedStream cut(page, {chunk});
      EXPECT_EQ(utf8, lvt_fuzz::Transcode(1200, 65001, cut).bytes) << chunk;
    }
  }
}

TEST(TranscodeTest, LongStringsTakeSeveralCallsInOrder) {
  const std::u16string kana(5000, u'\u3042');
  LVTCharset::ConversionClass toSjis(1201, 932), fromSjis(932, 1201);
  std::string sjis = "prefix";
  EXPECT_EQ(kana.size(), LVTCharset::WideToBytes(toSjis, kana, sjis, false));
  std::u16string decoded = u"<";
  EXPECT_EQ(10000u, LVTCharset::BytesToWide(fromSjis, sjis.substr(6), decoded, false));
  EXPECT_TRUE(u"<" + kana == decoded);

  // WideToUtf8 goes straight through the UTF-16 encoder; it must agree with
  // the converter on every text, lone and cut-off surrogates included.
  std::mt19937 random(7);
  const char16_t kUnits[] = {u'a', u'<', 0xE9, 0x3042, 0xD83D, 0xDE00, 0xFFFD, 0};
  for (int round = 0; round < 2000; ++round) {
    std::u16string text(random() % 12, u' ');
    for (char16_t& unit : text) unit = kUnits[random() % (sizeof(kUnits) / sizeof(kUnits[0]))];
    std::string converted;
    LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, text, converted, false);
    ASSERT_EQ(converted, LVTCharset::WideToUtf8(text)) << round;
  }
}

TEST(CharsetLabelsTest, LabelsNameTheCodePagesBrowsersUse) {
  const std::pair<const char*, CHARSET> rows[] = {{"  UTF8\t", 65001},
                                                  {"Latin1", 1252},
                                                  {"us-ascii", 1252},
                                                  {"windows-31j", 932},
                                                  {"ks_c_5601-1987", 949},
                                                  {"iso-8859-9", 1254},
                                                  {"iso-8859-8-i", 38598},
                                                  {"28591", 28591},
                                                  {"utf-16be", 0},
                                                  {"x-user-defined", 0},
                                                  {"1252x", 0},
                                                  {"99999999999", 0}};
  for (const auto& [label, codePage] : rows)
    EXPECT_EQ(codePage, LVTCharset::CodePageFromLabel(label)) << label;
}

TEST(CharsetLabelsTest, DetectionFindsWhatBrowsersFind) {
  const std::pair<const char*, CHARSET> rows[] = {
      {"\xEF\xBB\xBF<meta charset=latin1>", 65001},  // the byte-order mark comes first
      {"<meta charset=gb2312/>", 0},                 // the slash belongs to the value
      {"<meta content='text/html;charset=koi8-r' http-equiv='content-type'>", 20866},
      {"<meta content=\"text/html; charset=euc-kr\">", 0},  // no http-equiv
      {"<!-- <meta charset=big5> --><meta charset=gbk>", 936},
      {"<title><meta charset=big5></title>", 950},  // the prescan does not know title
      {"<p title='<meta charset=big5>'><meta charset=euc-kr>", 949},
      {"<meta name=x><meta charset=utf-16le>", 65001},  // UTF-16 means UTF-8 here
      {"<meta charset=nonsense><meta charset=windows-1251>", 1251},
      {"<?xml version=\"1.0\" encoding=\"EUC-JP\"?><meta charset=big5>", 950},
      {" <?xml version=\"1.0\" encoding=\"EUC-JP\"?>", 0},  // must come first
  };
  // Undeclared, a page with a stray byte is windows-1252.
  for (const auto& [page, codePage] : rows)
    EXPECT_EQ(codePage != 0 ? codePage : 1252u, DetectCharset(std::string(page) + "\xE9")) << page;
  EXPECT_EQ(1200u, DetectCharset(std::string("\xFF\xFE<\0", 4)));
  // Only the first 1024 bytes are searched; validity is judged on the whole.
  EXPECT_EQ(65001u, DetectCharset(std::string(1020, ' ') + "<meta charset=big5>"));
  EXPECT_EQ(65001u, DetectCharset(""));
  EXPECT_EQ(1252u, DetectCharset("<p>\xE3\x81</p>"));
  EXPECT_EQ(1252u, DetectCharset(std::string(5000, 'a') + "\xFF"));
}

}  // namespace
