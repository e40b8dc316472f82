#include "foundation/charset/codecs.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

namespace LVTCharset {

namespace {

struct KnownCodePage {
  CHARSET codePage;
  Codec codec;
  const char* icuName;
};

// ICU is asked by the names of Windows tables where it has them; plain
// "cp<N>" names would give IBM tables with other mappings.
constexpr KnownCodePage kKnown[] = {
    {1250, Codec::kIcu, "windows-1250"},    {1251, Codec::kIcu, "windows-1251"},
    {1252, Codec::kIcu, "windows-1252"},    {1253, Codec::kIcu, "windows-1253"},
    {1254, Codec::kIcu, "windows-1254"},    {1255, Codec::kIcu, "windows-1255"},
    {1256, Codec::kIcu, "windows-1256"},    {1257, Codec::kIcu, "windows-1257"},
    {1258, Codec::kIcu, "windows-1258"},    {874, Codec::kIcu, "windows-874"},
    {932, Codec::kIcu, "windows-932"},      {936, Codec::kIcu, "windows-936"},
    {949, Codec::kIcu, "windows-949"},      {950, Codec::kIcu, "windows-950"},
    {54936, Codec::kIcu, "GB18030"},        {20866, Codec::kIcu, "windows-20866"},
    {21866, Codec::kIcu, "windows-21866"},  {20127, Codec::kIcu, "US-ASCII"},
    {28591, Codec::kIcu, "ISO-8859-1"},     {28592, Codec::kIcu, "ISO-8859-2"},
    {28593, Codec::kIcu, "ISO-8859-3"},     {28594, Codec::kIcu, "ISO-8859-4"},
    {28595, Codec::kIcu, "ISO-8859-5"},     {28596, Codec::kIcu, "ISO-8859-6"},
    {28597, Codec::kIcu, "ISO-8859-7"},     {28598, Codec::kIcu, "ISO-8859-8"},
    {28599, Codec::kIcu, "ISO-8859-9"},     {28600, Codec::kIcu, "ISO-8859-10"},
    {28601, Codec::kIcu, "ISO-8859-11"},    {28603, Codec::kIcu, "ISO-8859-13"},
    {28604, Codec::kIcu, "ISO-8859-14"},    {28605, Codec::kIcu, "ISO-8859-15"},
    {28606, Codec::kTable, nullptr},     // ICU's data lacks ISO-8859-16
    {38598, Codec::kIcu, "ISO-8859-8"},  // logical order: same bytes
    {51932, Codec::kIcu, "EUC-JP"},         {51949, Codec::kIcu, "EUC-KR"},
    {50220, Codec::kIcu, "ISO-2022-JP"},    {10000, Codec::kIcu, "macintosh"},
    {10007, Codec::kIcu, "x-mac-cyrillic"}, {437, Codec::kIcu, "windows-437"},
    {737, Codec::kIcu, "windows-737"},      {775, Codec::kIcu, "windows-775"},
    {850, Codec::kIcu, "windows-850"},      {852, Codec::kIcu, "windows-852"},
    {855, Codec::kIcu, "windows-855"},      {857, Codec::kIcu, "windows-857"},
    {861, Codec::kIcu, "windows-861"},      {862, Codec::kIcu, "windows-862"},
    {866, Codec::kIcu, "windows-866"},      {869, Codec::kIcu, "windows-869"},
};

// ISO-8859-16, bytes 0xA0 to 0xFF; below 0xA0 the bytes are their own code.
constexpr char16_t kIso885916High[96] = {
    0x00A0, 0x0104, 0x0105, 0x0141, 0x20AC, 0x201E, 0x0160, 0x00A7, 0x0161, 0x00A9, 0x0218, 0x00AB,
    0x0179, 0x00AD, 0x017A, 0x017B, 0x00B0, 0x00B1, 0x010C, 0x0142, 0x017D, 0x201D, 0x00B6, 0x00B7,
    0x017E, 0x010D, 0x0219, 0x00BB, 0x0152, 0x0153, 0x0178, 0x017C, 0x00C0, 0x00C1, 0x00C2, 0x0102,
    0x00C4, 0x0106, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x0110, 0x0143, 0x00D2, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x015A, 0x0170, 0x00D9, 0x00DA, 0x00DB,
    0x00DC, 0x0118, 0x021A, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x0107, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x0111, 0x0144, 0x00F2, 0x00F3,
    0x00F4, 0x0151, 0x00F6, 0x015B, 0x0171, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0119, 0x021B, 0x00FF};

// Decoding writes U+FFFD for every unmappable or ill-formed sequence; ICU's
// own substitution would write U+001A for single bytes of some tables.
void ToUReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                    UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to do
  static const UChar kFffd = 0xFFFD;
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kFffd, 1, 0, err);
}

