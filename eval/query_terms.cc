// Numbering the terms of a query, so that each term can get its own colour:
// word index of the document -> number of the first term found there.
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
  for (const auto& occurrence : *found->second)
    terms.emplace(occurrence->m_WordIndex,
                  termNumber);  // the first term keeps its index
}

}  // namespace LVTDT
