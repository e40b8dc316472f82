// The operators that combine evaluated operands: the boolean ones on match
// results, Near on the positions of the operands' hits. Each writes the
// result and the groups of the operator node's evaluator; EvaluateNode then
// normalises the groups, so they may be left unsorted or overlapping here.
#include <sstream>
#include <string>

#include "eval/highlight_groups.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "query/dt_query_parser_token_types.h"

namespace LVTDT {

using Tokens = DTQueryParserTokenTypes;

namespace {

constexpr unsigned kDefaultNearDistance = 10;

// And and Or collect their operands' groups whatever the match result is;
// a stop word written as a plain word counts for the match but its
// occurrences are not highlighted.
void CombineGroups(TermDocumentEvaluatorEx::GroupVector& result, bool ignoreStopWords,
                   const TermDocumentEvaluatorEx::GroupVector& left, bool leftStopWord,
                   const TermDocumentEvaluatorEx::GroupVector& right, bool rightStopWord) {
  if (ignoreStopWords && (leftStopWord || rightStopWord)) {
    if (leftStopWord && rightStopWord) return;
    result = leftStopWord ? right : left;
    return;
  }
  result = left;
  const std::size_t needed = result.size() + right.size();
  if (needed > result.capacity()) result.reserve(needed);
  for (const auto& group : right) result.push_back(group);
}

}  // namespace

void TermDocumentEvaluatorEx::And(TermDocumentEvaluatorEx& result,
                                  const TermDocumentEvaluatorEx& left,
                                  const TermDocumentEvaluatorEx& right) {
  result.m_bResult = left.m_bResult && right.m_bResult;
  CombineGroups(result.m_HighlightedWords, result.m_bIgnoreStopWords, left.m_HighlightedWords,
                left.m_bStopWord, right.m_HighlightedWords, right.m_bStopWord);
}

void TermDocumentEvaluatorEx::Or(TermDocumentEvaluatorEx& result,
                                 const TermDocumentEvaluatorEx& left,
                                 const TermDocumentEvaluatorEx& right) {
  result.m_bResult = left.m_bResult || right.m_bResult;
  CombineGroups(result.m_HighlightedWords, result.m_bIgnoreStopWords, left.m_HighlightedWords,
                left.m_bStopWord, right.m_HighlightedWords, right.m_bStopWord);
}

void TermDocumentEvaluatorEx::Not(TermDocumentEvaluatorEx& result,
                                  const TermDocumentEvaluatorEx& operand) {
  // The negated operand's hits are what the document must not contain:
  // nothing of them is highlighted.
  result.m_bResult = !operand.m_bResult;
}

void TermDocumentEvaluatorEx::PerformUnaryOperation(TermDocumentEvaluatorEx& result,
                                                    const TermDocumentEvaluatorEx& operand) {
  Not(result, operand);
}

void TermDocumentEvaluatorEx::PerformBinaryOperation(TermDocumentEvaluatorEx& result,
                                                     const TermDocumentEvaluatorEx& left,
                                                     const TermDocumentEvaluatorEx& right) {
  if (!result.m_Query) return;
  switch (result.m_Query->getType()) {
    case Tokens::AND_:
      And(result, left, right);
      break;
    case Tokens::OR_:
      Or(result, left, right);
      break;
    case Tokens::NEAR_:
    case Tokens::WEIGHTEDNEAR_:
      Near(result, left, right);
      break;
    default:
      break;
  }
}

unsigned TermDocumentEvaluatorEx::GetNearDistance(const antlr::RefAST& node) {
  if (!node || node->getType() != Tokens::WEIGHTEDNEAR_) return kDefaultNearDistance;
  const std::string text = node->getText();
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon + 1 == text.size()) return kDefaultNearDistance;
  // Formatted extraction: leading white space skipped, reading stops at the
  // first character that cannot continue the number; no number at all, or
  // one too large for unsigned, falls back to the default.
  std::istringstream in(text.substr(colon + 1));
  unsigned distance = 0;
  if (!(in >> distance)) return kDefaultNearDistance;
  return distance;
}

void TermDocumentEvaluatorEx::Near(TermDocumentEvaluatorEx& result,
                                   const TermDocumentEvaluatorEx& left,
                                   const TermDocumentEvaluatorEx& right) {
  // Decided from positions alone; the operands' match results are not read.
  const unsigned distance = GetNearDistance(result.m_Query);
  result.m_bResult = eval_groups::AppendNearGroups(
      left.m_HighlightedWords, right.m_HighlightedWords, distance, result.m_HighlightedWords);
}

void TermDocumentEvaluatorEx::GetPhraseBoundaries(const OccurrenceList& group, unsigned& first,
                                                  unsigned& last) {
  first = eval_groups::FirstIndex(group);
  last = eval_groups::LastIndex(group);
}

void TermDocumentEvaluatorEx::MergePhrases(const OccurrenceList& a, const OccurrenceList& b,
                                           OccurrenceList& out) {
  eval_groups::MergeInto(a, b, out);
}

}  // namespace LVTDT
