#include "eval/node_text.h"

#include "foundation/charset/transcode.h"
#include "lumivant/code_page.h"

namespace LVTDT {
namespace eval_text {

void AppendWide(const std::string& utf8, std::u16string& text) {
  LVTCharset::BytesToWide(LVTCharset::kUtf8, LVTCharset::kWide, utf8, text, false);
}

void AppendUtf8(const std::u16string& text, std::string& utf8) {
  LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, text, utf8, false);
}

}  // namespace eval_text
}  // namespace LVTDT
