// The passes that turn a freshly built tree (html_tree_builder.h) into one
// that keeps the promises of html_tree.h.
#ifndef LUMIVANT_FOUNDATION_HTML_TREE_FIXUP_H_
#define LUMIVANT_FOUNDATION_HTML_TREE_FIXUP_H_

#include <cstdint>
#include <vector>

#include "lumivant/html_tree.h"

namespace LVTParser {

// Text and elements that the parser moved out of a table to just before it
// ("foster parenting") go back inside the table, where the page has them, so
// that the tree lists text in page order.
void ReturnFosteredNodes(HtmlTreeNode& root);

// Final spans: elements get their offsets (see html_tree.h) and lengths;
// a text node that would still go back before text already listed becomes a
// skipped node (kSkippedKeyword), so the walk never goes backwards. Every
// span (and the start tag a clone copies) is then mapped from positions in
// the parsed buffer to offsets in the stream: position p becomes
// base + sourceOffsets[p + shift] when sourceOffsets is not empty, else
// base + p + shift.
void SettleSpans(HtmlTreeNode& root, uint32_t base, uint32_t shift,
                 const std::vector<uint32_t>& sourceOffsets);
// The same for one position.
uint32_t MapOffset(uint32_t position, uint32_t base, uint32_t shift,
                   const std::vector<uint32_t>& sourceOffsets);

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_TREE_FIXUP_H_
