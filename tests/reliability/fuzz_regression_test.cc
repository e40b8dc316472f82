// Replays, through the fuzz cases' own invariant checks, every seed of the
// fuzz corpora and every input a fuzzing run kept because it broke one
// (tests/reliability/regressions/<target>/, written by scripts/fuzz.sh).
#include <gtest/gtest.h>

#include <string>

#include "fuzz/changes_case.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/highlight_case.h"
#include "fuzz/query_case.h"
#include "fuzz/transcode_case.h"
#include "testing/test_util.h"

namespace {

std::string SourcePath(const std::string& relative) {
  return lvt_testing::DataPath("../../" + relative);
}

// Runs every kept input of a target; returns how many there were.
std::size_t Replay(const std::string& target, lvt_fuzz::Case fuzzCase) {
  std::size_t count = 0;
  for (const std::string& dir : {SourcePath("fuzz/corpus/" + target),
                                 SourcePath("tests/reliability/regressions/" + target)}) {
    for (const std::string& file : lvt_testing::ListFiles(dir)) {
      EXPECT_EQ("", lvt_fuzz::RunCase(fuzzCase, lvt_testing::ReadFile(file))) << file;
      ++count;
    }
  }
  return count;
}

TEST(FuzzRegression, TranscodeInputsKeepTheirInvariants) {
  EXPECT_GT(Replay("transcode", lvt_fuzz::TranscodeCase), 10u);
}

TEST(FuzzRegression, QueryInputsKeepTheirInvariants) {
  EXPECT_GT(Replay("query", lvt_fuzz::QueryCase), 10u);
}

// Each changes input once more with word level, whatever its options say.
std::string WordLevelChangesCase(const uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  if (!input.empty()) input[0] = static_cast<char>(input[0] | 64);
  return lvt_fuzz::ChangesCase(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

TEST(FuzzRegression, ChangesInputsKeepTheirInvariants) {
  EXPECT_GT(Replay("changes", lvt_fuzz::ChangesCase), 10u);
  EXPECT_GT(Replay("changes", WordLevelChangesCase), 10u);
}

TEST(FuzzRegression, HighlightInputsKeepTheirInvariants) {
  EXPECT_GT(Replay("highlight", lvt_fuzz::HighlightCase), 10u);
}

// ISO-2022-JP after an invalid escape sequence ("ESC ( x"): the shift
// state carried from one slice of input to the next is the one within a
// slice, so where reads end does not matter (here: still double-byte).
TEST(FuzzRegression, Iso2022JpInvalidEscape) {
  const std::string page = "\x1b$B\x1b(xxBCD";
  const lvt_fuzz::Transcoded whole = lvt_fuzz::Transcode(50220, LVTCharset::kUtf8, page);
  lvt_fuzz::ChunkedStream cut(page, {7, 1});
  const lvt_fuzz::Transcoded pieces = lvt_fuzz::Transcode(50220, LVTCharset::kUtf8, cut);
  EXPECT_EQ(whole.bytes, pieces.bytes);
  EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xE5\x9B\xA3", whole.bytes);
}

// Converting to ISO-2022-JP, output the encoder could not place in a full
// target comes out with the next call, and after the last one when the
// stream ends: these 1274 bytes of windows-1251 make 4097 bytes, read
// whole or in chunks.
TEST(FuzzRegression, Iso2022JpLastCallOverflow) {
  const std::string input =
      lvt_testing::ReadFile(lvt_testing::DataPath("reliability/iso2022jp-last-call-overflow"));
  const std::string page = input.substr(3);  // after the fuzz case's control bytes
  const lvt_fuzz::Transcoded whole = lvt_fuzz::Transcode(1251, 50220, page);
  lvt_fuzz::ChunkedStream cut(page, {1, 5, 4096, 1});
  const lvt_fuzz::Transcoded pieces = lvt_fuzz::Transcode(1251, 50220, cut);
  EXPECT_EQ(4097u, whole.bytes.size());
  EXPECT_TRUE(pieces.bytes == whole.bytes);
}

// The checks must see what they are meant to see: each one fails on a
// hand-made output that breaks its invariant.
TEST(FuzzRegression, ChecksCatchWhatTheyGuard) {
  lvt_fuzz::OwnMarkup own{"lumivantquery", "Query", {}};
  own.AddInnerTags("<B style=\"color:black\">");
  const std::string page = "<p>some text here</p>";
  EXPECT_EQ("", lvt_fuzz::ElementDifference(page,
                                            "<p><a name=\"Query1\"></a><LumivantQuery><B "
                                            "style=\"color:black\">some"
                                            "</B></LumivantQuery> text here</p>",
                                            own));
  EXPECT_NE("", lvt_fuzz::ElementDifference(page, "<p>some <img src=x onerror=alert(1)></p>", own));
  EXPECT_NE("",
            lvt_fuzz::ElementDifference(page,
                                        "<p><LumivantQuery><B style=\"color:black\"><img src=x></B>"
                                        "</LumivantQuery></p>",
                                        own));
  EXPECT_NE("", lvt_fuzz::ElementDifference("<p>a</p><p>b</p>", "<p>a b</p>", own));
  EXPECT_EQ("",
            lvt_fuzz::AnchorFault("<a name=\"Query1\"></a>x<a name=\"Query2\"></a>", "Query", 2));
  EXPECT_NE("", lvt_fuzz::AnchorFault("<a name=\"Query2\"></a>", "Query", 1));
  EXPECT_NE("", lvt_fuzz::AnchorFault("<a name=\"Query1\"></a>", "Query", 2));
  std::string fault;
  EXPECT_EQ("<p>a</p>", lvt_fuzz::StripChanges("<p><a name=\"Change1\"></a><LumivantChanges>"
                                               "<i>a</i></LumivantChanges></p>",
                                               "<i>", "</i>", &fault));
  EXPECT_EQ("", fault);
  lvt_fuzz::StripChanges("<LumivantChanges><i>a", "<i>", "</i>", &fault);
  EXPECT_NE("", fault);
  EXPECT_EQ(
      "a\xEF\xBF\xBD"
      "b",
      lvt_fuzz::ReferenceUtf8("a\xC0"
                              "b\xE2\x82"));
}

}  // namespace
