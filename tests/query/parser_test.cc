#include <gtest/gtest.h>

#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>
#include <cctype>
#include <chrono>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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
      {"a", "a"},
      {"a b c", "And(And(a, b), c)"},
      {"a and b or c", "OR_(AND_(a, b), c)"},
      {"a b or c d", "OR_(And(a, b), And(c, d))"},
      {"not a b", "And(NOT_(a), b)"},
      {"a not b", "And(a, NOT_(b))"},
      {"a and not b", "AND_(a, NOT_(b))"},
      {"a or not b", "OR_(a, NOT_(b))"},
      {"not a near b", "NOT_(NEAR_(a, b))"},
      {"a near:5 b", "WEIGHTEDNEAR_[near:5](a, b)"},
      {"a NEAR:x b", "WEIGHTEDNEAR_[NEAR:x](a, b)"},
      {"(a or b) c", "And(OR_(a, b), c)"},
      {"a (b c)", "And(a, And(b, c))"},
      {"((a))", "a"},
      {"\"to be or not to be\"", "DQUOTE_(to, be, OR_, NOT_, to, be, DQUOTE_)"},
      {"\"a and b near c\"", "DQUOTE_(a, AND_, b, NEAR_, c, DQUOTE_)"},
      {"\"(a) b)\"", "DQUOTE_(a, b, DQUOTE_)"},
      {"\"()\"", "DQUOTE_(DQUOTE_)"},
      {"\"a b\" near w", "NEAR_(DQUOTE_(a, b, DQUOTE_), w)"},
      {"w near \"a b\"", "NEAR_(w, DQUOTE_(a, b, DQUOTE_))"},
      {"\"a\" \"b\"", "And(DQUOTE_(a, DQUOTE_), DQUOTE_(b, DQUOTE_))"},
      // Where the parse stops early, the rest is ignored.
      {"a )", "a"},
      {"a near b near c", "NEAR_(a, b)"},
      {"(a) near b", "a"},
      {"a ) ,", "a"},
      {"a ) near:", "a"},
      {"(a b ) +", "a b"},
      {"(a) near b", "a"},
      // A '+', '-' or ':' within five tokens stops the juxtaposition; when
      // the parse stops before reaching it, the terms become siblings.
      {"a b ) +", "a b"},
      {"a b ) ) ) ) +", "a b"},
      {"a b c d e ) +", "a b c d e"},
      {"a b c d e f ) +", "And(a, b) c d e f"},
      {"a b c d e f g h ) :", "And(And(And(a, b), c), d) e f g h"},
      {"(a b ) +) c", "a b"},
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
      {"cats Or NOT dogs", "OR_(cats, NOT_(dogs))"},
      {"caf\xC3\xA9 cr\xC3\xA8me", "And(caf\xC3\xA9, cr\xC3\xA8me)"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Parse(row.input)) << row.input;
}

TEST(DTQueryParser, NodesKeepTypeAndText) {
  const antlr::RefAST tree = ParseQueryUtf8("Cats AND dogs b NEAR:3 \"Or x\"");
  // AND_(Cats, And(dogs, WEIGHTEDNEAR_(b, DQUOTE_(Or, x, DQUOTE_))))
  ASSERT_TRUE(tree);
  EXPECT_EQ(T::AND_, tree->getType());
  EXPECT_EQ("AND ", tree->getText());
  const antlr::RefAST cats = tree->getFirstChild();
  EXPECT_EQ(T::WORD_, cats->getType());
  EXPECT_EQ("Cats", cats->getText());
  const antlr::RefAST juxtaposition = cats->getNextSibling();
  EXPECT_EQ(T::AND_, juxtaposition->getType());
  EXPECT_EQ("And", juxtaposition->getText());
  EXPECT_FALSE(juxtaposition->getNextSibling());
  const antlr::RefAST near = juxtaposition->getFirstChild()->getNextSibling();
  EXPECT_EQ(T::WEIGHTEDNEAR_, near->getType());
  EXPECT_EQ("NEAR:3", near->getText());
  const antlr::RefAST phrase = near->getFirstChild()->getNextSibling();
  EXPECT_EQ(T::DQUOTE_, phrase->getType());
  EXPECT_EQ("\"", phrase->getText());
  EXPECT_EQ(T::OR_, phrase->getFirstChild()->getType());
  EXPECT_EQ("Or ", phrase->getFirstChild()->getText());
  const antlr::RefAST closing = phrase->getFirstChild()->getNextSibling()->getNextSibling();
  EXPECT_EQ(T::DQUOTE_, closing->getType());
  EXPECT_FALSE(closing->getFirstChild());
  EXPECT_FALSE(closing->getNextSibling());
}

