// CostWindow: the accumulated costs of the last rows of an edit-distance
// matrix, as the dynamic programming of GeneralizedEditDistance needs them:
// the current row and the kCostWindowDepth rows before it, each as wide as
// the matrix. Cells not written hold DBL_MAX. Not copyable.
#ifndef LUMIVANT_CHANGES_COST_WINDOW_H_
#define LUMIVANT_CHANGES_COST_WINDOW_H_

#include <algorithm>
#include <cfloat>
#include <cstddef>
#include <vector>

namespace LVTAlgo {

// How many rows back an edit operation reaches.
constexpr std::size_t kCostWindowDepth = 2;

// Row(0) is the current row and Row(s) holds row i - s while row i is
// computed. Each row knows which cells it has written, so that recycling it
// costs no more than computing it.
class CostWindow {
 public:
  // All cells DBL_MAX.
  explicit CostWindow(std::size_t width) : m_Cells((kCostWindowDepth + 1) * width, DBL_MAX) {
    for (std::size_t s = 0; s <= kCostWindowDepth; ++s) {
      m_Rows[s] = m_Cells.data() + s * width;
      m_First[s] = 1;
      m_Last[s] = 0;  // nothing written
    }
    m_Width = width;
  }
  CostWindow(const CostWindow&) = delete;
  CostWindow& operator=(const CostWindow&) = delete;

  double* Row(std::size_t s) { return m_Rows[s]; }
  // Cells first..last of the current row are about to be written.
  void Touch(std::size_t first, std::size_t last) {
    if (m_First[0] > m_Last[0]) {
      m_First[0] = first;
      m_Last[0] = last;
    } else {
      m_First[0] = std::min(m_First[0], first);
      m_Last[0] = std::max(m_Last[0], last);
    }
  }
  // The current row becomes Row(1), and so on; the oldest row, cleared
  // back to DBL_MAX, becomes the current one.
  void Slide() {
    std::rotate(m_Rows, m_Rows + kCostWindowDepth, m_Rows + kCostWindowDepth + 1);
    std::rotate(m_First, m_First + kCostWindowDepth, m_First + kCostWindowDepth + 1);
    std::rotate(m_Last, m_Last + kCostWindowDepth, m_Last + kCostWindowDepth + 1);
    if (m_First[0] <= m_Last[0])
      std::fill(m_Rows[0] + m_First[0], m_Rows[0] + m_Last[0] + 1, DBL_MAX);
    m_First[0] = 1;
    m_Last[0] = 0;
  }
  // Saves `count` cells of Row(1) .. Row(kCostWindowDepth) from the first
  // written one.
  void SaveTo(std::size_t count, std::vector<double>& values,
              std::vector<std::size_t>& firsts) const {
    for (std::size_t s = 1; s <= kCostWindowDepth; ++s) {
      const std::size_t first = m_First[s] <= m_Last[s] ? m_First[s] : 0;
      const std::size_t end = std::min(m_Width, first + count);
      values.insert(values.end(), m_Rows[s] + first, m_Rows[s] + end);
      values.insert(values.end(), count - (end - first), DBL_MAX);
      firsts.push_back(first);
    }
  }
  // Restores rows saved by SaveTo as Row(1) .. Row(kCostWindowDepth).
  void LoadFrom(std::size_t count, const double* values, const std::size_t* firsts) {
    for (std::size_t s = 1; s <= kCostWindowDepth; ++s, values += count) {
      const std::size_t first = firsts[s - 1];
      const std::size_t end = std::min(m_Width, first + count);
      std::copy(values, values + (end - first), m_Rows[s] + first);
      m_First[s] = first;
      m_Last[s] = end - 1;
    }
  }

 private:
  std::vector<double> m_Cells;
  double* m_Rows[kCostWindowDepth + 1];
  std::size_t m_First[kCostWindowDepth + 1];
  std::size_t m_Last[kCostWindowDepth + 1];
  std::size_t m_Width = 0;
};

}  // namespace LVTAlgo

#endif  // LUMIVANT_CHANGES_COST_WINDOW_H_
