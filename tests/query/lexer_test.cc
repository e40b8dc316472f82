#include <gtest/gtest.h>

#include <antlr/TokenStreamIOException.hpp>
#include <ios>
#include <sstream>
#include <streambuf>
#include <string>

#include "query/dt_query_lexer.h"
#include "query/dt_query_parser.h"
#include "query/query_test_support.h"

namespace {

using lvt_query_test::Row;
using LVTDT::DTQueryLexer;
using LVTDT::DTQueryParser;
using T = LVTDT::DTQueryParserTokenTypes;

// Every token up to and including the end, as NAME[text]; the end as EOF.
std::string Lex(const std::string& query) {
  std::stringstream in(query, std::ios::in | std::ios::out);
  DTQueryLexer lexer(in);
  std::string out;
  for (;;) {
    const antlr::RefToken token = lexer.nextToken();
    if (!out.empty()) out += ' ';
    out += DTQueryParser::TokenName(token->getType());
    if (token->getType() == T::EOF_) {
      EXPECT_EQ("", token->getText());
      return out;
    }
    out += "[" + token->getText() + "]";
  }
}

// The tokens up to the first error, then the error's class and its
// toString() (which holds the line and column).
std::string LexUntilError(const std::string& query) {
  return lvt_query_test::Outcome([&] { return Lex(query) + " (no error)"; });
}

TEST(DTQueryLexer, TokensOfQueries) {
  const Row rows[] = {
      {"", "EOF"},
      {" ;. \t\r\n", "EOF"},
      {"AND Or NoT nEaR ", "AND_[AND ] OR_[Or ] NOT_[NoT ] NEAR_[nEaR ] EOF"},
      // Keywords need their blank; otherwise they are words.
      {"not", "WORD_[not] EOF"},
      {"near\tx", "WORD_[near] WORD_[x] EOF"},
      {"and(", "WORD_[and] LPAREN_[(] EOF"},
      {"andy or", "WORD_[andy] WORD_[or] EOF"},
      // The weighted form takes the word after the colon, whatever it is.
      {"near:10 near:3-4 near:x",
       "WEIGHTEDNEAR_[near:10] WEIGHTEDNEAR_[near:3-4] "
       "WEIGHTEDNEAR_[near:x] EOF"},
      // Single-character tokens; '+' and '-' continue words but start none.
      {"a:b", "WORD_[a] SEMI_[:] WORD_[b] EOF"},
      {"x_1+y-2", "WORD_[x_1+y-2] EOF"},
      {"+x", "PLUS_[+] WORD_[x] EOF"},
      {"c++ e-mail", "WORD_[c++] WORD_[e-mail] EOF"},
      // Separators between words.
      {"a;b a.b a/b a=b#$%&'*<>?@[]^{}~x",
       "WORD_[a] WORD_[b] WORD_[a] WORD_[b] WORD_[a] WORD_[b] WORD_[a] WORD_[b] WORD_[x] EOF"},
      {"3.5 1/2 10:30", "WORD_[3] WORD_[5] WORD_[1] WORD_[2] WORD_[10] SEMI_[:] WORD_[30] EOF"},
      // UTF-8 bytes are word characters, the no-break space (C2 A0) included.
      {"caf\u00e9 \u043c\u0438\u0440 a\u00a0b \u00c9T\u00c9",
       "WORD_[caf\u00e9] WORD_[\u043c\u0438\u0440] WORD_[a\u00a0b] WORD_[\u00c9T\u00c9] EOF"},
      // The scanner lowers before it decides, but keeps the text as typed;
      // only ASCII capitals are lowered, whatever the locale.
      {"NeAr:X", "WEIGHTEDNEAR_[NeAr:X] EOF"},
      {"\xC9 A_Z", "WORD_[\xC9] WORD_[A_Z] EOF"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Lex(row.input)) << row.input;
}

TEST(DTQueryLexer, BadCharactersRaiseWrappedNoViableAlt) {
  const Row rows[] = {
      {"a,b", "TokenStreamRecognitionException line 1:2: unexpected char: ','"},
      {"near: 5", "TokenStreamRecognitionException line 1:6: unexpected char: ' '"},
      {"NEAR:", "TokenStreamRecognitionException line 1:6: unexpected char: EOF"},
      {"near:+1", "TokenStreamRecognitionException line 1:6: unexpected char: '+'"},
      // A newline never advances the line.
      {"a\nb\n,", "TokenStreamRecognitionException line 1:5: unexpected char: ','"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, LexUntilError(row.input)) << row.input;

  // Control characters and DEL name their code.
  for (char c : {'\0', '\1', '\b', '\v', '\f', '\x0E', '\x1F', '\x7F'})
    EXPECT_EQ(0u, LexUntilError(std::string(1, c)).find("TokenStreamRecognitionException line 1:1"))
        << int{c};
}

TEST(DTQueryLexer, EndOfInputRepeatsAndLongWordsAreOneToken) {
  const std::string word(200000, 'x');
  std::stringstream in(word + " y", std::ios::in | std::ios::out);
  DTQueryLexer lexer(in);
  EXPECT_EQ(word, lexer.nextToken()->getText());
  EXPECT_EQ("y", lexer.nextToken()->getText());
  for (int i = 0; i < 3; ++i) {
    const antlr::RefToken end = lexer.nextToken();
    EXPECT_EQ(T::EOF_, end->getType());
    EXPECT_EQ("", end->getText());
  }
}

// A stream whose reads fail, as a broken pipe or disk would.
class FailingBuf : public std::streambuf {
 protected:
  int_type underflow() override { throw std::ios_base::failure("device gone"); }
};

TEST(DTQueryLexer, StreamFailureBecomesTokenStreamIOException) {
  FailingBuf buf;
  std::istream in(&buf);
  in.exceptions(std::ios::badbit);
  DTQueryLexer lexer(in);
  EXPECT_THROW(lexer.nextToken(), antlr::TokenStreamIOException);
}

}  // namespace
