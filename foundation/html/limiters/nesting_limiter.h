// Keeping the tree builder's work linear on pathologically nested pages.
//
// Building an HTML5 tree costs time in proportion to the depth of open
// elements for every tag and every character (scope checks walk the stack
// of open elements), so a page that opens 200,000 <div>s without closing
// them takes minutes, and unclosed formatting elements (<b id=1>, <b id=2>,
// ...) re-opened in every paragraph make the tree itself grow with the
// square of the page.
//
// LimitNesting reads the page once with a small model of the tree builder
// (open elements with their implied end tags, formatting elements that get
// re-opened) and rewrites in place, byte for byte the same length, the tags
// that would go too far:
//  - a start tag that would open an element deeper than kMaxNestingDepth,
//    and its end tag: elements that separate words become <br> (padded with
//    blanks), the others an empty comment <!xx>;
//  - a formatting element that would make more than kMaxActiveFormatting of
//    them wait to be re-opened, or that would be re-opened beyond a budget of
//    clones proportional to the page, becomes a comment (and its end tag
//    too). Formatting elements do not separate words, so the text of the
//    page reads the same without them.
// Offsets do not move and text is never touched. Browsers also stop nesting
// at a few hundred levels. Ordinary pages are left alone: their nesting
// stays far below the bound (the corpus pages reach at most a few dozen).
//
// The same model makes up for where the tokenizer library is older than
// browsers, with rewrites of the same kind: <main> is read as <div> (built
// alike, but the library lets inline end tags close <main>), and </br> or a
// </p> without an open paragraph in svg or math become <br>, which leaves
// the foreign content as a browser does at those end tags.
#ifndef LUMIVANT_FOUNDATION_HTML_LIMITERS_NESTING_LIMITER_H_
#define LUMIVANT_FOUNDATION_HTML_LIMITERS_NESTING_LIMITER_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "lumivant/html_keyword_table.h"

namespace LVTParser {

constexpr uint32_t kMaxNestingDepth = 512;
constexpr uint32_t kMaxActiveFormatting = 12;

struct NestingReport {
  uint32_t maxDepth = 0;       // deepest nesting the model saw (after rewriting)
  uint32_t rewrittenTags = 0;  // tags turned into <br> or comments
  // Where the name of a <main> tag was read as "div " (see the model).
  std::vector<uint32_t> renamedMain;
  // Byte ranges [first, second) that a browser reads as svg or math, in
  // page order. The tokenizer library may read some of it as HTML (it
  // ignores an svg inside a select, where browsers now open one): text
  // there must not be written into.
  std::vector<std::pair<uint32_t, uint32_t>> foreignRanges;
};

class AttributeLimiter;

// text: the UTF-8 page the tree will be built from, rewritten in place.
// With `attributes`, the page's attributes are limited on the same pass
// (attributes->Finish() completes it): the page ends as LimitAttributes
// would leave it after this call, read once instead of twice.
NestingReport LimitNesting(char* text, uint32_t size, const HtmlKeywordTable& table,
                           AttributeLimiter* attributes = nullptr);

// Gives renamed tags their names back once the tree is parsed.
void RestoreRenamedTags(char* text, const NestingReport& report);

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_LIMITERS_NESTING_LIMITER_H_
