// libFuzzer target: TranscodeStream between every kind of character set.
#include "fuzz/transcode_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return lvt_fuzz::Verify(lvt_fuzz::TranscodeCase(data, size));
}
