#include "lumivant/create_simple_query.h"

#include <map>
#include <string>

#include "eval/node_text.h"
#include "lumivant/language.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"

namespace LVTDT {

namespace {

// Built on first use and kept for the life of the process. A function-local
// static is initialised exactly once even when first calls race.
const LVTLanguage::Language& SimpleQueryLanguage() {
  static const LVTLanguage::Language language(LVTLanguage::Language::kEnglish);
  return language;
}

}  // namespace

LVT::RefCount<TermDocumentEvaluatorEx> CreateSimpleQuery(
    const std::u16string& query, const TermDocumentEvaluatorEx::OccurrenceMapHandle& occurrences) {
  std::u16string prepared;
  PrepareQueryStemMap stems;
  PrepareQuery(query, prepared, stems, SimpleQueryLanguage());
  std::string utf8;
  eval_text::AppendUtf8(prepared, utf8);
  // Throws for a query the lexer or parser rejects; nothing is caught here.
  const antlr::RefAST tree = ParseQueryUtf8(utf8);
  if (!occurrences) return LVT::RefCount<TermDocumentEvaluatorEx>();
  return LVT::MakeRefCount<TermDocumentEvaluatorEx>(tree, occurrences);
}

}  // namespace LVTDT
