// libFuzzer target: query preparation, parsing and CreateSimpleQuery, with
// the evaluation of accepted queries.
#include "fuzz/query_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return lvt_fuzz::Verify(lvt_fuzz::QueryCase(data, size));
}
