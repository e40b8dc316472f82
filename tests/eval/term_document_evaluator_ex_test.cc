#include "lumivant/term_document_evaluator_ex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "eval/eval_test_support.h"

namespace lvt_eval_test {
namespace {

struct Outcome {
  bool result;
  std::string groups;
  bool stopWord;
};

Outcome Evaluate(const antlr::RefAST& node, const OccurrenceMapHandle& map, bool skip = false) {
  Outcome outcome{};
  GroupVector groups;
  outcome.result = Peer::Evaluate(node, map, skip, &groups, &outcome.stopWord);
  outcome.groups = Show(groups);
  return outcome;
}

TEST(EvaluatorTest, QueriesOnDocuments) {
  const std::string ten = "gold a b c d e f g h i silver";  // silver ten words on
  const std::string eleven = "gold a b c d e f g h i j silver";
  const struct {
    const char* query;
    std::string words;
    bool result;
    const char* groups;
    bool stopWord = false;
    bool skipStopWordsInPhrases = false;
  } rows[] = {
      // Words: neighbouring occurrences make one hit; the text is looked up
      // as it stands.
      {"gold", "a b c d gold gold e f g gold", true, "[4 5] [9]"},
      {"Gold", "gold", false, ""},
      // A stop word is flagged whether or not the document has it; it counts
      // for matching but is not highlighted, unless quoted.
      {"the", "a b c", false, "", true},
      {"the", "the b c", true, "[0]", true},
      {"the or gold", "a the b c d gold", true, "[5]"},
      {"gold and the", "a b gold", false, "[2]"},
      {"the and of", "the of x", true, ""},
      {"\"the\" gold", "the gold", true, "[0 1]"},
      {"(the gold) or silver", "the x gold y silver", true, "[2] [4]"},
      // And and or carry groups whatever the result; juxtaposition is and;
      // not drops its operand's groups.
      {"gold and silver", "a b gold c d e f gold", false, "[2] [7]"},
      {"gold silver", "silver gold", true, "[0 1]"},
      {"not gold", "gold", false, ""},
      {"silver not gold", "silver x gold", false, "[0]"},
      // Only the given node is evaluated, not its siblings.
      {"alpha beta ) +", "beta beta", false, ""},
      {"alpha beta ) +", "alpha", true, "[0]"},
      // Near: inclusive limit of ten between facing ends, either order; only
      // the pairs within it are hits.
      {"gold near silver", ten, true, "[0] [10]"},
      {"gold near silver", eleven, false, ""},
      {"gold near silver", "silver gold", true, "[0 1]"},
      {"gold near silver", "gold a silver b c d e f g h i j k l m n o gold", true, "[0] [2]"},
      {"gold near:2 silver", "a b c d gold e silver", true, "[4] [6]"},
      {"gold near:3-4 silver", "gold a b silver", true, "[0] [3]"},
      {"gold NEAR:5x silver", "gold a b c d silver", true, "[0] [5]"},
      // A limit that is no number, or too large, is the default.
      {"gold near:x silver", ten, true, "[0] [10]"},
      {"gold near:x silver", eleven, false, ""},
      {"gold near:99999999999 silver", eleven, false, ""},
      // near:0 accepts only overlapping hits: a word inside a phrase instance.
      {"gold near:0 silver", "gold silver", false, ""},
      {"\"gold silver\" near:0 silver", "x gold silver", true, "[1 2]"},
      {"\"red fox\" near fox", "a b c d red fox", true, "[4 5]"},
      {"\"red fox\" near:2 hound", "red fox a hound b c d e red fox", true, "[0 1] [3]"},
      // Phrases need every word at its place; instances that overlap or
      // touch merge; keyword tokens between the quotes are words.
      {"\"big red fox\"", "a b c d e f g h i j big x fox y z red", false, ""},
      {"\"big red fox\"", "big red fox a big red b big red fox", true, "[0 1 2] [7 8 9]"},
      {"\"ha ha\"", "a b c d e f g ha ha ha", true, "[7 8 9]"},
      {"\"big red\"", "big red big red x big red", true, "[0 1 2 3] [5 6]"},
      {"\"salt or pepper\"", "x salt or pepper", true, "[1 2 3]"},
      {"\"to be or not to be\"", "to be or not to be", true, "[0 1 2 3 4 5]"},
      // Stop words in phrases are ordinary words by default; with the option,
      // x s y is x and y two words apart, and a leading stop word adds no gap.
      {"\"bread of life\"", "bread of life", true, "[0 1 2]"},
      {"\"bread of life\"", "bread x life _ life bread life", true, "[0 2]", false, true},
      {"\"of bread life\"", "bread x life _ life bread life", true, "[5 6]", false, true},
      {"\"bread life of\"", "bread x life _ life bread life", true, "[5 6]", false, true},
  };
  for (const auto& row : rows) {
    const Outcome o = Evaluate(Parse(row.query), Document(row.words), row.skipStopWordsInPhrases);
    EXPECT_EQ(row.result, o.result) << row.query << " on " << row.words;
    EXPECT_EQ(row.groups, o.groups) << row.query << " on " << row.words;
    EXPECT_EQ(row.stopWord, o.stopWord) << row.query << " on " << row.words;
  }
  // An empty occurrence handle acts as an empty document.
  const Outcome empty = Evaluate(Parse("gold or not silver"), OccurrenceMapHandle());
  EXPECT_TRUE(empty.result);
  EXPECT_EQ("", empty.groups);
}

TEST(EvaluatorTest, TreesTheParserNeverMakes) {
  TreeBuilder t;
  // Nodes are linked into their parents: each tree needs its own.
  auto lonelyAnd = [&] { return t.Node(Tokens::AND_, "And", {t.Word("ant")}); };
  auto phrase = [&](const std::string& first, std::initializer_list<antlr::RefAST> tail) {
    antlr::RefAST node = t.Node(Tokens::DQUOTE_, "\"", {t.Word(first)});
    for (const antlr::RefAST& child : tail) node->addChild(child);
    return node;
  };
  const struct {
    antlr::RefAST tree;
    bool result;
    const char* groups;
  } rows[] = {
      {antlr::RefAST(), false, ""},
      {t.Node(Tokens::LPAREN_, "("), false, ""},
      {t.Word(" ant"), false, ""},  // no trimming
      {t.Node(Tokens::WORD_, "ant", {t.Word("bee")}), false, ""},
      {t.Node(Tokens::NOT_, "not ", {t.Word("ant"), t.Word("bee")}), false, ""},
      // An invalid operand is false like an absent word; not turns it true.
      {lonelyAnd(), false, ""},
      {t.Node(Tokens::NOT_, "not ", {lonelyAnd()}), true, ""},
      {t.Node(Tokens::OR_, "or ", {lonelyAnd(), t.Word("bee")}), true, "[1]"},
      // Proximity over a compound operand is refused as a whole: nothing of
      // its operands is highlighted.
      {t.Node(Tokens::NEAR_, "near ",
              {t.Node(Tokens::AND_, "And", {t.Word("ant"), t.Word("bee")}), t.Word("cat")}),
       false, ""},
      {t.Node(Tokens::WEIGHTEDNEAR_, "near:2",
              {t.Word("cat"), t.Node(Tokens::NOT_, "not ", {t.Word("ant")})}),
       false, ""},
      // Children after the second are not looked at.
      {t.Node(Tokens::AND_, "And", {t.Word("ant"), t.Word("cat"), t.Word("zzz")}), true, "[0] [2]"},
      // Phrase words lose their last blank only; the words end at the
      // closing quote leaf.
      {phrase("ant ", {t.Word("bee"), t.Node(Tokens::DQUOTE_, "\"")}), true, "[0 1]"},
      {phrase("ant  ", {t.Word("bee"), t.Node(Tokens::DQUOTE_, "\"")}), false, ""},
      {phrase("ant", {t.Node(Tokens::DQUOTE_, "\""), t.Word("zzz")}), true, "[0]"},
  };
  for (std::size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    const Outcome o = Evaluate(rows[i].tree, Document("ant bee cat"));
    EXPECT_EQ(rows[i].result, o.result) << "row " << i;
    EXPECT_EQ(rows[i].groups, o.groups) << "row " << i;
  }
}

TEST(EvaluatorTest, OverlappingOrTouchingGroupsMergeIntoNewLists) {
  auto merged = [](GroupVector groups) { return Show(Peer::RemoveWordOverlaps(groups)); };
  EXPECT_EQ("[5 8]", merged(Groups({Group({5, 8}), Group({6})})));
  EXPECT_EQ("[3] [5]", merged(Groups({Group({5}), Group({3})})));
  EXPECT_EQ("[1 2 3 4 5 6]",
            merged(Groups({Group({4, 5}), Group({1, 2}), Group({3}), Group({5, 6}), Group({2})})));
  EXPECT_EQ("[7]", merged(Groups({Group({7}), Group({7})})));
  EXPECT_EQ("", merged(Groups({})));
  // A group already placed is never changed: untouched ones are shared.
  const GroupHandle a = Group({3}), b = Group({4}), c = Group({9});
  const GroupVector result = Peer::RemoveWordOverlaps(Groups({a, b, c}));
  EXPECT_EQ("[3 4] [9]", Show(result));
  EXPECT_EQ("[3] [4]", Show(Groups({a, b})));
  EXPECT_EQ(c.Get(), result[1].Get());
}

// Against the obvious way: sort the groups themselves, then merge each into
// the one before when they overlap or touch. Groups with equal first indexes
// make the merge depend on their order, so ties must come out as that sort
// leaves them; without ties any input order gives one result.
TEST(EvaluatorTest, MergingAgreesWithSortingTheGroups) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    const bool ties = round % 2 == 0;
    std::vector<unsigned> firsts(20 + random() % 40);
    for (std::size_t k = 0; k < firsts.size(); ++k)
      firsts[k] = ties ? random() % 30 : static_cast<unsigned>(3 * k);
    std::shuffle(firsts.begin(), firsts.end(), random);
    std::vector<GroupHandle> groups;
    for (unsigned first : firsts) {
      std::vector<unsigned> indexes{first};
      for (int extra = random() % 3; extra > 0; --extra)
        indexes.push_back(indexes.back() + 1 + random() % 4);
      groups.push_back(Group(indexes));
    }
    GroupVector input;
    for (const GroupHandle& group : groups) input.push_back(group);

