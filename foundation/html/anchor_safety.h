// Where a named anchor ("<a name=...></a>") may be written into a page.
//
// A browser that meets an "a" start tag while another "a" element is open
// or waiting to be re-opened (it re-opens formatting elements after a
// block) closes that link first: the page's link would end at our anchor,
// its later "</a>" would close nothing, and what followed could move to
// other parents or even out of an svg. Anchors for text inside any "a"
// element (with or without "href", written or re-opened by the parser) are
// therefore written before the start tag of the outermost such element,
// where the page's own "a" start tag does the same to the tree anyway.
#ifndef LUMIVANT_FOUNDATION_HTML_ANCHOR_SAFETY_H_
#define LUMIVANT_FOUNDATION_HTML_ANCHOR_SAFETY_H_

#include <algorithm>
#include <cstdint>

#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"

namespace LVTParser {

// No "a" element encloses the text.
constexpr uint32_t kNoOpenLink = 0xFFFFFFFFu;

// The outermost "a" start tag enclosing the children of node, given the one
// enclosing node itself (or kNoOpenLink).
inline uint32_t OpenLinkAround(uint32_t enclosing, const HtmlTreeNode& node) {
  if (enclosing != kNoOpenLink || node.KeywordId() != kLinkKeyword) return enclosing;
  return node.SourceOffset();
}

// The anchor position to use instead of usual under the open link.
inline uint32_t SafeAnchorOffset(uint32_t usual, uint32_t openLink) {
  return std::min(usual, openLink);
}

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_ANCHOR_SAFETY_H_
