#include "lumivant/term_document_evaluator_ex.h"

#include <gtest/gtest.h>

#include "eval/eval_test_support.h"

namespace lvt_eval_test {
namespace {

TEST(EvaluatorWordTest, OccurrencesBecomeGroupsAndTouchingOnesMerge) {
  // "gold" at 4, 5 and 9: the neighbours at 4 and 5 make one hit.
  Outcome o = Evaluate("gold", "a b c d gold gold e f g gold");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[4 5] [9]", o.groups);
  EXPECT_FALSE(o.stopWord);

  o = Evaluate("silver", "a b c d gold");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("", o.groups);

  // A stop word is flagged whether or not the document has it.
  o = Evaluate("the", "a b c");
  EXPECT_FALSE(o.result);
  EXPECT_TRUE(o.stopWord);
  o = Evaluate("the", "the b c");
  EXPECT_TRUE(o.result);
  EXPECT_TRUE(o.stopWord);
  EXPECT_EQ("[0]", o.groups);

  // The word text is looked up as it stands: no case folding, no trimming.
  EXPECT_FALSE(Evaluate("Gold", "gold").result);
  TreeBuilder tree;
  EXPECT_FALSE(Evaluate(tree.Word(" gold"), Document("gold")).result);
  EXPECT_FALSE(Evaluate(tree.Word(""), Document("gold")).result);
}

TEST(EvaluatorWordTest, TermConstructorKeepsOneGroupPerOccurrence) {
  GroupVector groups;
  bool stopWord = false;
  EXPECT_TRUE(Peer::FromTerm(u"gold", Document("gold gold _ gold"), &groups, &stopWord));
  EXPECT_EQ("[0] [1] [3]", Show(groups));
  EXPECT_FALSE(Peer::FromTerm(u"of", Document("gold"), &groups, &stopWord));
  EXPECT_TRUE(stopWord);
  EXPECT_FALSE(Peer::FromTerm(u"", Document("gold"), &groups, &stopWord));
}

TEST(EvaluatorTreeTest, ValidateTreeChecksTheNodeAndItsChildren) {
  TreeBuilder t;
  EXPECT_FALSE(Peer::ValidateTree(antlr::RefAST()));
  EXPECT_TRUE(Peer::ValidateTree(t.Word("a")));
  EXPECT_FALSE(Peer::ValidateTree(t.Node(Tokens::WORD_, "a", {t.Word("b")})));
  EXPECT_FALSE(Peer::ValidateTree(t.Node(Tokens::AND_, "And")));
  EXPECT_FALSE(Peer::ValidateTree(t.Node(Tokens::OR_, "or ", {t.Word("a")})));
  EXPECT_TRUE(Peer::ValidateTree(t.Node(Tokens::OR_, "or ", {t.Word("a"), t.Word("b")})));
  EXPECT_FALSE(Peer::ValidateTree(t.Node(Tokens::NOT_, "not ")));
  EXPECT_FALSE(Peer::ValidateTree(t.Node(Tokens::NOT_, "not ", {t.Word("a"), t.Word("b")})));
  EXPECT_TRUE(Peer::ValidateTree(t.Node(Tokens::NOT_, "not ", {t.Word("a")})));
  // Proximity takes only words and phrases, and only the first two count.
  const antlr::RefAST phrase =
      t.Node(Tokens::DQUOTE_, "\"", {t.Word("a"), t.Word("b"), t.Node(Tokens::DQUOTE_, "\"")});
  EXPECT_TRUE(Peer::ValidateTree(t.Node(Tokens::NEAR_, "near ", {phrase, t.Word("c")})));
  EXPECT_FALSE(Peer::ValidateTree(
      t.Node(Tokens::NEAR_, "near ",
             {t.Node(Tokens::AND_, "And", {t.Word("a"), t.Word("b")}), t.Word("c")})));
  EXPECT_FALSE(
      Peer::ValidateTree(t.Node(Tokens::WEIGHTEDNEAR_, "near:2",
                                {t.Word("c"), t.Node(Tokens::NOT_, "not ", {t.Word("a")})})));
  EXPECT_TRUE(Peer::ValidateTree(t.Node(Tokens::LPAREN_, "(")));  // unknown types pass
}

TEST(EvaluatorTreeTest, InvalidNodesEvaluateToFalseAndNotTurnsThemTrue) {
  TreeBuilder t;
  const OccurrenceMapHandle doc = Document("ant bee cat");
  const antlr::RefAST lonelyAnd = t.Node(Tokens::AND_, "And", {t.Word("ant")});
  Outcome o = Evaluate(lonelyAnd, doc);
  EXPECT_FALSE(o.result);
  EXPECT_EQ("", o.groups);

  o = Evaluate(t.Node(Tokens::NOT_, "not ", {t.Node(Tokens::AND_, "And", {t.Word("ant")})}), doc);
  EXPECT_TRUE(o.result);
  EXPECT_EQ("", o.groups);

  // A proximity over a compound operand is refused as a whole: its operands
  // are never evaluated, so nothing of ant or cat is highlighted.
  o = Evaluate(t.Node(Tokens::NEAR_, "near ",
                      {t.Node(Tokens::AND_, "And", {t.Word("ant"), t.Word("bee")}), t.Word("cat")}),
               doc);
  EXPECT_FALSE(o.result);
  EXPECT_EQ("", o.groups);

  // Children after the second are not looked at.
  o = Evaluate(t.Node(Tokens::AND_, "And", {t.Word("ant"), t.Word("cat"), t.Word("zzz")}), doc);
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0] [2]", o.groups);