    std::sort(groups.begin(), groups.end(), [](const GroupHandle& a, const GroupHandle& b) {
      return (*a)[0]->m_WordIndex < (*b)[0]->m_WordIndex;
    });
    std::vector<std::vector<unsigned>> expected;
    for (const GroupHandle& group : groups) {
      std::vector<unsigned> g;
      for (const auto& occurrence : *group) g.push_back(occurrence->m_WordIndex);
      std::vector<unsigned>* current = expected.empty() ? nullptr : &expected.back();
      if (current != nullptr && current->front() <= g.back() + 1 &&
          current->back() + 1 >= g.front()) {
        for (unsigned index : g)
          if (index > current->back()) current->push_back(index);
      } else {
        expected.push_back(g);
      }
    }
    std::string shown;
    for (const std::vector<unsigned>& g : expected) {
      shown += shown.empty() ? "[" : " [";
      for (std::size_t k = 0; k < g.size(); ++k) shown += (k ? " " : "") + std::to_string(g[k]);
      shown += ']';
    }
    ASSERT_EQ(shown, Show(Peer::RemoveWordOverlaps(input))) << round;
  }
}

// "index:term" pairs in index order, e.g. "0:0 2:1".
std::string Terms(const antlr::RefAST& tree, const OccurrenceMapHandle& doc,
                  Evaluator::QueryTermMap terms = {}) {
  Evaluator::GetQueryTerms(terms, tree, doc);
  std::string text;
  for (const auto& entry : terms)
    text += (text.empty() ? "" : " ") + std::to_string(entry.first) + ':' +
            std::to_string(entry.second);
  return text;
}

