#include "foundation/charset/labels.h"

#include <cstdlib>
#include <cstring>

#include "foundation/base/ascii.h"
#include "foundation/charset/codecs.h"
#include "foundation/charset/utf.h"

namespace LVTCharset {

namespace {

struct Label {
  const char* name;
  CHARSET codePage;
};

// The encoding labels browsers know, with the code page each means, plus a
// few common code-page names. Browsers read latin1, ascii and iso-8859-1 as
// windows-1252, and iso-8859-9 and iso-8859-11 as windows-1254 and 874.
constexpr Label kLabels[] = {
    {"unicode-1-1-utf-8", 65001},
    {"unicode11utf8", 65001},
    {"unicode20utf8", 65001},
    {"utf-8", 65001},
    {"utf8", 65001},
    {"x-unicode20utf8", 65001},
    {"866", 866},
    {"cp866", 866},
    {"csibm866", 866},
    {"ibm866", 866},
    {"csisolatin2", 28592},
    {"iso-8859-2", 28592},
    {"iso-ir-101", 28592},
    {"iso8859-2", 28592},
    {"iso88592", 28592},
    {"iso_8859-2", 28592},
    {"iso_8859-2:1987", 28592},
    {"l2", 28592},
    {"latin2", 28592},
    {"csisolatin3", 28593},
    {"iso-8859-3", 28593},
    {"iso-ir-109", 28593},
    {"iso8859-3", 28593},
    {"iso88593", 28593},
    {"iso_8859-3", 28593},
    {"iso_8859-3:1988", 28593},
    {"l3", 28593},
    {"latin3", 28593},
    {"csisolatin4", 28594},
    {"iso-8859-4", 28594},
    {"iso-ir-110", 28594},
    {"iso8859-4", 28594},
    {"iso88594", 28594},
    {"iso_8859-4", 28594},
    {"iso_8859-4:1988", 28594},
    {"l4", 28594},
    {"latin4", 28594},
    {"csisolatincyrillic", 28595},
    {"cyrillic", 28595},
    {"iso-8859-5", 28595},
    {"iso-ir-144", 28595},
    {"iso8859-5", 28595},
    {"iso88595", 28595},
    {"iso_8859-5", 28595},
    {"iso_8859-5:1988", 28595},
    {"arabic", 28596},
    {"asmo-708", 28596},
    {"csiso88596e", 28596},
    {"csiso88596i", 28596},
    {"csisolatinarabic", 28596},
    {"ecma-114", 28596},
    {"iso-8859-6", 28596},
    {"iso-8859-6-e", 28596},
    {"iso-8859-6-i", 28596},
    {"iso-ir-127", 28596},
    {"iso8859-6", 28596},
    {"iso88596", 28596},
    {"iso_8859-6", 28596},
    {"iso_8859-6:1987", 28596},
    {"csisolatingreek", 28597},
    {"ecma-118", 28597},
    {"elot_928", 28597},
    {"greek", 28597},
    {"greek8", 28597},
    {"iso-8859-7", 28597},
    {"iso-ir-126", 28597},
    {"iso8859-7", 28597},
    {"iso88597", 28597},
    {"iso_8859-7", 28597},
    {"iso_8859-7:1987", 28597},
    {"sun_eu_greek", 28597},
    {"csiso88598e", 28598},
    {"csisolatinhebrew", 28598},
    {"hebrew", 28598},
    {"iso-8859-8", 28598},
    {"iso-8859-8-e", 28598},
    {"iso-ir-138", 28598},
    {"iso8859-8", 28598},
    {"iso88598", 28598},
    {"iso_8859-8", 28598},
    {"iso_8859-8:1988", 28598},
    {"visual", 28598},
    {"csiso88598i", 38598},
    {"iso-8859-8-i", 38598},
    {"logical", 38598},
    {"csisolatin6", 28600},
    {"iso-8859-10", 28600},
    {"iso-ir-157", 28600},
    {"iso8859-10", 28600},
    {"iso885910", 28600},
    {"l6", 28600},
    {"latin6", 28600},
    {"iso-8859-13", 28603},
    {"iso8859-13", 28603},
    {"iso885913", 28603},
    {"iso-8859-14", 28604},
    {"iso8859-14", 28604},
    {"iso885914", 28604},
    {"csisolatin9", 28605},
    {"iso-8859-15", 28605},
    {"iso8859-15", 28605},
    {"iso885915", 28605},
    {"iso_8859-15", 28605},
    {"l9", 28605},
    {"iso-8859-16", 28606},
    {"cskoi8r", 20866},
    {"koi", 20866},
    {"koi8", 20866},
    {"koi8-r", 20866},
    {"koi8_r", 20866},
    {"koi8-ru", 21866},
    {"koi8-u", 21866},
    {"csmacintosh", 10000},
    {"mac", 10000},
    {"macintosh", 10000},
    {"x-mac-roman", 10000},
    {"x-mac-cyrillic", 10007},
    {"x-mac-ukrainian", 10007},
    {"dos-874", 874},
    {"iso-8859-11", 874},
    {"iso8859-11", 874},
    {"iso885911", 874},
    {"tis-620", 874},
    {"windows-874", 874},
    {"cp1250", 1250},
    {"windows-1250", 1250},
    {"x-cp1250", 1250},
    {"cp1251", 1251},
    {"windows-1251", 1251},
    {"x-cp1251", 1251},
    {"ansi_x3.4-1968", 1252},
    {"ascii", 1252},
    {"cp1252", 1252},
    {"cp819", 1252},
    {"csisolatin1", 1252},
    {"ibm819", 1252},
    {"iso-8859-1", 1252},
    {"iso-ir-100", 1252},
    {"iso8859-1", 1252},
    {"iso88591", 1252},
    {"iso_8859-1", 1252},
    {"iso_8859-1:1987", 1252},
    {"l1", 1252},
    {"latin1", 1252},
    {"us-ascii", 1252},
    {"windows-1252", 1252},
    {"x-cp1252", 1252},
    {"cp1253", 1253},
    {"windows-1253", 1253},
    {"x-cp1253", 1253},
    {"cp1254", 1254},
    {"csisolatin5", 1254},
    {"iso-8859-9", 1254},
    {"iso-ir-148", 1254},
    {"iso8859-9", 1254},
    {"iso88599", 1254},
    {"iso_8859-9", 1254},
    {"iso_8859-9:1989", 1254},
    {"l5", 1254},
    {"latin5", 1254},
    {"windows-1254", 1254},
    {"x-cp1254", 1254},
    {"cp1255", 1255},
    {"windows-1255", 1255},
    {"x-cp1255", 1255},
    {"cp1256", 1256},
    {"windows-1256", 1256},
    {"x-cp1256", 1256},
    {"cp1257", 1257},
    {"windows-1257", 1257},
    {"x-cp1257", 1257},
    {"cp1258", 1258},
    {"windows-1258", 1258},
    {"x-cp1258", 1258},
    {"chinese", 936},
    {"csgb2312", 936},
    {"csiso58gb231280", 936},
    {"gb2312", 936},
    {"gb_2312", 936},
    {"gb_2312-80", 936},
    {"gbk", 936},
    {"iso-ir-58", 936},
    {"x-gbk", 936},
    {"cp936", 936},
    {"gb18030", 54936},
    {"big5", 950},
    {"big5-hkscs", 950},
    {"cn-big5", 950},
    {"csbig5", 950},
    {"x-x-big5", 950},
    {"cp950", 950},
    {"cseucpkdfmtjapanese", 51932},
    {"euc-jp", 51932},
    {"x-euc-jp", 51932},
    {"csiso2022jp", 50220},
    {"iso-2022-jp", 50220},
    {"csshiftjis", 932},
    {"ms932", 932},
    {"ms_kanji", 932},
    {"shift-jis", 932},
    {"shift_jis", 932},
    {"sjis", 932},
    {"windows-31j", 932},
    {"x-sjis", 932},
    {"cp932", 932},
    {"cseuckr", 949},
    {"csksc56011987", 949},
    {"euc-kr", 949},
    {"iso-ir-149", 949},
    {"korean", 949},
    {"ks_c_5601-1987", 949},
    {"ks_c_5601-1989", 949},
    {"ksc5601", 949},
    {"ksc_5601", 949},
    {"windows-949", 949},
    {"cp949", 949},
    {"csunicode", 1200},
    {"iso-10646-ucs-2", 1200},
    {"ucs-2", 1200},
    {"unicode", 1200},
    {"unicodefeff", 1200},
    {"utf-16", 1200},
    {"utf-16le", 1200},
    {"437", 437},
    {"cp437", 437},
    {"ibm437", 437},
    {"cspc8codepage437", 437},
    {"850", 850},
    {"cp850", 850},
    {"ibm850", 850},
    {"cspc850multilingual", 850},
};

// A decimal code page after an optional cp / windows- / ibm prefix.
CHARSET NumberedCodePage(const std::string& label) {
  std::size_t start = 0;
  for (const char* prefix : {"windows-", "x-cp", "cp", "ibm"}) {
    if (label.compare(0, std::strlen(prefix), prefix) == 0) {
      start = std::strlen(prefix);
      break;
    }
  }
  if (start == label.size() || label.size() - start > 6) return 0;
  for (std::size_t i = start; i < label.size(); ++i) {
    if (label[i] < '0' || label[i] > '9') return 0;
  }
  const CHARSET n = static_cast<CHARSET>(std::strtoul(label.c_str() + start, nullptr, 10));
  return IsSupportedCodePage(n) ? n : 0;
}

}  // namespace

CHARSET CodePageFromLabel(std::string_view label) {
  while (!label.empty() && LVTBase::IsHtmlSpace(label.front())) label.remove_prefix(1);
  while (!label.empty() && LVTBase::IsHtmlSpace(label.back())) label.remove_suffix(1);
  std::string lower(label);
  LVTBase::LowerAsciiInPlace(lower);
  for (const Label& entry : kLabels) {
    if (lower == entry.name) return IsSupportedCodePage(entry.codePage) ? entry.codePage : 0;
  }
  return NumberedCodePage(lower);
}

bool IsSupportedCodePage(CHARSET codePage) { return LookUpCodec(codePage).codec != Codec::kNone; }

std::string LabelFromCodePage(CHARSET codePage) {
  // Each encoding's own name, as browsers report it; any other label of
  // the table would read back the same, but these are the ones people know.
  static constexpr const char* kPreferred[] = {
      "utf-8",        "utf-16le",     "utf-16be",     "windows-1252", "iso-8859-2",
      "iso-8859-3",   "iso-8859-4",   "iso-8859-5",   "iso-8859-6",   "iso-8859-7",
      "iso-8859-8",   "iso-8859-8-i", "iso-8859-10",  "iso-8859-13",  "iso-8859-14",
      "iso-8859-15",  "iso-8859-16",  "koi8-r",       "koi8-u",       "macintosh",
      "windows-874",  "windows-1250", "windows-1251", "windows-1253", "windows-1254",
      "windows-1255", "windows-1256", "windows-1257", "windows-1258", "x-mac-cyrillic",
      "gbk",          "gb18030",      "big5",         "euc-jp",       "iso-2022-jp",
      "shift_jis",    "euc-kr",       "ibm866"};
  for (const char* name : kPreferred) {
    if (CodePageFromLabel(name) == codePage) return name;
  }
  return std::to_string(codePage);
}

}  // namespace LVTCharset
