// libFuzzer target: CompareHtmlDocuments::DetectChanges on two pages cut
// from one input, in any of the supported character sets, with any options.
#include "fuzz/changes_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return lvt_fuzz::Verify(lvt_fuzz::ChangesCase(data, size));
}
