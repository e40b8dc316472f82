#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include "lumivant/html_tree.h"

namespace LVTParser {

namespace {

bool SameNameIgnoringCase(const std::string& lower, const std::string& name) {
  if (lower.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

// Releases handles without recursion: a node whose last handle goes hands
// its children to the work list before it dies, so its destructor finds
// none.
void ReleaseIteratively(std::vector<HtmlNodeHandle>& nodes) {
  std::vector<HtmlNodeHandle> pending = std::move(nodes);
  nodes.clear();
  while (!pending.empty()) {
    HtmlNodeHandle node = std::move(pending.back());
    pending.pop_back();
    if (node.UseCount() != 1) continue;
    for (HtmlNodeHandle& child : node->MutableChildren()) pending.push_back(std::move(child));
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
  out.reserve(m_Text.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(m_Text.data());
  const int32_t length = static_cast<int32_t>(m_Text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) c = 0xFFFD;
    if (U16_LENGTH(c) == 1) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(c)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
  }
}

bool HtmlTreeNode::IsParam(const std::string& name) const {
  for (const auto& param : m_Params)
    if (SameNameIgnoringCase(param.first, name)) return true;
  return false;
}

bool HtmlTreeNode::GetParam(const std::string& name, std::string* value) const {
  for (const auto& param : m_Params) {
    if (!SameNameIgnoringCase(param.first, name)) continue;
    *value = param.second;
    return true;
  }
  return false;
}

void HtmlTreeNode::AddParam(std::string name, std::string value) {
  m_Params.emplace_back(std::move(name), std::move(value));
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
