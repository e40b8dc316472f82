// Parsing a query text into its tree in one call: the way every caller
// builds the stream, the lexer and the parser, so that they need not.
//
// The query must already be prepared (query_preparation.h) when it comes
// from a user; these functions do not prepare it.
#ifndef LUMIVANT_QUERY_PARSE_QUERY_H_
#define LUMIVANT_QUERY_PARSE_QUERY_H_

#include <antlr/AST.hpp>
#include <string>

namespace LVTDT {

// Lexes and parses the UTF-8 bytes of a query and returns the tree (the
// first top-level expression, further ones as its next siblings). The
// returned handle shares the tree; nothing else keeps it. The stream, lexer
// and parser live only for this call.
//
// Throws what DTQueryLexer and DTQueryParser throw (dt_query_parser.h):
// antlr::NoViableAltException, antlr::MismatchedTokenException,
// antlr::TokenStreamRecognitionException and the other
// antlr::TokenStreamException kinds, and antlr::RecognitionException for a
// query beyond the parser's bounds. All derive from antlr::ANTLRException,
// none from std::exception; catch antlr::ANTLRException and show toString(),
// which names the offending character or token and its column.
antlr::RefAST ParseQueryUtf8(const std::string& utf8);

// The same for a prepared query of 16-bit characters, converted to UTF-8
// first with LVTCharset::WideToBytes from kWide (1201) to kUtf8 (65001).
antlr::RefAST ParsePreparedQuery(const std::u16string& prepared);

}  // namespace LVTDT

#endif  // LUMIVANT_QUERY_PARSE_QUERY_H_
