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

#include <cstddef>
#include <cstdint>

namespace LVTParser {

constexpr uint32_t kMaxAttributes = 256;

// text: the UTF-8 page the tree will be built from, rewritten in place.
// Returns the number of tags that lost attributes.
uint32_t LimitAttributes(char* text, uint32_t size);

// The same scan, driven by another one that reads the page's markup in
// order (the nesting limiter): told of each markup that scan reads, it
// mostly finds itself there already and takes the length it was given,
// and where the other scan skips (raw text), it reads on by itself. The
// result is the page LimitAttributes would leave, provided every byte
// changed behind the driving scan keeps its markup's length.
class AttributeLimiter {
 public:
  AttributeLimiter(char* text, uint32_t size) : m_pNext(text), m_pEnd(text + size) {}

  // Limits what lies before `at`, then the markup at `at`, `length` bytes
  // long (its MarkupLength, 0 for a literal '<').
  void Reach(char* at, std::size_t length);
  // Limits the rest of the page; returns the number of tags that lost
  // attributes.
  uint32_t Finish();

 private:
  void Step(char* lt, std::size_t length);

  char* m_pNext;  // where the scan looks for the next '<'
  char* m_pEnd;
  uint32_t m_Limited = 0;
};

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_LIMITERS_ATTRIBUTE_LIMITER_H_
