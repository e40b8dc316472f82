#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "changes/anchored_alignment.h"
#include "changes/generalized_edit_distance.h"
#include "changes/suffix_match_counter.h"
#include "changes/text_sequence_edit_distance.h"
#include "changes/word_diff.h"
#include "testing/test_util.h"

namespace {

using LVTAlgo::EditScript;
using LVTAlgo::EditStep;
using LVTDT::NodeSequence;
using LVTDT::TextSequenceEditDistance;

NodeSequence Nodes(const std::vector<std::string>& texts) {
  NodeSequence nodes;
  for (const std::string& text : texts) {
    LVTDT::NodeHandle node = LVT::MakeSmart<LVTDT::Node>();
    node->m_Text = lvt_testing::U16(text);
    nodes.push_back(node);
  }
  return nodes;
}

std::string Dump(const EditScript& script) {
  std::string out;
  for (const EditStep& step : script) {
    if (!out.empty()) out += ' ';
    out += std::to_string(step.m_Kind) + '(';
    for (std::size_t k = 0; k < step.m_Positions.size(); ++k) {
      if (k != 0) out += ',';
      out += std::to_string(step.m_Positions[k]);
    }
    out += ')';
  }
  return out;
}

struct Result {
  double distance;
  std::string script;
};

// How the computation is run: the results must not depend on it.
struct Mode {
  std::size_t tableLimit;
  std::size_t bandThreshold;
};
const Mode kModes[] = {
    {TextSequenceEditDistance::kDefaultTableLimit, TextSequenceEditDistance::kDefaultBandThreshold},
    {0, SIZE_MAX},                                      // tiny blocks
    {TextSequenceEditDistance::kDefaultTableLimit, 0},  // band, whole table
    {0, 0},                                             // band, tiny blocks
    {3000, 0},                                          // band, larger blocks
};

// Runs a fresh Distance(a, b) in the given mode.
template <class Distance, class Seq>
Result Measure(const Seq& a, const Seq& b, const Mode& mode) {
  Distance distance(a, b);
  distance.SetTableLimit(mode.tableLimit);
  distance.SetBandThreshold(mode.bandThreshold);
  return Result{distance.Distance(), Dump(distance.GetEditScript())};
}

// Texts as the nodes the comparison aligns.
struct TextDistance : TextSequenceEditDistance {
  TextDistance(const std::vector<std::string>& a, const std::vector<std::string>& b)
      : TextSequenceEditDistance(Nodes(a), Nodes(b)) {}
};

// Without a quick alignment (the narrow first pass decides), and with one
// that claims to cost less than the distance: a bad bound must cost time,
// never the result.
struct UnknownBoundDistance : TextDistance {
  using TextDistance::TextDistance;
  double UpperBound() const override { return DBL_MAX; }
};
struct UnderestimatingDistance : TextDistance {
  using TextDistance::TextDistance;
  double UpperBound() const override { return TextDistance::UpperBound() * 0.7; }
};

// The recurrence written out directly: a full matrix of costs and
// back-pointers, every cost asked cell by cell, operations tried in table
// order, a later one winning only when strictly cheaper.
template <class Seq, class Costs>
Result Reference(const Seq& a, const Seq& b, const Costs& costs) {
  const int n = static_cast<int>(a.size());
  const int m = static_cast<int>(b.size());
  const int steps[4][2] = {{-1, -1}, {0, -1}, {-1, 0}, {-2, -2}};
  std::vector<std::vector<double>> d(n + 1, std::vector<double>(m + 1, DBL_MAX));
  std::vector<std::vector<int>> back(n + 1, std::vector<int>(m + 1, 0));
  d[0][0] = 0.0;
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j <= m; ++j) {
      for (int o = 0; o < 4; ++o) {
        const int pi = i + steps[o][0];
        const int pj = j + steps[o][1];
        if (pi < 0 || pj < 0) continue;
        double step = 0;
        if (o == 0) step = costs.Sub(a[i - 1], b[j - 1]);
        if (o == 1) step = costs.Ins(b[j - 1]);
        if (o == 2) step = costs.Del(a[i - 1]);
        if (o == 3) step = costs.Trans(a[i - 2], a[i - 1], b[j - 2], b[j - 1]);
        const double candidate = step + d[pi][pj];
        if (candidate < d[i][j]) {
          d[i][j] = candidate;
          back[i][j] = o;
        }
      }
    }
  }
  EditScript script;
  int i = n;
  int j = m;
  while (i != 0 || j != 0) {
    const int o = back[i][j];
    EditStep step;
    step.m_Kind = o;
    if (o == 0) step.m_Positions = {i - 1, j - 1};
    if (o == 1) step.m_Positions = {j - 1};
    if (o == 2) step.m_Positions = {i - 1};
    if (o == 3) step.m_Positions = {i - 2, i - 1, j - 2, j - 1};
    script.insert(script.begin(), step);
    i += steps[o][0];
    j += steps[o][1];
  }
  return {d[n][m], Dump(script)};
}

