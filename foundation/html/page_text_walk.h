// The walk over a parsed page that every reader of page text shares: the
// nodes in document order, with what is not page text left out, the
// boundaries of elements that separate words, and the anchoring links and
// change markers each text lies in. Readers differ only in what they make
// of these events, so the rules of what a page's text is live here once.
//
// The walk keeps its own stack rather than recursing: pages nest as deep as
// they like.
#ifndef LUMIVANT_FOUNDATION_HTML_PAGE_TEXT_WALK_H_
#define LUMIVANT_FOUNDATION_HTML_PAGE_TEXT_WALK_H_

#include <cstdint>
#include <vector>

#include "foundation/html/anchor_safety.h"
#include "foundation/html/anchoring_link.h"
#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"

namespace LVTParser {

// What lies around a node of the walk.
struct PageTextContext {
  bool inLink = false;                   // inside an anchoring link
  uint32_t linkOffset = 0;               // start of the innermost one, when inLink
  bool inChangesMarker = false;          // inside a change marker element
  uint32_t openLink = kNoOpenLink;       // outermost "a" start tag around, open or to be re-opened
  const LiveLinks* liveLinks = nullptr;  // the page's, when anchors are placed
};

// Walks nodes and everything below them, starting in context. visitor gets:
//   Text(const HtmlTreeNode& text, const PageTextContext& context)
//       for each text node;
//   Boundary()
//       where an element that separates words starts and where it ends
//       (twice in a row for one without children);
//   EnterLink(const HtmlTreeNode& link, const PageTextContext& inside),
//   LeaveLink()
//       around the content of each anchoring link, also an empty one;
//       inside is the context of the link's content.
// Skipped elements (kSkippedKeyword) are left out with everything below.
template <class Visitor>
void WalkPageText(HtmlNodeRange nodes, const PageTextContext& context, Visitor& visitor) {
  // What to tell the visitor when the walk leaves an element's children.
  enum class After { kNothing, kBoundary, kLinkEnd };
  struct Level {
    const HtmlNodeHandle* next;
    const HtmlNodeHandle* end;
    PageTextContext context;
    After after;
  };
  std::vector<Level> levels;
  levels.push_back(Level{nodes.begin(), nodes.end(), context, After::kNothing});
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.end) {
      const After after = level.after;
      levels.pop_back();
      if (after == After::kBoundary) visitor.Boundary();
      if (after == After::kLinkEnd) visitor.LeaveLink();
      continue;
    }
    const HtmlTreeNode& node = **level.next++;
    const uint8_t id = node.KeywordId();
    if (id == kSkippedKeyword) continue;
    if (id == kTextKeyword) {
      visitor.Text(node, level.context);
      continue;
    }
    PageTextContext inner = level.context;
    inner.openLink = OpenLinkAround(inner.openLink, node);
    const HtmlNodeRange children = node.Children();
    if (IsAnchoringLink(node)) {
      inner.inLink = true;
      inner.linkOffset = node.Offset();
      visitor.EnterLink(node, inner);
      if (children.empty()) {
        visitor.LeaveLink();
        continue;
      }
      levels.push_back(Level{children.begin(), children.end(), inner, After::kLinkEnd});
      continue;
    }
    const bool separates = !HtmlKeywordTable::IsInlineId(id);
    if (separates) visitor.Boundary();
    if (children.empty()) {
      if (separates) visitor.Boundary();
      continue;
    }
    if (id == kChangesMarkerKeyword) inner.inChangesMarker = true;
    levels.push_back(Level{children.begin(), children.end(), inner,
                           separates ? After::kBoundary : After::kNothing});
  }
}

// The nodes of a parsed page to walk: its top level, or none for a page
// without a usable tree (nothing below its document root).
inline HtmlNodeRange PageTextNodes(const HtmlDocTree& tree) {
  const HtmlNodeRange top = tree.TopLevel();
  if (tree.NodeCount() == 0 || top.empty() || !(*top.begin())->HasChildren())
    return HtmlNodeRange(top.end(), top.end());
  return top;
}

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_PAGE_TEXT_WALK_H_
