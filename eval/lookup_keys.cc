#include "eval/lookup_keys.h"

#include <string>
#include <vector>

#include "foundation/base/string_utils.h"
#include "foundation/charset/transcode.h"

namespace LVTDT {

OccurrenceKeys LookupKeys(const antlr::RefAST& tree) {
  OccurrenceKeys keys;
  auto add = [&keys](const std::u16string& key) {
    if (!key.empty()) keys.insert(key);
  };
  // Trees nest as deep as the query does: an explicit stack.
  std::vector<antlr::RefAST> pending;
  if (tree) pending.push_back(tree);
  while (!pending.empty()) {
    const antlr::RefAST node = pending.back();
    pending.pop_back();
    if (node->getNextSibling()) pending.push_back(node->getNextSibling());
    if (node->getFirstChild()) pending.push_back(node->getFirstChild());
    std::u16string text = LVTCharset::Utf8ToWide(node->getText());
    add(text);
    const std::size_t blank = text.rfind(u' ');
    if (blank != std::u16string::npos) add(std::u16string(text).erase(blank, 1));
    LVTBase::StripLeadingBlanks(text);
    LVTBase::StripTrailingBlanks(text);
    add(text);
  }
  return keys;
}

}  // namespace LVTDT