struct TextCosts {
  double Sub(const std::string& a, const std::string& b) const { return a == b ? 0.0 : 1.2; }
  double Ins(const std::string&) const { return 1.0; }
  double Del(const std::string&) const { return 1.0; }
  double Trans(const std::string& a1, const std::string& a2, const std::string& b1,
               const std::string& b2) const {
    return a1 == b2 && a2 == b1 ? 1.5 : DBL_MAX;
  }
};

TEST(TextSequenceEditDistance, AlignmentCases) {
  const struct {
    std::vector<std::string> a, b;
    double distance;
    const char* script;
  } rows[] = {
      {{"x"}, {"x"}, 0.0, "0(0,0)"},
      {{"x", "y"}, {"y", "x"}, 1.5, "3(0,1,0,1)"},
      {{"a", "b"}, {"a", "c", "b"}, 1.0, "0(0,0) 1(1) 0(1,2)"},
      // Substituting x and deleting y ties with deleting x and substituting
      // y; the substitution wins at cell (2, 1).
      {{"x", "y"}, {"z"}, 2.2, "2(0) 0(1,0)"},
      {{}, {}, 0.0, ""},
      // Texts are compared whole: prefixes and case make other texts; a
      // transposition needs both crossings equal.
      {{"abc", "Abc"}, {"abc", "abcd"}, 1.2, "0(0,0) 0(1,1)"},
      {{"x", "y"}, {"y", "z"}, 2.0, "2(0) 0(1,0) 1(1)"},
  };
  for (const auto& row : rows) {
    const Result r = Measure<TextDistance>(row.a, row.b, kModes[0]);
    EXPECT_DOUBLE_EQ(row.distance, r.distance) << row.script;
    EXPECT_EQ(row.script, r.script);
  }
}

// Every mode gives exactly what the direct recurrence gives.
void ExpectAgrees(const std::vector<std::string>& a, const std::vector<std::string>& b, int round) {
  const Result expected = Reference(a, b, TextCosts());
  for (const Mode& mode : kModes) {
    for (const Result& got :
         {Measure<TextDistance>(a, b, mode), Measure<UnknownBoundDistance>(a, b, mode),
          Measure<UnderestimatingDistance>(a, b, mode)}) {
      ASSERT_EQ(expected.distance, got.distance)
          << "round " << round << " mode " << (&mode - kModes);
      ASSERT_EQ(expected.script, got.script) << "round " << round << " mode " << (&mode - kModes);
    }
  }
}

std::vector<std::string> RandomTexts(std::mt19937& random, int maxLength, int letters) {
  std::vector<std::string> texts(random() % (maxLength + 1));
  for (std::string& text : texts)
    text = std::string(1, static_cast<char>('a' + random() % letters));
  return texts;
}

