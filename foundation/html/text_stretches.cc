#include "foundation/html/text_stretches.h"

#include <gumbo.h>

#include <cstring>

#include "foundation/base/ascii.h"
#include "foundation/html/gumbo_arena.h"

namespace LVTParser {

namespace {

// Position just behind the first '>' at or after p, or end.
const char* PastClosingBracket(const char* p, const char* end) {
  const void* hit = std::memchr(p, '>', static_cast<std::size_t>(end - p));
  return hit == nullptr ? end : static_cast<const char*>(hit) + 1;
}

// A start or end tag from p ('<'): the name, then attributes whose quoted
// values may hold '>'.
const char* PastTag(const char* p, const char* end) {
  const char* q = p + 1;
  if (q < end && *q == '/') ++q;
  while (q < end && !LVTBase::IsHtmlSpace(*q) && *q != '/' && *q != '>') ++q;
  while (q < end) {
    while (q < end && (LVTBase::IsHtmlSpace(*q) || *q == '/')) ++q;
    if (q >= end) break;
    if (*q == '>') return q + 1;
    // Attribute name; a leading '=' belongs to it.
    ++q;
    while (q < end && !LVTBase::IsHtmlSpace(*q) && *q != '/' && *q != '>' && *q != '=') ++q;
    while (q < end && LVTBase::IsHtmlSpace(*q)) ++q;
    if (q >= end || *q != '=') continue;
    ++q;
    while (q < end && LVTBase::IsHtmlSpace(*q)) ++q;
    if (q < end && (*q == '"' || *q == '\'')) {
      const void* close = std::memchr(q + 1, *q, static_cast<std::size_t>(end - q - 1));
      q = close == nullptr ? end : static_cast<const char*>(close) + 1;
    } else {
      while (q < end && !LVTBase::IsHtmlSpace(*q) && *q != '>') ++q;
    }
  }
  return end;
}

const char* PastComment(const char* p, const char* end) {
  // "<!-->" and "<!--->" close at once; otherwise "-->" or "--!>".
  std::string_view rest(p + 2, static_cast<std::size_t>(end - p - 2));
  std::size_t close = rest.find("-->");
  // "--!>" counts only before the first "-->" (the two cannot overlap):
  // searching no further keeps a page of many comments linear.
  std::size_t bang = rest.substr(0, close).find("--!>");
  if (bang != std::string_view::npos && (close == std::string_view::npos || bang < close))
    return p + 2 + bang + 4;
  return close == std::string_view::npos ? end : p + 2 + close + 3;
}

void AppendTexts(const GumboNode* root, std::string* out) {
  std::vector<const GumboNode*> pending{root};
  while (!pending.empty()) {
    const GumboNode* node = pending.back();
    pending.pop_back();
    const GumboVector* children = nullptr;
    if (node->type == GUMBO_NODE_DOCUMENT) children = &node->v.document.children;
    if (node->type == GUMBO_NODE_ELEMENT) children = &node->v.element.children;
    if (children == nullptr) {
      if (node->type != GUMBO_NODE_COMMENT) out->append(node->v.text.text);
      continue;
    }
    for (unsigned i = children->length; i-- > 0;)
      pending.push_back(static_cast<const GumboNode*>(children->data[i]));
  }
}

bool NeedsDecoding(std::string_view raw) {
  for (char c : raw)
    if (c == '&' || c == '\r' || c == '\0' || static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

}  // namespace

std::size_t MarkupLength(const char* p, const char* end) {
  if (end - p < 2) return 0;
  const char next = p[1];
  const char* past = nullptr;
  if (LVTBase::IsAsciiAlpha(next)) {
    past = PastTag(p, end);
  } else if (next == '/') {
    if (end - p == 2) return 0;  // "</" where the input ends is text
    if (LVTBase::IsAsciiAlpha(p[2]))
      past = PastTag(p, end);
    else if (p[2] == '>')
      past = p + 3;
    else
      past = PastClosingBracket(p + 2, end);
  } else if (next == '!') {
    bool comment = end - p >= 4 && p[2] == '-' && p[3] == '-';
    past = comment ? PastComment(p, end) : PastClosingBracket(p + 2, end);
  } else if (next == '?') {
    past = PastClosingBracket(p + 2, end);
  } else {
    return 0;
  }
  return static_cast<std::size_t>(past - p);
}

std::string DecodePageText(std::string_view raw) {
  if (!NeedsDecoding(raw)) return std::string(raw);
  // The tokenizer itself decodes, parsing the stretch as the content of a
  // block element so that leading white space is kept.
  GumboArena arena;
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;
  options.fragment_context = GUMBO_TAG_DIV;
  arena.Install(&options);
  GumboOutput* output = gumbo_parse_with_options(&options, raw.data(), raw.size());
  std::string text;
  AppendTexts(output->document, &text);
  return text;
}

void SplitTextSpan(const char* buffer, uint32_t offset, uint32_t length, const char* decodedText,
                   bool rawContext, std::vector<TextStretch>* out) {
  const char* begin = buffer + offset;
  const char* end = begin + length;
  if (rawContext || std::memchr(begin, '<', length) == nullptr) {
    if (*decodedText != '\0') out->push_back(TextStretch{offset, length, decodedText});
    return;
  }
  const char* stretch = begin;
  auto flush = [&](const char* stop) {
    if (stop == stretch) return;
    std::string text =
        DecodePageText(std::string_view(stretch, static_cast<std::size_t>(stop - stretch)));
    if (!text.empty())
      out->push_back(TextStretch{static_cast<uint32_t>(stretch - buffer),
                                 static_cast<uint32_t>(stop - stretch), std::move(text)});
  };
  for (const char* p = begin; p < end;) {
    const void* hit = std::memchr(p, '<', static_cast<std::size_t>(end - p));
    if (hit == nullptr) break;
    p = static_cast<const char*>(hit);
    std::size_t markup = MarkupLength(p, end);
    if (markup == 0) {
      ++p;
      continue;
    }
    flush(p);
    p += markup;
    stretch = p;
  }
  flush(end);
}

}  // namespace LVTParser
