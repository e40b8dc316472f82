#include "changes/text_sequence_extractor.h"

#include <algorithm>
#include <vector>

#include "foundation/base/string_utils.h"
#include "foundation/html/anchor_safety.h"
#include "foundation/html/doc_parser.h"
#include "foundation/html/page_text_walk.h"
#include "lumivant/html_keyword_table.h"

namespace LVTDT {

namespace {

// The keyword table of change detection, built when the library is loaded
// (through a function so that nothing depends on the order in which static
// objects of different files are built) and only read afterwards.
const LVTParser::HtmlKeywordTable& KeywordTable() {
  static const LVTParser::HtmlKeywordTable table(2);
  return table;
}
const LVTParser::HtmlKeywordTable& g_BuiltAtLoad = KeywordTable();

// The nodes of one walk; the node before them (if any) only receives the
// blanks of block boundaries, which never reach a finished node's text.
class NodeList {
 public:
  explicit NodeList(NodeSequence& out) : m_Out(out) {}

  Node* Last() const {
    if (!m_Nodes.empty()) return m_Nodes.back().Get();
    return m_Out.empty() ? nullptr : m_Out.back().Get();
  }
  void Append(const NodeHandle& node) { m_Nodes.push_back(node); }
  // Drops a link node whose text normalised to nothing.
  void Remove(const Node* node) {
    for (std::size_t k = m_Nodes.size(); k-- > 0;) {
      if (m_Nodes[k].Get() == node) {
        m_Nodes.erase(m_Nodes.begin() + static_cast<std::ptrdiff_t>(k));
        return;
      }
    }
  }
  // A block boundary: one blank behind the last piece of the last node.
  void AddBoundaryBlank() const {
    Node* last = Last();
    if (last != nullptr && !last->m_Pieces.empty())
      LVTBase::AppendToFinished(last->m_Pieces.back(), u' ');
  }
  void MoveTo(NodeSequence& out) {
    for (NodeHandle& node : m_Nodes) out.push_back(std::move(node));
    m_Nodes.clear();
  }

 private:
  NodeSequence& m_Out;
  std::vector<NodeHandle> m_Nodes;
};

void AddPiece(Node& node, std::u16string raw, const LVTParser::HtmlTreeNode& h) {
  if (h.Fostered()) node.m_FosteredPieces.push_back(static_cast<uint32_t>(node.m_Pieces.size()));
  node.m_Pieces.push_back(std::move(raw));
  node.m_PieceOffsets.push_back(h.Offset());
  node.m_PieceLengths.push_back(h.Length());
}

// Makes the nodes of a walk: a node per text outside links, one node for
// all the text of each link.
class NodeCollector {
 public:
  NodeCollector(const TextSequenceExtractor& extractor, NodeSequence& out, std::string_view bytes,
                const std::vector<std::string>& gaps)
      : m_Extractor(extractor), m_Nodes(out), m_Bytes(bytes), m_Gaps(gaps) {}

  void Text(const LVTParser::HtmlTreeNode& h, const LVTParser::PageTextContext& context) {
    std::u16string raw;
    h.GetText(raw);
    if (context.inLink) {
      if (Node* link = m_Nodes.Last()) AddPiece(*link, std::move(raw), h);
      return;
    }
    if (m_Joinable != nullptr && JoinsOn(*m_Joinable, h)) {
      AddPiece(*m_Joinable, std::move(raw), h);
      m_Joinable->m_Text.clear();
      for (const std::u16string& piece : m_Joinable->m_Pieces) m_Joinable->m_Text += piece;
      m_Extractor.NormalizeText(m_Joinable->m_Text);
      return;
    }
    m_Joinable = nullptr;
    // Most runs between tags are blank: they make no node at all.
    std::u16string text = raw;
    m_Extractor.NormalizeText(text);
    if (text.empty()) return;
    NodeHandle node = LVT::MakeSmart<Node>();
    node->m_Text = std::move(text);
    AddPiece(*node, std::move(raw), h);
    node->m_Offset = LVTParser::SafeAnchorOffset(h.Offset(), context.openLink, context.liveLinks);
    m_Nodes.Append(node);
    if (!m_Gaps.empty()) m_Joinable = node.Get();
  }
  void Boundary() {
    m_Joinable = nullptr;
    m_Nodes.AddBoundaryBlank();
  }
  void EnterLink(const LVTParser::HtmlTreeNode& h, const LVTParser::PageTextContext& inside) {
    m_Joinable = nullptr;
    NodeHandle node = LVT::MakeSmart<Node>();
    node->m_Offset = LVTParser::SafeAnchorOffset(h.Offset(), inside.openLink, inside.liveLinks);
    m_Nodes.Append(node);
    m_OpenLinks.push_back(std::move(node));
  }
  // A link node's text is all its pieces, blanks of inner blocks included.
  void LeaveLink() {
    m_Joinable = nullptr;
    const NodeHandle link = std::move(m_OpenLinks.back());
    m_OpenLinks.pop_back();
    link->m_Text.clear();
    for (const std::u16string& piece : link->m_Pieces) link->m_Text += piece;
    m_Extractor.NormalizeText(link->m_Text);
    if (link->m_Text.empty()) m_Nodes.Remove(link.Get());
  }
  void Finish(NodeSequence& out) { m_Nodes.MoveTo(out); }

 private:
  // Whether text h lies right behind node's last piece but for one gap.
  bool JoinsOn(const Node& node, const LVTParser::HtmlTreeNode& h) const {
    const uint32_t end = node.m_PieceOffsets.back() + node.m_PieceLengths.back();
    if (h.Offset() <= end || h.Offset() > m_Bytes.size()) return false;
    const std::string_view between = m_Bytes.substr(end, h.Offset() - end);
    return std::find(m_Gaps.begin(), m_Gaps.end(), between) != m_Gaps.end();
  }

  const TextSequenceExtractor& m_Extractor;
  NodeList m_Nodes;
  std::vector<NodeHandle> m_OpenLinks;  // innermost last
  std::string_view m_Bytes;
  const std::vector<std::string>& m_Gaps;
  Node* m_Joinable = nullptr;  // the node of the last text, while nothing came between
};

}  // namespace

void TextSequenceExtractor::GetTextSequence(LVTBase::BinaryStreamBuf& page,
                                            LVTCharset::CHARSET charset, NodeSequence& out,
                                            std::string_view bytes,
                                            const std::vector<std::string>& gaps) const {
  LVTParser::HtmlDocTree tree(charset);
  LVTParser::HtmlDocParser parser(page, KeywordTable(), tree);
  parser.Parse();
  NodeCollector collector(*this, out, bytes, gaps);
  const LVTParser::LiveLinks liveLinks(tree.LinkSpans());
  LVTParser::PageTextContext context;
  context.liveLinks = &liveLinks;
  LVTParser::WalkPageText(LVTParser::PageTextNodes(tree), context, collector);
  collector.Finish(out);
}

}  // namespace LVTDT
