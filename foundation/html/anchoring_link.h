// Anchoring links: the "a" elements whose text the library treats as one
// piece of page text. A link counts when it carries an "href" or a "class"
// attribute (a bare <a name=...> is only a target and does not): a hit in
// its text gets its anchor before the link, so that following the anchor
// shows the whole link, and change detection compares the link's text as
// one node.
#ifndef LUMIVANT_FOUNDATION_HTML_ANCHORING_LINK_H_
#define LUMIVANT_FOUNDATION_HTML_ANCHORING_LINK_H_

#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"

namespace LVTParser {

inline bool IsAnchoringLink(const HtmlTreeNode& node) {
  return node.KeywordId() == kLinkKeyword && (node.IsParam("href") || node.IsParam("class"));
}

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_ANCHORING_LINK_H_
