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
// Time: at most (|A| + 1) x (|B| + 1) cells of four candidates each, with
// costs asked one row at a time through SubstitutionRow and
// TranspositionRow, which a derived class may override to fill a row without
// a virtual call per cell; insertion and deletion costs are asked once per
// element. Costs must be non-negative and depend on their arguments only.
//
// Similar sequences cost far less. Only insertions and deletions leave a
// diagonal, each for at least the cheapest of their costs, so the cost of
// any alignment bounds how far from the corner-to-corner diagonal the chosen
// path can stray. A large problem (kDefaultBandThreshold cells or more)
// takes that bound from UpperBound(), an alignment a derived class finds
// without the dynamic programming, and computes only the band it allows.
// Within the band, row by row, it computes only the cells a path that cheap
// could pass: a cell whose cost so far, plus the larger of the insertions or
// deletions still needed to reach the last diagonal and what the rest of
// either sequence must cost (RestLowerBound), exceeds the bound lies on no
// such path, nor does any cell reached only through it. The cells left out
// would not change any cell of the chosen path (every cell that ties there
// also lies on a path within the bound), so the result is the same as the
// whole matrix's, and a good bound leaves out most of the band.
//
// Without such a bound, or with one far above what a narrow band would
// allow while the distance may still be small, a first pass covers the
// narrow band for a distance of 64 beyond the length difference. When the
// cost it finds is within that, it already holds the chosen path; otherwise
// that cost (or UpperBound(), when lower) bounds a second, final pass as
// above. A pass whose result exceeds its bound (UpperBound() was wrong) is
// done again over the whole matrix.
//
// Memory: accumulated costs exist for three rows only. The back-pointer table
// (one byte per computed cell) is kept whole while the band fits the table
// limit (64 MiB by default: about 8,000 x 8,000 elements of unrelated
// sequences). A larger table is not kept: the pass saves the two cost rows in
// front of every block of sqrt(16 |A|) rows, and the back-pointers are
// rebuilt one block at a time while the script is read back, each block only
// up to the column where the script stands. That costs up to one more pass
// (about half of one on average) and about 2 x width x sqrt(16 |A|) bytes:
// 23 MB for 20,000 x 20,000 elements instead of 400 MB. Every way gives the
// same result.
//
// The object copies both sequences (sharing their elements), computes at most
// once, and belongs to one thread. Not copyable: a derived class may hold
// data that refers to the copies.
#ifndef LUMIVANT_CHANGES_GENERALIZED_EDIT_DISTANCE_H_
#define LUMIVANT_CHANGES_GENERALIZED_EDIT_DISTANCE_H_

#include <algorithm>
#include <array>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "changes/back_pointer_table.h"
#include "changes/cost_window.h"

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

// The positions of one step, at most four (a transposition's), held in the
// step itself: a script has a step per node of both pages.
class StepPositions {
 public:
  StepPositions() = default;
  StepPositions(std::initializer_list<int32_t> positions) {
    assert(positions.size() <= m_Values.size());
    for (int32_t position : positions) m_Values[m_Size++] = position;
  }
  std::size_t size() const { return m_Size; }
  int32_t operator[](std::size_t k) const { return m_Values[k]; }
  bool operator==(const StepPositions& other) const {
    return std::equal(m_Values.begin(), m_Values.begin() + m_Size, other.m_Values.begin(),
                      other.m_Values.begin() + other.m_Size);
  }

 private:
  std::array<int32_t, 4> m_Values{};
  uint8_t m_Size = 0;
};

// One step of the edit script, with the element positions it concerns:
// substitution: position in A, position in B; insertion: position in B;
// deletion: position in A; transposition: the two positions in A, then the
// two in B.
struct EditStep {
  int32_t m_Kind = kSubstitution;
  StepPositions m_Positions;

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
  // Smallest problem, in cells, for which a narrow band is tried first.
  static constexpr std::size_t kDefaultBandThreshold = std::size_t{1} << 16;

