#include "changes/anchored_alignment.h"

#include <algorithm>
#include <cfloat>
#include <utility>

namespace LVTDT {

namespace {

// a[m_A0..m_A1) against b[m_B0..m_B1).
struct Range {
  std::size_t m_A0, m_A1, m_B0, m_B1;
};

class AnchoredAligner {
 public:
  // Ranges of at most this many cells are aligned exactly.
  static constexpr std::size_t kSmallRange = std::size_t{1} << 16;

  AnchoredAligner(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                  uint32_t textCount, const AlignmentCosts& costs, std::size_t workLimit)
      : m_A(a),
        m_B(b),
        m_Costs(costs),
        m_Pair(costs.Pair()),
        m_Single(costs.m_InsertDelete),
        m_WorkLimit(workLimit),
        m_CountA(textCount, 0),
        m_CountB(textCount, 0),
        m_PositionB(textCount, 0) {}

  double Cost() {
    std::vector<Range> pending{{0, m_A.size(), 0, m_B.size()}};
    double cost = 0.0;
    while (!pending.empty()) {
      Range r = pending.back();
      pending.pop_back();
      TrimEqualEnds(r);
      if (!Spend((r.m_A1 - r.m_A0) + (r.m_B1 - r.m_B0))) return DBL_MAX;
      if (r.m_A0 < r.m_A1 && r.m_B0 < r.m_B1 && FindAnchors(r)) {
        cost += SplitAtAnchors(r, pending);
      } else {
        cost += Unmatched(r);
      }
      if (m_Work > m_WorkLimit) return DBL_MAX;
    }
    return cost;
  }

 private:
  bool Spend(std::size_t steps) {
    m_Work += steps;
    return m_Work <= m_WorkLimit;
  }

  void TrimEqualEnds(Range& r) {
    while (r.m_A0 < r.m_A1 && r.m_B0 < r.m_B1 && m_A[r.m_A0] == m_B[r.m_B0]) ++r.m_A0, ++r.m_B0;
    while (r.m_A0 < r.m_A1 && r.m_B0 < r.m_B1 && m_A[r.m_A1 - 1] == m_B[r.m_B1 - 1]) {
      --r.m_A1, --r.m_B1;
    }
  }

  // A range aligned without anchors: exactly when small, else as if nothing
  // in it matched.
  double Unmatched(const Range& r) {
    const std::size_t na = r.m_A1 - r.m_A0;
    const std::size_t nb = r.m_B1 - r.m_B0;
    if (na != 0 && nb != 0 && na * nb <= kSmallRange && Spend(na * nb)) return SmallRangeCost(r);
    return m_Costs.Unmatched(na, nb);
  }

  // The edit distance of a small range, without swaps, row by row.
  double SmallRangeCost(const Range& r) {
    const std::size_t nb = r.m_B1 - r.m_B0;
    m_Row.resize(nb + 1);
    for (std::size_t j = 0; j <= nb; ++j) m_Row[j] = static_cast<double>(j) * m_Single;
    for (std::size_t i = r.m_A0; i < r.m_A1; ++i) {
      double diagonal = m_Row[0];
      m_Row[0] += m_Single;
      for (std::size_t j = 1; j <= nb; ++j) {
        const double substitute = diagonal + (m_A[i] == m_B[r.m_B0 + j - 1] ? 0.0 : m_Pair);
        diagonal = m_Row[j];
        m_Row[j] = std::min(substitute, std::min(m_Row[j], m_Row[j - 1]) + m_Single);
      }
    }
    return m_Row[nb];
  }

  // m_Chain: the longest chain of elements unique to both sides of r, in
  // order. False when there is none.
  bool FindAnchors(const Range& r) {
    for (std::size_t i = r.m_A0; i < r.m_A1; ++i) ++m_CountA[m_A[i]];
    for (std::size_t j = r.m_B0; j < r.m_B1; ++j) {
      ++m_CountB[m_B[j]];
      m_PositionB[m_B[j]] = j;
    }
    m_Anchors.clear();  // (position in a, position in b), in the order of a
    for (std::size_t i = r.m_A0; i < r.m_A1; ++i) {
      const uint32_t t = m_A[i];
      if (m_CountA[t] == 1 && m_CountB[t] == 1) m_Anchors.emplace_back(i, m_PositionB[t]);
    }
    for (std::size_t i = r.m_A0; i < r.m_A1; ++i) m_CountA[m_A[i]] = 0;
    for (std::size_t j = r.m_B0; j < r.m_B1; ++j) m_CountB[m_B[j]] = 0;
    if (m_Anchors.empty()) return false;
    LongestIncreasingChain();
    return true;
  }

