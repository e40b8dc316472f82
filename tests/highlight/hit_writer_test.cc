// The forward writer on hand-made runs, independent of any HTML parser: the
// byte offsets below are counted by hand on the page strings.
#include "highlight/hit_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

using lvt_testing::U16;
using LVTDT::HitWriter;
using LVTDT::RawText;
using LVTDT::RawTextHandle;

RawTextHandle MakeRun(const std::string& text, uint32_t start, uint32_t length, uint32_t anchor) {
  RawTextHandle run = LVT::MakeSmart<RawText>();
  run->m_Text = U16(text);
  run->m_Start = start;
  run->m_Length = length;
  run->m_AnchorPos = anchor;
  return run;
}

// Short tags keep the expectations readable.
constexpr char kStart[] = "[";
constexpr char kEnd[] = "]";
std::string Hit(const std::string& word) { return "<LumivantQuery>[" + word + "]</LumivantQuery>"; }

class HitWriterTest : public ::testing::Test {
 protected:
  HitWriterTest() : m_Page(std::string(kPage)), m_Writer(m_Page, m_Output) {}

  static constexpr char kPage[] = "<p>Tom &amp; Jerry</p><a href=x>one<b>two</b></a><p>end</p>";
  // Text nodes: "Tom &amp; Jerry" at 3 (15 bytes), "one" at 32, "two" at 38,
  // "end" at 52.

  LVTFile::MemoryBuffer m_Page;
  LVTFile::MemoryBuffer m_Output;
  HitWriter m_Writer;
  uint32_t m_Anchors = 0;
};

TEST_F(HitWriterTest, RewritesOnlyNodesWithHitsAndEscapesTheirText) {
  RawTextHandle tom = MakeRun("Tom & Jerry ", 3, 15, 3);
  EXPECT_TRUE(m_Writer.AnchorGroup(*tom, m_Anchors));
  m_Writer.WrapPiece(tom, 6, 5, kStart, kEnd);
  m_Writer.Finish();
  EXPECT_EQ(1u, m_Anchors);
  EXPECT_EQ("<p><a name=\"Query1\"></a>Tom &amp; " + Hit("Jerry") +
                " </p><a href=x>one<b>two</b></a><p>end</p>",
            m_Output.Bytes());
}

TEST_F(HitWriterTest, OneAnchorForSeveralNodesOfOneLink) {
  RawTextHandle one = MakeRun("one", 32, 3, 22);
  RawTextHandle two = MakeRun("two", 38, 3, 22);
  RawTextHandle end = MakeRun("end ", 52, 3, 52);
  EXPECT_TRUE(m_Writer.AnchorGroup(*one, m_Anchors));
  m_Writer.WrapPiece(one, 0, 3, kStart, kEnd);
  EXPECT_FALSE(m_Writer.AnchorGroup(*two, m_Anchors)) << "the link's anchor is behind";
  m_Writer.WrapPiece(two, 0, 3, kStart, kEnd);
  EXPECT_TRUE(m_Writer.AnchorGroup(*end, m_Anchors));
  m_Writer.WrapPiece(end, 0, 3, kStart, kEnd);
  m_Writer.Finish();
  EXPECT_EQ(2u, m_Anchors);
  EXPECT_EQ("<p>Tom &amp; Jerry</p><a name=\"Query1\"></a><a href=x>" + Hit("one") + "<b>" +
                Hit("two") + "</b></a><p><a name=\"Query2\"></a>" + Hit("end") + " </p>",
            m_Output.Bytes());
}

TEST_F(HitWriterTest, SecondGroupInTheOpenNodeGetsNoAnchor) {
  RawTextHandle tom = MakeRun("Tom & Jerry ", 3, 15, 3);
  EXPECT_TRUE(m_Writer.AnchorGroup(*tom, m_Anchors));
  m_Writer.WrapPiece(tom, 0, 3, kStart, kEnd);
  EXPECT_FALSE(m_Writer.AnchorGroup(*tom, m_Anchors));
  m_Writer.WrapPiece(tom, 6, 5, "{", "}");
  m_Writer.Finish();
  EXPECT_EQ(1u, m_Anchors);
  EXPECT_EQ("<p><a name=\"Query1\"></a>" + Hit("Tom") +
                " &amp; <LumivantQuery>{Jerry}</LumivantQuery> </p>"
                "<a href=x>one<b>two</b></a><p>end</p>",
            m_Output.Bytes());
}

TEST_F(HitWriterTest, PiecesOutOfOrderNeverDuplicateOrLoseBytes) {
  RawTextHandle tom = MakeRun("Tom & Jerry", 3, 15, 3);
  RawTextHandle end = MakeRun("end", 52, 3, 52);
  m_Writer.WrapPiece(tom, 4, 1, kStart, kEnd);
  m_Writer.WrapPiece(tom, 0, 3, kStart, kEnd);   // behind in the open node
  m_Writer.WrapPiece(tom, 6, 40, kStart, kEnd);  // clipped to the text
  m_Writer.WrapPiece(end, 0, 3, kStart, kEnd);
  m_Writer.WrapPiece(tom, 0, 3, kStart, kEnd);  // node behind the page position
  m_Writer.Finish();
  EXPECT_EQ("<p>Tom " + Hit("&amp;") + " " + Hit("Jerry") + "</p><a href=x>one<b>two</b></a><p>" +
                Hit("end") + "</p>",
            m_Output.Bytes());
}

TEST(HitWriterEscapeTest, DecodedMarkupInTextIsWrittenInert) {
  const std::string page = "<p>&lt;script&gt;alert(1)&lt;/script&gt; &amp;c</p>";
  LVTFile::MemoryBuffer in(page);
  LVTFile::MemoryBuffer out;
  HitWriter writer(in, out);
  RawTextHandle run = MakeRun("<script>alert(1)</script> &c", 3, 44, 3);
  writer.WrapPiece(run, 8, 5, kStart, kEnd);
  writer.Finish();
  EXPECT_EQ("<p>&lt;script&gt;" + Hit("alert") + "(1)&lt;/script&gt; &amp;c</p>", out.Bytes());
}

TEST(HitWriterEscapeTest, NothingToWriteCopiesThePage) {
  const std::string page(10000, 'x');
  LVTFile::MemoryBuffer in(page);
  LVTFile::MemoryBuffer out;
  HitWriter writer(in, out);
  writer.Finish();
  EXPECT_EQ(page, out.Bytes());
}

}  // namespace
