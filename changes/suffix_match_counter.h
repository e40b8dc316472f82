// SuffixMatchCounter: for two sequences of text numbers, how many elements of
// a[i..] and b[j..] could be matched at most: over every text, the smaller
// of its counts in the two suffixes. It bounds from below what aligning the
// rest of two pages must cost, and it knows both where each text still
// occurs and how often, so it stays close to the cost away from the path.
//
// The counts move one element at a time, each step O(1), so a query costs
// the distance from the previous one. Two cursors on b serve the two edges
// of a band: each query takes the nearer one. Belongs to one thread.
#ifndef LUMIVANT_CHANGES_SUFFIX_MATCH_COUNTER_H_
#define LUMIVANT_CHANGES_SUFFIX_MATCH_COUNTER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace LVTDT {

class SuffixMatchCounter {
 public:
  // Numbers below `textCount`. Keeps references to both sequences.
  SuffixMatchCounter(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                     uint32_t textCount);

  // i <= a.size(), j <= b.size(). Asked once or more per row of a bounded
  // pass, mostly a step or none from where the cursors stand.
  std::size_t Count(std::size_t i, std::size_t j) {
    if (i != m_I) MoveA(i);
    Cursor& cursor =
        Distance(m_Cursors[0], j) <= Distance(m_Cursors[1], j) ? m_Cursors[0] : m_Cursors[1];
    if (cursor.j != j) MoveB(cursor, j);
    return cursor.matched;
  }

 private:
  struct Cursor {
    std::size_t j;
    std::vector<uint32_t> countB;  // per text, in b[j..]
    std::size_t matched;           // the sum of the smaller counts
  };

  static std::size_t Distance(const Cursor& cursor, std::size_t j) {
    return cursor.j > j ? cursor.j - j : j - cursor.j;
  }
  void MoveA(std::size_t i);
  void MoveB(Cursor& cursor, std::size_t j);

  const std::vector<uint32_t>& m_A;
  const std::vector<uint32_t>& m_B;
  std::size_t m_I = 0;
  std::vector<uint32_t> m_CountA;  // per text, in a[m_I..]
  Cursor m_Cursors[2];
};

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_SUFFIX_MATCH_COUNTER_H_