  // An invalid operand is false like an absent word; the rest goes on.
  o = Evaluate(t.Node(Tokens::OR_, "or ", {lonelyAnd, t.Word("bee")}), doc);
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[1]", o.groups);

  EXPECT_FALSE(Evaluate(antlr::RefAST(), doc).result);
  EXPECT_FALSE(Evaluate(t.Node(Tokens::LPAREN_, "("), doc).result);
}

TEST(EvaluatorTreeTest, OnlyTheGivenNodeIsEvaluatedNotItsSiblings) {
  // "a b ) +" stops at the stray parenthesis: a and b are two top-level
  // trees, b the next sibling of a.
  EXPECT_FALSE(Evaluate("alpha beta ) +", "beta beta").result);
  EXPECT_TRUE(Evaluate("alpha beta ) +", "alpha").result);
}

TEST(EvaluatorBooleanTest, AndAndOrCarryGroupsWhateverTheResult) {
  Outcome o = Evaluate("gold and silver", "a b gold c d e f gold");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("[2] [7]", o.groups);

  o = Evaluate("gold or silver", "a b gold c d e f silver");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[2] [7]", o.groups);

  // The juxtaposition is an and.
  o = Evaluate("gold silver", "silver gold");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0 1]", o.groups);

  o = Evaluate("gold or silver", "a b c");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("", o.groups);
}

TEST(EvaluatorBooleanTest, StopWordsCountForMatchingButAreNotHighlighted) {
  Outcome o = Evaluate("the or gold", "a the b c d gold");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[5]", o.groups);

  o = Evaluate("gold and the", "a the b c d gold");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[5]", o.groups);

  o = Evaluate("the and of", "the of x");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("", o.groups);

  // Absent, a stop word still decides the match.
  o = Evaluate("gold and the", "a b gold");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("[2]", o.groups);

  // Only words written as plain words: a quoted stop word is highlighted.
  o = Evaluate("\"the\" gold", "the gold");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0 1]", o.groups);

  // The flag is the operand's own: a compound containing a stop word is not
  // a stop word, so its groups are kept.
  o = Evaluate("(the gold) or silver", "the x gold y silver");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[2] [4]", o.groups);
}

TEST(EvaluatorBooleanTest, NotNegatesAndDropsTheOperandsGroups) {
  Outcome o = Evaluate("not gold", "gold");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("", o.groups);

  o = Evaluate("not gold", "silver");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("", o.groups);

  o = Evaluate("silver not gold", "silver x gold");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("[0]", o.groups);
}

TEST(EvaluatorNearTest, LimitIsInclusiveBetweenFacingEnds) {
  Outcome o = Evaluate("gold near silver", "a b c gold d e f g h i j k l silver");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[3] [13]", o.groups);
  o = Evaluate("gold near silver", "a b c gold d e f g h i j k l m silver");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("", o.groups);

  // Either order; adjacent words touch and merge.
  o = Evaluate("gold near silver", "silver gold");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0 1]", o.groups);

  // Only the pairs within the limit are hits.
  o = Evaluate("gold near silver", "gold a silver b c d e f g h i j k l m n o gold");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0] [2]", o.groups);

  // Near does not look at the operands' results, only at positions.
  o = Evaluate("gold near silver", "gold");
  EXPECT_FALSE(o.result);
}