  // Copies both sequences and fills the operation table; computes nothing.
  GeneralizedEditDistance(const Sequence& a, const Sequence& b) : m_A(a), m_B(b) {
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

  // Problems of at least this many cells first try a narrow band of
  // diagonals (see above); 0 always, SIZE_MAX never. Read when the
  // computation runs.
  void SetBandThreshold(std::size_t cells) { m_BandThreshold = cells; }

  // Costs: non-negative; DBL_MAX when the operation does not apply.
  virtual double SubstitutionCost(const Element& a, const Element& b) const = 0;
  virtual double InsertionCost(const Element& b) const = 0;
  virtual double DeletionCost(const Element& a) const = 0;
  virtual double TranspositionCost(const Element& a1, const Element& a2, const Element& b1,
                                   const Element& b2) const = 0;

 protected:
  const Sequence& First() const { return m_A; }
  const Sequence& Second() const { return m_B; }

  // costs[j] = SubstitutionCost(A[i], B[j]) for first <= j < last.
  virtual void SubstitutionRow(std::size_t i, std::size_t first, std::size_t last,
                               double* costs) const {
    for (std::size_t j = first; j < last; ++j) costs[j] = SubstitutionCost(m_A[i], m_B[j]);
  }

  // costs[j] = TranspositionCost(A[i], A[i + 1], B[j], B[j + 1]) for
  // first <= j < last.
  virtual void TranspositionRow(std::size_t i, std::size_t first, std::size_t last,
                                double* costs) const {
    for (std::size_t j = first; j < last; ++j) {
      costs[j] = TranspositionCost(m_A[i], m_A[i + 1], m_B[j], m_B[j + 1]);
    }
  }

  // A lower bound on the cost of aligning A[i..] with B[j..]. A derived
  // class that knows some elements can never match tells so here, and a
  // bounded pass (see above) leaves out more. It must never exceed the true
  // cost: a cell of the chosen path would be left out. The default: 0.
  virtual double RestLowerBound(std::size_t /*i*/, std::size_t /*j*/) const { return 0.0; }

  // The cost of some alignment of all of A with all of B, found without the
  // dynamic programming, or DBL_MAX. The nearer the distance, the fewer cells
  // a bounded pass computes (see above). The default knows none.
  virtual double UpperBound() const { return DBL_MAX; }

 private:
  static constexpr std::size_t kDepth = kCostWindowDepth;
  // First guess of the distance, in insertions beyond the length difference.
  static constexpr double kFirstGuess = 64.0;
  // An UpperBound() up to this many times the first guess makes the band of
  // the only pass.
  static constexpr double kTrustedBound = 2.0;

  // The diagonals d = i - j that a pass computes, low..high; every other
  // cell stays DBL_MAX.
  struct Band {
    std::ptrdiff_t m_Low;
    std::ptrdiff_t m_High;
  };

  // One computation over a band: the back-pointers of all rows when they fit,
  // else the cost rows saved in front of each block of m_Block rows.
  struct Pass {
    Band m_Band;
    std::size_t m_Width = 0;
    std::size_t m_Block = 0;
    bool m_Whole = true;
    BackPointerTable m_Pointers;
    std::vector<double> m_Saved;
    std::vector<std::size_t> m_SavedFirst;
    double m_Distance = 0.0;
    // The cost of an alignment known before the pass, and the cheapest
    // insertion or deletion: cells that lie on no path within the bound are
    // left out. DBL_MAX: every cell of the band is computed.
    double m_Bound = DBL_MAX;
    double m_Cheapest = 0.0;
  };

  // The columns of one row that a bounded pass kept: those whose cost may
  // lie on a path within the bound.
  struct Kept {
    bool any = false;
    std::size_t first = 0;
    std::size_t last = 0;
  };

  // Costs of the operations that end in row i, indexed by column.
  struct RowCosts {
    std::vector<double> m_Insertion;      // [j]: inserting B[j - 1]
    std::vector<double> m_Deletion;       // [i]: deleting A[i - 1]
    std::vector<double> m_Substitution;   // [j]: A[i - 1] with B[j - 1]
    std::vector<double> m_Transposition;  // [j]: A[i-2..i-1] with B[j-2..j-1]
  };

  std::size_t FirstColumn(const Band& band, std::size_t i) const {
    const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(i) - band.m_High;
    return first < 0 ? 0 : static_cast<std::size_t>(first);
  }
  std::size_t LastColumn(const Band& band, std::size_t i) const {
    const std::ptrdiff_t last = static_cast<std::ptrdiff_t>(i) - band.m_Low;
    return std::min(m_B.size(), static_cast<std::size_t>(last));
  }
  Band FullBand() const {
    return {-static_cast<std::ptrdiff_t>(m_B.size()), static_cast<std::ptrdiff_t>(m_A.size())};
  }
  std::size_t BandWidth(const Band& band) const {
    return std::min(m_B.size() + 1, static_cast<std::size_t>(band.m_High - band.m_Low + 1));
  }

  // Every cell of a path that costs at most bound lies on the diagonals of
  // this band: only insertions and deletions change i - j, each by one and
  // each for at least `cheapest`, and the path must also get from diagonal d
  // to diagonal |A| - |B|. The bound is widened a little against rounding.
  Band BandFor(double bound, double cheapest) const {
    const double n = static_cast<double>(m_A.size());
    const double m = static_cast<double>(m_B.size());
    const double steps = bound / (cheapest * (1.0 - 1e-6));
    if (!(steps < n + m)) return FullBand();
    const std::ptrdiff_t delta =
        static_cast<std::ptrdiff_t>(m_A.size()) - static_cast<std::ptrdiff_t>(m_B.size());
    const double spare =
        std::max(0.0, std::floor((steps - std::fabs(static_cast<double>(delta))) / 2.0));
    const std::ptrdiff_t reach = static_cast<std::ptrdiff_t>(spare) + 1;
    Band band{std::min<std::ptrdiff_t>(0, delta) - reach,
              std::max<std::ptrdiff_t>(0, delta) + reach};
    const Band full = FullBand();
    band.m_Low = std::max(band.m_Low, full.m_Low);
    band.m_High = std::min(band.m_High, full.m_High);
    return band;
  }

  // Worth a pass of its own only when it leaves out most of the matrix.
  bool IsNarrow(const Band& band) const { return 2 * BandWidth(band) < m_B.size() + 1; }

  // Rows per block of back-pointers: all of them while the table fits.
  std::size_t BlockRows(std::size_t width) const {
    const std::size_t rows = m_A.size() + 1;
    if (rows < 2 || rows <= m_TableLimit / width) return rows;
    // Balances the saved cost rows (2 x 8 bytes per column, once per block)
    // against one block of back-pointers (1 byte per cell).
    const double ideal = std::sqrt(16.0 * static_cast<double>(rows));
    return std::min(rows - 1, std::max<std::size_t>(1, static_cast<std::size_t>(ideal)));
  }

  // Costs for row i, columns first..last.
  void PrepareRow(std::size_t i, std::size_t first, std::size_t last, RowCosts& costs) const {
    if (i == 0) return;
    if (last >= 1)
      SubstitutionRow(i - 1, std::max<std::size_t>(first, 1) - 1, last,
                      costs.m_Substitution.data() + 1);
    if (i >= 2 && last >= 2) {
      TranspositionRow(i - 2, std::max<std::size_t>(first, 2) - 2, last - 1,
                       costs.m_Transposition.data() + 2);
    }
  }

  // One cell near the edges of the matrix, where some operations do not
  // apply: the operations of the table in order, a later one winning only
  // when strictly cheaper.
  uint8_t EdgeCell(std::size_t i, std::size_t j, const RowCosts& costs, const double* up2,
                   const double* up1, double* current) const {
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
          candidate = costs.m_Deletion[i] + up1[j];
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

  // Computes columns first..last of row i into window.Row(0), with the
  // back-pointer of column j at pointers[j - first] when pointers is not
  // null. This runs once per row and cell of every pass, so away from the
  // edges a cell is the four rows of the table written out in table order,
  // without a call.
  void ComputeRow(std::size_t i, std::size_t first, std::size_t last, CostWindow& window,
                  RowCosts& costs, uint8_t* pointers) const {
    PrepareRow(i, first, last, costs);
    window.Touch(first, last);
    double* current = window.Row(0);
    const double* up1 = window.Row(1);
    const double* up2 = window.Row(2);
    const std::size_t edgeEnd = i < kDepth ? last + 1 : std::min(last + 1, std::max(first, kDepth));
    for (std::size_t j = first; j < edgeEnd; ++j) {
      const uint8_t best = EdgeCell(i, j, costs, up2, up1, current);
      if (pointers != nullptr) pointers[j - first] = best;
    }
    const std::size_t start = std::max(first, edgeEnd);
    const double* sub = costs.m_Substitution.data();
    const double* ins = costs.m_Insertion.data();
    const double* tra = costs.m_Transposition.data();
    const double del = costs.m_Deletion[i];
    double left = start != 0 ? current[start - 1] : DBL_MAX;
    for (std::size_t j = start; j <= last; ++j) {
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
      // Equal costs give the same cell whichever wins: the value is a plain
      // minimum, and which operation won is worked out beside it.
      const double cell = c1 < vOther ? c1 : vOther;
      const bool insertion = c1 < vOther || (c1 == vOther && bOther != 0);
      current[j] = cell;
      left = cell;
      if (pointers != nullptr) pointers[j - first] = insertion ? 1 : bOther;
    }
  }

  // The first pass over a band: the distance, and the back-pointers or the
  // saved rows. Quadratic: (|A| + 1) x the band's width cells.
  void Forward(Pass& pass, RowCosts& costs) const {
    const std::size_t rows = m_A.size() + 1;
    pass.m_Width = BandWidth(pass.m_Band);
    pass.m_Block = BlockRows(pass.m_Width);
    pass.m_Whole = pass.m_Block >= rows;
    if (pass.m_Whole) pass.m_Pointers.Reset(0, rows * pass.m_Width);
    CostWindow window(m_B.size() + 1);
    window.Touch(0, 0);
    window.Row(0)[0] = 0.0;
    Kept above[kDepth];  // rows i - 1 and i - 2
    for (std::size_t i = 0; i < rows; ++i) {
      if (!pass.m_Whole && i != 0 && i % pass.m_Block == 0) {
        window.SaveTo(pass.m_Width, pass.m_Saved, pass.m_SavedFirst);
      }
      const std::size_t first = FirstColumn(pass.m_Band, i);
      const std::size_t last = LastColumn(pass.m_Band, i);
      Kept computed{first <= last, first, last};
      uint8_t* pointers = nullptr;
      if (pass.m_Whole) pointers = pass.m_Pointers.BeginRow(computed.any ? last + 1 - first : 0);
      if (pass.m_Bound < DBL_MAX) {
        computed = Kept();
        const Kept kept =
            ComputeBoundedRow(pass, i, first, last, above, window, costs, pointers, computed);
        above[1] = above[0];
        above[0] = kept;
      } else {
        ComputeRow(i, first, last, window, costs, pointers);
      }
      if (pass.m_Whole) {
        pass.m_Pointers.EndRow(computed.first,
                               computed.any ? computed.last + 1 - computed.first : 0);
      }
      if (i + 1 == rows) pass.m_Distance = window.Row(0)[m_B.size()];
      window.Slide();
    }
  }

  // Whether cell (i, j), at cost `value` so far, may lie on a path within the
  // pass's bound: the path still has to reach the last diagonal, one
  // insertion or deletion per diagonal, and to pay for the rest of A and of B
  // at least their lower bounds. The slack covers rounding: keeping a cell
  // too many costs time only.
  bool WithinBound(const Pass& pass, std::size_t i, std::size_t j, double value) const {
    if (!(value < DBL_MAX)) return false;
    const double diagonals = std::fabs((static_cast<double>(m_A.size()) - static_cast<double>(i)) -
                                       (static_cast<double>(m_B.size()) - static_cast<double>(j)));
    const double limit = pass.m_Bound * (1.0 + 1e-7) + 1e-7;
    // The cheap test first: most cells it rejects are never asked about again.
    return value + diagonals * pass.m_Cheapest <= limit && value + RestLowerBound(i, j) <= limit;
  }

  // Row i of a bounded pass (columns first..last of the band): the columns
  // that the kept cells of the two rows above reach, then on to the right as
  // long as a chain of insertions stays within the bound. Cells left out stay
  // DBL_MAX. Returns the row's kept columns; `computed` tells which columns
  // were computed, and their back-pointers go to pointers[j - computed.first]
  // when pointers is not null.
  Kept ComputeBoundedRow(const Pass& pass, std::size_t i, std::size_t first, std::size_t last,
                         const Kept* above, CostWindow& window, RowCosts& costs, uint8_t* pointers,
                         Kept& computed) const {
    std::size_t from = 0;
    std::size_t to = 0;
    if (i != 0) {
      if (!above[0].any && !above[1].any) return Kept();
      from = SIZE_MAX;
      if (above[0].any) {  // a substitution or a deletion from row i - 1
        from = above[0].first;
        to = above[0].last + 1;
      }
      if (above[1].any) {  // a transposition from row i - 2
        from = std::min(from, above[1].first + 2);
        to = std::max(to, above[1].last + 2);
      }
    }
    from = std::max(from, first);
    to = std::min(to, last);
    if (from > last) return Kept();
    to = std::max(to, from);
    auto compute = [&](std::size_t a, std::size_t b) {
      ComputeRow(i, a, b, window, costs, pointers != nullptr ? pointers + (a - from) : nullptr);
      computed = {true, from, b};
    };
    compute(from, to);
    const double* row = window.Row(0);
    // Insertions only ever go right: past a cell out of the bound, the row
    // holds no cell that a path within it could pass.
    constexpr std::size_t kStep = 32;
    while (to < last && WithinBound(pass, i, to, row[to])) {
      const std::size_t next = std::min(last, to + kStep);
      compute(to + 1, next);
      to = next;
    }
    Kept kept;
    std::size_t j = from;
    while (j <= to && !WithinBound(pass, i, j, row[j])) ++j;
    if (j > to) return kept;
    kept.any = true;
    kept.first = j;
    kept.last = to;
    while (!WithinBound(pass, i, kept.last, row[kept.last])) --kept.last;
    return kept;
  }

  // Recomputes the back-pointers of the block of rows that starts at
  // `first`, up to column `column`, from the rows saved in front of it.
  void RebuildBlock(Pass& pass, std::size_t first, std::size_t column, RowCosts& costs) const {
    const std::size_t last = std::min(m_A.size() + 1, first + pass.m_Block);
    CostWindow window(m_B.size() + 1);
    if (first == 0) {
      window.Touch(0, 0);
      window.Row(0)[0] = 0.0;
    } else {
      const std::size_t k = first / pass.m_Block - 1;
      window.LoadFrom(pass.m_Width, pass.m_Saved.data() + k * kDepth * pass.m_Width,
                      pass.m_SavedFirst.data() + k * kDepth);
    }
    pass.m_Pointers.Reset(first, (last - first) * pass.m_Width);
    for (std::size_t i = first; i < last; ++i) {
      const std::size_t from = FirstColumn(pass.m_Band, i);
      const std::size_t to = std::min(column, LastColumn(pass.m_Band, i));
      const std::size_t cells = from <= to ? to + 1 - from : 0;
      uint8_t* pointers = pass.m_Pointers.BeginRow(cells);
      pass.m_Pointers.EndRow(from, cells);
      if (from <= to) {
        ComputeRow(i, from, to, window, costs, pointers);
      }
      window.Slide();
    }
  }

  // Back-tracking from (|A|, |B|). i and j only decrease, so each block of
  // back-pointers is rebuilt at most once, and only up to column j.
  void Backtrack(Pass& pass, RowCosts& costs) {
    m_Script.clear();
    std::size_t i = m_A.size();
    std::size_t j = m_B.size();
    std::size_t loaded = pass.m_Whole ? 0 : m_A.size() + 1;  // first row held
    while (i != 0 || j != 0) {
      if (i < loaded) {
        loaded = i / pass.m_Block * pass.m_Block;
        RebuildBlock(pass, loaded, j, costs);
      }
      const EditOperation& o = m_Operations[pass.m_Pointers.At(i, j)];
      m_Script.push_back(MakeStep(o.m_Kind, i, j));
      i = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(i) + o.m_RowStep);
      j = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(j) + o.m_ColumnStep);
    }
    std::reverse(m_Script.begin(), m_Script.end());
  }

