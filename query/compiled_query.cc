#include "query/compiled_query.h"

#include <utility>

#include "query/parse_query.h"
#include "query/query_preparation.h"

namespace LVTDT {

std::u16string CompiledQuery::Prepare(const std::u16string& query,
                                      const LVTLanguage::Language& language) {
  std::u16string prepared;
  PrepareQueryStemMap stems;
  PrepareQuery(query, prepared, stems, language);
  return prepared;
}

CompiledQuery CompiledQuery::FromUserQuery(const std::u16string& query,
                                           const LVTLanguage::Language& language) {
  return FromPrepared(Prepare(query, language));
}

CompiledQuery CompiledQuery::FromPrepared(const std::u16string& prepared) {
  antlr::RefAST tree = ParsePreparedQuery(prepared);
  return CompiledQuery(prepared, std::move(tree));
}

CompiledQuery::CompiledQuery(std::u16string prepared, antlr::RefAST tree)
    : m_Prepared(std::move(prepared)), m_Tree(std::move(tree)) {}

}  // namespace LVTDT
