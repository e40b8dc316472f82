#include "lumivant/create_simple_query.h"

#include <gtest/gtest.h>

#include <antlr/ANTLRException.hpp>
#include <antlr/NoViableAltException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>

#include "eval/eval_test_support.h"
#include "lumivant/language.h"

namespace lvt_eval_test {
namespace {

// A document whose words are filed under their English stems, as pages are.
OccurrenceMapHandle StemmedDocument(const std::string& words) {
  static const LVTLanguage::Language english(LVTLanguage::Language::kEnglish);
  std::istringstream in(words);
  std::string stems, word;
  while (in >> word) {
    std::u16string stem;
    english.Stem(lvt_testing::U16(word), stem);
    stems += lvt_testing::U8(stem) + " ";
  }
  return Document(stems);
}

TEST(CreateSimpleQueryTest, RejectedQueriesThrowTheParsersExceptions) {
  for (const OccurrenceMapHandle& doc : {StemmedDocument("bridge"), OccurrenceMapHandle()}) {
    for (const char16_t* query : {u"", u" ; ", u"!", u"bridge and ", u"10:30", u"not not bridge"})
      EXPECT_THROW(LVTDT::CreateSimpleQuery(query, doc), antlr::NoViableAltException);
    EXPECT_THROW(LVTDT::CreateSimpleQuery(u"bridge ! traffic", doc),
                 antlr::TokenStreamRecognitionException);
    EXPECT_THROW(LVTDT::CreateSimpleQuery(u"\"bridge +", doc), antlr::ANTLRException);
  }
  // Without an occurrence map a valid query gives no evaluator.
  EXPECT_TRUE(LVTDT::CreateSimpleQuery(u"bridge near traffic", OccurrenceMapHandle()).IsEmpty());
}

LVT::RefCount<Evaluator> MakeEvaluatorAndDropEverythingElse() {
  std::u16string query = u"\"steel deck\" near:3 cables";
  OccurrenceMapHandle doc = StemmedDocument("the steel deck and its cables were replaced");
  LVT::RefCount<Evaluator> evaluator = LVTDT::CreateSimpleQuery(query, doc);
  query.assign(100, u'x');  // nothing may point into the caller's strings
  return evaluator;
}

TEST(CreateSimpleQueryTest, EvaluatorOutlivesTheCallAndItsInputs) {
  LVT::RefCount<Evaluator> evaluator = MakeEvaluatorAndDropEverythingElse();
  ASSERT_FALSE(evaluator.IsEmpty());
  EXPECT_EQ(1, evaluator.UseCount());
  // Another parse in between must not disturb the first tree.
  LVTDT::CreateSimpleQuery(u"other words entirely", StemmedDocument("other"))->EvaluateNode();
  EXPECT_TRUE(evaluator->EvaluateNode());
  EXPECT_EQ("[1 2] [5]", Show(evaluator->HighlightedWords()));
}

}  // namespace
}  // namespace lvt_eval_test
