// libFuzzer target: HtmlQueryHighlighter::HighlightHtml on a query and a page
// cut from one input, plain or highlighted input.
#include "fuzz/highlight_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return lvt_fuzz::Verify(lvt_fuzz::HighlightCase(data, size));
}
