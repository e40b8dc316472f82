// BackPointerTable: the back-pointers of an edit-distance matrix, one byte
// per computed cell, for a run of consecutive rows. Each row holds only the
// columns that were computed, packed after the row before, so a pass that
// leaves most of its band out also leaves most of the table untouched.
// Space is reserved, never cleared: a page of it is faulted in only when a
// row is written there, and a cell that was not computed is never read.
#ifndef LUMIVANT_CHANGES_BACK_POINTER_TABLE_H_
#define LUMIVANT_CHANGES_BACK_POINTER_TABLE_H_

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace LVTAlgo {

class BackPointerTable {
 public:
  // Empties the table for rows from `firstRow` on, with room for `cells`
  // back-pointers in all.
  void Reset(std::size_t firstRow, std::size_t cells) {
    m_FirstRow = firstRow;
    m_Cells.clear();
    m_Cells.reserve(cells);
    m_RowStart.clear();
    m_RowColumn.clear();
  }

  // Opens the next row with room for `cells` back-pointers; returns where
  // they go.
  uint8_t* BeginRow(std::size_t cells) {
    m_RowStart.push_back(m_Cells.size());
    m_Cells.resize(m_Cells.size() + cells);  // leaves the bytes as they are
    return &m_Cells[m_RowStart.back()].m_Value;
  }

  // Closes the row opened last, keeping its first `cells` back-pointers,
  // which belong to the columns from `column` on.
  void EndRow(std::size_t column, std::size_t cells) {
    m_RowColumn.push_back(column);
    m_Cells.resize(m_RowStart.back() + cells);
  }

  uint8_t At(std::size_t row, std::size_t column) const {
    const std::size_t r = row - m_FirstRow;
    assert(r < m_RowStart.size() && column >= m_RowColumn[r]);
    const std::size_t at = m_RowStart[r] + (column - m_RowColumn[r]);
    assert(at < (r + 1 < m_RowStart.size() ? m_RowStart[r + 1] : m_Cells.size()));
    return m_Cells[at].m_Value;
  }

 private:
  // A byte that a resize does not clear: every cell read was written first.
  struct Cell {
    Cell() {}  // NOLINT: deliberately leaves m_Value uninitialised
    uint8_t m_Value;
  };

  std::size_t m_FirstRow = 0;
  std::vector<Cell> m_Cells;
  std::vector<std::size_t> m_RowStart;   // per row: index of its first cell
  std::vector<std::size_t> m_RowColumn;  // per row: column of its first cell
};

}  // namespace LVTAlgo

#endif  // LUMIVANT_CHANGES_BACK_POINTER_TABLE_H_
