// DTQueryParser: builds the query tree from the tokens of a DTQueryLexer.
// It is a recursive-descent parser on the ANTLR 2 runtime (lookahead six
// tokens, no error recovery) with six rules, loosest binding first:
//
//   query          expression { expression }     (stops at the first token
//                                                 that cannot start a term)
//   expression     juxtaposition { ("and " | "or ") juxtaposition }
//   juxtaposition  negation { negation }         (implicit and, see below)
//   negation       "not " proximity | proximity
//   proximity      (WORD | phrase) [ ("near " | "near:x") (WORD | phrase) ]
//                | "(" expression { expression } ")"
//   phrase         '"' (WORD | "not " | "or " | "and " | "near " | "(" | ")")+ '"'
//
// Tree (antlr::CommonAST nodes; type = token type, text = token text):
//   word           WORD_ leaf, the word as typed
//   a and b        AND_ "and " (as typed) with children a, b; "or " likewise
//   a b            AND_ with the text "And" and children a, b
//   not a          NOT_ with the one child a
//   a near b       NEAR_ (or WEIGHTEDNEAR_ "near:5") with children a, b
//   "x y"          DQUOTE_ with one leaf per word (keywords as their own
//                  types, parentheses dropped), then a closing DQUOTE_ leaf
// Parentheses make no node. Further top-level expressions, and further
// expressions of a group, are next siblings of the first one; a group of
// several trees gives them all, in order, as consecutive children of the
// node that takes the group as an operand (so NOT_, AND_ and OR_ may have
// more children than listed above).
//
// A term joins the juxtaposition on its left only when it and the five
// tokens after it are free of '+', '-' and ':'; otherwise the parse stops
// there, and at the top level everything from that point on is ignored
// unread.
//
// Errors (none derive from std::exception; no tree is left on error):
//   antlr::NoViableAltException      a term or operand missing or wrong
//   antlr::MismatchedTokenException  a missing ')' or closing '"'
//   antlr::TokenStreamException and subclasses, from the lexer, unchanged
//   antlr::RecognitionException      (the base class itself) when the query
//       nests groups deeper than kMaxGroupDepth or needs more than
//       kMaxQueryNodes tree nodes; these bounds keep the parser, and every
//       walk over the tree (destroying it included), within the stack.
//
// Not copyable, not movable. One parser serves one call of query().
#ifndef LUMIVANT_QUERY_DT_QUERY_PARSER_H_
#define LUMIVANT_QUERY_DT_QUERY_PARSER_H_

#include <antlr/AST.hpp>
#include <antlr/ASTFactory.hpp>
#include <antlr/LLkParser.hpp>
#include <antlr/TokenStream.hpp>
#include <cstddef>

#include "query/dt_query_parser_token_types.h"

namespace LVTDT {

class DTQueryParser : public antlr::LLkParser, public DTQueryParserTokenTypes {
 public:
  // Lookahead depth of the juxtaposition test.
  static constexpr int kLookahead = 6;
  // Deepest nesting of parentheses accepted.
  static constexpr int kMaxGroupDepth = 200;
  // Most nodes a query tree may have. A tree's depth, and the length of any
  // of its sibling chains, is at most its node count.
  static constexpr std::size_t kMaxQueryNodes = 2000;
  // Size of the token-name table: token types 0 to SEMI_.
  static constexpr int kNumTokens = SEMI_ + 1;

  // Reads tokens from lexer, which must outlive the parser. The parser makes
  // its nodes through its own antlr::ASTFactory; the trees outlive it.
  explicit DTQueryParser(antlr::TokenStream& lexer);
  ~DTQueryParser() override;

  DTQueryParser(const DTQueryParser&) = delete;
  DTQueryParser& operator=(const DTQueryParser&) = delete;

  // Parses the query; call once. On success getAST() gives the tree.
  void query();

  // The tree of the last completed query(): the first top-level expression,
  // further ones chained as its next siblings. Null before and after a
  // failed query(). The handle shares the tree.
  antlr::RefAST getAST() override { return returnAST; }

  // Token names by type ("<0>", "EOF", "<2>", "NULL_TREE_LOOKAHEAD",
  // "AND_", ..., "SEMI_"); null for a type outside 0 to kNumTokens - 1.
  const char* getTokenName(int type) const override;
  // The same table without a parser.
  static const char* TokenName(int type);
  const char* const* getTokenNames() const override;
  int getNumTokens() const override;

  // Prepares a factory to make nodes of this grammar's types. The parser
  // does this for its own factory; it is for code that builds query trees
  // by hand.
  static void initializeASTFactory(antlr::ASTFactory& factory);

 private:
  antlr::RefAST Expression();
  antlr::RefAST Juxtaposition();
  antlr::RefAST Negation();
  antlr::RefAST Proximity();
  antlr::RefAST Group();
  antlr::RefAST Phrase();
  // Expressions while the next token starts a term, chained as siblings of
  // first.
  void ExpressionList(antlr::RefAST first);

  bool JuxtapositionContinues();
  // A node copied from the next token, which is then consumed.
  antlr::RefAST NodeFromToken();
  antlr::RefAST NewNode(int type, const char* text);
  void CountNode();
  [[noreturn]] void NoViableAlt();
  [[noreturn]] void TooComplex(const char* why);

  antlr::ASTFactory m_Factory;
  antlr::RefAST returnAST;
  std::size_t m_NodeCount = 0;
  int m_GroupDepth = 0;
};

}  // namespace LVTDT

#endif  // LUMIVANT_QUERY_DT_QUERY_PARSER_H_
