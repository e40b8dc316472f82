// Queries nested far deeper than a call stack would allow, and the shape of
// the groups on random queries.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "eval/eval_test_support.h"
#include "fuzz/query_case.h"

namespace lvt_eval_test {
namespace {

// A left-deep chain And(And(And(w0, w1), w2), ...) of count words. The nodes
// are also listed so that the test can take the tree apart without the
// recursive destruction of the tree runtime.
class DeepChain {
 public:
  DeepChain(TreeBuilder& t, unsigned count, int type, const std::string& text) {
    m_Root = t.Word(WordName(0));
    m_Nodes.push_back(m_Root);
    for (unsigned i = 1; i < count; ++i) {
      const antlr::RefAST word = t.Word(WordName(i));
      m_Root = t.Node(type, text, {m_Root, word});
      m_Nodes.push_back(word);
      m_Nodes.push_back(m_Root);
    }
  }
  ~DeepChain() {
    m_Root = antlr::RefAST();
    for (antlr::RefAST& node : m_Nodes) {
      node->setFirstChild(antlr::RefAST());
      node->setNextSibling(antlr::RefAST());
    }
  }
  static std::string WordName(unsigned i) { return "w" + std::to_string(i % 50); }
  const antlr::RefAST& Root() const { return m_Root; }

 private:
  antlr::RefAST m_Root;
  std::vector<antlr::RefAST> m_Nodes;
};

TEST(DeepQueryTest, DeeplyNestedQueriesAreEvaluatedWithoutRecursion) {
  constexpr unsigned kDepth = 100000;
  TreeBuilder t;
  std::string words;
  for (unsigned i = 0; i < 50; ++i) words += DeepChain::WordName(i) + " x ";
  const OccurrenceMapHandle doc = Document(words);

  {
    DeepChain chain(t, kDepth, Tokens::AND_, "And");
    Evaluator evaluator(chain.Root(), doc);
    EXPECT_TRUE(evaluator.EvaluateNode());
    EXPECT_EQ(50u, evaluator.HighlightedWords().size());

    Evaluator::QueryTermMap terms;
    Evaluator::GetQueryTerms(terms, chain.Root(), doc);
    ASSERT_EQ(50u, terms.size());
    EXPECT_EQ(49u, terms[98]);
  }
  {
    // A word deep down of a disjunction is found and highlighted.
    DeepChain chain(t, kDepth, Tokens::OR_, "or ");
    Evaluator evaluator(chain.Root(), Document("w7 w7 zzz"));
    EXPECT_TRUE(evaluator.EvaluateNode());
    EXPECT_EQ("[0 1]", Show(evaluator.HighlightedWords()));
  }
}

std::string RandomOperand(std::mt19937& rng, const std::vector<std::string>& vocabulary) {
  auto word = [&] { return vocabulary[rng() % vocabulary.size()]; };
  if (rng() % 4 != 0) return word();
  std::string phrase = "\"" + word();
  for (unsigned n = 1 + rng() % 3; n > 0; --n) phrase += " " + word();
  return phrase + "\"";
}

std::string RandomQuery(std::mt19937& rng, const std::vector<std::string>& vocabulary, int depth) {
  const unsigned choice = depth > 3 ? 0 : rng() % 7;
  const std::string a = RandomOperand(rng, vocabulary);
  switch (choice) {
    case 1:
      return "(" + RandomQuery(rng, vocabulary, depth + 1) + ") and (" +
             RandomQuery(rng, vocabulary, depth + 1) + ")";
    case 2:
      return "(" + RandomQuery(rng, vocabulary, depth + 1) + ") or (" +
             RandomQuery(rng, vocabulary, depth + 1) + ")";
    case 3:
      return a + " near " + RandomOperand(rng, vocabulary);
    case 4:
      return a + " near:" + std::to_string(rng() % 4) + " " + RandomOperand(rng, vocabulary);
    case 5:
      return "not (" + RandomQuery(rng, vocabulary, depth + 1) + ")";
    case 6:
      return a + " " + RandomQuery(rng, vocabulary, depth + 1);
    default:
      return a;
  }
}

// Groups non-empty, ascending, apart, each word with a query term, on
// random queries over random documents.
TEST(DeepQueryTest, RandomQueriesLeaveNormalisedGroups) {
  const std::vector<std::string> vocabulary = {"ant", "bee", "cat", "dog", "the", "of", "eel"};
  std::mt19937 rng(99);
  for (int round = 0; round < 2000; ++round) {
    std::string words;
    for (unsigned n = rng() % 40; n > 0; --n) words += vocabulary[rng() % vocabulary.size()] + " ";
    const std::string query = RandomQuery(rng, vocabulary, 0);
    ASSERT_EQ("", lvt_fuzz::EvaluationFault(Parse(query), Document(words)))
        << query << " on " << words;
  }
}

}  // namespace
}  // namespace lvt_eval_test