UConverter* OpenConverter(const char* name) {
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cnv = ucnv_open(name, &err);
  if (U_FAILURE(err)) return nullptr;
  err = U_ZERO_ERROR;
  ucnv_setToUCallBack(cnv, ToUReplacement, nullptr, nullptr, nullptr, &err);
  err = U_ZERO_ERROR;
  ucnv_setSubstChars(cnv, "?", 1, &err);
  if (U_FAILURE(err)) {
    ucnv_close(cnv);
    return nullptr;
  }
  return cnv;
}

// Idle converters by code page. Set when the pool is gone at exit, so that a
// lease ending later closes its converter instead of returning it.
std::atomic<bool> g_PoolGone{false};

class Pool {
 public:
  ~Pool() {
    g_PoolGone = true;
    for (auto& entry : m_Idle)
      for (UConverter* cnv : entry.second) ucnv_close(cnv);
  }

  UConverter* Take(CHARSET codePage, const char* name) {
    {
      std::lock_guard<std::mutex> lock(m_Mutex);
      auto& idle = m_Idle[codePage];
      if (!idle.empty()) {
        UConverter* cnv = idle.back();
        idle.pop_back();
        return cnv;
      }
    }
    return OpenConverter(name);
  }

  void Give(CHARSET codePage, UConverter* cnv) {
    ucnv_reset(cnv);
    {
      std::lock_guard<std::mutex> lock(m_Mutex);
      auto& idle = m_Idle[codePage];
      // Enough for a few threads converting at once; more are closed.
      if (idle.size() < kMaxIdle) {
        idle.push_back(cnv);
        return;
      }
    }
    ucnv_close(cnv);
  }

 private:
  static constexpr std::size_t kMaxIdle = 8;
  std::mutex m_Mutex;
  std::map<CHARSET, std::vector<UConverter*>> m_Idle;
};

Pool& ThePool() {
  static Pool pool;
  return pool;
}