TEST(QueryTermsTest, TermsAreNumberedDepthFirstFromTheLeft) {
  const struct {
    const char* query;
    const char* words;
    const char* terms;
  } rows[] = {
      {"a and (b near c)", "c b a", "0:2 1:1 2:0"},
      {"a b c", "a _ _ a _ b c", "0:0 3:0 5:1 6:2"},
      // Phrase words share one number, and every occurrence counts, in the
      // phrase or not; keyword leaves in quotes are words.
      {"\"new york\" city", "new x york x city", "0:0 2:0 4:1"},
      {"\"salt or pepper\" mill", "salt or pepper mill", "0:0 1:0 2:0 3:1"},
      // The first term wins a word index, but every term takes a number,
      // absent and negated ones too; stop words are not special.
      {"(a or a) c", "a c", "0:0 1:2"},
      {"x and y", "y", "0:1"},
      {"a not b the", "a b the", "0:0 1:1 2:2"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(row.terms, Terms(Parse(row.query), Document(row.words))) << row.query;
  TreeBuilder t;
  const OccurrenceMapHandle doc = Document("a b");
  EXPECT_EQ("0:0", Terms(t.Word(" a "), doc));               // looked up without surrounding blanks
  EXPECT_EQ("0:7 1:1", Terms(Parse("a b"), doc, {{0, 7}}));  // only adds
  EXPECT_EQ("", Terms(t.Node(Tokens::AND_, "And"), doc));
  EXPECT_EQ("", Terms(antlr::RefAST(), doc));
  EXPECT_EQ("", Terms(Parse("a b"), OccurrenceMapHandle()));
  // Only the first two children of an operator node are walked.
  EXPECT_EQ("0:0",
            Terms(t.Node(Tokens::AND_, "And", {t.Word("a"), t.Word("x"), t.Word("b")}), doc));
}

}  // namespace
}  // namespace lvt_eval_test