TEST(EvaluatorNearTest, WeightedNearReadsItsLimitAfterTheColon) {
  EXPECT_TRUE(Evaluate("gold near:2 silver", "a b c d gold e silver").result);
  EXPECT_FALSE(Evaluate("gold near:2 silver", "a b c d gold e f silver").result);
  EXPECT_TRUE(Evaluate("gold near:3-4 silver", "gold a b silver").result);

  // near:0 accepts only overlapping hits: a word inside a phrase instance.
  EXPECT_FALSE(Evaluate("gold near:0 silver", "gold silver").result);
  Outcome o = Evaluate("\"gold silver\" near:0 silver", "x gold silver");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[1 2]", o.groups);

  TreeBuilder t;
  auto limit = [&](int type, const std::string& text) {
    return Peer::GetNearDistance(t.Node(type, text, {t.Word("a"), t.Word("b")}));
  };
  EXPECT_EQ(5u, limit(Tokens::WEIGHTEDNEAR_, "near:5"));
  EXPECT_EQ(5u, limit(Tokens::WEIGHTEDNEAR_, "NEAR:5x"));
  EXPECT_EQ(0u, limit(Tokens::WEIGHTEDNEAR_, "near:0"));
  EXPECT_EQ(10u, limit(Tokens::WEIGHTEDNEAR_, "near:"));
  EXPECT_EQ(10u, limit(Tokens::WEIGHTEDNEAR_, "near:x"));
  EXPECT_EQ(10u, limit(Tokens::WEIGHTEDNEAR_, "near"));
  EXPECT_EQ(10u, limit(Tokens::WEIGHTEDNEAR_, ""));
  EXPECT_EQ(10u, limit(Tokens::WEIGHTEDNEAR_, "near:99999999999"));  // too large
  EXPECT_EQ(10u, limit(Tokens::NEAR_, "near:3"));                    // a plain near has no number
  EXPECT_EQ(10u, Peer::GetNearDistance(antlr::RefAST()));
}

TEST(EvaluatorNearTest, PhraseAndWordThatOverlapMergeIntoOneGroup) {
  Outcome o = Evaluate("\"red fox\" near fox", "a b c d red fox");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[4 5]", o.groups);

  // A phrase near a word counts from the phrase's facing end.
  o = Evaluate("\"red fox\" near:2 hound", "red fox a hound b c d e red fox");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0 1] [3]", o.groups);
}

TEST(EvaluatorPhraseTest, InstancesNeedEveryWordAtItsPlace) {
  // First word at 10, third at 12, but the second is at 15, not 11.
  Outcome o = Evaluate("\"big red fox\"", "a b c d e f g h i j big x fox y z red");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("", o.groups);

  o = Evaluate("\"big red fox\"", "big red fox a big red b big red fox");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0 1 2] [7 8 9]", o.groups);

  // A word that the document lacks ends the search at once.
  o = Evaluate("\"big red zebra\"", "big red fox");
  EXPECT_FALSE(o.result);
  EXPECT_EQ("", o.groups);

  // Overlapping instances are merged afterwards.
  o = Evaluate("\"ha ha\"", "a b c d e f g ha ha ha");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[7 8 9]", o.groups);

  // Instances that touch merge too.
  o = Evaluate("\"big red\"", "big red big red x big red");
  EXPECT_EQ("[0 1 2 3] [5 6]", o.groups);
}

TEST(EvaluatorPhraseTest, QuotedSingleWordIsHighlightedLikeAPlainWord) {
  Outcome o = Evaluate("\"gold\"", "gold a gold gold");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0] [2 3]", o.groups);
  EXPECT_FALSE(Evaluate("\"gold\"", "silver").result);
}

TEST(EvaluatorPhraseTest, WordTextsLoseTheirLastBlankOnly) {
  TreeBuilder t;
  const OccurrenceMapHandle doc = Document("new york");
  auto phrase = [&](const std::string& first) {
    return t.Node(Tokens::DQUOTE_, "\"",
                  {t.Word(first), t.Word("york"), t.Node(Tokens::DQUOTE_, "\"")});
  };
  EXPECT_TRUE(Evaluate(phrase("new "), doc).result);
  EXPECT_FALSE(Evaluate(phrase(" new "), doc).result);
  EXPECT_FALSE(Evaluate(phrase("new  "), doc).result);

  // Keyword tokens between the quotes are words of the phrase.
  Outcome o = Evaluate("\"salt or pepper\"", "x salt or pepper");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[1 2 3]", o.groups);
  o = Evaluate("\"to be or not to be\"", "to be or not to be");
  EXPECT_EQ("[0 1 2 3 4 5]", o.groups);

  // The words end at the closing quote leaf; anything after it is ignored.
  const antlr::RefAST trailing =
      t.Node(Tokens::DQUOTE_, "\"", {t.Word("new"), t.Node(Tokens::DQUOTE_, "\""), t.Word("zzz")});
  EXPECT_TRUE(Evaluate(trailing, doc).result);
}

