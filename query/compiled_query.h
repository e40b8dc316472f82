// CompiledQuery: a query ready for evaluation, its prepared text and the
// tree parsed from it, made the one way every caller makes them: prepared
// (query_preparation.h) with the pages' language, then parsed.
//
// Immutable once made; the tree is shared, not copied, by copies.
#ifndef LUMIVANT_QUERY_COMPILED_QUERY_H_
#define LUMIVANT_QUERY_COMPILED_QUERY_H_

#include <antlr/AST.hpp>
#include <string>

namespace LVTLanguage {
class Language;
}

namespace LVTDT {

class CompiledQuery {
 public:
  // The query as the user typed it, prepared with language (the stems the
  // preparation finds are not kept).
  static std::u16string Prepare(const std::u16string& query, const LVTLanguage::Language& language);

  // Prepares query with language and parses it. Throws what ParseQueryUtf8
  // throws (parse_query.h) for a query the parser rejects.
  static CompiledQuery FromUserQuery(const std::u16string& query,
                                     const LVTLanguage::Language& language);
  // Parses a query prepared before; throws as FromUserQuery.
  static CompiledQuery FromPrepared(const std::u16string& prepared);

  const std::u16string& Prepared() const { return m_Prepared; }
  const antlr::RefAST& Tree() const { return m_Tree; }

 private:
  CompiledQuery(std::u16string prepared, antlr::RefAST tree);

  std::u16string m_Prepared;
  antlr::RefAST m_Tree;
};

}  // namespace LVTDT

#endif  // LUMIVANT_QUERY_COMPILED_QUERY_H_
