#include <gtest/gtest.h>

#include <string>

#include "eval/eval_test_support.h"

namespace lvt_eval_test {
namespace {

// "index:term" pairs in index order, e.g. "0:0 2:1".
std::string Terms(const antlr::RefAST& tree, const OccurrenceMapHandle& doc) {
  Evaluator::QueryTermMap terms;
  Evaluator::GetQueryTerms(terms, tree, doc);
  std::string text;
  for (const auto& entry : terms) {
    if (!text.empty()) text += ' ';
    text += std::to_string(entry.first) + ':' + std::to_string(entry.second);
  }
  return text;
}

std::string Terms(const std::string& query, const std::string& words) {
  return Terms(Parse(query), Document(words));
}

TEST(QueryTermsTest, TermsAreNumberedDepthFirstFromTheLeft) {
  EXPECT_EQ("0:0 1:1 2:2", Terms("a and (b near c)", "a b c"));
  EXPECT_EQ("0:2 1:1 2:0", Terms("a and (b near c)", "c b a"));
  EXPECT_EQ("0:0 3:0 5:1 6:2", Terms("a b c", "a _ _ a _ b c"));
}

TEST(QueryTermsTest, PhraseWordsShareOneNumber) {
  EXPECT_EQ("0:0 1:0 2:1", Terms("\"new york\" city", "new york city"));
  // Every occurrence of a phrase word counts, in the phrase or not.
  EXPECT_EQ("0:0 2:0 4:1", Terms("\"new york\" city", "new x york x city"));
  // Keyword leaves between the quotes are entered as plain words.
  EXPECT_EQ("0:0 1:0 2:0 3:1", Terms("\"salt or pepper\" mill", "salt or pepper mill"));
}

TEST(QueryTermsTest, FirstTermWinsAWordIndexButEveryTermTakesANumber) {
  EXPECT_EQ("0:0 2:0", Terms("a or a", "a x a"));
  EXPECT_EQ("0:0 1:2", Terms("(a or a) c", "a c"));
  // An absent word still takes its number.
  EXPECT_EQ("0:1", Terms("x and y", "y"));
  // Negated terms are numbered and entered too.
  EXPECT_EQ("0:0 1:1 2:2", Terms("a not b c", "a b c"));
  // Stop words are not special here.
  EXPECT_EQ("0:0 1:1", Terms("the gold", "the gold"));
}

TEST(QueryTermsTest, WordsAreLookedUpWithoutSurroundingBlanks) {
  TreeBuilder t;
  const OccurrenceMapHandle doc = Document("gold");
  EXPECT_EQ("0:0", Terms(t.Word(" gold "), doc));
  EXPECT_FALSE(Evaluate(t.Word(" gold "), doc).result);  // the evaluation does not trim
}

TEST(QueryTermsTest, TermsAreAddedToWhatTheMapHolds) {
  Evaluator::QueryTermMap terms{{0, 7}};
  Evaluator::GetQueryTerms(terms, Parse("a b"), Document("a b"));
  EXPECT_EQ(7u, terms[0]);
  EXPECT_EQ(1u, terms[1]);
}

TEST(QueryTermsTest, MissingOperandsAndEmptyInputsAddNothing) {
  TreeBuilder t;
  const OccurrenceMapHandle doc = Document("a b");
  EXPECT_EQ("", Terms(t.Node(Tokens::AND_, "And"), doc));
  EXPECT_EQ("0:0", Terms(t.Node(Tokens::OR_, "or ", {t.Word("a")}), doc));
  EXPECT_EQ("", Terms(t.Node(Tokens::NOT_, "not "), doc));
  EXPECT_EQ("", Terms(antlr::RefAST(), doc));
  EXPECT_EQ("", Terms(Parse("a b"), OccurrenceMapHandle()));
  // Only the first two children of an operator node are walked.
  EXPECT_EQ("0:0",
            Terms(t.Node(Tokens::AND_, "And", {t.Word("a"), t.Word("x"), t.Word("b")}), doc));
}

}  // namespace
}  // namespace lvt_eval_test
