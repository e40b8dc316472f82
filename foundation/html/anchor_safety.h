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
//
// The tree does not show every link open where the anchor goes: text read
// inside a link may have been moved out of it by a later tag (the parser
// adopting a block into other formatting elements). The links' spans while
// the page was read (HtmlDocTree::LinkSpans) cover these too.
#ifndef LUMIVANT_FOUNDATION_HTML_ANCHOR_SAFETY_H_
#define LUMIVANT_FOUNDATION_HTML_ANCHOR_SAFETY_H_

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

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

// The links of a page by the spans they were open in while it was read.
class LiveLinks {
 public:
  explicit LiveLinks(std::vector<HtmlDocTree::LinkSpan> spans) : m_Spans(std::move(spans)) {
    std::sort(m_Spans.begin(), m_Spans.end());
    // Each span's end becomes the furthest end up to it: non-decreasing.
    for (std::size_t i = 1; i < m_Spans.size(); ++i)
      m_Spans[i].second = std::max(m_Spans[i].second, m_Spans[i - 1].second);
  }

  // The earliest start tag of a link that was open at offset, or
  // kNoOpenLink. A link the token at offset closes does not count: anchors
  // go before text or before an "a" start tag, and such a tag closes the
  // link just as an anchor written before it does.
  uint32_t OutermostAt(uint32_t offset) const {
    const auto first =
        std::upper_bound(m_Spans.begin(), m_Spans.end(), offset,
                         [](uint32_t at, const HtmlDocTree::LinkSpan& s) { return at < s.second; });
    return first != m_Spans.end() && first->first < offset ? first->first : kNoOpenLink;
  }

 private:
  std::vector<HtmlDocTree::LinkSpan> m_Spans;
};

// The anchor position to use instead of usual under the open link, and
// under the links live holds open there (none when null).
inline uint32_t SafeAnchorOffset(uint32_t usual, uint32_t openLink, const LiveLinks* live) {
  const uint32_t offset = std::min(usual, openLink);
  return live == nullptr ? offset : std::min(offset, live->OutermostAt(offset));
}

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_ANCHOR_SAFETY_H_
