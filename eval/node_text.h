// Conversions between the UTF-8 texts of query-tree nodes and the 16-bit
// strings the evaluator compares.
#ifndef LUMIVANT_EVAL_NODE_TEXT_H_
#define LUMIVANT_EVAL_NODE_TEXT_H_

#include <string>

namespace LVTDT {
namespace eval_text {

// Appends the UTF-8 bytes as 16-bit characters.
void AppendWide(const std::string& utf8, std::u16string& text);
// Appends the 16-bit characters as UTF-8.
void AppendUtf8(const std::u16string& text, std::string& utf8);

}  // namespace eval_text
}  // namespace LVTDT

#endif  // LUMIVANT_EVAL_NODE_TEXT_H_
