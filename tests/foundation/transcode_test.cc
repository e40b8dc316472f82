#include "foundation/charset/transcode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/base/memory_buffer.h"
#include "foundation/charset/offsets.h"
#include "testing/test_util.h"

namespace {

using LVTCharset::BytesToWide;
using LVTCharset::CHARSET;
using LVTCharset::TranscodeStream;
using LVTCharset::WideToBytes;
using LVTFile::MemoryBuffer;

const std::string kFffd = "\xEF\xBF\xBD";

struct Streamed {
  uint32_t consumed;
  std::string out;
};

Streamed Stream(CHARSET from, CHARSET to, const std::string& bytes, bool flag = false) {
  MemoryBuffer in(bytes);
  MemoryBuffer out;
  Streamed s;
  s.consumed = TranscodeStream(from, to, in, out, flag);
  s.out = out.Bytes();
  return s;
}

// A stream that gives at most `chunk` bytes per read.
class ShortReads : public LVTBase::BinaryStreamBuf {
 public:
  ShortReads(std::string bytes, uint32_t chunk) : m_Bytes(std::move(bytes)), m_Chunk(chunk) {}

 protected:
  uint32_t ReadAt(uint32_t offset, void* buffer, uint32_t n) override {
    if (offset >= Size()) return 0;
    const uint32_t got = std::min({n, m_Chunk, Size() - offset});
    std::memcpy(buffer, m_Bytes.data() + offset, got);
    return got;
  }
  uint32_t WriteAt(uint32_t, const void*, uint32_t) override { return 0; }
  uint32_t Size() const override { return static_cast<uint32_t>(m_Bytes.size()); }

