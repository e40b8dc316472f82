#include "query/parse_query.h"

#include <sstream>

#include "foundation/charset/transcode.h"
#include "lumivant/code_page.h"
#include "query/dt_query_lexer.h"
#include "query/dt_query_parser.h"

namespace LVTDT {

antlr::RefAST ParseQueryUtf8(const std::string& utf8) {
  // Declared in this order so that they are destroyed parser first, stream
  // last, also while an exception passes.
  std::stringstream stream(utf8, std::ios::in | std::ios::out);
  DTQueryLexer lexer(stream);
  DTQueryParser parser(lexer);
  parser.query();
  return parser.getAST();
}

antlr::RefAST ParsePreparedQuery(const std::u16string& prepared) {
  std::string utf8;
  LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, prepared, utf8, false);
  return ParseQueryUtf8(utf8);
}

}  // namespace LVTDT
