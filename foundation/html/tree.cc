#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <string_view>

#include "foundation/base/ascii.h"
#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"

namespace LVTParser {

namespace {

bool SameNameIgnoringCase(std::string_view lower, const std::string& name) {
  if (lower.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (LVTBase::LowerAscii(name[i]) != lower[i]) return false;
  }
  return true;
}

// The packed attributes' value for name, or nullptr.
const char* FindParam(const std::string& packed, const std::string& name, std::size_t* length) {
  for (std::size_t at = 0; at < packed.size();) {
    const std::size_t nameEnd = packed.find('\0', at);
    const std::size_t valueEnd = packed.find('\0', nameEnd + 1);
    if (SameNameIgnoringCase(std::string_view(packed).substr(at, nameEnd - at), name)) {
      *length = valueEnd - nameEnd - 1;
      return packed.data() + nameEnd + 1;
    }
    at = valueEnd + 1;
  }
  return nullptr;
}

// Releases handles without recursion: a node whose last handle goes hands
// its children that have children of their own to the work list before it
// dies, so no destructor finds a grandchild. Leaves (most of a tree) are
// released where they are.
void ReleaseIteratively(std::vector<HtmlNodeHandle>& nodes) {
  std::vector<HtmlNodeHandle> pending = std::move(nodes);
  nodes.clear();
  while (!pending.empty()) {
    HtmlNodeHandle node = std::move(pending.back());
    pending.pop_back();
    if (node.UseCount() != 1) continue;
    for (HtmlNodeHandle& child : node->MutableChildren())
      if (child->HasChildren()) pending.push_back(std::move(child));
    node->MutableChildren().clear();
  }
}

}  // namespace

HtmlTreeNode::HtmlTreeNode(uint8_t keywordId, uint32_t offset, uint32_t length)
    : m_KeywordId(keywordId), m_Offset(offset), m_Length(length) {}

HtmlTreeNode::~HtmlTreeNode() {
  if (!m_Children.empty()) ReleaseIteratively(m_Children);
}

void HtmlTreeNode::GetText(std::u16string& out) const {
  out.clear();
  if (m_KeywordId != kTextKeyword) return;
  // A character never takes more 16-bit units than it takes bytes.
  out.resize(m_Text.size());
  char16_t* unit = out.data();
  const auto* bytes = reinterpret_cast<const uint8_t*>(m_Text.data());
  const int32_t length = static_cast<int32_t>(m_Text.size());
  for (int32_t i = 0; i < length;) {
    if (bytes[i] < 0x80) {
      *unit++ = bytes[i++];
      continue;
    }
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) c = 0xFFFD;
    if (U16_LENGTH(c) == 1) {
      *unit++ = static_cast<char16_t>(c);
    } else {
      *unit++ = static_cast<char16_t>(U16_LEAD(c));
      *unit++ = static_cast<char16_t>(U16_TRAIL(c));
    }
  }
  out.resize(static_cast<std::size_t>(unit - out.data()));
}

const std::string& HtmlTreeNode::TextUtf8() const {
  static const std::string kNoText;
  return m_KeywordId == kTextKeyword ? m_Text : kNoText;
}

bool HtmlTreeNode::IsParam(const std::string& name) const {
  std::size_t length;
  return m_KeywordId != kTextKeyword && FindParam(m_Text, name, &length) != nullptr;
}

bool HtmlTreeNode::GetParam(const std::string& name, std::string* value) const {
  std::size_t length;
  const char* found = m_KeywordId == kTextKeyword ? nullptr : FindParam(m_Text, name, &length);
  if (found == nullptr) return false;
  value->assign(found, length);
  return true;
}

void HtmlTreeNode::AddParam(std::string_view name, std::string_view value) {
  m_Text.append(name).push_back('\0');
  m_Text.append(value).push_back('\0');
}

HtmlDocTree::HtmlDocTree(LVTCharset::CHARSET charset) : m_Charset(charset) {}

HtmlDocTree::~HtmlDocTree() { ReleaseIteratively(m_TopLevel); }

void HtmlDocTree::Reset(std::vector<HtmlNodeHandle> topLevel, uint32_t nodeCount,
                        std::vector<LinkSpan> linkSpans) {
  ReleaseIteratively(m_TopLevel);
  m_TopLevel = std::move(topLevel);
  m_NodeCount = nodeCount;
  m_LinkSpans = std::move(linkSpans);
}

}  // namespace LVTParser
