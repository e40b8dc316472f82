#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "foundation/charset/offsets.h"
#include "testing/test_util.h"

namespace {

using LVTCharset::CHARSET;
using LVTCharset::CodePageFromLabel;
using LVTCharset::DetectCharset;

TEST(CharsetLabelsTest, LabelsNameTheCodePagesBrowsersUse) {
  const struct {
    const char* label;
    CHARSET codePage;
  } rows[] = {
      {"utf-8", 65001},        {"UTF8", 65001},         {"  utf-8\t", 65001},
      {"windows-1252", 1252},  {"iso-8859-1", 1252},    {"Latin1", 1252},
      {"us-ascii", 1252},      {"shift_jis", 932},      {"SJIS", 932},
      {"cp932", 932},          {"windows-31j", 932},    {"euc-jp", 51932},
      {"iso-2022-jp", 50220},  {"gb2312", 936},         {"GBK", 936},
      {"gb18030", 54936},      {"big5", 950},           {"euc-kr", 949},
      {"ks_c_5601-1987", 949}, {"koi8-r", 20866},       {"koi8-u", 21866},
      {"iso-8859-2", 28592},   {"iso-8859-9", 1254},    {"iso-8859-15", 28605},
      {"iso-8859-16", 28606},  {"iso-8859-8-i", 38598}, {"tis-620", 874},
      {"windows-1250", 1250},  {"windows-1258", 1258},  {"macintosh", 10000},
      {"ibm866", 866},         {"utf-16le", 1200},      {"utf-16", 1200},
      {"1252", 1252},          {"65001", 65001},        {"28591", 28591},
      {"cp850", 850},          {"ibm437", 437},         {"windows-936", 936},
  };
  for (const auto& row : rows) EXPECT_EQ(row.codePage, CodePageFromLabel(row.label)) << row.label;
  for (const char* bad : {"", "utf-7", "utf-16be", "x-user-defined", "12345", "cp", "windows-",
                          "1252x", "99999999999"}) {
    EXPECT_EQ(0u, CodePageFromLabel(bad)) << bad;
  }
}

TEST(CharsetLabelsTest, EveryListedCodePageIsSupported) {
  std::vector<CHARSET> pages = {65001, 1200,  1201,  874,   932,   936, 949, 950, 54936,
                                20866, 21866, 51932, 50220, 10000, 437, 850, 866};
  for (CHARSET cp = 1250; cp <= 1258; ++cp) pages.push_back(cp);
  for (CHARSET cp = 28591; cp <= 28606; ++cp) {
    if (cp != 28602) pages.push_back(cp);  // there is no ISO-8859-12
  }
  for (CHARSET cp : pages) EXPECT_TRUE(LVTCharset::IsSupportedCodePage(cp)) << cp;
  EXPECT_FALSE(LVTCharset::IsSupportedCodePage(0));
  EXPECT_FALSE(LVTCharset::IsSupportedCodePage(28602));
  EXPECT_FALSE(LVTCharset::IsSupportedCodePage(4242));
}

TEST(CharsetLabelsTest, ByteOrderMarkComesFirst) {
  EXPECT_EQ(65001u, DetectCharset("\xEF\xBB\xBF<meta charset=latin1>\xE9"));
  EXPECT_EQ(1200u, DetectCharset(std::string("\xFF\xFE<\0", 4)));
}

TEST(CharsetLabelsTest, MetaDeclarationsAreFoundAsBrowsersFindThem) {
  const struct {
    const char* page;
    CHARSET codePage;
  } rows[] = {
      {"<meta charset=\"shift_jis\">", 932},
      {"<html><head><META CHARSET='EUC-JP'>", 51932},
      {"<meta charset=gb2312/>", 0},  // the slash belongs to the value
      {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-2\">", 28592},
      {"<meta content='text/html;charset=koi8-r' http-equiv='content-type'>", 20866},
      {"<meta content=\"text/html; charset=euc-kr\">", 0},  // no http-equiv
      {"<meta http-equiv=content-type content=\"charset = 'big5'\">", 950},
      {"<!-- <meta charset=big5> --><meta charset=gbk>", 936},
      {"<title><meta charset=big5></title>", 950},  // the prescan does not know title
      {"<p title='<meta charset=big5>'><meta charset=euc-kr>", 949},
      {"<meta name=x><meta charset=utf-16le>", 65001},  // UTF-16 means UTF-8 here
      {"<meta charset=nonsense><meta charset=windows-1251>", 1251},
      {"<metadata charset=big5>", 0},
      {"<?xml version=\"1.0\" encoding=\"EUC-JP\"?><html>", 51932},
      {"<?xml version='1.0' encoding='utf-16'?>", 65001},
      {"<?xml version=\"1.0\" encoding=\"EUC-JP\"?><meta charset=big5>", 950},
      {" <?xml version=\"1.0\" encoding=\"EUC-JP\"?>", 0},  // must come first
  };
  for (const auto& row : rows) {
    // An undeclared page of ASCII would be UTF-8; one with a stray byte 1252.
    const std::string page = std::string(row.page) + "\xE9";
    const CHARSET expected = row.codePage != 0 ? row.codePage : 1252u;
    EXPECT_EQ(expected, DetectCharset(page)) << row.page;
  }
  // Only the first 1024 bytes are searched.
  const std::string late = std::string(1020, ' ') + "<meta charset=big5>";
  EXPECT_EQ(65001u, DetectCharset(late));
}

TEST(CharsetLabelsTest, UndeclaredPagesAreUtf8WhenValidElseWindows1252) {
  EXPECT_EQ(65001u, DetectCharset(""));
  EXPECT_EQ(65001u, DetectCharset("<p>caf\xC3\xA9</p>"));
  EXPECT_EQ(1252u, DetectCharset("<p>caf\xE9</p>"));
  EXPECT_EQ(1252u, DetectCharset("<p>\xE3\x81</p>"));
  // Validity is judged on the whole page, not the first kilobyte.
  EXPECT_EQ(1252u, DetectCharset(std::string(5000, 'a') + "\xFF"));
}

// Each corpus page is read in the set detected for it; pages whose bytes
// are clean in their declared set come out without a replacement character.
TEST(CharsetLabelsTest, CorpusPagesDecodeCleanlyInTheirDetectedCharset) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  const struct {
    const char* file;
    CHARSET detected;
  } pages[] = {
      {"wikipedia-en-1.html", 65001},
      {"bbc-1.html", 65001},
      {"gmw-zh.html", 65001},
      {"aktualne-cs.html", 65001},
      {"geekbone-FAQr-gb2312.htm", 936},
      {"sakura-HLP000193-sjis.html", 932},
      {"sakura-HLP_UR009-sjis.html", 932},
      {"httpd-core-ja-eucjp.html", 51932},
      {"httpd-index-ko-euckr.html", 949},
      {"httpd-core-de-latin1.html", 1252},
      {"httpd-index-ptbr-latin1.html", 1252},
      {"httpd-index-ja-iso2022jp.html", 50220},
  };
  for (const auto& page : pages) {
    SCOPED_TRACE(page.file);
    const std::string bytes = lvt_testing::ReadFile(corpus + "/pages/" + page.file);
    const CHARSET cs = DetectCharset(bytes);
    EXPECT_EQ(page.detected, cs);
    std::string utf8;
    std::vector<uint32_t> offsets;
    ASSERT_TRUE(LVTCharset::DecodeToUtf8WithOffsets(cs, bytes, &utf8, &offsets));
    // The ISO-2022-JP page has two escapes in a row, an error for browsers too.
    if (cs != 50220) {
      EXPECT_EQ(std::string::npos, utf8.find("\xEF\xBF\xBD"));
    }
  }
}

}  // namespace