TEST(DTQueryParser, InvalidQueries) {
  const Row rows[] = {
      {"", "NoViableAltException line 1:1: unexpected end of file"},
      {" ;. ", "NoViableAltException line 1:5: unexpected end of file"},
      {"a and ", "NoViableAltException line 1:7: unexpected end of file"},
      {"a or ", "NoViableAltException line 1:6: unexpected end of file"},
      {"not ", "NoViableAltException line 1:5: unexpected end of file"},
      {"a near ", "NoViableAltException line 1:8: unexpected end of file"},
      {"a near:5", "NoViableAltException line 1:9: unexpected end of file"},
      {"a and )", "NoViableAltException line 1:7: unexpected token: )"},
      {"a and or b", "NoViableAltException line 1:7: unexpected token: or "},
      {"a near near b", "NoViableAltException line 1:8: unexpected token: near "},
      {"not not a", "NoViableAltException line 1:5: unexpected token: not "},
      {"a near not b", "NoViableAltException line 1:8: unexpected token: not "},
      {"a near (b)", "NoViableAltException line 1:8: unexpected token: ("},
      {"()", "NoViableAltException line 1:2: unexpected token: )"},
      {"+a", "NoViableAltException line 1:1: unexpected token: +"},
      {"a +b", "NoViableAltException line 1:3: unexpected token: +"},
      {"a -b", "NoViableAltException line 1:3: unexpected token: -"},
      {"a:b", "NoViableAltException line 1:2: unexpected token: :"},
      {"10:30", "NoViableAltException line 1:3: unexpected token: :"},
      {"\"a\" +", "NoViableAltException line 1:5: unexpected token: +"},
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
      {"\"a:b\"", "MismatchedTokenException line 1:3: expecting DQUOTE_, found ':'"},
      // The lexer's errors pass through unchanged.
      {"a,b", "TokenStreamRecognitionException line 1:2: unexpected char: ','"},
      {"a near: b", "TokenStreamRecognitionException line 1:8: unexpected char: ' '"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Parse(row.input)) << row.input;
}

TEST(DTQueryParser, CharactersAfterTheStopAreNeverRead) {
  // Once query stops, what follows is not scanned: no lexical error.
  EXPECT_EQ("a", Parse("a ) ,!|\\"));
  EXPECT_EQ("a b", Parse("a b ) + , , ,"));
  // But within the six-token window a bad character is reported.
  EXPECT_EQ("TokenStreamRecognitionException line 1:5: unexpected char: ','", Parse("a b ,"));
}

TEST(DTQueryParser, TokenNameTable) {
  std::stringstream in("a", std::ios::in | std::ios::out);
  LVTDT::DTQueryLexer lexer(in);
  LVTDT::DTQueryParser parser(lexer);
  ASSERT_EQ(19, parser.getNumTokens());
  const char* const expected[] = {"<0>",     "EOF",     "<2>",           "NULL_TREE_LOOKAHEAD",
                                  "AND_",    "OR_",     "WS_",           "NOT_",
                                  "WORD_",   "NEAR_",   "WEIGHTEDNEAR_", "LPAREN_",
                                  "RPAREN_", "DQUOTE_", "PLUS_",         "MINUS_",
                                  "NUMBER_", "LETTER_", "SEMI_"};
  for (int type = 0; type < 19; ++type) {
    EXPECT_STREQ(expected[type], parser.getTokenName(type));
    EXPECT_STREQ(expected[type], parser.getTokenNames()[type]);
  }
  EXPECT_EQ(nullptr, parser.getTokenName(19));
  EXPECT_EQ(nullptr, parser.getTokenName(-1));
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

TEST(DTQueryParser, ParsesPreparedUtf16) {
  EXPECT_EQ("And(caf\xC3\xA9, \xE4\xB8\xAD)",
            DumpQueryTree(LVTDT::ParsePreparedQuery(u"caf\u00e9 \u4e2d")));
}

// Queries far beyond what anyone types: rejected with a reason, quickly,
// and without running out of stack while parsing or freeing the tree.
TEST(DTQueryParser, HugeQueriesAreRejectedNotCrashed) {
  const auto start = std::chrono::steady_clock::now();

  std::string terms;
  for (int i = 0; i < 100000; ++i) terms += "a ";
  const std::string tooLong = Parse(terms);
  EXPECT_EQ(0u, tooLong.find("RecognitionException line 1:")) << tooLong;
  EXPECT_NE(std::string::npos,
            tooLong.find(": query too long: more than 2000 words and operators"));

  std::string phrase = "\"" + terms + "\"";
  EXPECT_EQ(0u, Parse(phrase).find("RecognitionException line 1:"));

  const std::string nested = std::string(100000, '(') + "a" + std::string(100000, ')');
  EXPECT_EQ(
      "RecognitionException line 1:201: query too deep: more than 200 nested "
      "parentheses",
      Parse(nested));

  std::string nots;
  for (int i = 0; i < 100000; ++i) nots += "(not a ";
  EXPECT_EQ(0u, Parse(nots).find("RecognitionException line 1:"));

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 10.0);
}

TEST(DTQueryParser, LargestAcceptedQueriesParse) {
  // Just inside the bounds: the tree is built, printed and freed.
  std::string terms;
  const std::size_t words = LVTDT::DTQueryParser::kMaxQueryNodes / 2;
  for (std::size_t i = 0; i < words; ++i) terms += "w ";
  const std::string dump = Parse(terms);
  EXPECT_EQ(0u, dump.find("And(And(And(")) << dump.substr(0, 80);

  const int depth = LVTDT::DTQueryParser::kMaxGroupDepth;
  EXPECT_EQ("a", Parse(std::string(depth, '(') + "a" + std::string(depth, ')')));
  EXPECT_EQ(0u, Parse(std::string(depth + 1, '(') + "a").find("RecognitionException"));
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// What the node catalogue allows, checked over a whole tree and its
// siblings; returns the first violation, or "".
std::string CatalogueViolation(const antlr::RefAST& tree) {
  std::vector<antlr::RefAST> pending;
  for (antlr::RefAST node = tree; node; node = node->getNextSibling()) pending.push_back(node);
  while (!pending.empty()) {
    const antlr::RefAST node = pending.back();
    pending.pop_back();
    std::vector<antlr::RefAST> children;
    for (antlr::RefAST c = node->getFirstChild(); c; c = c->getNextSibling()) children.push_back(c);
    const std::string text = node->getText();
    const std::string where = " at " + DumpQueryTree(node);
    switch (node->getType()) {
      case T::WORD_:
        if (!children.empty() || text.empty()) return "bad word" + where;
        continue;
      case T::AND_:
        if (text != "And" && Lower(text) != "and ") return "bad and text" + where;
        if (children.size() < 2) return "and without operands" + where;
        break;
      case T::OR_:
        if (Lower(text) != "or " || children.size() < 2) return "bad or" + where;
        break;
      case T::NOT_:
        if (Lower(text) != "not " || children.empty()) return "bad not" + where;
        break;
      case T::NEAR_:
      case T::WEIGHTEDNEAR_:
        if (children.size() != 2) return "near needs two operands" + where;
        for (const antlr::RefAST& c : children) {
          if (c->getType() != T::WORD_ && c->getType() != T::DQUOTE_) {
            return "near operand neither word nor phrase" + where;
          }
        }
        break;
      case T::DQUOTE_: {
        if (text != "\"" || children.empty()) return "bad phrase" + where;
        const antlr::RefAST closing = children.back();
        if (closing->getType() != T::DQUOTE_ || closing->getFirstChild()) {
          return "phrase without closing quote" + where;
        }
        for (std::size_t i = 0; i + 1 < children.size(); ++i) {
          const int type = children[i]->getType();
          if (children[i]->getFirstChild() ||
              (type != T::WORD_ && type != T::NOT_ && type != T::OR_ && type != T::AND_ &&
               type != T::NEAR_)) {
            return "bad phrase member" + where;
          }
        }
        continue;  // its members are leaves, checked above
      }
      default:
        return "unexpected node type" + where;
    }
    for (const antlr::RefAST& c : children) pending.push_back(c);
  }
  return "";
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
      ASSERT_EQ("", CatalogueViolation(tree)) << query;
      ++parsed;
    } catch (const antlr::NoViableAltException&) {
    } catch (const antlr::MismatchedTokenException&) {
    } catch (const antlr::TokenStreamRecognitionException&) {
    }
  }
  EXPECT_GT(parsed, 1000);  // the generator reaches the interesting trees
}

}  // namespace