TEST(TextSequenceEditDistance, AgreesWithTheDirectRecurrence) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000 && !HasFatalFailure(); ++round) {
    // Few letters make many ties, repeats and swaps.
    const int letters = 1 + round % 4;
    std::vector<std::string> a = RandomTexts(random, 14, letters);
    std::vector<std::string> b = RandomTexts(random, 14, letters);
    if (round % 3 == 0 && a.size() > 1) {
      b = a;  // a few edits of the same sequence, with neighbours swapped
      for (std::size_t k = 0; k + 1 < b.size(); k += 2 + random() % 4) std::swap(b[k], b[k + 1]);
      if (random() % 2) b.erase(b.begin() + random() % b.size());
    }
    ExpectAgrees(a, b, round);
  }
}

// An edited copy of a: substitutions, insertions, deletions, neighbour swaps
// and a moved block, about `edits` of them.
template <class T, class Make>
std::vector<T> Edit(std::mt19937& random, std::vector<T> b, int edits, Make make) {
  for (int k = 0; k < edits && !b.empty(); ++k) {
    const std::size_t at = random() % b.size();
    switch (random() % 6) {
      case 0:
      case 1:
        b[at] = make(k);
        break;
      case 2:
        b.insert(b.begin() + at, make(k + 1000));
        break;
      case 3:
        b.erase(b.begin() + at);
        break;
      case 4:
        if (at + 1 < b.size()) std::swap(b[at], b[at + 1]);
        break;
      default: {
        // A block of up to 40 moved elsewhere.
        const std::size_t length = std::min<std::size_t>(1 + random() % 40, b.size() - at);
        std::vector<T> block(b.begin() + at, b.begin() + at + length);
        b.erase(b.begin() + at, b.begin() + at + length);
        const std::size_t to = b.empty() ? 0 : random() % b.size();
        b.insert(b.begin() + to, block.begin(), block.end());
        break;
      }
    }
  }
  return b;
}

// Long enough for the narrow band, with few and with many edits, and
// unrelated sequences, where the band gives way to the whole matrix.
TEST(TextSequenceEditDistance, LongSequencesAgreeInEveryMode) {
  std::mt19937 random(99);
  for (int round = 0; round < 40 && !HasFatalFailure(); ++round) {
    const int length = 150 + static_cast<int>(random() % 350);
    std::vector<std::string> a;
    for (int k = 0; k < length; ++k)
      a.push_back("t" + std::to_string(random() % (round % 2 ? 40 : 400)));
    const int edits = round % 4 == 3 ? length : 1 + round * 3;
    std::vector<std::string> b =
        Edit(random, a, edits, [](int k) { return "n" + std::to_string(k % 50); });
    if (round % 10 == 9) b = RandomTexts(random, length, 30);
    ExpectAgrees(a, b, round);
  }
}

// The quick alignment bounds the distance from above (it makes no swaps, so
// its costs are those of the recurrence without them), finds an element that
// moved far, and gives up past its work limit.
TEST(AnchoredAlignmentCost, BoundsTheDistance) {
  struct NoSwaps : TextCosts {
    double Trans(const std::string&, const std::string&, const std::string&,
                 const std::string&) const {
      return DBL_MAX;
    }
  };
  const LVTDT::AlignmentCosts costs{1.2, 1.0};
  auto numbers = [](const std::vector<std::string>& texts) {
    std::vector<uint32_t> out;
    for (const std::string& text : texts)
      out.push_back(static_cast<uint32_t>(std::stoul(text.substr(1))));
    return out;
  };
  std::mt19937 random(7);
  int exact = 0;
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> a;
    for (int k = 0, length = 20 + static_cast<int>(random() % 200); k < length; ++k)
      a.push_back("t" + std::to_string(random() % (round % 2 ? 30 : 300)));
    const std::vector<std::string> b =
        Edit(random, a, 1 + round % 40, [](int k) { return "n" + std::to_string(1000 + k % 50); });
    const double distance = Reference(a, b, NoSwaps()).distance;
    const double cost = LVTDT::AnchoredAlignmentCost(numbers(a), numbers(b), 1100, costs, SIZE_MAX);
    ASSERT_GE(cost, distance - 1e-9) << round;
    exact += cost < distance + 1e-9;
  }
  EXPECT_GT(exact, 100);  // mostly the distance itself

  const std::vector<uint32_t> a{9, 1, 2, 3, 4}, moved{1, 2, 3, 4, 9};
  EXPECT_DOUBLE_EQ(0.0, LVTDT::AnchoredAlignmentCost(a, a, 10, costs, SIZE_MAX));
  EXPECT_DOUBLE_EQ(2.0, LVTDT::AnchoredAlignmentCost(a, moved, 10, costs, SIZE_MAX));
  EXPECT_EQ(DBL_MAX, LVTDT::AnchoredAlignmentCost(a, moved, 10, costs, 3));
}

