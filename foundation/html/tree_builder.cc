#include "foundation/html/tree_builder.h"

#include <gumbo.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/base/ascii.h"
#include "foundation/html/text_stretches.h"

namespace LVTParser {

namespace {

std::string_view OriginalTagName(const GumboElement& element) {
  GumboStringPiece piece = element.original_tag;
  if (piece.length < 2) return std::string_view();
  gumbo_tag_from_original_text(&piece);
  return std::string_view(piece.data, piece.length);
}

// Elements whose content the tokenizer reads as text, not markup.
bool HoldsRawText(const GumboNode* node) {
  if (node->type != GUMBO_NODE_ELEMENT) return false;
  GumboTag tag = node->v.element.tag;
  return tag == GUMBO_TAG_XMP || tag == GUMBO_TAG_PLAINTEXT || tag == GUMBO_TAG_TITLE ||
         tag == GUMBO_TAG_TEXTAREA || tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_SCRIPT ||
         tag == GUMBO_TAG_IFRAME || tag == GUMBO_TAG_NOEMBED || tag == GUMBO_TAG_NOFRAMES;
}

class Builder {
 public:
  Builder(const char* buffer, uint32_t size, const HtmlKeywordTable& table,
          const std::vector<std::pair<uint32_t, uint32_t>>& foreign)
      : m_pBuffer(buffer), m_Size(size), m_Table(table), m_Foreign(foreign) {}

  BuiltTree Build(const GumboNode* document) {
    BuiltTree built;
    built.root = m_Nodes.Make(kDocumentKeyword, 0, m_Size);
    m_Count = 1;
    m_Frames.push_back(Frame{document, built.root.Get(), 0});
    while (!m_Frames.empty()) Step();
    built.nodeCount = m_Count;
    built.linkSpans = std::move(m_LinkSpans);
    return built;
  }

 private:
  struct Frame {
    const GumboNode* source;
    HtmlTreeNode* target;
    unsigned next;
  };

  static const GumboVector& ChildrenOf(const GumboNode* node) {
    return node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
  }

  void Step() {
    Frame& frame = m_Frames.back();
    const GumboVector& children = ChildrenOf(frame.source);
    if (frame.next == children.length) {
      m_Frames.pop_back();
      return;
    }
    const GumboNode* child = static_cast<const GumboNode*>(children.data[frame.next++]);
    HtmlTreeNode* parent = frame.target;
    const bool rawContext = HoldsRawText(frame.source);
    switch (child->type) {
      case GUMBO_NODE_ELEMENT:
      case GUMBO_NODE_TEMPLATE:
        AddElement(child, parent);  // may grow m_Frames: frame is stale now
        break;
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_WHITESPACE:
        AddText(child, parent, rawContext);
        break;
      default:  // comments, and CDATA sections (in SVG they hold scripts and
                // styles; a writer must not put markup inside them)
        Append(parent, kSkippedKeyword, child->v.text.start_pos.offset,
               child->v.text.start_pos.offset +
                   static_cast<uint32_t>(child->v.text.original_text.length));
        break;
    }
  }

  HtmlTreeNode* Append(HtmlTreeNode* parent, uint8_t id, uint32_t offset, uint32_t lengthOrEnd) {
    parent->MutableChildren().push_back(m_Nodes.Make(id, offset, lengthOrEnd));
    ++m_Count;
    return parent->MutableChildren().back().Get();
  }

  void AddElement(const GumboNode* source, HtmlTreeNode* parent) {
    const GumboElement& element = source->v.element;
    // Only a tag the parser does not know needs its name read.
    uint8_t id = source->type == GUMBO_NODE_TEMPLATE ? kSkippedKeyword
                 : element.tag != GUMBO_TAG_UNKNOWN
                     ? m_Table.IdForTag(element.tag, std::string_view())
                     : m_Table.IdForTag(element.tag, OriginalTagName(element));
    // Clones the parser made of formatting elements carry the position of
    // the original start tag, which lies before text already seen.
    const int cloned =
        GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT | GUMBO_INSERTION_ADOPTION_AGENCY_CLONED;
    const bool written = element.original_tag.length > 0 && (source->parse_flags & cloned) == 0;
    uint32_t offset = written ? element.start_pos.offset : kUnsetOffset;
    uint32_t ownEnd = 0;
    if (element.original_end_tag.length > 0)
      ownEnd = element.end_pos.offset + static_cast<uint32_t>(element.original_end_tag.length);
    else if (written)
      ownEnd = offset + static_cast<uint32_t>(element.original_tag.length);
    HtmlTreeNode* node = Append(parent, id, offset, ownEnd);
    // The parser records when it pops an element; one it took out from
    // under others (adoption) keeps no end, and its clone, if any, goes on.
    if (element.tag == GUMBO_TAG_A && element.tag_namespace == GUMBO_NAMESPACE_HTML &&
        element.original_tag.length > 0 && element.end_pos.offset > element.start_pos.offset)
      m_LinkSpans.emplace_back(element.start_pos.offset, element.end_pos.offset);
    // A clone keeps where its original starts: markup written between the
    // two would meet the element still open or waiting to be re-opened.
    if (!written && element.original_tag.length > 0)
      node->SetSourceOffset(element.start_pos.offset);
    if (element.tag == GUMBO_TAG_NOSCRIPT && element.tag_namespace == GUMBO_NAMESPACE_HTML)
      KeepLinksOpenPast(element, cloned);
    std::size_t attributeBytes = 0;
    for (unsigned i = 0; i < element.attributes.length; ++i) {
      const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
      attributeBytes += std::strlen(attribute->name) + std::strlen(attribute->value) + 2;
    }
    node->ReserveParams(attributeBytes);
    for (unsigned i = 0; i < element.attributes.length; ++i) {
      const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
      m_Name.assign(attribute->name);
      LVTBase::LowerAsciiInPlace(m_Name);
      node->AddParam(m_Name, attribute->value);
    }
    // What lies below a skipped element is never read.
    if (id != kSkippedKeyword && element.children.length > 0) {
      // Text children may split into several nodes; most do not.
      node->MutableChildren().reserve(element.children.length);
      m_Frames.push_back(Frame{source, node, 0});
    }
  }

