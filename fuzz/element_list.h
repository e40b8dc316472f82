// What a browser would build from a page, reduced to what the markup checks
// compare: its elements in document order, each as namespace, name and
// attributes, and its text. Parsed with the HTML5 tokenizer library after
// the nesting model's rewrites only, without the rest of the library's
// layer, so that the checks do not share its mistakes. The model reads some
// tags as a browser does where the tokenizer library is older (</br> in svg,
// <main>): without it, the checks would judge the writer by a reading that
// no browser shares. The parse5 oracle (tests/oracle) judges both.
#ifndef LUMIVANT_FUZZ_ELEMENT_LIST_H_
#define LUMIVANT_FUZZ_ELEMENT_LIST_H_

#include <gumbo.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/html/limiters/nesting_limiter.h"
#include "lumivant/html_keyword_table.h"

namespace lvt_fuzz {

struct Element {
  std::string kind;  // "svg:text" or "a", then " name=value" per attribute
  std::string name;  // lower case
  long parent;       // index of the parent element in the list, -1 for none
};

struct ParsedPage {
  std::vector<Element> elements;
  std::string text;  // every text node, in order, white space dropped
};

namespace element_list_detail {

struct OutputDeleter {
  void operator()(GumboOutput* output) const {
    gumbo_destroy_output(&kGumboDefaultOptions, output);
  }
};

inline std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The name of a tag the parser does not know, from its source text. That
// text may begin with bytes the tokenizer dropped before the tag ("</>"),
// so the name is read back from the first delimiter that ends one.
inline std::string UnknownName(std::string_view original) {
  for (std::size_t p = 1; p < original.size(); ++p) {
    const char c = original[p];
    if (!std::isspace(static_cast<unsigned char>(c)) && c != '/' && c != '>') continue;
    const std::size_t start = original.rfind('<', p - 1);
    if (start == std::string_view::npos) continue;
    std::size_t from = start + 1;
    if (from < p && original[from] == '/') ++from;
    if (from < p) return Lower(original.substr(from, p - from));
  }
  return "?";
}

inline std::string NameOf(const GumboElement& element) {
  if (element.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(element.tag);
  return UnknownName(std::string_view(element.original_tag.data, element.original_tag.length));
}

inline std::string KindOf(const GumboElement& element, const std::string& name) {
  std::string kind = element.tag_namespace == GUMBO_NAMESPACE_SVG      ? "svg:"
                     : element.tag_namespace == GUMBO_NAMESPACE_MATHML ? "math:"
                                                                       : "";
  kind += name;
  for (unsigned i = 0; i < element.attributes.length; ++i) {
    const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
    kind += std::string(" ") + attribute->name + "=" + attribute->value;
  }
  return kind;
}

// Text without its HTML white space. A control character other than white
// space reads as U+FFFD when it stands in the page as it is, but as itself
// when written as a reference; a writer that writes what a reference meant
// is right either way, so both read as U+FFFD here. So do bytes that are no
// UTF-8: the tokenizer library leaves one for a numeric reference too large
// for a character, which a browser reads as U+FFFD.
inline void AppendText(const char* text, std::string& out) {
  for (; *text != '\0'; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    const unsigned char next = static_cast<unsigned char>(text[1]);
    if (c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r') continue;
    if (c < 0x20 || c == 0x7F) {
      out += "\xEF\xBF\xBD";
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      out += "\xEF\xBF\xBD";
      ++text;
    } else if (c >= 0x80) {
      const int length = c >= 0xF0 ? (c <= 0xF4 ? 4 : 0) : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
      bool valid = length > 0;
      for (int k = 1; valid && k < length; ++k)
        valid = (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80;
      if (!valid) {
        out += "\xEF\xBF\xBD";
        continue;
      }
      out.append(text, static_cast<std::size_t>(length));
      text += length - 1;
    } else {
      out += static_cast<char>(c);
    }
  }
}

}  // namespace element_list_detail

// Walks with an explicit stack: pages nest as deep as they like.
inline ParsedPage ParsePage(std::string_view html) {
  namespace d = element_list_detail;
  static const LVTParser::HtmlKeywordTable table(2);
  std::string text(html);
  LVTParser::LimitNesting(text.data(), static_cast<uint32_t>(text.size()), table);
  std::unique_ptr<GumboOutput, d::OutputDeleter> output(
      gumbo_parse_with_options(&kGumboDefaultOptions, text.data(), text.size()));
  ParsedPage page;
  struct Item {
    const GumboNode* node;
    long parent;
  };
  std::vector<Item> pending{{output->document, -1}};
  while (!pending.empty()) {
    const Item item = pending.back();
    pending.pop_back();
    const GumboNode* node = item.node;
    long self = item.parent;
    const GumboVector* children = nullptr;
    if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
      const GumboElement& element = node->v.element;
      const std::string name = d::NameOf(element);
      page.elements.push_back(Element{d::KindOf(element, name), name, item.parent});
      self = static_cast<long>(page.elements.size()) - 1;
      children = &element.children;
    } else if (node->type == GUMBO_NODE_DOCUMENT) {
      children = &node->v.document.children;
    } else if (node->type != GUMBO_NODE_COMMENT) {
      d::AppendText(node->v.text.text, page.text);
    }
    if (children == nullptr) continue;
    for (unsigned i = children->length; i-- > 0;)
      pending.push_back(Item{static_cast<const GumboNode*>(children->data[i]), self});
  }
  return page;
}

// What the library adds to a page: elements of one marker name, the
// elements of the strings it writes inside them (colour tags, highlight
// strings), and anchors named prefix + a number.
struct OwnMarkup {
  std::string marker;        // "lumivantquery" or "lumivantchanges"
  std::string anchorPrefix;  // "Query" or "Change"
  std::vector<std::string> innerKinds;

  // innerKinds from the start tags written inside the markers.
  void AddInnerTags(std::string_view startTags) {
    for (const Element& element : ParsePage(startTags).elements)
      if (element.name != "html" && element.name != "head" && element.name != "body")
        innerKinds.push_back(element.kind);
  }
};

// An own anchor inside foreign content is a foreign element of that name.
// Links the page names so itself count as own too: an anchor written in
// one of them empties it, and nothing tells the two apart then.
inline bool IsOwnAnchor(const Element& element, const OwnMarkup& own) {
  const std::string prefix = "a name=" + own.anchorPrefix;
  const std::size_t colon = element.kind.find(':');
  const std::size_t from = colon < element.kind.find(' ') ? colon + 1 : 0;
  if (element.kind.compare(from, prefix.size(), prefix) != 0) return false;
  const std::string number = element.kind.substr(from + prefix.size());
  return !number.empty() && number.find_first_not_of("0123456789") == std::string::npos;
}

inline bool InsideMarker(const std::vector<Element>& elements, long parent,
                         const std::string& marker) {
  for (; parent >= 0; parent = elements[static_cast<std::size_t>(parent)].parent)
    if (elements[static_cast<std::size_t>(parent)].name == marker) return true;
  return false;
}

// The kinds of the page's elements in document order, without own markup.
inline std::vector<std::string> ForeignKinds(const ParsedPage& page, const OwnMarkup& own) {
  std::vector<std::string> kinds;
  for (const Element& element : page.elements) {
    if (element.name == own.marker || IsOwnAnchor(element, own)) continue;
    bool inner = false;
    for (const std::string& kind : own.innerKinds) inner = inner || kind == element.kind;
    if (inner && InsideMarker(page.elements, element.parent, own.marker)) continue;
    kinds.push_back(element.kind);
  }
  return kinds;
}

// Elements of `extra` that are not in `base`, matched as multisets, in
// the order of `extra`.
inline std::vector<std::string> Surplus(std::vector<std::string> base,
                                        const std::vector<std::string>& extra) {
  std::sort(base.begin(), base.end());
  std::vector<bool> used(base.size(), false);
  std::vector<std::string> surplus;
  for (const std::string& kind : extra) {
    auto at = std::lower_bound(base.begin(), base.end(), kind);
    while (at != base.end() && *at == kind && used[static_cast<std::size_t>(at - base.begin())])
      ++at;
    if (at != base.end() && *at == kind)
      used[static_cast<std::size_t>(at - base.begin())] = true;
    else
      surplus.push_back(kind);
  }
  return surplus;
}

// Formatting elements: the only ones the parser clones when it re-opens
// them or takes misnested markup apart.
inline bool IsFormatting(const std::string& kind) {
  static const char* const kNames[] = {"a",    "b", "big",   "code",   "em",     "font", "i",
                                       "nobr", "s", "small", "strike", "strong", "tt",   "u"};
  const std::string name = kind.substr(0, kind.find(' '));
  for (const char* formatting : kNames)
    if (name == formatting) return true;
  return false;
}

// "" when output holds the elements of input apart from own markup; else
// what differs. One difference is let through: an anchor is a link element,
// and one written where the page has a link open (a link without "href" or
// "class", whose text gets anchors of its own, or a link that the parser
// re-opens after a block) nests links. The parser then takes the open
// formatting elements apart: it clones them around what follows, or no
// longer re-opens them. Copies of the page's own formatting elements may
// thus come or go; no other element, and none the page does not have.
inline std::string ElementDifference(std::string_view input, std::string_view output,
                                     const OwnMarkup& own) {
  const std::vector<std::string> before = ForeignKinds(ParsePage(input), own);
  const std::vector<std::string> after = ForeignKinds(ParsePage(output), own);
  if (before == after) return "";
  for (const std::string& kind : Surplus(after, before)) {
    if (!IsFormatting(kind) || std::find(after.begin(), after.end(), kind) == after.end())
      return "the output lost <" + kind + ">";
  }
  for (const std::string& kind : Surplus(before, after)) {
    if (!IsFormatting(kind) || std::find(before.begin(), before.end(), kind) == before.end())
      return "the output gained <" + kind + ">";
  }
  return "";
}

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_ELEMENT_LIST_H_
