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

void AttributeLimiter::Step(char* lt, std::size_t length) {
  if (length == 0) {
    m_pNext = lt + 1;
    return;
  }
  // Each attribute but the last takes two bytes at least (one of its own,
  // one to end it): a shorter tag cannot hold too many.
  constexpr std::size_t kShortest = 2 * (kMaxAttributes + 1);
  if (length >= kShortest && LVTBase::IsAsciiAlpha(lt[1]) && BlankExcess(lt, lt + length))
    ++m_Limited;
  m_pNext = lt + length;
}

void AttributeLimiter::Reach(char* at, std::size_t length) {
  while (m_pNext < at) {
    void* hit = std::memchr(m_pNext, '<', static_cast<std::size_t>(at - m_pNext));
    if (hit == nullptr) {
      m_pNext = at;
      break;
    }
    char* lt = static_cast<char*>(hit);
    Step(lt, MarkupLength(lt, m_pEnd));
  }
  if (m_pNext == at) Step(at, length);
}

uint32_t AttributeLimiter::Finish() {
  while (m_pNext < m_pEnd) {
    void* hit = std::memchr(m_pNext, '<', static_cast<std::size_t>(m_pEnd - m_pNext));
    if (hit == nullptr) break;
    char* lt = static_cast<char*>(hit);
    Step(lt, MarkupLength(lt, m_pEnd));
  }
  m_pNext = m_pEnd;
  return m_Limited;
}

uint32_t LimitAttributes(char* text, uint32_t size) {
  return AttributeLimiter(text, size).Finish();
}

}  // namespace LVTParser
