// Keeping the tokenizer linear on tags with very many attributes.
//
// The HTML tokenizer checks every attribute of a tag against each earlier
// one for a duplicate, so its time grows with the square of the number of
// attributes: a tag with 100,000 of them takes some 20 seconds.
// LimitAttributes blanks out, in place, the attributes of a tag beyond the
// first kMaxAttributes: the tag keeps its name, its length and its closing
// '>', so offsets do not move, and text is never touched. The first "href"
// and "class" beyond the bound are kept: the library reads only those, and
// a link stays a link. Real tags stay far below the bound.
#ifndef LUMIVANT_FOUNDATION_HTML_LIMITERS_ATTRIBUTE_LIMITER_H_
#define LUMIVANT_FOUNDATION_HTML_LIMITERS_ATTRIBUTE_LIMITER_H_

#include <cstdint>

namespace LVTParser {

constexpr uint32_t kMaxAttributes = 256;

// text: the UTF-8 page the tree will be built from, rewritten in place.
// Returns the number of tags that lost attributes.
uint32_t LimitAttributes(char* text, uint32_t size);

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_LIMITERS_ATTRIBUTE_LIMITER_H_
