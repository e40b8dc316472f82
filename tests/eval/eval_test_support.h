// Helpers of the evaluation tests: small documents given as word lists,
// query trees parsed or built by hand, groups written as "[4 5] [9]", and a
// peer that reaches the evaluator's private options.
#ifndef LUMIVANT_TESTS_EVAL_EVAL_TEST_SUPPORT_H_
#define LUMIVANT_TESTS_EVAL_EVAL_TEST_SUPPORT_H_

#include <antlr/ASTFactory.hpp>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "lumivant/term_document_evaluator_ex.h"
#include "query/dt_query_lexer.h"
#include "query/dt_query_parser.h"
#include "testing/test_util.h"

namespace LVTDT {

class TermDocumentEvaluatorExPeer {
 public:
  using E = TermDocumentEvaluatorEx;

  // Evaluates node with the phrase option set as asked.
  static bool Evaluate(const antlr::RefAST& node, const E::OccurrenceMapHandle& map,
                       bool skipStopWordsInPhrases, E::GroupVector* groups, bool* stopWord) {
    E evaluator(node, map);
    evaluator.m_bSkipStopWordsInPhrases = skipStopWordsInPhrases;
    const bool result = evaluator.EvaluateNode();
    *groups = evaluator.m_HighlightedWords;
    *stopWord = evaluator.m_bStopWord;
    return result;
  }

  static E::GroupVector RemoveWordOverlaps(const E::GroupVector& groups) {
    E evaluator{antlr::RefAST(), E::OccurrenceMapHandle()};
    evaluator.m_HighlightedWords = groups;
    evaluator.RemoveWordOverlaps();
    return evaluator.m_HighlightedWords;
  }
};

}  // namespace LVTDT

namespace lvt_eval_test {

using Evaluator = LVTDT::TermDocumentEvaluatorEx;
using Peer = LVTDT::TermDocumentEvaluatorExPeer;
using Tokens = LVTDT::DTQueryParserTokenTypes;
using OccurrenceMapHandle = Evaluator::OccurrenceMapHandle;
using GroupVector = Evaluator::GroupVector;
using GroupHandle = Evaluator::GroupHandle;

// A document given as blank-separated words: word i has index i and is filed
// under itself; "_" is a word that is numbered but not entered.
inline OccurrenceMapHandle Document(const std::string& words) {
  OccurrenceMapHandle map = LVT::MakeRefCount<Evaluator::OccurrenceMap>();
  std::istringstream in(words);
  std::string word;
  for (unsigned index = 0; in >> word; ++index) {
    if (word == "_") continue;
    auto occurrence = LVT::MakeSmart<LVTDT::WordOccurencesExtractor::WordOccurence>();
    occurrence->m_WordIndex = index;
    Evaluator::OccurrenceListHandle& list = (*map)[lvt_testing::U16(word)];
    if (!list) list = LVT::MakeRefCount<Evaluator::OccurrenceList>();
    list->push_back(occurrence);
  }
  return map;
}

// A group of occurrences at the given word indexes.
inline GroupHandle Group(const std::vector<unsigned>& indexes) {
  GroupHandle group = LVT::MakeRefCount<Evaluator::OccurrenceList>();
  for (unsigned index : indexes) {
    auto occurrence = LVT::MakeSmart<LVTDT::WordOccurencesExtractor::WordOccurence>();
    occurrence->m_WordIndex = index;
    group->push_back(occurrence);
  }
  return group;
}

inline GroupVector Groups(std::initializer_list<GroupHandle> groups) {
  GroupVector vector;
  for (const GroupHandle& group : groups) vector.push_back(group);
  return vector;
}

// "[4 5] [9]"; "" for no groups.
inline std::string Show(const GroupVector& groups) {
  std::string text;
  for (const GroupHandle& group : groups) {
    text += text.empty() ? "[" : " [";
    for (std::size_t i = 0; i < group->size(); ++i)
      text += (i > 0 ? " " : "") + std::to_string((*group)[i]->m_WordIndex);
    text += ']';
  }
  return text;
}

// The tree of a query as the parser builds it, without preparation (words
// stay as typed).
inline antlr::RefAST Parse(const std::string& query) {
  std::stringstream stream(query, std::ios::in | std::ios::out);
  LVTDT::DTQueryLexer lexer(stream);
  LVTDT::DTQueryParser parser(lexer);
  parser.query();
  return parser.getAST();
}

// Builds trees by hand, for shapes the parser never makes.
class TreeBuilder {
 public:
  TreeBuilder() { LVTDT::DTQueryParser::initializeASTFactory(m_Factory); }
  antlr::RefAST Node(int type, const std::string& text,
                     std::initializer_list<antlr::RefAST> children = {}) {
    antlr::RefAST node = m_Factory.create(type, text);
    for (const antlr::RefAST& child : children) node->addChild(child);
    return node;
  }
  antlr::RefAST Word(const std::string& text) { return Node(Tokens::WORD_, text); }

 private:
  antlr::ASTFactory m_Factory;
};

}  // namespace lvt_eval_test

#endif  // LUMIVANT_TESTS_EVAL_EVAL_TEST_SUPPORT_H_
