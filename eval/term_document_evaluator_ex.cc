#include "lumivant/term_document_evaluator_ex.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "eval/highlight_groups.h"
#include "foundation/charset/transcode.h"
#include "lumivant/stop_words.h"
#include "query/dt_query_parser_token_types.h"

namespace LVTDT {

using Tokens = DTQueryParserTokenTypes;
using eval_groups::FirstIndex;
using eval_groups::LastIndex;

LVTLanguage::StopWords TermDocumentEvaluatorEx::m_sStopWords(true);

TermDocumentEvaluatorEx::TermDocumentEvaluatorEx(const antlr::RefAST& node,
                                                 const OccurrenceMapHandle& occurrences)
    : m_Query(node), m_WordOccurences(occurrences) {}

TermDocumentEvaluatorEx::TermDocumentEvaluatorEx(const std::u16string& term,
                                                 const OccurrenceMapHandle& occurrences)
    : m_WordOccurences(occurrences) {
  ConstructFromTerm(term);
}

TermDocumentEvaluatorEx::~TermDocumentEvaluatorEx() = default;

namespace {

// One evaluator on the explicit stack of EvaluateNode, with the operand
// evaluators it owns while it waits for them.
struct EvaluationFrame {
  TermDocumentEvaluatorEx* evaluator;
  LVT::RefCount<TermDocumentEvaluatorEx> left;
  LVT::RefCount<TermDocumentEvaluatorEx> right;
  int stage;  // 0: not begun; 1: left operand evaluated; 2: both evaluated
};

}  // namespace

bool TermDocumentEvaluatorEx::EvaluateNode() {
  // Operands nest as deep as the query does ("a b c ..." nests one level per
  // word), so the walk keeps its own stack instead of recursing.
  std::vector<EvaluationFrame> stack;
  stack.push_back(EvaluationFrame{this, {}, {}, 0});
  while (!stack.empty()) {
    EvaluationFrame& top = stack.back();
    TermDocumentEvaluatorEx* next = nullptr;
    if (top.stage == 0) {
      top.stage = 1;
      if (top.evaluator->BeginEvaluation(top.left, top.right)) {
        next = top.left.Get();
      } else {
        top.evaluator->RemoveWordOverlaps();
        stack.pop_back();
      }
    } else if (top.stage == 1) {
      top.stage = 2;
      next = top.right.Get();
    } else {
      top.evaluator->FinishEvaluation(top.left.Get(), top.right.Get());
      top.evaluator->RemoveWordOverlaps();
      stack.pop_back();
    }
    if (next != nullptr) stack.push_back(EvaluationFrame{next, {}, {}, 0});
  }
  return m_bResult;
}

bool TermDocumentEvaluatorEx::BeginEvaluation(LVT::RefCount<TermDocumentEvaluatorEx>& left,
                                              LVT::RefCount<TermDocumentEvaluatorEx>& right) {
  m_bResult = false;
  m_HighlightedWords.clear();
  if (!ValidateTree(m_Query)) return false;
  const antlr::RefAST first = m_Query->getFirstChild();
  switch (m_Query->getType()) {
    case Tokens::WORD_: {
      std::u16string term;
      if (GetText(m_Query, term)) ConstructFromTerm(term);
      return false;
    }
    case Tokens::AND_:
    case Tokens::OR_:
    case Tokens::NEAR_:
    case Tokens::WEIGHTEDNEAR_:
      left = LVT::MakeRefCount<TermDocumentEvaluatorEx>(first, m_WordOccurences);
      right = LVT::MakeRefCount<TermDocumentEvaluatorEx>(first->getNextSibling(), m_WordOccurences);
      return true;
    case Tokens::NOT_:
      left = LVT::MakeRefCount<TermDocumentEvaluatorEx>(first, m_WordOccurences);
      return true;
    case Tokens::DQUOTE_:
      ConstructExactPhrase();
      return false;
    default:
      return false;
  }
}

void TermDocumentEvaluatorEx::FinishEvaluation(const TermDocumentEvaluatorEx* left,
                                               const TermDocumentEvaluatorEx* right) {
  if (right != nullptr)
    PerformBinaryOperation(*this, *left, *right);
  else
    PerformUnaryOperation(*this, *left);
}

bool TermDocumentEvaluatorEx::ValidateTree(const antlr::RefAST& node) {
  if (!node) return false;
  const int type = node->getType();
  const antlr::RefAST first = node->getFirstChild();
  const bool proximity = type == Tokens::NEAR_ || type == Tokens::WEIGHTEDNEAR_;
  if (proximity || type == Tokens::AND_ || type == Tokens::OR_) {
    if (!first || !first->getNextSibling()) return false;
  } else if (type == Tokens::NOT_) {
    if (!first || first->getNextSibling()) return false;
  } else if (type == Tokens::WORD_) {
    if (first) return false;
  }
  if (proximity) {
    // Proximity is measured between single words or phrase instances only.
    const antlr::RefAST second = first->getNextSibling();
    for (const antlr::RefAST& operand : {first, second}) {
      const int operandType = operand->getType();
      if (operandType != Tokens::WORD_ && operandType != Tokens::DQUOTE_) return false;
    }
  }
  return true;
}

TermDocumentEvaluatorEx::OperatorType TermDocumentEvaluatorEx::GetOperatorType(int tokenType) {
  switch (tokenType) {
    case Tokens::AND_:
    case Tokens::OR_:
    case Tokens::NEAR_:
    case Tokens::WEIGHTEDNEAR_:
      return BinaryOperator;
    case Tokens::NOT_:
      return UnaryOperator;
    default:
      return NotAnOperator;
  }
}

bool TermDocumentEvaluatorEx::IsStopWord(const std::u16string& word) {
  return m_sStopWords.IsStopWord(word);
}

bool TermDocumentEvaluatorEx::GetText(const antlr::RefAST& node, std::u16string& text) {
  text.clear();
  if (!node) return false;
  text = LVTCharset::Utf8ToWide(node->getText());
  return !text.empty();
}

const TermDocumentEvaluatorEx::OccurrenceListHandle* TermDocumentEvaluatorEx::FindList(
    const std::u16string& key) const {
  if (!m_WordOccurences) return nullptr;
  const auto found = m_WordOccurences->find(key);
  return found == m_WordOccurences->end() ? nullptr : &found->second;
}

void TermDocumentEvaluatorEx::ConstructFromTerm(const std::u16string& term) {
  m_bResult = false;
  if (term.empty()) return;
  // Set whether or not the word occurs: And and Or drop a stop word's groups.
  m_bStopWord = m_sStopWords.IsStopWord(term);
  const OccurrenceListHandle* list = FindList(term);
  if (list == nullptr) return;
  if (*list) eval_groups::AppendOneGroupPerOccurrence(**list, m_HighlightedWords);
  m_bResult = true;
}

namespace {

using GroupHandle = TermDocumentEvaluatorEx::GroupHandle;
using GroupVector = TermDocumentEvaluatorEx::GroupVector;

// Sorts groups by the word index of their first occurrence. Comparing two
// groups reads two records elsewhere in memory, so the indexes are sorted on
// their own first. When no two groups share an index the order is unique
// and the groups are moved into it; otherwise the groups themselves are
// sorted, as always, since equal ones then end in that sort's order.
void SortByFirstIndex(GroupVector& groups) {
  const auto byFirstIndex = [](const GroupHandle& a, const GroupHandle& b) {
    return FirstIndex(*a) < FirstIndex(*b);
  };
  if (groups.size() > UINT32_MAX) return std::sort(groups.begin(), groups.end(), byFirstIndex);
  std::vector<uint64_t> keys(groups.size());  // index << 32 | position
  for (std::size_t k = 0; k < groups.size(); ++k)
    keys[k] = uint64_t{FirstIndex(*groups[k])} << 32 | k;
  std::sort(keys.begin(), keys.end());
  for (std::size_t k = 1; k < keys.size(); ++k)
    if (keys[k] >> 32 == keys[k - 1] >> 32)
      return std::sort(groups.begin(), groups.end(), byFirstIndex);
  std::vector<GroupHandle> sorted;
  sorted.reserve(groups.size());
  for (uint64_t key : keys) sorted.push_back(std::move(groups[key & UINT32_MAX]));
  for (std::size_t k = 0; k < sorted.size(); ++k) groups[k] = std::move(sorted[k]);
}

}  // namespace

void TermDocumentEvaluatorEx::RemoveWordOverlaps() {
  GroupVector& groups = m_HighlightedWords;
  if (groups.size() < 2) return;
  SortByFirstIndex(groups);
  GroupVector merged;
  GroupHandle current = groups[0];
  // A merge makes a new list; while that list is only ours (not yet placed
  // in a vector) further merges extend it in place, which keeps a long run of
  // touching groups linear instead of copying the run once per group.
  bool currentIsOurs = false;
  for (std::size_t i = 1; i < groups.size(); ++i) {
    const GroupHandle& next = groups[i];
    if (!eval_groups::OverlapOrTouch(*current, *next)) {
      merged.push_back(std::move(current));
      current = next;
      currentIsOurs = false;
      continue;
    }
    // Sorted, so current starts no later than next and leads the merge.
    if (!currentIsOurs) {
      GroupHandle fresh = LVT::MakeRefCount<OccurrenceList>();
      *fresh = *current;
      current = std::move(fresh);
      currentIsOurs = true;
    }
    for (const auto& occurrence : *next)
      if (occurrence->m_WordIndex > LastIndex(*current)) current->push_back(occurrence);
  }
  merged.push_back(std::move(current));
  groups = merged;
}

}  // namespace LVTDT
