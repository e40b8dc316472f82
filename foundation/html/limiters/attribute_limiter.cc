#include "foundation/html/limiters/attribute_limiter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "foundation/base/ascii.h"
#include "foundation/html/text_stretches.h"

namespace LVTParser {

namespace {

// Past one attribute starting at q (its name, then an optional value).
const char* PastAttribute(const char* q, const char* end) {
  ++q;  // a leading '=' belongs to the name
  while (q < end && !LVTBase::IsHtmlSpace(*q) && *q != '/' && *q != '>' && *q != '=') ++q;
  const char* afterName = q;
  while (q < end && LVTBase::IsHtmlSpace(*q)) ++q;
  if (q >= end || *q != '=') return afterName;
  ++q;
  while (q < end && LVTBase::IsHtmlSpace(*q)) ++q;
  if (q < end && (*q == '"' || *q == '\'')) {
    const void* close = std::memchr(q + 1, *q, static_cast<std::size_t>(end - q - 1));
    return close == nullptr ? end : static_cast<const char*>(close) + 1;
  }
  while (q < end && !LVTBase::IsHtmlSpace(*q) && *q != '>') ++q;
  return q;
}

// Whether the attribute [q, stop) is named name (lower case).
bool Named(const char* q, const char* stop, const char* name) {
  for (; *name != '\0'; ++name, ++q) {
    if (q >= stop) return false;
    if (LVTBase::LowerAscii(*q) != *name) return false;
  }
  return q == stop || LVTBase::IsHtmlSpace(*q) || *q == '=' || *q == '/' || *q == '>';
}

// Blanks the attributes of the tag [tag, end) beyond the allowed number,
// except the first "href" and "class" among them: those decide whether a
// link is one, so the page's links stay links. True when some were blanked.
bool BlankExcess(char* tag, char* end) {
  char* q = tag + 1;
  while (q < end && !LVTBase::IsHtmlSpace(*q) && *q != '/' && *q != '>') ++q;  // the name
  char* const stop = end[-1] == '>' ? end - 1 : end;
  bool blanked = false;
  bool keptHref = false;
  bool keptClass = false;
  for (uint32_t count = 0; q < stop;) {
    while (q < stop && (LVTBase::IsHtmlSpace(*q) || *q == '/')) ++q;
    if (q >= stop) break;
    char* next = std::min(const_cast<char*>(PastAttribute(q, end)), stop);
    if (++count > kMaxAttributes) {
      if (!keptHref && Named(q, next, "href")) {
        keptHref = true;
      } else if (!keptClass && Named(q, next, "class")) {
        keptClass = true;
      } else {
        std::memset(q, ' ', static_cast<std::size_t>(next - q));
        blanked = true;
      }
    }
    q = next;
  }
  return blanked;
}

}  // namespace

uint32_t LimitAttributes(char* text, uint32_t size) {
  char* const end = text + size;
  uint32_t limited = 0;
  for (char* p = text; p < end;) {
    void* hit = std::memchr(p, '<', static_cast<std::size_t>(end - p));
    if (hit == nullptr) break;
    char* lt = static_cast<char*>(hit);
    const std::size_t length = MarkupLength(lt, end);
    if (length == 0) {
      p = lt + 1;
      continue;
    }
    if (LVTBase::IsAsciiAlpha(lt[1]) && BlankExcess(lt, lt + length)) ++limited;
    p = lt + length;
  }
  return limited;
}

}  // namespace LVTParser
