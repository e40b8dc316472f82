// The token types of the query language. The lexer (DTQueryLexer) makes
// tokens of these types, the parser (DTQueryParser) copies them into the node
// types of the query tree, and the evaluator tells nodes apart by them. The
// numbers are fixed: they are compared as plain ints wherever a tree is read.
//
// Types 0 and 2 stand for no token. EOF_ is the runtime's end-of-input type
// (antlr::Token::EOF_TYPE); it carries an underscore because EOF is a macro.
#ifndef LUMIVANT_QUERY_DT_QUERY_PARSER_TOKEN_TYPES_H_
#define LUMIVANT_QUERY_DT_QUERY_PARSER_TOKEN_TYPES_H_

namespace LVTDT {

struct DTQueryParserTokenTypes {
  enum {
    EOF_ = 1,
    NULL_TREE_LOOKAHEAD = 3,
    AND_ = 4,            // "and " as typed; also the juxtaposition node "And"
    OR_ = 5,             // "or " as typed
    WS_ = 6,             // never made: separators are skipped
    NOT_ = 7,            // "not " as typed
    WORD_ = 8,           // a word, as typed
    NEAR_ = 9,           // "near " as typed
    WEIGHTEDNEAR_ = 10,  // "near:" and the word after it, e.g. "near:5"
    LPAREN_ = 11,
    RPAREN_ = 12,
    DQUOTE_ = 13,  // the double quote; a phrase node
    PLUS_ = 14,
    MINUS_ = 15,
    NUMBER_ = 16,  // never made: digits only occur inside words
    LETTER_ = 17,  // never made: letters only occur inside words
    SEMI_ = 18,    // the colon ':' (the semicolon is a separator)
  };
};

}  // namespace LVTDT

#endif  // LUMIVANT_QUERY_DT_QUERY_PARSER_TOKEN_TYPES_H_
