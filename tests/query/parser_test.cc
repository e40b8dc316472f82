#include <gtest/gtest.h>

#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>
#include <random>
#include <sstream>
#include <string>

#include "fuzz/query_case.h"
#include "query/dt_query_lexer.h"
#include "query/dt_query_parser.h"
#include "query/parse_query.h"
#include "query/query_test_support.h"
#include "query/query_tree_dump.h"

namespace {

using lvt_query_test::Row;
using LVTDT::DumpQueryTree;
using LVTDT::ParseQueryUtf8;
using T = LVTDT::DTQueryParserTokenTypes;

// The tree in `lumivant parse` notation, or the class of the exception and
// its toString().
std::string Parse(const std::string& query) {
  return lvt_query_test::Outcome([&] { return DumpQueryTree(ParseQueryUtf8(query)); });
}

TEST(DTQueryParser, TreeShapes) {
  const Row rows[] = {
      {"a b c", "And(And(a, b), c)"},
      {"a and b or c", "OR_(AND_(a, b), c)"},
      {"not a b", "And(NOT_(a), b)"},
      {"a not b", "And(a, NOT_(b))"},
      {"not a near b", "NOT_(NEAR_(a, b))"},
      {"a near:5 b", "WEIGHTEDNEAR_[near:5](a, b)"},
      {"(a or b) c", "And(OR_(a, b), c)"},
      {"((a))", "a"},
      {"\"to be or not to be\"", "DQUOTE_(to, be, OR_, NOT_, to, be, DQUOTE_)"},
      {"\"a and b near c\"", "DQUOTE_(a, AND_, b, NEAR_, c, DQUOTE_)"},
      {"\"(a) b)\"", "DQUOTE_(a, b, DQUOTE_)"},
      {"\"()\"", "DQUOTE_(DQUOTE_)"},
      {"w near \"a b\"", "NEAR_(w, DQUOTE_(a, b, DQUOTE_))"},
      {"\"a\" \"b\"", "And(DQUOTE_(a, DQUOTE_), DQUOTE_(b, DQUOTE_))"},
      // Where the parse stops early, the rest is ignored.
      {"a )", "a"},
      {"a near b near c", "NEAR_(a, b)"},
      {"(a) near b", "a"},
      {"(a b ) +", "a b"},
      // A '+', '-' or ':' within five tokens stops the juxtaposition; when
      // the parse stops before reaching it, the terms become siblings.
      {"a b ) +", "a b"},
      {"a b c d e ) +", "a b c d e"},
      {"a b c d e f ) +", "And(a, b) c d e f"},
      {"a b c d e f g h ) :", "And(And(And(a, b), c), d) e f g h"},
      // A group of several trees gives them all to the node that takes it.
      {"not (a b ) +)", "NOT_(a, b)"},
      {"x (a b ) +)", "x a b"},
      {"x (a b ) y ) +", "And(x, a, b) y"},
      {"(a b ) or c ) +", "OR_(a, b, c)"},
      // "and" without its blank is a word.
      {"a and", "And(a, and)"},
      {"a andy b", "And(And(a, andy), b)"},
      // Case stays as typed; only the type tells keywords from words.
      {"Cats AND Dogs", "AND_(Cats, Dogs)"},
      // Tokens: keywords need their blank (a tab is none); the weighted near
      // takes the word after the colon, whatever it is; '+' and '-' continue
      // words but start none; other marks separate words; UTF-8 bytes, the
      // no-break space included, are word characters; only ASCII capitals
      // are lowered to find keywords, and the text stays as typed.
      {"near\tx andy", "And(And(near, x), andy)"},
      {"a NeAr:3-4 b", "WEIGHTEDNEAR_[NeAr:3-4](a, b)"},
      {"x_1+y-2 c++", "And(x_1+y-2, c++)"},
      {"a;b.c/d=e#$%&'*<>?@[]^{}~x 3.5",
       "And(And(And(And(And(And(And(a, b), c), d), e), x), 3), 5)"},
      {"caf\u00e9 a\u00a0b \xC9T\xC9", "And(And(caf\u00e9, a\u00a0b), \xC9T\xC9)"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Parse(row.input)) << row.input;
}

TEST(DTQueryParser, InvalidQueries) {
  const Row rows[] = {
      {"", "NoViableAltException line 1:1: unexpected end of file"},
      {" ;. ", "NoViableAltException line 1:5: unexpected end of file"},
      {"a and ", "NoViableAltException line 1:7: unexpected end of file"},
      {"not ", "NoViableAltException line 1:5: unexpected end of file"},
      {"a and )", "NoViableAltException line 1:7: unexpected token: )"},
      {"a and or b", "NoViableAltException line 1:7: unexpected token: or "},
      {"a near near b", "NoViableAltException line 1:8: unexpected token: near "},
      {"not not a", "NoViableAltException line 1:5: unexpected token: not "},
      {"a near (b)", "NoViableAltException line 1:8: unexpected token: ("},
      {"()", "NoViableAltException line 1:2: unexpected token: )"},
      {"+a", "NoViableAltException line 1:1: unexpected token: +"},
      {"a +b", "NoViableAltException line 1:3: unexpected token: +"},
      {"10:30", "NoViableAltException line 1:3: unexpected token: :"},
      {"\"\"", "NoViableAltException line 1:2: unexpected token: \""},
      {"\"near:5\"", "NoViableAltException line 1:2: unexpected token: near:5"},
      {"(a b", "MismatchedTokenException line 1:5: expecting RPAREN_, found ''"},
      // Inside a group, what would end the query ends the group's content.
      {"((a) + b)", "MismatchedTokenException line 1:6: expecting RPAREN_, found '+'"},
      {"((a) near b)", "MismatchedTokenException line 1:6: expecting RPAREN_, found 'near '"},
      {"(x (a b ) -) ) y", "MismatchedTokenException line 1:11: expecting RPAREN_, found '-'"},
      {"(a near b near c)", "MismatchedTokenException line 1:11: expecting RPAREN_, found 'near '"},
      {"\"a b", "MismatchedTokenException line 1:5: expecting DQUOTE_, found ''"},
      {"\"a near:5\"", "MismatchedTokenException line 1:4: expecting DQUOTE_, found 'near:5'"},
      {"\"a -b\"", "MismatchedTokenException line 1:4: expecting DQUOTE_, found '-'"},
      // The lexer's errors pass through unchanged.
      {"a,b", "TokenStreamRecognitionException line 1:2: unexpected char: ','"},
      {"a near: b", "TokenStreamRecognitionException line 1:8: unexpected char: ' '"},
      {"a NEAR:", "TokenStreamRecognitionException line 1:8: unexpected char: EOF"},
      {"a near:+1 b", "TokenStreamRecognitionException line 1:8: unexpected char: '+'"},
      // A newline never advances the line.
      {"a\nb\n,", "TokenStreamRecognitionException line 1:5: unexpected char: ','"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Parse(row.input)) << row.input;
}

TEST(DTQueryParser, CharactersAfterTheStopAreNeverRead) {
  // Control characters and DEL are lexical errors; a long word is one token.
  for (char c : {'\0', '\1', '\b', '\v', '\f', '\x0E', '\x1F', '\x7F'})
    EXPECT_EQ(0u, Parse(std::string(1, c)).find("TokenStreamRecognitionException line 1:1: "))
        << int{c};
  EXPECT_EQ(std::string(200000, 'x'), Parse(std::string(200000, 'x')));
  // Once query stops, what follows is not scanned: no lexical error.
  EXPECT_EQ("a", Parse("a ) ,!|\\"));
  EXPECT_EQ("a b", Parse("a b ) + , , ,"));
  // But within the six-token window a bad character is reported.
  EXPECT_EQ("TokenStreamRecognitionException line 1:5: unexpected char: ','", Parse("a b ,"));
}

TEST(DTQueryParser, TreeOutlivesParserAndFailedParseLeavesNoTree) {
  antlr::RefAST tree;
  {
    std::stringstream in("a b", std::ios::in | std::ios::out);
    LVTDT::DTQueryLexer lexer(in);
    LVTDT::DTQueryParser parser(lexer);
    EXPECT_FALSE(parser.getAST());
    parser.query();
    tree = parser.getAST();
  }
  EXPECT_EQ("And(a, b)", DumpQueryTree(tree));

  std::stringstream in("a and ", std::ios::in | std::ios::out);
  LVTDT::DTQueryLexer lexer(in);
  LVTDT::DTQueryParser parser(lexer);
  EXPECT_THROW(parser.query(), antlr::NoViableAltException);
  EXPECT_FALSE(parser.getAST());
}

// Just inside the bounds the tree is built, printed and freed (beyond them,
// see the hostile queries of the reliability suite).
TEST(DTQueryParser, LargestAcceptedQueriesParse) {
  std::string terms;
  for (std::size_t i = 0; i < LVTDT::DTQueryParser::kMaxQueryNodes / 2; ++i) terms += "w ";
  EXPECT_EQ(0u, Parse(terms).find("And(And(And(")) << Parse(terms).substr(0, 80);
  EXPECT_NE(std::string::npos, Parse(terms + "w w").find(": query too long: more than 2000 words"));
  const int depth = LVTDT::DTQueryParser::kMaxGroupDepth;
  EXPECT_EQ("a", Parse(std::string(depth, '(') + "a" + std::string(depth, ')')));
  EXPECT_EQ("RecognitionException line 1:201: query too deep: more than 200 nested parentheses",
            Parse(std::string(depth + 1, '(') + "a"));
}

TEST(DTQueryParser, RandomQueriesGiveCatalogueTreesOrListedErrors) {
  const char* const pieces[] = {
      "a", "Bc", "w ", "x y ", "and ", "AND ", "or ", "not ", "near ",    "near:2 ", "near:", "(",
      ")", "\"", "+",  "-",    ":",    " ",    ";",   "\t",   "\xC3\xA9", ",",       "and"};
  std::mt19937 random(7);
  int parsed = 0;
  for (int round = 0; round < 15000; ++round) {
    std::string query;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) query += pieces[random() % (sizeof(pieces) / sizeof(*pieces))];
    try {
      const antlr::RefAST tree = ParseQueryUtf8(query);
      ASSERT_TRUE(tree) << query;
      ASSERT_EQ("", lvt_fuzz::CatalogueFault(tree)) << query;
      ++parsed;
    } catch (const antlr::NoViableAltException&) {
    } catch (const antlr::MismatchedTokenException&) {
    } catch (const antlr::TokenStreamRecognitionException&) {
    }
  }
  EXPECT_GT(parsed, 1000);  // the generator reaches the interesting trees
}

}  // namespace