 private:
  std::string m_Bytes;
  uint32_t m_Chunk;
};

// The whole page decoded at once, for comparison with the streamed copy.
std::string Whole(CHARSET from, const std::string& bytes) {
  std::string utf8;
  std::vector<uint32_t> offsets;
  EXPECT_TRUE(LVTCharset::DecodeToUtf8WithOffsets(from, bytes, &utf8, &offsets));
  return utf8;
}

TEST(TranscodeTest, EmptyInputWritesNothing) {
  Streamed s = Stream(1252, 65001, "");
  EXPECT_EQ(0u, s.consumed);
  EXPECT_EQ("", s.out);
  std::string bytes = "kept";
  EXPECT_EQ(0u, WideToBytes(1201, 65001, u"", bytes, false));
  EXPECT_EQ("kept", bytes);
  std::u16string wide = u"kept";
  EXPECT_EQ(0u, BytesToWide(65001, 1201, "", wide, false));
  EXPECT_EQ(u"kept", wide);
}

TEST(TranscodeTest, SequencesSplitAcrossChunksConvertWhole) {
  // A two-, three- and four-byte character each straddling a 4096-byte edge.
  for (const std::string ch : {"\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80"}) {
    SCOPED_TRACE(ch.size());
    std::string page(4095, 'a');
    page += ch;
    page += std::string(5000, 'b') + ch + "end";
    Streamed s = Stream(65001, 65001, page);
    EXPECT_EQ(page.size(), s.consumed);
    EXPECT_EQ(page, s.out);
    std::u16string wide;
    EXPECT_EQ(page.size(), BytesToWide(65001, 1201, page, wide, false));
    EXPECT_EQ(lvt_testing::U16(page), wide);
  }
  // A Shift_JIS double-byte character with its lead byte last in a chunk.
  std::string sjis(4095, 'a');
  sjis += "\x82\xA0tail";
  Streamed s = Stream(932, 65001, sjis);
  EXPECT_EQ(sjis.size(), s.consumed);
  EXPECT_EQ(std::string(4095, 'a') + "\xE3\x81\x82tail", s.out);
}

TEST(TranscodeTest, SameCharsetStillGoesThroughTheConverter) {
  Streamed s = Stream(65001, 65001, "ok\xFFok");
  EXPECT_EQ(5u, s.consumed);
  EXPECT_EQ("ok" + kFffd + "ok", s.out);
}

TEST(TranscodeTest, CutOffLastSequenceIsDroppedUnlessTheFlagSaysFinal) {
  Streamed s = Stream(65001, 65001, "abc\xE3\x81");
  EXPECT_EQ(3u, s.consumed);
  EXPECT_EQ("abc", s.out);
  s = Stream(65001, 65001, "abc\xE3\x81", true);
  EXPECT_EQ(5u, s.consumed);
  EXPECT_EQ("abc" + kFffd, s.out);

  std::u16string wide;
  EXPECT_EQ(1u, BytesToWide(932, 1201, "a\x82", wide, false));
  EXPECT_EQ(u"a", wide);
  std::string bytes;
  EXPECT_EQ(1u, WideToBytes(1201, 65001, u"a\xD83D", bytes, false));
  EXPECT_EQ("a", bytes);
}

// A high surrogate waits for its low half only while the stream goes on:
// at its end it is unpaired, as one followed by anything else is.
TEST(TranscodeTest, UnpairedHighSurrogateEndingAStreamBecomesReplacement) {
  const std::u16string ends[] = {u"\xD83D", u"\xD83D\xD83D", u"\xDE00\xD83D"};
  const std::string fffd2 = kFffd + kFffd;
  const std::string expected[] = {kFffd, fffd2, fffd2};
  for (std::size_t k = 0; k < 3; ++k) {
    const std::u16string text = u"<p>caf\xE9 \xD83D\xDE00</p>" + ends[k];
    std::string little, host(2 * text.size(), '\0');  // UTF-16LE; 1201 is host order
    for (char16_t c : text) little += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    std::memcpy(&host[0], text.data(), host.size());
    for (const auto& [cs, page] : {std::pair<CHARSET, std::string>{1200, little}, {1201, host}}) {
      SCOPED_TRACE(testing::Message() << cs << " ending " << k);
      const std::string utf8 = "<p>caf\xC3\xA9 \xF0\x9F\x98\x80</p>" + expected[k];
      Streamed whole = Stream(cs, 65001, page);
      EXPECT_EQ(page.size(), whole.consumed);
      EXPECT_EQ(utf8, whole.out);
      for (uint32_t chunk : {1u, 2u, 3u, 5u}) {
        ShortReads in(page, chunk);
        MemoryBuffer out;
        EXPECT_EQ(page.size(), TranscodeStream(cs, 65001, in, out, false)) << chunk;
        EXPECT_EQ(utf8, out.Bytes()) << chunk;
      }
      // A byte after it is a cut-off unit and stays dropped.
      EXPECT_EQ(utf8, Stream(cs, 65001, page + "x").out);
    }
  }
}

TEST(TranscodeTest, StreamStartsAtTheReadPositionAndAppendsAtTheWritePosition) {
  MemoryBuffer in(std::string("skip\xE9t\xE9"));
  char skipped[4];
  ASSERT_EQ(4u, in.Get(skipped, 4));
  MemoryBuffer out(std::string("head:"));
  out.SeekWrite(5);
  EXPECT_EQ(3u, TranscodeStream(1252, 65001, in, out, false));
  EXPECT_EQ("head:\xC3\xA9t\xC3\xA9", out.Bytes());
}

TEST(TranscodeTest, LongSixteenBitStringTakesSeveralCallsInOrder) {
  std::u16string text;
  for (int i = 0; i < 3000; ++i)
    text +=
        u"\x4E2D"
        u"x\xD83D\xDE00";  // 12000 units
  std::string bytes = "prefix";
  EXPECT_EQ(text.size(), WideToBytes(1201, 65001, text, bytes, false));
  EXPECT_EQ("prefix" + lvt_testing::U8(text), bytes);

  std::u16string back = u">";
  EXPECT_EQ(bytes.size() - 6, BytesToWide(65001, 1201, bytes.substr(6), back, false));
  EXPECT_EQ(u">" + text, back);

  // Through a given two-stage converter, in a legacy set.
  LVTCharset::ConversionClass toSjis(1201, 932);
  std::string sjis;
  std::u16string kana(5000, u'\x3042');
  EXPECT_EQ(kana.size(), WideToBytes(toSjis, kana, sjis, false));
  EXPECT_EQ(10000u, sjis.size());
  LVTCharset::ConversionClass fromSjis(932, 1201);
  std::u16string decoded = u"<";
  EXPECT_EQ(sjis.size(), BytesToWide(fromSjis, sjis, decoded, false));
  EXPECT_EQ(u"<" + kana, decoded);
}

TEST(TranscodeTest, UnsupportedPairConvertsNothing) {
  MemoryBuffer in(std::string("abc"));
  MemoryBuffer out;
  EXPECT_EQ(0u, TranscodeStream(4242, 65001, in, out, false));
  EXPECT_EQ("", out.Bytes());
  EXPECT_EQ(0u, in.NextReadOffset());
  std::string bytes;
  EXPECT_EQ(0u, WideToBytes(1201, 4242, u"abc", bytes, false));
}

// Real pages streamed chunk by chunk give what decoding them whole gives.
TEST(TranscodeTest, RealPagesStreamLikeWholeDecoding) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  const struct {
    const char* file;
    CHARSET cs;
  } pages[] = {{"sakura-HLP000193-sjis.html", 932},
               {"httpd-core-ja-eucjp.html", 51932},
               {"httpd-index-ja-iso2022jp.html", 50220},
               {"httpd-index-ko-euckr.html", 949},
               {"geekbone-FAQr-gb2312.htm", 936},
               {"httpd-core-de-latin1.html", 1252},
               {"gmw-zh.html", 65001}};
  for (const auto& page : pages) {
    SCOPED_TRACE(page.file);
    const std::string bytes = lvt_testing::ReadFile(corpus + "/pages/" + page.file);
    Streamed s = Stream(page.cs, 65001, bytes);
    EXPECT_EQ(bytes.size(), s.consumed);
    EXPECT_TRUE(s.out == Whole(page.cs, bytes));
    // And back to the page's own set: the same bytes where it is clean.
    if (page.cs != 50220 && s.out.find(kFffd) == std::string::npos) {
      Streamed back = Stream(65001, page.cs, s.out);
      EXPECT_TRUE(back.out == bytes);
    }
  }
}

}  // namespace
