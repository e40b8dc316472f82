// CreateSimpleQuery: builds an evaluator for a query string against one
// document's occurrence map, running the same preparation, lexing and parsing
// as the highlighter. The result is ready for EvaluateNode (not yet
// evaluated); then read HighlightedWords.
#ifndef LUMIVANT_CREATE_SIMPLE_QUERY_H_
#define LUMIVANT_CREATE_SIMPLE_QUERY_H_

#include <string>

#include "lumivant/export.h"
#include "lumivant/ref_count.h"
#include "lumivant/term_document_evaluator_ex.h"

namespace LVTDT {

// The query is prepared with an English language object built on the first
// call (safe when first calls race on several threads) and kept until the
// library is unloaded. The returned evaluator shares occurrences with the
// caller and owns the parsed tree; it is held by nobody else.
//
// A query that the lexer or parser rejects, including an empty one, raises
// the runtime's exception (antlr::TokenStreamRecognitionException,
// antlr::NoViableAltException, antlr::MismatchedTokenException, ...; they do
// not derive from std::exception), whatever occurrences is. A valid query
// with an empty occurrences handle gives an empty handle.
LVT_EXPORT LVT::RefCount<TermDocumentEvaluatorEx> CreateSimpleQuery(
    const std::u16string& query, const TermDocumentEvaluatorEx::OccurrenceMapHandle& occurrences);

}  // namespace LVTDT

#endif  // LUMIVANT_CREATE_SIMPLE_QUERY_H_
