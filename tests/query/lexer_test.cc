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
      {"a", "WORD_[a] EOF"},
      {"Not Cats", "NOT_[Not ] WORD_[Cats] EOF"},
      {"AND Or NoT nEaR ", "AND_[AND ] OR_[Or ] NOT_[NoT ] NEAR_[nEaR ] EOF"},
      // Keywords need their blank; otherwise they are words.
      {"not", "WORD_[not] EOF"},
      {"near", "WORD_[near] EOF"},
      {"near\tx", "WORD_[near] WORD_[x] EOF"},
      {"and(", "WORD_[and] LPAREN_[(] EOF"},
      {"andy or", "WORD_[andy] WORD_[or] EOF"},
      {"cannot be", "WORD_[cannot] WORD_[be] EOF"},
      {"a and  b", "WORD_[a] AND_[and ] WORD_[b] EOF"},
      // The weighted form takes the word after the colon, whatever it is.
      {"near:5 x", "WEIGHTEDNEAR_[near:5] WORD_[x] EOF"},
      {"NEAR:5", "WEIGHTEDNEAR_[NEAR:5] EOF"},
      {"near:10 near:3-4 near:x",
       "WEIGHTEDNEAR_[near:10] WEIGHTEDNEAR_[near:3-4] "
       "WEIGHTEDNEAR_[near:x] EOF"},
      // Single-character tokens; '+' and '-' continue words but start none.
      {"(a)", "LPAREN_[(] WORD_[a] RPAREN_[)] EOF"},
      {"\"new york\"", "DQUOTE_[\"] WORD_[new] WORD_[york] DQUOTE_[\"] EOF"},
      {"a:b", "WORD_[a] SEMI_[:] WORD_[b] EOF"},
      {"x_1+y-2", "WORD_[x_1+y-2] EOF"},
      {"+x", "PLUS_[+] WORD_[x] EOF"},
      {"a -b", "WORD_[a] MINUS_[-] WORD_[b] EOF"},
      {"c++ e-mail", "WORD_[c++] WORD_[e-mail] EOF"},
      {"_a", "WORD_[_a] EOF"},
      // Separators between words.
      {"a;b a.b a/b a=b",
       "WORD_[a] WORD_[b] WORD_[a] WORD_[b] WORD_[a] WORD_[b] WORD_[a] "
       "WORD_[b] EOF"},
      {"#$%&'*<>?@[]^{}~x", "WORD_[x] EOF"},
      {"3.5 1/2 10:30", "WORD_[3] WORD_[5] WORD_[1] WORD_[2] WORD_[10] SEMI_[:] WORD_[30] EOF"},
      // UTF-8 bytes are word characters, the no-break space (C2 A0) included.
      {"caf\xC3\xA9 \xD0\xBC\xD0\xB8\xD1\x80",
       "WORD_[caf\xC3\xA9] WORD_[\xD0\xBC\xD0\xB8\xD1\x80] EOF"},
      {"a\xC2\xA0"
       "b",
       "WORD_[a\xC2\xA0"
       "b] EOF"},
      {"\xC3\x89T\xC3\x89", "WORD_[\xC3\x89T\xC3\x89] EOF"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Lex(row.input)) << row.input;
}

TEST(DTQueryLexer, BadCharactersRaiseWrappedNoViableAlt) {
  const Row rows[] = {
      {"a,b", "TokenStreamRecognitionException line 1:2: unexpected char: ','"},
      {"a!b", "TokenStreamRecognitionException line 1:2: unexpected char: '!'"},
      {"a|b", "TokenStreamRecognitionException line 1:2: unexpected char: '|'"},
      {"\\", "TokenStreamRecognitionException line 1:1: unexpected char: '\\'"},
      {"`", "TokenStreamRecognitionException line 1:1: unexpected char: '`'"},
      {"near: 5", "TokenStreamRecognitionException line 1:6: unexpected char: ' '"},
      {"near:", "TokenStreamRecognitionException line 1:6: unexpected char: EOF"},
      {"near:+1", "TokenStreamRecognitionException line 1:6: unexpected char: '+'"},
      {"near:(a)", "TokenStreamRecognitionException line 1:6: unexpected char: '('"},
      // A newline never advances the line.
      {"a\nb\n,", "TokenStreamRecognitionException line 1:5: unexpected char: ','"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, LexUntilError(row.input)) << row.input;

  // Control characters and DEL name their code.
  for (int c : {0x00, 0x01, 0x08, 0x0B, 0x0C, 0x0E, 0x1F, 0x7F}) {
    const std::string query(1, static_cast<char>(c));
    EXPECT_EQ(0u, LexUntilError(query).find("TokenStreamRecognitionException line 1:1: "
                                            "unexpected char: "))
        << c;
  }
}

TEST(DTQueryLexer, ErrorsAreReportedForTheLowerCasedCharacter) {
  // The scanner lowers before it decides; the text it keeps is not lowered.
  EXPECT_EQ("WEIGHTEDNEAR_[NeAr:X] EOF", Lex("NeAr:X"));
  EXPECT_EQ("TokenStreamRecognitionException line 1:6: unexpected char: EOF",
            LexUntilError("NEAR:"));
}

TEST(DTQueryLexer, EndOfInputRepeats) {
  std::stringstream in("a", std::ios::in | std::ios::out);
  DTQueryLexer lexer(in);
  EXPECT_EQ(T::WORD_, lexer.nextToken()->getType());
  for (int i = 0; i < 3; ++i) {
    const antlr::RefToken end = lexer.nextToken();
    EXPECT_EQ(T::EOF_, end->getType());
    EXPECT_EQ("", end->getText());
  }
}

TEST(DTQueryLexer, TokensCarryTheirColumn) {
  std::stringstream in("ab  (cd", std::ios::in | std::ios::out);
  DTQueryLexer lexer(in);
  EXPECT_EQ(1, lexer.nextToken()->getColumn());
  EXPECT_EQ(5, lexer.nextToken()->getColumn());
  EXPECT_EQ(6, lexer.nextToken()->getColumn());
}

TEST(DTQueryLexer, UpperCaseLettersOnlyAreLoweredWhateverTheLocale) {
  // Latin-1 capitals must not be lowered into something else: 0xC9 stays a
  // word byte and keeps its value in the text.
  EXPECT_EQ("WORD_[\xC9] EOF", Lex("\xC9"));
  EXPECT_EQ("WORD_[A_Z] EOF", Lex("A_Z"));
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

TEST(DTQueryLexer, LongWordIsOneToken) {
  const std::string word(200000, 'x');
  std::stringstream in(word + " y", std::ios::in | std::ios::out);
  DTQueryLexer lexer(in);
  const antlr::RefToken token = lexer.nextToken();
  EXPECT_EQ(T::WORD_, token->getType());
  EXPECT_EQ(word, token->getText());
  EXPECT_EQ("y", lexer.nextToken()->getText());
}

}  // namespace
