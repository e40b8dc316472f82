#include "foundation/html/limiters/attribute_limiter.h"

#include <cstddef>
#include <cstring>

#include "foundation/html/text_stretches.h"

namespace LVTParser {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Past one attribute starting at q (its name, then an optional value).
const char* PastAttribute(const char* q, const char* end) {
  ++q;  // a leading '=' belongs to the name
  while (q < end && !IsSpace(*q) && *q != '/' && *q != '>' && *q != '=') ++q;
  const char* afterName = q;
  while (q < end && IsSpace(*q)) ++q;
  if (q >= end || *q != '=') return afterName;
  ++q;
  while (q < end && IsSpace(*q)) ++q;
  if (q < end && (*q == '"' || *q == '\'')) {
    const void* close = std::memchr(q + 1, *q, static_cast<std::size_t>(end - q - 1));
    return close == nullptr ? end : static_cast<const char*>(close) + 1;
  }
  while (q < end && !IsSpace(*q) && *q != '>') ++q;
  return q;
}

// Blanks the attributes of the tag [tag, end) beyond the allowed number;
// true when there were such.
bool BlankExcess(char* tag, char* end) {
  char* q = tag + 1;
  while (q < end && !IsSpace(*q) && *q != '/' && *q != '>') ++q;  // the name
  for (uint32_t count = 0; q < end;) {
    while (q < end && (IsSpace(*q) || *q == '/')) ++q;
    if (q >= end || *q == '>') return false;
    if (++count > kMaxAttributes) {
      char* stop = end[-1] == '>' ? end - 1 : end;
      std::memset(q, ' ', static_cast<std::size_t>(stop - q));
      return true;
    }
    q = const_cast<char*>(PastAttribute(q, end));
  }
  return false;
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
    if (IsLetter(lt[1]) && BlankExcess(lt, lt + length)) ++limited;
    p = lt + length;
  }
  return limited;
}

}  // namespace LVTParser