// The counts of matchable elements follow any order of queries: steps along
// a band's edges, jumps, and rows taken again from the top.
TEST(SuffixMatchCounter, AgreesWithCountingFromScratch) {
  std::mt19937 random(5);
  for (int round = 0; round < 20; ++round) {
    const uint32_t texts = 1 + round % 7;
    std::vector<uint32_t> a(random() % 60), b(random() % 60);
    for (uint32_t& text : a) text = random() % texts;
    for (uint32_t& text : b) text = random() % texts;
    LVTDT::SuffixMatchCounter counter(a, b, texts);
    std::size_t i = 0, j = 0;
    for (int query = 0; query < 300; ++query) {
      if (query % 50 == 49) {
        i = random() % (a.size() + 1);
        j = random() % (b.size() + 1);
      } else {
        i = std::min(a.size(), i + random() % 2);
        j = std::min<std::size_t>(b.size(), (j + b.size() + 4 - random() % 7) % (b.size() + 1));
      }
      std::size_t expected = 0;
      for (uint32_t text = 0; text < texts; ++text) {
        expected += std::min(std::count(a.begin() + i, a.end(), text),
                             std::count(b.begin() + j, b.end(), text));
      }
      ASSERT_EQ(expected, counter.Count(i, j)) << round << " " << i << " " << j;
    }
  }
}

// The word alignment keeps as many words as the longest common subsequence
// of the direct recurrence; the inserted words are the new words not kept,
// and a removed word counts only where no new word took its place.
TEST(DiffWords, KeepsALongestCommonSubsequenceOfWords) {
  std::mt19937 random(19);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> words[2];
    std::u16string texts[2];
    for (int side = 0; side < 2; ++side) {
      const int count = static_cast<int>(random() % 12);
      for (int k = 0; k < count; ++k) {
        words[side].push_back(std::string(1, static_cast<char>('a' + random() % 4)));
        texts[side] += lvt_testing::U16((k == 0 ? "" : random() % 3 ? " " : "  ") + words[side][k]);
      }
    }
    const std::size_t n = words[0].size(), m = words[1].size();
    std::vector<std::vector<uint32_t>> lcs(n + 1, std::vector<uint32_t>(m + 1, 0));
    for (std::size_t i = 1; i <= n; ++i)
      for (std::size_t j = 1; j <= m; ++j)
        lcs[i][j] = words[0][i - 1] == words[1][j - 1] ? lcs[i - 1][j - 1] + 1
                                                       : std::max(lcs[i - 1][j], lcs[i][j - 1]);
    const LVTDT::WordDiff diff = LVTDT::DiffWords(texts[0], texts[1]);
    ASSERT_TRUE(diff.m_Complete);
    EXPECT_EQ(lcs[n][m], diff.m_KeptWords) << round;
    EXPECT_EQ(m - lcs[n][m], diff.m_InsertedWords) << round;
    EXPECT_LE(diff.m_RemovedWords, n - lcs[n][m]) << round;
    EXPECT_GE(diff.m_RemovedWords + diff.m_InsertedWords, n - lcs[n][m]) << round;
    EXPECT_EQ(words[0] == words[1], diff.m_Inserted.empty() && diff.m_Removed.empty()) << round;
  }
}

}  // namespace
