// Node: one text node of a page as change detection compares it: either one
// run of text, or all the text inside one link element. The normalised text
// is what comparisons look at; the pieces say which bytes of the page the
// node came from, which is what the change report marks up.
//
// A shared record, held through LVT::SmartPtr<Node> in NodeSequence lists;
// the count is not atomic, so a node and its lists belong to one thread.
#ifndef LUMIVANT_CHANGES_NODE_H_
#define LUMIVANT_CHANGES_NODE_H_

#include <algorithm>
#include <boost/container/small_vector.hpp>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lumivant/ref_count_vector.h"
#include "lumivant/smart_ptr.h"
#include "lumivant/sp_ref_counter.h"

namespace LVTDT {

class Node : public LVT::SPRefCounterST {
 public:
  // Most nodes have one piece: it is kept inside the node.
  template <class T>
  using PieceList = boost::container::small_vector<T, 1>;

  static constexpr uint32_t kNoOffset = 0xFFFFFFFFu;

  // Two nodes are equal when their normalised texts are.
  bool SameText(const Node& other) const { return m_Text == other.m_Text; }
  bool PieceFostered(std::size_t piece) const {
    return std::binary_search(m_FosteredPieces.begin(), m_FosteredPieces.end(), piece);
  }

  // The normalised text; never empty in a finished sequence.
  std::u16string m_Text;
  // The raw text of each piece, in document order. A piece may carry
  // trailing blanks added for the elements around it.
  PieceList<std::u16string> m_Pieces;
  // Byte offset and byte length of each piece's text in the parsed page;
  // pieces of a sequence follow each other without overlap.
  PieceList<uint32_t> m_PieceOffsets;
  PieceList<uint32_t> m_PieceLengths;
  // The pieces the parser moved out of a table, by index in increasing
  // order: markup inside such a piece would leave white space behind in the
  // table. Rare, so most nodes keep this list empty and unallocated.
  std::vector<uint32_t> m_FosteredPieces;
  // Where the node begins: its piece for a run of text, the link element's
  // own markup for a link node.
  uint32_t m_Offset = kNoOffset;
};

using NodeHandle = LVT::SmartPtr<Node>;
using NodeSequence = LVT::RefCountVector<Node, LVT::SmartPtr<Node>>;

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_NODE_H_
