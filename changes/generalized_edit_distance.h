// GeneralizedEditDistance<Element, Sequence>: a weighted edit distance between
// two sequences, with four edit operations (substitution or match, insertion,
// deletion, transposition of two neighbours) whose costs a derived class
// supplies. It computes the cheapest alignment of all of A (the source) with
// all of B (the target) by dynamic programming and reads back the edit script.
//
// The operations are the rows of a fixed table; at equal cost the row earlier
// in the table wins (substitution, insertion, deletion, transposition),
// because a later operation replaces a cell's best only when strictly
// cheaper. The script is read back from (|A|, |B|) along the winning
// operations.
//
// Time: (|A| + 1) x (|B| + 1) cells of four candidates each. Costs are asked
// one row at a time through SubstitutionRow and TranspositionRow, which a
// derived class may override to fill a row without a virtual call per cell;
// insertion and deletion costs are asked once per element. So costs must
// depend on their arguments only.
//
// Memory: accumulated costs exist for three rows only. The back-pointer table
// (one byte per cell) is kept whole while it fits the table limit (64 MiB by
// default: about 8,000 x 8,000 elements). A larger problem keeps, in the
// first pass, the two cost rows in front of every block of sqrt(16 |A|)
// rows, and rebuilds the back-pointers one block at a time while it reads
// the script back. That costs up to one more pass over the cells (about half
// of one on average, since a block is rebuilt only up to the column where
// the script stands) and about 2 x (|B| + 1) x sqrt(16 |A|) bytes: 23 MB for
// 20,000 x 20,000 elements instead of 400 MB. Both ways give the same result.
//
// The object copies both sequences (sharing their elements), computes at most
// once, and belongs to one thread. Not copyable: a derived class may hold
// data that refers to the copies.
#ifndef LUMIVANT_CHANGES_GENERALIZED_EDIT_DISTANCE_H_
#define LUMIVANT_CHANGES_GENERALIZED_EDIT_DISTANCE_H_

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace LVTAlgo {

// One row of the operation table. From cell (i, j) an operation reads the
// accumulated cost of cell (i + m_RowStep, j + m_ColumnStep).
struct EditOperation {
  int32_t m_Kind;
  int32_t m_RowStep;
  int32_t m_ColumnStep;
};

enum EditKind : int32_t {
  kSubstitution = 0,  // also a match: the script does not tell them apart
  kInsertion = 1,
  kDeletion = 2,
  kTransposition = 3,
};

// One step of the edit script, with the element positions it concerns:
// substitution: position in A, position in B; insertion: position in B;
// deletion: position in A; transposition: the two positions in A, then the
// two in B.
struct EditStep {
  int32_t m_Kind = kSubstitution;
  std::vector<int32_t> m_Positions;

  bool operator==(const EditStep& other) const {
    return m_Kind == other.m_Kind && m_Positions == other.m_Positions;
  }
  bool operator!=(const EditStep& other) const { return !(*this == other); }
};

using EditScript = std::vector<EditStep>;

template <class Element, class Sequence>
class GeneralizedEditDistance {
 public:
  // Largest back-pointer table kept whole, in bytes.
  static constexpr std::size_t kDefaultTableLimit = std::size_t{64} << 20;

  // Copies both sequences and fills the operation table; computes nothing.
  GeneralizedEditDistance(const Sequence& a, const Sequence& b)
      : m_A(a), m_B(b) {
    m_Operations.push_back({kSubstitution, -1, -1});
    m_Operations.push_back({kInsertion, 0, -1});
    m_Operations.push_back({kDeletion, -1, 0});
    m_Operations.push_back({kTransposition, -2, -2});
  }
  virtual ~GeneralizedEditDistance() = default;

  GeneralizedEditDistance(const GeneralizedEditDistance&) = delete;
  GeneralizedEditDistance& operator=(const GeneralizedEditDistance&) = delete;

  // The cost of aligning all of A with all of B; computed on the first call.
  double Distance() {
    if (m_Distance < 0.0) Compute();
    return m_Distance;
  }

  // The edit script, from the start of both sequences to their end;
  // computed on the first call if Distance() was not asked before.
  const EditScript& GetEditScript() {
    if (m_Distance < 0.0) Compute();
    return m_Script;
  }

  const std::vector<EditOperation>& Operations() const { return m_Operations; }

  // Back-pointer tables larger than this many bytes are rebuilt block by
  // block (see above). Read when the computation runs.
  void SetTableLimit(std::size_t bytes) { m_TableLimit = bytes; }

  // Costs: non-negative; DBL_MAX when the operation does not apply.
  virtual double SubstitutionCost(const Element& a, const Element& b) const = 0;
  virtual double InsertionCost(const Element& b) const = 0;
  virtual double DeletionCost(const Element& a) const = 0;
  virtual double TranspositionCost(const Element& a1, const Element& a2,
                                   const Element& b1,
                                   const Element& b2) const = 0;

 protected:
  const Sequence& First() const { return m_A; }
  const Sequence& Second() const { return m_B; }

  // costs[j] = SubstitutionCost(A[i], B[j]) for j < count.
  virtual void SubstitutionRow(std::size_t i, std::size_t count,
                               double* costs) const {
    for (std::size_t j = 0; j < count; ++j)
      costs[j] = SubstitutionCost(m_A[i], m_B[j]);
  }

  // costs[j] = TranspositionCost(A[i], A[i + 1], B[j], B[j + 1]) for j < count.
  virtual void TranspositionRow(std::size_t i, std::size_t count,
                                double* costs) const {
    for (std::size_t j = 0; j < count; ++j) {
      costs[j] = TranspositionCost(m_A[i], m_A[i + 1], m_B[j], m_B[j + 1]);
    }
  }

 private:
  // How many rows back an operation reaches.
  static constexpr std::size_t kDepth = 2;

  // Accumulated costs of the last kDepth + 1 rows; Row(0) is the current one
  // and Row(s) holds row i - s of the matrix while row i is computed.
  class Window {
   public:
    explicit Window(std::size_t width)
        : m_Width(width), m_Cells((kDepth + 1) * width, DBL_MAX) {
      for (std::size_t s = 0; s <= kDepth; ++s)
        m_Rows[s] = m_Cells.data() + s * width;
    }
    double* Row(std::size_t s) { return m_Rows[s]; }
    // The current row becomes Row(1), and so on; a fresh row of DBL_MAX
    // takes the place of the current one.
    void Slide() {
      std::rotate(m_Rows, m_Rows + kDepth, m_Rows + kDepth + 1);
      std::fill(m_Rows[0], m_Rows[0] + m_Width, DBL_MAX);
    }
    void SaveTo(std::vector<double>& out) const {
      for (std::size_t s = 1; s <= kDepth; ++s)
        out.insert(out.end(), m_Rows[s], m_Rows[s] + m_Width);
    }
    void LoadFrom(const double* saved) {
      for (std::size_t s = 1; s <= kDepth; ++s, saved += m_Width) {
        std::copy(saved, saved + m_Width, m_Rows[s]);
      }
    }

   private:
    std::size_t m_Width;
    std::vector<double> m_Cells;
    double* m_Rows[kDepth + 1];
  };

  // Costs of the operations that end in row i, gathered once per row.
  struct RowCosts {
    std::vector<double> m_Insertion;      // [j]: inserting B[j - 1]
    std::vector<double> m_Substitution;   // [j]: A[i - 1] with B[j - 1]
    std::vector<double> m_Transposition;  // [j]: A[i-2..i-1] with B[j-2..j-1]
    double m_Deletion = DBL_MAX;          // deleting A[i - 1]
  };

  // Rows per block of back-pointers: all of them while the table fits.
  std::size_t BlockRows() const {
    const std::size_t rows = m_A.size() + 1;
    const std::size_t width = m_B.size() + 1;
    if (rows < 2 || rows <= m_TableLimit / width) return rows;
    // Balances the saved cost rows (2 x 8 bytes per column, once per block)
    // against one block of back-pointers (1 byte per cell).
    const double ideal = std::sqrt(16.0 * static_cast<double>(rows));
    return std::min(rows - 1,
                    std::max<std::size_t>(1, static_cast<std::size_t>(ideal)));
  }

  // Costs for row i, columns below columns.
  void PrepareRow(std::size_t i, std::size_t columns, RowCosts& costs) const {
    if (i == 0) return;
    costs.m_Deletion = DeletionCost(m_A[i - 1]);
    if (columns >= 2)
      SubstitutionRow(i - 1, columns - 1, costs.m_Substitution.data() + 1);
    if (i >= 2 && columns >= 3)
      TranspositionRow(i - 2, columns - 2, costs.m_Transposition.data() + 2);
  }

  // One cell near the edges of the matrix, where some operations do not
  // apply: the operations of the table in order, a later one winning only
  // when strictly cheaper.
  uint8_t EdgeCell(std::size_t i, std::size_t j, const RowCosts& costs,
                   const double* up2, const double* up1,
                   double* current) const {
    uint8_t best = 0;
    double cell = current[j];
    for (std::size_t t = 0; t < m_Operations.size(); ++t) {
      const EditOperation& o = m_Operations[t];
      if (static_cast<std::ptrdiff_t>(i) + o.m_RowStep < 0 ||
          static_cast<std::ptrdiff_t>(j) + o.m_ColumnStep < 0) {
        continue;
      }
      double candidate = DBL_MAX;
      switch (o.m_Kind) {
        case kSubstitution:
          candidate = costs.m_Substitution[j] + up1[j - 1];
          break;
        case kInsertion:
          candidate = costs.m_Insertion[j] + current[j - 1];
          break;
        case kDeletion:
          candidate = costs.m_Deletion + up1[j];
          break;
        case kTransposition:
          candidate = costs.m_Transposition[j] + up2[j - 2];
          break;
        default:
          break;
      }
      if (candidate < cell) {
        cell = candidate;
        best = static_cast<uint8_t>(t);
      }
    }
    current[j] = cell;
    return best;
  }

  // Computes columns 0 .. columns - 1 of row i into window.Row(0), with the
  // back-pointers when pointers is not null. Quadratic overall: this runs
  // |A| + 1 times over |B| + 1 cells, so away from the edges a cell is the
  // four rows of the table written out in table order, without a call.
  void ComputeRow(std::size_t i, std::size_t columns, Window& window,
                  RowCosts& costs, uint8_t* pointers) const {
    PrepareRow(i, columns, costs);
    double* current = window.Row(0);
    const double* up1 = window.Row(1);
    const double* up2 = window.Row(2);
    const std::size_t edge = i < kDepth ? columns : std::min(kDepth, columns);
    for (std::size_t j = 0; j < edge; ++j) {
      const uint8_t best = EdgeCell(i, j, costs, up2, up1, current);
      if (pointers != nullptr) pointers[j] = best;
    }
    const double* sub = costs.m_Substitution.data();
    const double* ins = costs.m_Insertion.data();
    const double* tra = costs.m_Transposition.data();
    const double del = costs.m_Deletion;
    double left = edge != 0 ? current[edge - 1] : DBL_MAX;
    for (std::size_t j = edge; j < columns; ++j) {
      // The same choice as trying the rows in order, arranged so that only
      // the insertion waits for the cell on the left.
      const double c0 = sub[j] + up1[j - 1];
      const double c2 = del + up1[j];
      const double c3 = tra[j] + up2[j - 2];
      const double v0 = c0 < current[j] ? c0 : current[j];
      const bool late = c3 < c2;  // the later of deletion, transposition wins
      const double vLate = late ? c3 : c2;
      const bool other = vLate < v0;  // it beats the substitution
      const double vOther = other ? vLate : v0;
      const uint8_t bOther = other ? (late ? 3 : 2) : 0;
      const double c1 = ins[j] + left;
      const bool insertion = c1 < vOther || (c1 == vOther && bOther != 0);
      const double cell = insertion ? c1 : vOther;
      current[j] = cell;
      left = cell;
      if (pointers != nullptr) pointers[j] = insertion ? 1 : bOther;
    }
  }

  void Compute() {
    const std::size_t rows = m_A.size() + 1;
    const std::size_t width = m_B.size() + 1;
    const std::size_t block = BlockRows();
    const bool whole = block >= rows;

    RowCosts costs;
    costs.m_Insertion.assign(width, DBL_MAX);
    costs.m_Substitution.assign(width, DBL_MAX);
    costs.m_Transposition.assign(width, DBL_MAX);
    for (std::size_t j = 1; j < width; ++j)
      costs.m_Insertion[j] = InsertionCost(m_B[j - 1]);

    // First pass: the costs, and the back-pointers when they fit, else the
    // cost rows in front of every block but the first.
    Window window(width);
    window.Row(0)[0] = 0.0;
    std::vector<uint8_t> pointers(whole ? rows * width : 0);
    std::vector<double> saved;
    double distance = 0.0;
    for (std::size_t i = 0; i < rows; ++i) {
      if (!whole && i != 0 && i % block == 0) window.SaveTo(saved);
      ComputeRow(i, width, window, costs,
                 whole ? pointers.data() + i * width : nullptr);
      distance = window.Row(0)[width - 1];
      window.Slide();
    }

    // Back-tracking from (|A|, |B|). i and j only decrease, so each block of
    // back-pointers is rebuilt at most once, and only up to column j.
    m_Script.clear();
    std::size_t i = rows - 1;
    std::size_t j = width - 1;
    std::size_t loaded = whole ? 0 : rows;  // first row held in pointers
    std::size_t stride = width;
    while (i != 0 || j != 0) {
      if (i < loaded) {
        loaded = i / block * block;
        stride = j + 1;
        RebuildBlock(loaded, block, stride, saved, costs, pointers);
      }
      const EditOperation& o =
          m_Operations[pointers[(i - loaded) * stride + j]];
      m_Script.push_back(MakeStep(o.m_Kind, i, j));
      i = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(i) +
                                   o.m_RowStep);
      j = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(j) +
                                   o.m_ColumnStep);
    }
    std::reverse(m_Script.begin(), m_Script.end());
    m_Distance = distance;
  }

  // Recomputes the back-pointers of rows first .. first + block - 1, columns
  // below columns, from the cost rows saved in front of them.
  void RebuildBlock(std::size_t first, std::size_t block, std::size_t columns,
                    const std::vector<double>& saved, RowCosts& costs,
                    std::vector<uint8_t>& pointers) const {
    const std::size_t width = m_B.size() + 1;
    const std::size_t last = std::min(m_A.size() + 1, first + block);
    Window window(width);
    if (first == 0) {
      window.Row(0)[0] = 0.0;
    } else {
      window.LoadFrom(saved.data() + (first / block - 1) * kDepth * width);
    }
    pointers.assign((last - first) * columns, 0);
    for (std::size_t i = first; i < last; ++i) {
      ComputeRow(i, columns, window, costs,
                 pointers.data() + (i - first) * columns);
      window.Slide();
    }
  }

  static EditStep MakeStep(int32_t kind, std::size_t row, std::size_t column) {
    const int32_t i = static_cast<int32_t>(row);
    const int32_t j = static_cast<int32_t>(column);
    EditStep step;
    step.m_Kind = kind;
    switch (kind) {
      case kSubstitution:
        step.m_Positions = {i - 1, j - 1};
        break;
      case kInsertion:
        step.m_Positions = {j - 1};
        break;
      case kDeletion:
        step.m_Positions = {i - 1};
        break;
      case kTransposition:
        step.m_Positions = {i - 2, i - 1, j - 2, j - 1};
        break;
      default:
        break;
    }
    return step;
  }

  Sequence m_A;
  Sequence m_B;
  double m_Distance = -1.0;
  std::vector<EditOperation> m_Operations;
  EditScript m_Script;
  std::size_t m_TableLimit = kDefaultTableLimit;
};

}  // namespace LVTAlgo

#endif  // LUMIVANT_CHANGES_GENERALIZED_EDIT_DISTANCE_H_