TEST(EvaluatorPhraseTest, SkippedStopWordsWidenTheGap) {
  // Phrases are evaluated with stop words as ordinary words by default.
  Outcome o = Evaluate("\"bread of life\"", "bread x life");
  EXPECT_FALSE(o.result);
  o = Evaluate("\"bread of life\"", "bread of life");
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0 1 2]", o.groups);

  // With the option, x s y is x and y two words apart, and whatever stands
  // between them is not part of the hit; a leading stop word adds no gap.
  const OccurrenceMapHandle doc = Document("bread x life _ life bread life");
  o = Evaluate(Parse("\"bread of life\""), doc, true);
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[0 2]", o.groups);
  o = Evaluate(Parse("\"of bread life\""), doc, true);
  EXPECT_TRUE(o.result);
  EXPECT_EQ("[5 6]", o.groups);
  o = Evaluate(Parse("\"bread life of\""), doc, true);
  EXPECT_EQ("[5 6]", o.groups);
}

TEST(EvaluatorOverlapTest, GroupsThatOverlapOrTouchAreMerged) {
  EXPECT_EQ("[5 8]", Show(Peer::RemoveWordOverlaps(Groups({Group({5, 8}), Group({6})}))));
  EXPECT_EQ("[3 4]", Show(Peer::RemoveWordOverlaps(Groups({Group({3}), Group({4})}))));
  EXPECT_EQ("[3] [5]", Show(Peer::RemoveWordOverlaps(Groups({Group({5}), Group({3})}))));
  EXPECT_EQ("[1 2 3 4 5 6]",
            Show(Peer::RemoveWordOverlaps(
                Groups({Group({4, 5}), Group({1, 2}), Group({3}), Group({5, 6}), Group({2})}))));
  EXPECT_EQ("[7]", Show(Peer::RemoveWordOverlaps(Groups({Group({7}), Group({7})}))));
  EXPECT_EQ("", Show(Peer::RemoveWordOverlaps(Groups({}))));
}

TEST(EvaluatorOverlapTest, MergingNeverChangesAGroupThatIsAlreadyPlaced) {
  const GroupHandle a = Group({3});
  const GroupHandle b = Group({4});
  const GroupHandle c = Group({9});
  const GroupVector merged = Peer::RemoveWordOverlaps(Groups({a, b, c}));
  EXPECT_EQ("[3 4] [9]", Show(merged));
  EXPECT_EQ("[3]", Show(Groups({a})));
  EXPECT_EQ("[4]", Show(Groups({b})));
  // Untouched groups are shared, not copied.
  EXPECT_EQ(c.Get(), merged[1].Get());
  EXPECT_NE(a.Get(), merged[0].Get());

  Evaluator::OccurrenceList out;
  Peer::MergePhrases(*Group({5, 8}), *Group({6, 9}), out);
  EXPECT_EQ("[5 8 9]", Show(Groups({LVT::MakeRefCount<Evaluator::OccurrenceList>(out)})));
  unsigned first = 0, last = 0;
  Peer::GetPhraseBoundaries(*Group({5, 8, 9}), first, last);
  EXPECT_EQ(5u, first);
  EXPECT_EQ(9u, last);
}

TEST(EvaluatorPhraseTest, FindOccurenceLeavesTheCursorOnTheFirstNotBefore) {
  const GroupHandle list = Group({2, 5, 9});
  Peer::Cursor cursor = list->begin();
  EXPECT_TRUE(Peer::FindOccurence(cursor, list->end(), 5));
  EXPECT_EQ(5u, (*cursor)->m_WordIndex);
  EXPECT_FALSE(Peer::FindOccurence(cursor, list->end(), 7));
  EXPECT_EQ(9u, (*cursor)->m_WordIndex);
  EXPECT_FALSE(Peer::FindOccurence(cursor, list->end(), 10));
  EXPECT_EQ(list->end(), cursor);
}

TEST(EvaluatorTest, NodeTextsAreDecodedFromUtf8) {
  TreeBuilder t;
  std::u16string text = u"left over";
  EXPECT_TRUE(Peer::GetText(t.Word("caf\xC3\xA9"), text));
  EXPECT_EQ(u"caf\u00E9", text);
  EXPECT_FALSE(Peer::GetText(t.Word(""), text));
  EXPECT_EQ(u"", text);
  EXPECT_FALSE(Peer::GetText(antlr::RefAST(), text));
}

TEST(EvaluatorTest, EmptyOccurrenceHandleActsAsAnEmptyDocument) {
  const antlr::RefAST tree = Parse("gold or not silver");
  Evaluator evaluator(tree, OccurrenceMapHandle());
  EXPECT_TRUE(evaluator.EvaluateNode());
  EXPECT_EQ(0u, evaluator.HighlightedWords().size());
}

}  // namespace
}  // namespace lvt_eval_test
