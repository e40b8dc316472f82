#include "changes/changed_words.h"

#include <algorithm>

#include "changes/piece_bytes.h"
#include "changes/word_diff.h"
#include "foundation/base/string_utils.h"

namespace LVTDT {

namespace {

std::u16string Joined(const Node::PieceList<std::u16string>& pieces) {
  std::u16string text;
  for (const std::u16string& piece : pieces) text += piece;
  return text;
}

bool BlanksOnly(const std::u16string& text, std::size_t first, std::size_t last) {
  for (std::size_t k = first; k < last; ++k) {
    if (!LVTBase::IsBlank(text[k], true)) return false;
  }
  return true;
}

// The stretches' texts, white space collapsed, joined by a blank.
std::u16string StretchText(const std::u16string& text, const std::vector<TextRange>& stretches) {
  std::u16string joined;
  for (const TextRange& stretch : stretches) {
    std::u16string collapsed;
    LVTBase::BeautifyString(text.substr(stretch.first, stretch.second - stretch.first), collapsed,
                            true, true);
    if (!joined.empty()) joined += u' ';
    joined += collapsed;
  }
  return joined;
}

// Turns stretches of a node's text into byte ranges of the page, piece by
// piece; each piece's byte map is made once, when first needed.
class RangeMapper {
 public:
  RangeMapper(const Node& node, const std::u16string& text, std::string_view page)
      : m_Node(node), m_Text(text), m_Page(page) {
    const std::size_t count =
        std::min({node.m_Pieces.size(), node.m_PieceOffsets.size(), node.m_PieceLengths.size()});
    m_Starts.push_back(0);
    for (std::size_t k = 0; k < count; ++k)
      m_Starts.push_back(m_Starts.back() + node.m_Pieces[k].size());
    m_Maps.resize(count);
    m_State.assign(count, kUnmapped);
  }

  void Add(const TextRange& stretch, ChangedWords& changes) {
    auto& ranges = changes.m_Ranges;
    for (std::size_t k = 0; k + 1 < m_Starts.size(); ++k) {
      const std::size_t first = std::max(stretch.first, m_Starts[k]);
      const std::size_t last = std::min(stretch.second, m_Starts[k + 1]);
      if (first >= last || BlanksOnly(m_Text, first, last)) continue;
      const uint32_t offset = m_Node.m_PieceOffsets[k];
      uint32_t start = offset;
      uint32_t end = offset + m_Node.m_PieceLengths[k];
      if (Mapped(k)) {
        start = offset + m_Maps[k].Floor(first - m_Starts[k]);
        end = offset + m_Maps[k].Ceil(last - m_Starts[k]);
      }
      // A whole piece may be touched by two stretches: keep what is ahead.
      if (!ranges.empty()) start = std::max(start, ranges.back().first + ranges.back().second);
      if (start >= end) continue;
      ranges.emplace_back(start, end - start);
      const bool whole = m_State[k] == kWhole;
      changes.m_Stretches.push_back(
          {offset, static_cast<uint32_t>(whole ? 0 : first - m_Starts[k]),
           static_cast<uint32_t>(whole ? m_Node.m_Pieces[k].size() : last - m_Starts[k])});
    }
  }

 private:
  enum State : char { kUnmapped, kMapped, kWhole };

  bool Mapped(std::size_t k) {
    if (m_State[k] == kUnmapped) {
      const uint64_t end = uint64_t{m_Node.m_PieceOffsets[k]} + m_Node.m_PieceLengths[k];
      const bool fostered = m_Node.PieceFostered(k);
      const bool mapped =
          !fostered && end <= m_Page.size() &&
          m_Maps[k].Map(m_Page.substr(m_Node.m_PieceOffsets[k], m_Node.m_PieceLengths[k]),
                        m_Node.m_Pieces[k]);
      m_State[k] = mapped ? kMapped : kWhole;
    }
    return m_State[k] == kMapped;
  }

  const Node& m_Node;
  const std::u16string& m_Text;
  std::string_view m_Page;
  std::vector<std::size_t> m_Starts;  // of each piece in the text, and the end
  std::vector<PieceBytes> m_Maps;
  std::vector<State> m_State;
};

}  // namespace

ChangedWords FindChangedWords(const Node& old, const Node& next,
                              const TextSequenceExtractor& extractor, std::string_view page) {
  ChangedWords changes;
  const std::u16string oldText = Joined(old.m_Pieces);
  const std::u16string newText = Joined(next.m_Pieces);
  std::u16string oldFolded = oldText;
  std::u16string newFolded = newText;
  extractor.FoldText(oldFolded);
  extractor.FoldText(newFolded);
  const WordDiff diff = DiffWords(oldFolded, newFolded);
  // Over half the words changed: the reader is better served by the node.
  if (!diff.m_Complete || diff.m_InsertedWords + diff.m_RemovedWords > diff.m_KeptWords)
    return changes;
  changes.m_Whole = false;
  RangeMapper mapper(next, newText, page);
  for (const TextRange& stretch : diff.m_Inserted) mapper.Add(stretch, changes);
  changes.m_Text = StretchText(newText, diff.m_Inserted);
  changes.m_Removed = StretchText(oldText, diff.m_Removed);
  changes.m_MarkedWords = diff.m_InsertedWords;
  changes.m_RemovedWords = diff.m_RemovedWords;
  return changes;
}

}  // namespace LVTDT
