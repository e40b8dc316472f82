#include "query/dt_query_lexer.h"

#include <antlr/CharStreamIOException.hpp>
#include <antlr/NoViableAltForCharException.hpp>
#include <antlr/TokenStreamIOException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>
#include <array>
#include <ios>

#include "foundation/base/ascii.h"

namespace LVTDT {

namespace {

enum CharClass : unsigned char {
  kNoToken = 0,
  kSeparator,
  kWordStart,
  kSingleToken,  // " ( ) + - :
};

constexpr std::array<unsigned char, 256> MakeClassTable() {
  std::array<unsigned char, 256> table{};
  for (int c : {'\t', '\n', '\r', ' ', '#', '$', '%', '&', '\'', '*', '.', '/',
                ';',  '<',  '=',  '>', '?', '@', '[', ']', '^',  '{', '}', '~'}) {
    table[c] = kSeparator;
  }
  // Upper-case letters never reach the table: decisions use lowered bytes.
  for (int c = 'a'; c <= 'z'; ++c) table[c] = kWordStart;
  for (int c = '0'; c <= '9'; ++c) table[c] = kWordStart;
  table['_'] = kWordStart;
  for (int c = 0x80; c <= 0xFF; ++c) table[c] = kWordStart;
  for (int c : {'"', '(', ')', '+', '-', ':'}) table[c] = kSingleToken;
  return table;
}

constexpr std::array<unsigned char, 256> kClassTable = MakeClassTable();

// c is a lowered byte or the end of input (negative).
CharClass ClassOf(int c) {
  if (c < 0 || c > 0xFF) return kNoToken;
  return static_cast<CharClass>(kClassTable[c]);
}

bool IsWordStart(int c) { return ClassOf(c) == kWordStart; }

bool IsWordContinuation(int c) { return IsWordStart(c) || c == '+' || c == '-'; }

int SingleTokenType(int c) {
  switch (c) {
    case '"':
      return DTQueryParserTokenTypes::DQUOTE_;
    case '(':
      return DTQueryParserTokenTypes::LPAREN_;
    case ')':
      return DTQueryParserTokenTypes::RPAREN_;
    case '+':
      return DTQueryParserTokenTypes::PLUS_;
    case '-':
      return DTQueryParserTokenTypes::MINUS_;
    default:
      return DTQueryParserTokenTypes::SEMI_;  // ':'
  }
}

}  // namespace

DTQueryLexer::DTQueryLexer(std::istream& in)
    : internal::DTQueryLexerInput(in), antlr::CharScanner(m_Buffer, true) {
  setCaseSensitive(false);
}

DTQueryLexer::~DTQueryLexer() = default;

int DTQueryLexer::toLower(int c) const { return LVTBase::LowerAscii(c); }

void DTQueryLexer::NoViableAlt() {
  throw antlr::NoViableAltForCharException(LA(1), getFilename(), getLine(), getColumn());
}

void DTQueryLexer::ScanWord() {
  if (!IsWordStart(LA(1))) NoViableAlt();
  consume();
  while (IsWordContinuation(LA(1))) consume();
}

int DTQueryLexer::KeywordAhead() {
  // Tested in this order; each test stops at its first differing character.
  if (LA(1) == 'n' && LA(2) == 'e' && LA(3) == 'a' && LA(4) == 'r') {
    if (LA(5) == ' ') {
      match("near ");
      return NEAR_;
    }
    if (LA(5) == ':') {
      match("near:");
      ScanWord();
      return WEIGHTEDNEAR_;
    }
  }
  if (LA(1) == 'n' && LA(2) == 'o' && LA(3) == 't' && LA(4) == ' ') {
    match("not ");
    return NOT_;
  }
  if (LA(1) == 'a' && LA(2) == 'n' && LA(3) == 'd' && LA(4) == ' ') {
    match("and ");
    return AND_;
  }
  if (LA(1) == 'o' && LA(2) == 'r' && LA(3) == ' ') {
    match("or ");
    return OR_;
  }
  return 0;
}

antlr::RefToken DTQueryLexer::nextToken() {
  for (;;) {
    resetText();
    try {
      const int c = LA(1);
      int type = 0;
      switch (ClassOf(c)) {
        case kSeparator:
          // One separator per pass; a run is skipped pass by pass.
          consume();
          continue;
        case kSingleToken:
          consume();
          type = SingleTokenType(c);
          break;
        default:
          type = KeywordAhead();
          if (type != 0) break;
          if (IsWordStart(c)) {
            ScanWord();
            type = WORD_;
          } else if (c == EOF_CHAR) {
            uponEOF();
            type = antlr::Token::EOF_TYPE;
          } else {
            NoViableAlt();
          }
      }
      antlr::RefToken token = makeToken(type);
      token->setText(text);
      _returnToken = token;
      return token;
    } catch (antlr::RecognitionException& e) {
      throw antlr::TokenStreamRecognitionException(e);
    } catch (antlr::CharStreamIOException& e) {
      throw antlr::TokenStreamIOException(e.io);
    } catch (const std::ios_base::failure& e) {
      // The runtime's buffer lets a failing stream's own exception through;
      // it is an input-stream error all the same.
      throw antlr::TokenStreamIOException(e);
    } catch (antlr::CharStreamException& e) {
      throw antlr::TokenStreamException(e.getMessage());
    }
  }
}

}  // namespace LVTDT
