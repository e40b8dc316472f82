// Turns the tokenizer library's output into our node tree, without
// recursion. Offsets are positions in the buffer the library parsed. On the
// way out, an element node holds its start offset (kUnsetOffset when the
// page did not write its start tag) and, in place of its length, the
// position just behind its own end tag (or start tag); html_tree_fixup
// turns these into final spans.
#ifndef LUMIVANT_FOUNDATION_HTML_TREE_BUILDER_H_
#define LUMIVANT_FOUNDATION_HTML_TREE_BUILDER_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"

struct GumboInternalNode;

namespace LVTParser {

constexpr uint32_t kUnsetOffset = 0xFFFFFFFFu;

struct BuiltTree {
  HtmlNodeHandle root;  // kDocumentKeyword
  uint32_t nodeCount = 0;
  std::vector<HtmlDocTree::LinkSpan> linkSpans;  // see HtmlDocTree::LinkSpans
};

// buffer/size: what the library parsed; document: its document node.
// foreign: byte ranges a browser reads as svg or math, in order; text that
// starts in one is skipped, whatever element the library put it in.
BuiltTree BuildTree(const GumboInternalNode* document, const char* buffer, uint32_t size,
                    const HtmlKeywordTable& table,
                    const std::vector<std::pair<uint32_t, uint32_t>>& foreign);

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_TREE_BUILDER_H_
