// Numbering the terms of a query, so that each term can get its own colour:
// word index of the document -> number of the first term found there.
#include <iterator>
#include <vector>

#include "foundation/base/string_utils.h"
#include "foundation/charset/transcode.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "query/dt_query_parser_token_types.h"

namespace LVTDT {

using Tokens = DTQueryParserTokenTypes;

namespace {

std::u16string StrippedText(const antlr::RefAST& node) {
  std::u16string text = LVTCharset::Utf8ToWide(node->getText());
  LVTBase::StripLeadingBlanks(text);
  LVTBase::StripTrailingBlanks(text);
  return text;
}

}  // namespace

void TermDocumentEvaluatorEx::GetQueryTerms(QueryTermMap& terms, const antlr::RefAST& node,
                                            const OccurrenceMapHandle& occurrences) {
  unsigned counter = 0;
  GetQueryTerms(terms, node, occurrences, counter);
}

void TermDocumentEvaluatorEx::GetQueryTerms(QueryTermMap& terms, const antlr::RefAST& node,
                                            const OccurrenceMapHandle& occurrences,
                                            unsigned& counter) {
  // Depth first, left to right, with an explicit stack: queries nest one
  // level per juxtaposed word. Only the first two children of a binary node
  // and the first of a negation are walked, as in the evaluation.
  std::vector<antlr::RefAST> pending;
  if (node) pending.push_back(node);
  while (!pending.empty()) {
    const antlr::RefAST current = pending.back();
    pending.pop_back();
    const antlr::RefAST first = current->getFirstChild();
    switch (current->getType()) {
      case Tokens::WORD_:
        FetchWordOccurences(terms, counter, StrippedText(current), occurrences);
        ++counter;
        break;
      case Tokens::AND_:
      case Tokens::OR_:
      case Tokens::NEAR_:
      case Tokens::WEIGHTEDNEAR_:
        if (!first) break;
        if (first->getNextSibling()) pending.push_back(first->getNextSibling());
        pending.push_back(first);
        break;
      case Tokens::NOT_:
        // Negated terms are numbered too, so colours do not depend on them.
        if (first) pending.push_back(first);
        break;
      case Tokens::DQUOTE_:
        // All words of a phrase share one number.
        for (antlr::RefAST child = first; child && child->getType() != Tokens::DQUOTE_;
             child = child->getNextSibling())
          FetchWordOccurences(terms, counter, StrippedText(child), occurrences);
        ++counter;
        break;
      default:
        break;
    }
  }
}

void TermDocumentEvaluatorEx::FetchWordOccurences(QueryTermMap& terms, unsigned termNumber,
                                                  const std::u16string& word,
                                                  const OccurrenceMapHandle& occurrences) {
  if (!occurrences) return;
  const auto found = occurrences->find(word);
  if (found == occurrences->end() || !found->second) return;
  // The occurrences ascend, so the place of each follows the last one's:
  // the map is searched only when another term's indexes lie in between.
  auto next = terms.begin();  // the first entry not below the index
  for (const auto& occurrence : *found->second) {
    const unsigned index = occurrence->m_WordIndex;
    if (next != terms.end() && next->first < index) next = terms.lower_bound(index);
    if (next != terms.end() && next->first == index) continue;  // the first term keeps it
    next = std::next(terms.emplace_hint(next, index, termNumber));
  }
}

}  // namespace LVTDT