  // The cheapest insertion or deletion, when the problem is large enough for
  // bands and every step leaves its diagonal at a positive cost; else 0.
  double CheapestStep(const RowCosts& costs) const {
    const std::size_t n = m_A.size();
    const std::size_t m = m_B.size();
    if (n == 0 || m == 0 ||
        static_cast<double>(n) * static_cast<double>(m) < static_cast<double>(m_BandThreshold)) {
      return 0.0;
    }
    double cheapest = DBL_MAX;
    for (std::size_t j = 1; j <= m; ++j) cheapest = std::min(cheapest, costs.m_Insertion[j]);
    for (std::size_t i = 1; i <= n; ++i) cheapest = std::min(cheapest, costs.m_Deletion[i]);
    return cheapest > 0.0 && cheapest < DBL_MAX ? cheapest : 0.0;
  }

  // Runs the passes (see the top of the file) and keeps the result of the
  // last. A pass is exact when the distance is within its band's bound and
  // within its own bound: cells it left out only ever cost more, and every
  // cell that ties on the chosen path lies on a path within both.
  void Compute() {
    const std::size_t n = m_A.size();
    const std::size_t m = m_B.size();
    RowCosts costs;
    costs.m_Insertion.assign(m + 1, DBL_MAX);
    costs.m_Deletion.assign(n + 1, DBL_MAX);
    costs.m_Substitution.assign(m + 1, DBL_MAX);
    costs.m_Transposition.assign(m + 1, DBL_MAX);
    for (std::size_t j = 1; j <= m; ++j) costs.m_Insertion[j] = InsertionCost(m_B[j - 1]);
    for (std::size_t i = 1; i <= n; ++i) costs.m_Deletion[i] = DeletionCost(m_A[i - 1]);

    Pass pass;
    pass.m_Band = FullBand();
    const double cheapest = CheapestStep(costs);
    if (cheapest > 0.0) {
      pass.m_Cheapest = cheapest;
      pass.m_Bound = UpperBound();
      const double delta = std::fabs(static_cast<double>(n) - static_cast<double>(m));
      const double guess = (delta + kFirstGuess) * cheapest;
      const double least = std::max(delta * cheapest, RestLowerBound(0, 0));
      const Band narrow = BandFor(guess, cheapest);
      if (pass.m_Bound > kTrustedBound * guess && least <= guess && IsNarrow(narrow)) {
        // No alignment known, or a dear one while the distance may well be
        // small: first try the narrow band.
        pass.m_Band = narrow;
        Forward(pass, costs);
        if (pass.m_Distance <= guess && WithinOwnBound(pass)) return Finish(pass, costs);
        const double bound = std::min(pass.m_Bound, pass.m_Distance);
        pass = Pass();  // frees its tables before the final pass
        pass.m_Cheapest = cheapest;
        pass.m_Bound = bound;
      }
      const Band band = BandFor(pass.m_Bound, cheapest);
      pass.m_Band = IsNarrow(band) ? band : FullBand();
    }
    Forward(pass, costs);
    if (!WithinOwnBound(pass)) {
      // UpperBound() was no bound: compute everything.
      pass = Pass();
      pass.m_Band = FullBand();
      Forward(pass, costs);
    }
    Finish(pass, costs);
  }

  // False when the pass found no path within its bound, which then was not
  // one: cells it left out may have held the chosen path.
  static bool WithinOwnBound(const Pass& pass) {
    return pass.m_Distance <= pass.m_Bound * (1.0 + 1e-7) + 1e-7;
  }

  void Finish(Pass& pass, RowCosts& costs) {
    Backtrack(pass, costs);
    m_Distance = pass.m_Distance;
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
  std::size_t m_BandThreshold = kDefaultBandThreshold;
};

}  // namespace LVTAlgo

#endif  // LUMIVANT_CHANGES_GENERALIZED_EDIT_DISTANCE_H_
