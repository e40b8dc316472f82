#include "lumivant/create_simple_query.h"

#include <map>
#include <string>

#include "lumivant/language.h"
#include "query/compiled_query.h"

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
  // Throws for a query the lexer or parser rejects; nothing is caught here.
  const antlr::RefAST tree = CompiledQuery::FromUserQuery(query, SimpleQueryLanguage()).Tree();
  if (!occurrences) return LVT::RefCount<TermDocumentEvaluatorEx>();
  return LVT::MakeRefCount<TermDocumentEvaluatorEx>(tree, occurrences);
}

}  // namespace LVTDT
