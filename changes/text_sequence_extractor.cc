#include "changes/text_sequence_extractor.h"

#include <vector>

#include "foundation/html/doc_parser.h"
#include "lumivant/html_keyword_table.h"
#include "lumivant/raw_text_extractor.h"

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

// What to do when the walk leaves an element's children.
enum class After { kNothing, kBlockEnd, kLinkEnd };

// One level of the walk: the siblings still to visit.
struct Level {
  const LVTParser::HtmlNodeHandle* next;
  const LVTParser::HtmlNodeHandle* end;
  bool inLink;
  After after;
  NodeHandle link;  // the link node that kLinkEnd finishes
};

bool IsLinkNode(const LVTParser::HtmlTreeNode& h) {
  return h.KeywordId() == LVTParser::kLinkKeyword && (h.IsParam("href") || h.IsParam("class"));
}

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
    if (last != nullptr && !last->m_Pieces.empty()) last->m_Pieces.back().push_back(u' ');
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
  node.m_Pieces.push_back(std::move(raw));
  node.m_PieceOffsets.push_back(h.Offset());
  node.m_PieceLengths.push_back(h.Length());
}

}  // namespace

void TextSequenceExtractor::GetTextSequence(LVTBase::BinaryStreamBuf& page,
                                            LVTCharset::CHARSET charset, NodeSequence& out) const {
  LVTParser::HtmlDocTree tree(charset);
  LVTParser::HtmlDocParser parser(page, KeywordTable(), tree);
  parser.Parse();
  const LVTParser::HtmlNodeRange top = tree.TopLevel();
  if (tree.NodeCount() == 0 || top.empty() || !(*top.begin())->HasChildren()) return;
  CollectTextNodes(top.begin(), top.end(), false, out);
}

void TextSequenceExtractor::CollectTextNodes(const TreeHandle* first, const TreeHandle* last,
                                             bool inLink, NodeSequence& out) const {
  NodeList nodes(out);
  // A link node's text is all its pieces, blanks of inner blocks included.
  auto finishLink = [this, &nodes](Node& link) {
    link.m_Text.clear();
    for (const std::u16string& piece : link.m_Pieces) link.m_Text += piece;
    NormalizeText(link.m_Text);
    if (link.m_Text.empty()) nodes.Remove(&link);
  };
  std::vector<Level> levels;
  levels.push_back({first, last, inLink, After::kNothing, NodeHandle()});
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.end) {
      const After after = level.after;
      const NodeHandle link = std::move(level.link);
      levels.pop_back();
      if (after == After::kBlockEnd) nodes.AddBoundaryBlank();
      if (after == After::kLinkEnd) finishLink(*link);
      continue;
    }
    const LVTParser::HtmlTreeNode& h = **level.next++;
    const bool linked = level.inLink;
    const uint8_t id = h.KeywordId();
    if (id == LVTParser::kSkippedKeyword) continue;
    if (id == LVTParser::kTextKeyword) {
      std::u16string raw;
      h.GetText(raw);
      if (linked) {
        if (Node* link = nodes.Last()) AddPiece(*link, std::move(raw), h);
        continue;
      }
      NodeHandle node = LVT::MakeSmart<Node>();
      node->m_Text = raw;
      NormalizeText(node->m_Text);
      if (node->m_Text.empty()) continue;
      AddPiece(*node, std::move(raw), h);
      node->m_Offset = h.Offset();
      nodes.Append(node);
      continue;
    }
    if (IsLinkNode(h)) {
      NodeHandle node = LVT::MakeSmart<Node>();
      node->m_Offset = h.Offset();
      nodes.Append(node);
      if (h.HasChildren()) {
        levels.push_back({h.Children().begin(), h.Children().end(), true, After::kLinkEnd, node});
      } else {
        finishLink(*node);
      }
      continue;
    }
    const bool separates = !RawTextExtractor::IsInlineKeyword(id);
    if (separates) nodes.AddBoundaryBlank();
    if (h.HasChildren()) {
      levels.push_back({h.Children().begin(), h.Children().end(), linked,
                        separates ? After::kBlockEnd : After::kNothing, NodeHandle()});
    } else if (separates) {
      nodes.AddBoundaryBlank();
    }
  }
  nodes.MoveTo(out);
}

}  // namespace LVTDT
