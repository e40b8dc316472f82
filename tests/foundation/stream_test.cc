#include <gtest/gtest.h>

#include <string>

#include "foundation/base/binary_stream.h"
#include "lumivant/memory_buffer.h"

namespace {

using LVTBase::BinaryStreamBuf;
using LVTFile::MemoryBuffer;

std::string Drain(BinaryStreamBuf& s) {
  MemoryBuffer out;
  s.Copy(out, BinaryStreamBuf::kAll);
  return out.Bytes();
}

TEST(StreamTest, ReadAheadMovesTellReadPastTheNextByte) {
  std::string page(10000, 'x');
  page.replace(6000, 6, "needle");
  MemoryBuffer s(page);
  char b[10];
  ASSERT_EQ(10u, s.Get(b, 10));
  EXPECT_EQ(4096u, s.TellRead()) << "a small read fills the read-ahead";
  EXPECT_EQ(10u, s.NextReadOffset());
  ASSERT_TRUE(s.Find("needle", 6));
  EXPECT_EQ(6000u, s.NextReadOffset());
  EXPECT_EQ(6u, s.PendingReadAhead());
  ASSERT_EQ(6u, s.Get(b, 6));
  EXPECT_EQ("needle", std::string(b, 6));
  EXPECT_FALSE(s.Find("needle", 6));
  EXPECT_EQ(0u, s.Get(b, 1));

  s.DeletePeekBuffer();
  s.SeekRead(0);
  EXPECT_EQ(page, Drain(s));
  s.SeekRead(5999);
  EXPECT_EQ("xneedlex", Drain(s).substr(0, 8));
}

TEST(StreamTest, CopyCountsAndStopsAtTheEnd) {
  MemoryBuffer s(std::string("abcdefgh"));
  MemoryBuffer out;
  char b[2];
  s.Get(b, 2);
  EXPECT_EQ(3u, s.Copy(out, 3));
  EXPECT_EQ(3u, s.Copy(out, 100));
  EXPECT_EQ(0u, s.Copy(out, BinaryStreamBuf::kAll));
  EXPECT_EQ("cdefgh", out.Bytes());
  EXPECT_EQ(8u, s.GetSize());
}

TEST(StreamTest, WritesSeekAndRefreshPendingBytes) {
  MemoryBuffer s(std::string("<m>text<m>"));
  ASSERT_TRUE(s.Find("<m>", 3));
  s.SeekWrite(s.NextReadOffset());
  s.Write("   ", 3);
  char b[4] = {};
  ASSERT_EQ(3u, s.Get(b, 3));
  EXPECT_EQ("   ", std::string(b, 3)) << "pending read-ahead sees the overwrite";
  ASSERT_TRUE(s.Find("<m>", 3));
  EXPECT_EQ(7u, s.NextReadOffset());

  MemoryBuffer grow(4);
  std::string big(100000, 'z');
  EXPECT_EQ(big.size(), grow.Write(big.data(), big.size()));
  EXPECT_EQ(100000u, grow.TellWrite());
  LVTBase::BinaryStream writer(grow);
  EXPECT_EQ(2u, LVTBase::Copy(writer, "hello", 2));
  EXPECT_EQ(100002u, grow.GetSize());
  EXPECT_EQ("he", grow.Bytes().substr(100000));
}

TEST(StreamTest, CopyOntoItselfAppendsWhatWasThere) {
  std::string page(100000, ' ');
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<char>('a' + i % 26);
  MemoryBuffer s(page);
  s.SeekWrite(s.GetSize());
  EXPECT_EQ(page.size(), s.Copy(s, BinaryStreamBuf::kAll));
  EXPECT_EQ(page + page, s.Bytes());
}

}  // namespace
