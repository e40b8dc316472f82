#include "lumivant/create_simple_query.h"

#include <gtest/gtest.h>

#include <antlr/ANTLRException.hpp>
#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>
#include <atomic>
#include <thread>
#include <vector>

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

std::string Groups(const std::u16string& query, const OccurrenceMapHandle& doc,
                   bool* matched = nullptr) {
  LVT::RefCount<Evaluator> evaluator = LVTDT::CreateSimpleQuery(query, doc);
  const bool result = evaluator->EvaluateNode();
  if (matched != nullptr) *matched = result;
  return Show(evaluator->HighlightedWords());
}

TEST(CreateSimpleQueryTest, PreparesTheQueryAsPagesAreIndexed) {
  const OccurrenceMapHandle doc =
      StemmedDocument("engineers were running checks on the bridges while bridge traffic ran");
  bool matched = false;
  // Case and inflection do not matter: both sides are folded and stemmed.
  EXPECT_EQ("[2] [6] [8]", Groups(u"Bridges OR Running", doc, &matched));
  EXPECT_TRUE(matched);
  EXPECT_EQ("[8 9]", Groups(u"\"BRIDGE traffic\"", doc, &matched));
  EXPECT_TRUE(matched);
  // Words joined by punctuation become a phrase.
  EXPECT_EQ("[8 9]", Groups(u"bridge-traffic", doc, &matched));
  EXPECT_EQ("", Groups(u"traffic-bridge", doc, &matched));
  EXPECT_FALSE(matched);
  // Unbalanced parentheses and quotes are repaired, not rejected.
  EXPECT_EQ("[0]", Groups(u"(engineers or zebras", doc, &matched));
  EXPECT_TRUE(matched);
  EXPECT_EQ("[0]", Groups(u"\"engineers", doc));
}

TEST(CreateSimpleQueryTest, EmptyOccurrenceHandleGivesAnEmptyEvaluatorForValidQueries) {
  EXPECT_TRUE(LVTDT::CreateSimpleQuery(u"bridge near traffic", OccurrenceMapHandle()).IsEmpty());
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u"not not bridge", OccurrenceMapHandle()),
               antlr::NoViableAltException);
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u"bridge | traffic", OccurrenceMapHandle()),
               antlr::TokenStreamRecognitionException);
}

TEST(CreateSimpleQueryTest, RejectedQueriesThrowTheParsersExceptions) {
  const OccurrenceMapHandle doc = StemmedDocument("bridge");
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u"", doc), antlr::NoViableAltException);
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u" ; ", doc), antlr::NoViableAltException);
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u"!", doc), antlr::NoViableAltException);
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u"bridge and ", doc), antlr::NoViableAltException);
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u"bridge ! traffic", doc),
               antlr::TokenStreamRecognitionException);
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u"10:30", doc), antlr::NoViableAltException);
  EXPECT_THROW(LVTDT::CreateSimpleQuery(u"\"bridge +", doc), antlr::ANTLRException);
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
  Groups(u"other words entirely", StemmedDocument("other"));
  EXPECT_TRUE(evaluator->EvaluateNode());
  EXPECT_EQ("[1 2] [5]", Show(evaluator->HighlightedWords()));
}

TEST(CreateSimpleQueryTest, CallsOnSeveralThreadsAtOnce) {
  constexpr int kThreads = 8;
  std::atomic<int> ready{0};
  std::atomic<int> correct{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread has its own document; only the query language is shared.
      const OccurrenceMapHandle doc =
          StemmedDocument(t % 2 == 0 ? "ferries crossing the harbour" : "nothing here");
      ++ready;
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int round = 0; round < 50; ++round) {
        LVT::RefCount<Evaluator> e = LVTDT::CreateSimpleQuery(u"ferry near harbours", doc);
        if (e->EvaluateNode() != (t % 2 == 0)) return;
      }
      ++correct;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(kThreads, correct.load());
}

}  // namespace
}  // namespace lvt_eval_test