void FillFromUnit(ByteTable& table) {
  table.asciiSame = true;
  for (int b = 0; b < 256; ++b) {
    const char16_t c = table.toUnit[b];
    if (b < 0x80 && c != b) table.asciiSame = false;
    auto& form = table.toUtf8[b];
    if (c < 0x80) {
      form = {1, {static_cast<char>(c), 0, 0}};
    } else if (c < 0x800) {
      form = {2, {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0}};
    } else {
      form = {3,
              {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
               static_cast<char>(0x80 | (c & 0x3F))}};
    }
  }
  table.fromUnit.clear();
  for (int b = 0; b < 256; ++b) {
    if (table.toUnit[b] != 0xFFFD)
      table.fromUnit.emplace_back(table.toUnit[b], static_cast<unsigned char>(b));
  }
  // Stable: where two bytes mean the same character, the lower one wins.
  std::stable_sort(table.fromUnit.begin(), table.fromUnit.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  table.fromUnit.erase(std::unique(table.fromUnit.begin(), table.fromUnit.end(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; }),
                       table.fromUnit.end());
}

// Reads a single-byte ICU table into a ByteTable; false when the converter
// is not a plain single-byte one (a byte that yields other than one unit).
bool ReadByteTable(UConverter* cnv, ByteTable& table) {
  if (ucnv_getMaxCharSize(cnv) != 1 || ucnv_getType(cnv) == UCNV_ISO_2022) return false;
  for (int b = 0; b < 256; ++b) {
    ucnv_resetToUnicode(cnv);
    const char byte = static_cast<char>(b);
    const char* src = &byte;
    UChar out[4];
    UChar* target = out;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_toUnicode(cnv, &target, out + 4, &src, &byte + 1, nullptr, true, &err);
    if (U_FAILURE(err) || target - out != 1) return false;
    table.toUnit[b] = out[0];
  }
  ucnv_resetToUnicode(cnv);
  FillFromUnit(table);
  return true;
}

struct Entry {
  CodecInfo info;
  ByteTable table;
};

CodecInfo Probe(const KnownCodePage& known, Entry& entry) {
  CodecInfo info;
  info.codePage = known.codePage;
  info.codec = known.codec;
  info.icuName = known.icuName;
  if (known.codec == Codec::kTable) {  // ISO-8859-16
    for (int b = 0; b < 0xA0; ++b) entry.table.toUnit[b] = static_cast<char16_t>(b);
    std::copy(std::begin(kIso885916High), std::end(kIso885916High), entry.table.toUnit + 0xA0);
    FillFromUnit(entry.table);
    info.table = &entry.table;
    return info;
  }
  if (known.codec != Codec::kIcu) return info;
  UConverter* cnv = OpenConverter(known.icuName);
  if (cnv == nullptr) {
    info.codec = Codec::kNone;
    return info;
  }
  if (ReadByteTable(cnv, entry.table)) {
    info.codec = Codec::kTable;
    info.table = &entry.table;
  }
  info.escapeState = ucnv_getType(cnv) == UCNV_ISO_2022;
  info.swapControls = known.codePage == 932;
  ThePool().Give(known.codePage, cnv);
  return info;
}

}  // namespace

CodecInfo LookUpCodec(CHARSET codePage) {
  // The library's own encodings are looked up on every string conversion.
  if (codePage == kUtf8 || codePage == kUtf16LE || codePage == kWide) {
    CodecInfo info;
    info.codec = codePage == kUtf8   ? Codec::kUtf8
                 : codePage == kWide ? Codec::kWide
                                     : Codec::kUtf16LE;
    info.codePage = codePage;
    return info;
  }
  const KnownCodePage* known = nullptr;
  for (const KnownCodePage& k : kKnown) {
    if (k.codePage == codePage) known = &k;
  }
  if (known == nullptr) return CodecInfo{};
  // Entries live in a node-based map until exit, so their tables stay put.
  static std::mutex mutex;
  static std::map<CHARSET, Entry> entries;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = entries.find(codePage);
  if (found != entries.end()) return found->second.info;
  Entry& entry = entries[codePage];
  entry.info = Probe(*known, entry);
  return entry.info;
}

IcuLease::IcuLease(CHARSET codePage, const char* icuName)
    : m_CodePage(codePage), m_Converter(ThePool().Take(codePage, icuName)) {}

IcuLease& IcuLease::operator=(IcuLease&& other) noexcept {
  if (this != &other) {
    Release();
    m_CodePage = other.m_CodePage;
    m_Converter = other.m_Converter;
    other.m_Converter = nullptr;
  }
  return *this;
}

IcuLease::~IcuLease() { Release(); }

void IcuClose::operator()(UConverter* cnv) const { ucnv_close(cnv); }

IcuCopy CopyIcuConverter(const UConverter* cnv) {
  UErrorCode err = U_ZERO_ERROR;
  IcuCopy copy(ucnv_clone(cnv, &err));
  if (U_FAILURE(err)) copy.reset();
  return copy;
}

void IcuLease::Release() {
  if (m_Converter == nullptr) return;
  if (g_PoolGone) {
    ucnv_close(m_Converter);
  } else {
    ThePool().Give(m_CodePage, m_Converter);
  }
  m_Converter = nullptr;
}

}  // namespace LVTCharset