  void AddText(const GumboNode* source, HtmlTreeNode* parent, bool rawContext) {
    const GumboText& text = source->v.text;
    m_Stretches.clear();
    SplitTextSpan(m_pBuffer, text.start_pos.offset,
                  static_cast<uint32_t>(text.original_text.length), text.text, rawContext,
                  &m_Stretches);
    for (TextStretch& stretch : m_Stretches) {
      if (InForeignContent(stretch.offset))
        Append(parent, kSkippedKeyword, stretch.offset, stretch.offset + stretch.length);
      else
        Append(parent, kTextKeyword, stretch.offset, stretch.length)
            ->SetText(std::move(stretch.text));
    }
  }

  bool InForeignContent(uint32_t offset) const {
    auto after = std::upper_bound(m_Foreign.begin(), m_Foreign.end(), offset,
                                  [](uint32_t at, const auto& range) { return at < range.first; });
    return after != m_Foreign.begin() && offset < std::prev(after)->second;
  }

  // The library reads <noscript> as a browser without scripts does. With
  // them, its content is text: a link that the library closed in it (and
  // re-opened there as a clone) stays open after it, until the next link
  // tag.
  void KeepLinksOpenPast(const GumboElement& noscript, int cloned) {
    const uint32_t end = noscript.original_end_tag.length > 0 ? noscript.end_pos.offset : m_Size;
    for (unsigned i = 0; i < noscript.children.length; ++i) {
      const auto* child = static_cast<const GumboNode*>(noscript.children.data[i]);
      if (child->type != GUMBO_NODE_ELEMENT || (child->parse_flags & cloned) == 0) continue;
      const GumboElement& clone = child->v.element;
      if (clone.tag == GUMBO_TAG_A && clone.tag_namespace == GUMBO_NAMESPACE_HTML &&
          clone.original_tag.length > 0 && clone.start_pos.offset < noscript.start_pos.offset)
        m_LinkSpans.emplace_back(clone.start_pos.offset, NextLinkTag(end));
    }
  }

  // Where the next <a or </a starts from `from` on, or the end of the page.
  // The last answer is kept: asked in page order, the scans stay linear.
  uint32_t NextLinkTag(uint32_t from) {
    if (m_LinkTagFrom <= from && from <= m_LinkTagAt) return m_LinkTagAt;
    m_LinkTagFrom = from;
    m_LinkTagAt = FindLinkTag(from);
    return m_LinkTagAt;
  }

  uint32_t FindLinkTag(uint32_t from) const {
    for (uint32_t at = from; at + 2 < m_Size; ++at) {
      if (m_pBuffer[at] != '<') continue;
      const uint32_t name = at + (m_pBuffer[at + 1] == '/' ? 2 : 1);
      if (name + 1 >= m_Size || (m_pBuffer[name] | 0x20) != 'a') continue;
      const char next = m_pBuffer[name + 1];
      if (next == '>' || next == '/' || next == ' ' || next == '\t' || next == '\n' ||
          next == '\f' || next == '\r')
        return at;
    }
    return m_Size;
  }

  const char* m_pBuffer;
  uint32_t m_Size;
  const HtmlKeywordTable& m_Table;
  const std::vector<std::pair<uint32_t, uint32_t>>& m_Foreign;
  uint32_t m_Count = 0;
  // The nodes, side by side in page order: every later walk follows them.
  LVT::SlabMaker<HtmlTreeNode> m_Nodes;
  std::vector<Frame> m_Frames;
  std::vector<TextStretch> m_Stretches;
  std::string m_Name;  // an attribute's name in lower case
  std::vector<HtmlDocTree::LinkSpan> m_LinkSpans;
  uint32_t m_LinkTagFrom = 1;  // the last NextLinkTag question and answer
  uint32_t m_LinkTagAt = 0;
};

}  // namespace

BuiltTree BuildTree(const GumboNode* document, const char* buffer, uint32_t size,
                    const HtmlKeywordTable& table,
                    const std::vector<std::pair<uint32_t, uint32_t>>& foreign) {
  return Builder(buffer, size, table, foreign).Build(document);
}

}  // namespace LVTParser