  // Matches the anchors of m_Chain and queues the ranges between them, except
  // where dropping an anchor is cheaper: an element that moved far would
  // otherwise cost the deletion and insertion of all it jumped over. The
  // ranges joined that way are aligned at once; returns their cost.
  double SplitAtAnchors(const Range& r, std::vector<Range>& pending) {
    double cost = 0.0;
    Range open{r.m_A0, 0, r.m_B0, 0};
    bool joined = false;  // `open` spans a dropped anchor
    auto close = [&](std::size_t a1, std::size_t b1) {
      open.m_A1 = a1;
      open.m_B1 = b1;
      if (joined) {
        cost += Unmatched(open);
      } else {
        pending.push_back(open);
      }
    };
    for (std::size_t k = 0; k < m_Chain.size(); ++k) {
      const auto& anchor = m_Chain[k];
      const std::size_t nextA = k + 1 < m_Chain.size() ? m_Chain[k + 1].first : r.m_A1;
      const std::size_t nextB = k + 1 < m_Chain.size() ? m_Chain[k + 1].second : r.m_B1;
      const std::size_t beforeA = anchor.first - open.m_A0, beforeB = anchor.second - open.m_B0;
      const std::size_t afterA = nextA - anchor.first - 1, afterB = nextB - anchor.second - 1;
      if (m_Costs.Unmatched(beforeA + afterA + 1, beforeB + afterB + 1) <
          m_Costs.Unmatched(beforeA, beforeB) + m_Costs.Unmatched(afterA, afterB)) {
        joined = true;
        continue;
      }
      close(anchor.first, anchor.second);
      open = {anchor.first + 1, 0, anchor.second + 1, 0};
      joined = false;
    }
    close(r.m_A1, r.m_B1);
    return cost;
  }

  // m_Chain: the longest run of m_Anchors whose positions in b increase
  // (patience sorting).
  void LongestIncreasingChain() {
    const std::size_t k = m_Anchors.size();
    m_Tails.clear();
    m_Previous.assign(k, SIZE_MAX);
    std::size_t log = 1;
    while ((std::size_t{1} << log) < k) ++log;
    Spend(k * log);
    for (std::size_t x = 0; x < k; ++x) {
      const std::size_t b = m_Anchors[x].second;
      auto at =
          std::lower_bound(m_Tails.begin(), m_Tails.end(), b,
                           [&](std::size_t t, std::size_t v) { return m_Anchors[t].second < v; });
      if (at != m_Tails.begin()) m_Previous[x] = *(at - 1);
      if (at == m_Tails.end()) {
        m_Tails.push_back(x);
      } else {
        *at = x;
      }
    }
    m_Chain.clear();
    for (std::size_t x = m_Tails.back(); x != SIZE_MAX; x = m_Previous[x]) {
      m_Chain.push_back(m_Anchors[x]);
    }
    std::reverse(m_Chain.begin(), m_Chain.end());
  }

  const std::vector<uint32_t>& m_A;
  const std::vector<uint32_t>& m_B;
  const AlignmentCosts m_Costs;
  const double m_Pair;
  const double m_Single;
  const std::size_t m_WorkLimit;
  std::size_t m_Work = 0;
  std::vector<uint32_t> m_CountA;
  std::vector<uint32_t> m_CountB;
  std::vector<std::size_t> m_PositionB;
  std::vector<std::pair<std::size_t, std::size_t>> m_Anchors;
  std::vector<std::size_t> m_Tails;
  std::vector<std::size_t> m_Previous;
  std::vector<std::pair<std::size_t, std::size_t>> m_Chain;
  std::vector<double> m_Row;
};

}  // namespace

double AnchoredAlignmentCost(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                             uint32_t textCount, const AlignmentCosts& costs,
                             std::size_t workLimit) {
  return AnchoredAligner(a, b, textCount, costs, workLimit).Cost();
}

}  // namespace LVTDT
