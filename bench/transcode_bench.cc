// Transcoding speed in MB/s of input: TranscodeStream to UTF-8 in 4096-byte
// chunks, DecodeToUtf8WithOffsets (what the HTML parser layer uses), and the
// 16-bit string conversions, on a few MB of real pages in UTF-8,
// windows-1252 and Shift_JIS (pages of the shared corpus repeated; a
// generated page when the corpus is absent). Beside them, ICU converting
// the whole buffer in two calls, as the floor the chunked code is held to.
#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <map>
#include <string>
#include <vector>

#include "foundation/charset/offsets.h"
#include "foundation/charset/transcode.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

constexpr std::size_t kTargetSize = 4 << 20;

struct Input {
  LVTCharset::CHARSET charset;
  const char* page;     // in the corpus
  const char* icuName;  // for the ICU floor
};

const Input kInputs[] = {
    {65001, "wikipedia-en-2.html", "UTF-8"},
    {1252, "httpd-core-de-latin1.html", "windows-1252"},
    {932, "sakura-HLP000193-sjis.html", "windows-932"},
};

// A stand-in page of the given character set, from 16-bit text.
std::string Generated(LVTCharset::CHARSET charset) {
  std::u16string text;
  for (int i = 0; i < 200; ++i) {
    text += u"<p class=\"x\">Grüße aus Köln, ";
    text +=
        charset == 932 ? u"\x65E5\x672C\x8A9E\x306E\x30DA\x30FC\x30B8" : u"caf\x00E9 na\x00EFve";
    text += u" text.</p>\n";
  }
  std::string bytes;
  LVTCharset::WideToBytes(LVTCharset::kWide, charset, text, bytes, false);
  return bytes;
}

const std::string& Bytes(const Input& input) {
  static std::map<LVTCharset::CHARSET, std::string> cache;
  std::string& bytes = cache[input.charset];
  if (bytes.empty()) {
    const std::string corpus = lvt_testing::CorpusDir();
    const std::string page = corpus.empty()
                                 ? Generated(input.charset)
                                 : lvt_testing::ReadFile(corpus + "/pages/" + input.page);
    while (bytes.size() < kTargetSize) bytes += page;
  }
  return bytes;
}

void BM_TranscodeStream(benchmark::State& state) {
  const Input& input = kInputs[state.range(0)];
  const std::string& bytes = Bytes(input);
  LVTFile::MemoryBuffer in(bytes);
  LVTFile::MemoryBuffer out(static_cast<uint32_t>(3 * bytes.size()));
  for (auto _ : state) {
    in.SeekRead(0);
    out.SeekWrite(0);
    benchmark::DoNotOptimize(
        LVTCharset::TranscodeStream(input.charset, LVTCharset::kUtf8, in, out, false));
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
  state.SetLabel(input.icuName);
}

void BM_DecodeWithOffsets(benchmark::State& state) {
  const Input& input = kInputs[state.range(0)];
  const std::string& bytes = Bytes(input);
  std::string utf8;
  std::vector<uint32_t> offsets;
  for (auto _ : state) {
    LVTCharset::DecodeToUtf8WithOffsets(input.charset, bytes, &utf8, &offsets);
    benchmark::DoNotOptimize(utf8.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
  state.SetLabel(input.icuName);
}

// ICU on the whole buffer: to 16-bit units, then to UTF-8.
void BM_IcuWholeBuffer(benchmark::State& state) {
  const Input& input = kInputs[state.range(0)];
  const std::string& bytes = Bytes(input);
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cnv = ucnv_open(input.icuName, &err);
  std::u16string units(bytes.size() + 1, u'\0');
  std::string utf8(3 * bytes.size() + 1, '\0');
  for (auto _ : state) {
    err = U_ZERO_ERROR;
    ucnv_reset(cnv);
    const int32_t n =
        ucnv_toUChars(cnv, reinterpret_cast<UChar*>(&units[0]), static_cast<int32_t>(units.size()),
                      bytes.data(), static_cast<int32_t>(bytes.size()), &err);
    int32_t written = 0;
    u_strToUTF8(&utf8[0], static_cast<int32_t>(utf8.size()), &written,
                reinterpret_cast<const UChar*>(units.data()), n, &err);
    benchmark::DoNotOptimize(written);
  }
  ucnv_close(cnv);
  state.SetBytesProcessed(state.iterations() * bytes.size());
  state.SetLabel(input.icuName);
}

void BM_BytesToWide(benchmark::State& state) {
  const std::string& bytes = Bytes(kInputs[0]);
  for (auto _ : state) {
    std::u16string wide;
    LVTCharset::BytesToWide(LVTCharset::kUtf8, LVTCharset::kWide, bytes, wide, false);
    benchmark::DoNotOptimize(wide.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_WideToBytes(benchmark::State& state) {
  std::u16string wide;
  LVTCharset::BytesToWide(LVTCharset::kUtf8, LVTCharset::kWide, Bytes(kInputs[0]), wide, false);
  for (auto _ : state) {
    std::string bytes;
    LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, wide, bytes, false);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * wide.size() * 2);
}

BENCHMARK(BM_TranscodeStream)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeWithOffsets)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IcuWholeBuffer)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesToWide)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WideToBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
