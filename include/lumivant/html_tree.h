// The HTML tree the parser builds: HtmlTreeNode and HtmlDocTree.
//
// A node is an element or a text node. It carries its keyword id (see
// html_keyword_table.h), the offset and length in bytes of what it covers in
// the parsed stream, and its children in document order. Offsets always
// count bytes of the stream as it was given to the parser (whatever its
// character set), from the start of that stream.
//
// What the tree guarantees to its readers:
//  - a text node (kTextKeyword) covers text only, never markup: the bytes at
//    its offset and length decode, character references included, to
//    exactly its GetText;
//  - walking the tree depth first, text nodes come in increasing offset
//    order and never overlap, so a writer may copy the page forward by
//    offsets;
//  - an element's offset is that of its start tag; an element the page did
//    not write (implied or rebuilt by the parser) takes the offset of its
//    first text, so it never lies before text that precedes it in the walk;
//  - the first top-level node is the document root (kDocumentKeyword) and
//    holds the whole page, whatever comes first in it.
//
// Nodes are shared through LVT::RefCount handles (atomic counts) but a tree
// is not synchronised: one thread at a time. Destroying a node releases its
// subtree without recursion, so trees of any depth are safe.
#ifndef LUMIVANT_HTML_TREE_H_
#define LUMIVANT_HTML_TREE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lumivant/code_page.h"
#include "lumivant/ref_count.h"

namespace LVTParser {

class HtmlTreeNode;
using HtmlNodeHandle = LVT::RefCount<HtmlTreeNode>;

// A contiguous range of node handles, in document order.
class HtmlNodeRange {
 public:
  HtmlNodeRange(const HtmlNodeHandle* first, const HtmlNodeHandle* last)
      : m_pFirst(first), m_pLast(last) {}
  const HtmlNodeHandle* begin() const { return m_pFirst; }
  const HtmlNodeHandle* end() const { return m_pLast; }
  bool empty() const { return m_pFirst == m_pLast; }
  std::size_t size() const { return static_cast<std::size_t>(m_pLast - m_pFirst); }

 private:
  const HtmlNodeHandle* m_pFirst;
  const HtmlNodeHandle* m_pLast;
};

class HtmlTreeNode {
 public:
  HtmlTreeNode(uint8_t keywordId, uint32_t offset, uint32_t length);
  // Releases the subtree iteratively.
  ~HtmlTreeNode();
  // Nodes are owned through handles; a copy would duplicate a subtree.
  HtmlTreeNode(const HtmlTreeNode&) = delete;
  HtmlTreeNode& operator=(const HtmlTreeNode&) = delete;

  uint8_t KeywordId() const { return m_KeywordId; }
  uint32_t Offset() const { return m_Offset; }
  uint32_t Length() const { return m_Length; }
  uint32_t End() const { return m_Offset + m_Length; }
  // The offset of the start tag the page wrote for this element: Offset()
  // for a written element, the original's for a clone the parser made of a
  // formatting element (a link re-opened after a block), whose Offset() is
  // that of its first text.
  uint32_t SourceOffset() const { return m_Source == kNoSource ? m_Offset : m_Source; }
  bool IsClone() const { return m_Source != kNoSource; }
  // A text node the parser moved out of a table (foster parenting) because
  // its run of characters held more than white space; the tree has it back
  // in the table, where the page wrote it. Markup written into it splits the
  // run: a piece of nothing but white space would then stay in the table.
  bool Fostered() const { return m_Fostered; }

  HtmlNodeRange Children() const {
    return HtmlNodeRange(m_Children.data(), m_Children.data() + m_Children.size());
  }
  bool HasChildren() const { return !m_Children.empty(); }

  // The text of a text node as 16-bit characters, character references
  // decoded (replaces out). Empty for elements.
  void GetText(std::u16string& out) const;
  // The same text in UTF-8.
  const std::string& TextUtf8() const;

  // True when the element carries an attribute of that name (matched
  // case-insensitively). Always false for text nodes.
  bool IsParam(const std::string& name) const;
  // The attribute's value (references decoded, UTF-8); false when absent.
  bool GetParam(const std::string& name, std::string* value) const;

  // Building, for the parser.
  void SetKeywordId(uint8_t id) { m_KeywordId = id; }
  void SetSpan(uint32_t offset, uint32_t length) {
    m_Offset = offset;
    m_Length = length;
  }
  void SetText(std::string utf8) { m_Text = std::move(utf8); }
  void SetSourceOffset(uint32_t offset) { m_Source = offset; }
  void SetFostered() { m_Fostered = true; }
  // name must be lower case.
  void AddParam(std::string_view name, std::string_view value);
  // Room for attributes of that many bytes of names and values in all.
  void ReserveParams(std::size_t bytes) { m_Text.reserve(m_Text.size() + bytes); }
  std::vector<HtmlNodeHandle>& MutableChildren() { return m_Children; }

 private:
  uint8_t m_KeywordId;
  bool m_Fostered = false;  // text nodes only
  uint32_t m_Offset;
  uint32_t m_Length;
  static constexpr uint32_t kNoSource = 0xFFFFFFFFu;
  uint32_t m_Source = kNoSource;  // clones only
  // A text node's text; an element's attributes, each as name NUL value NUL
  // (the parser never leaves a NUL in either), which keeps the attributes
  // of a large page in one allocation per element.
  std::string m_Text;
  std::vector<HtmlNodeHandle> m_Children;
};

// A parsed page: its top-level nodes and how many nodes it holds in all.
// Empty (node count 0) until a parser fills it. Not copyable.
class HtmlDocTree {
 public:
  // charset: the character set of the stream the tree will be parsed from.
  explicit HtmlDocTree(LVTCharset::CHARSET charset = LVTCharset::kUtf8);
  ~HtmlDocTree();
  HtmlDocTree(const HtmlDocTree&) = delete;
  HtmlDocTree& operator=(const HtmlDocTree&) = delete;

  LVTCharset::CHARSET Charset() const { return m_Charset; }
  // Number of nodes of the whole tree; 0 for an empty tree.
  uint32_t NodeCount() const { return m_NodeCount; }
  HtmlNodeRange TopLevel() const {
    return HtmlNodeRange(m_TopLevel.data(), m_TopLevel.data() + m_TopLevel.size());
  }
  // How long each "a" element the page wrote stayed open while the parser
  // read the page: the offset of its start tag and that of the token that
  // closed it, in no particular order. A clone the parser made of a link
  // counts from its original's start tag. The tree alone does not tell: a
  // later tag may have moved text that was read inside a link out of it.
  using LinkSpan = std::pair<uint32_t, uint32_t>;
  const std::vector<LinkSpan>& LinkSpans() const { return m_LinkSpans; }

  // Filling, for the parser: replaces the content.
  void Reset(std::vector<HtmlNodeHandle> topLevel, uint32_t nodeCount,
             std::vector<LinkSpan> linkSpans = {});

 private:
  LVTCharset::CHARSET m_Charset;
  uint32_t m_NodeCount = 0;
  std::vector<HtmlNodeHandle> m_TopLevel;
  std::vector<LinkSpan> m_LinkSpans;
};

}  // namespace LVTParser

#endif  // LUMIVANT_HTML_TREE_H_
