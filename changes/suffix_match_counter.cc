#include "changes/suffix_match_counter.h"

#include <algorithm>

namespace LVTDT {

SuffixMatchCounter::SuffixMatchCounter(const std::vector<uint32_t>& a,
                                       const std::vector<uint32_t>& b, uint32_t textCount)
    : m_A(a), m_B(b), m_CountA(textCount, 0) {
  for (uint32_t text : a) ++m_CountA[text];
  // Both cursors start on the whole of b; the queries of a band's two edges
  // then pull them apart, and each follows its own edge.
  Cursor& whole = m_Cursors[0];
  whole.j = 0;
  whole.countB.assign(textCount, 0);
  for (uint32_t text : b) ++whole.countB[text];
  whole.matched = 0;
  for (uint32_t text = 0; text < textCount; ++text)
    whole.matched += std::min(m_CountA[text], whole.countB[text]);
  m_Cursors[1] = whole;
}

// A count's minimum with the other side's drops by one when the count drops
// while not above the other, and rises by one when it rises to at most it.
void SuffixMatchCounter::MoveA(std::size_t i) {
  for (; m_I < i; ++m_I) {
    const uint32_t text = m_A[m_I];
    for (Cursor& cursor : m_Cursors) cursor.matched -= m_CountA[text] <= cursor.countB[text];
    --m_CountA[text];
  }
  while (m_I > i) {
    const uint32_t text = m_A[--m_I];
    ++m_CountA[text];
    for (Cursor& cursor : m_Cursors) cursor.matched += m_CountA[text] <= cursor.countB[text];
  }
}

void SuffixMatchCounter::MoveB(Cursor& cursor, std::size_t j) {
  for (; cursor.j < j; ++cursor.j) {
    const uint32_t text = m_B[cursor.j];
    cursor.matched -= cursor.countB[text] <= m_CountA[text];
    --cursor.countB[text];
  }
  while (cursor.j > j) {
    const uint32_t text = m_B[--cursor.j];
    ++cursor.countB[text];
    cursor.matched += cursor.countB[text] <= m_CountA[text];
  }
}

}  // namespace LVTDT
