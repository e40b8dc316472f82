// DTQueryLexer: turns the UTF-8 bytes of a prepared query into the tokens
// that DTQueryParser reads. It is a character scanner on the ANTLR 2 runtime:
// every decision is made on the lower-cased byte (only A-Z are lowered), while
// the token text keeps each byte exactly as it stood, so "AND " is an AND_
// token with the text "AND ".
//
// Separators (blank, tab, line breaks and # $ % & ' * . / ; < = > ? @ [ ] ^
// { } ~) are skipped one at a time and make no token. A word starts with a
// letter, a digit, '_' or any byte 0x80-0xFF (so every byte of a multi-byte
// UTF-8 character) and continues with those and '+' and '-'. Keywords are
// "near ", "near:" followed by a word, "not ", "and " and "or ", recognised
// only where a token begins and only with their blank (or colon): "and" at
// the end of the query, or "andy", is a word.
//
// Errors: a byte that starts no token ('!', ',', '\', '`', '|', control
// characters), or "near:" not followed by a word start, raises
// antlr::TokenStreamRecognitionException wrapping
// antlr::NoViableAltForCharException from nextToken(). A failing input stream
// raises antlr::TokenStreamIOException. None of these derive from
// std::exception.
//
// Not copyable, not movable: the runtime's scanner state points into it.
// One lexer serves one parse on one thread.
#ifndef LUMIVANT_QUERY_DT_QUERY_LEXER_H_
#define LUMIVANT_QUERY_DT_QUERY_LEXER_H_

#include <antlr/CharBuffer.hpp>
#include <antlr/CharScanner.hpp>
#include <antlr/Token.hpp>
#include <istream>

#include "query/dt_query_parser_token_types.h"

namespace LVTDT {

namespace internal {
// Holds the character buffer ahead of the scanner base that reads it, so
// that the buffer is built first and destroyed last without a heap handoff.
struct DTQueryLexerInput {
  explicit DTQueryLexerInput(std::istream& in) : m_Buffer(in) {}
  antlr::CharBuffer m_Buffer;
};
}  // namespace internal

class DTQueryLexer : private internal::DTQueryLexerInput,
                     public antlr::CharScanner,
                     public DTQueryParserTokenTypes {
 public:
  // Reads bytes from in, which must outlive the lexer. Bytes are read only
  // as tokens are asked for.
  explicit DTQueryLexer(std::istream& in);
  ~DTQueryLexer() override;

  DTQueryLexer(const DTQueryLexer&) = delete;
  DTQueryLexer& operator=(const DTQueryLexer&) = delete;

  // The next token (type and text). At the end of the input: a token of type
  // EOF_ with empty text, on this and every later call.
  antlr::RefToken nextToken() override;

  // No literals table is used; the answer has no effect.
  bool getCaseSensitiveLiterals() const override { return true; }

 protected:
  // Lowers only A-Z, whatever the process locale says.
  int toLower(int c) const override;

 private:
  // Returns the type of the keyword that the next characters spell, or 0.
  int KeywordAhead();
  // Consumes one word: a word start, then every continuation character.
  void ScanWord();
  [[noreturn]] void NoViableAlt();
};

}  // namespace LVTDT

#endif  // LUMIVANT_QUERY_DT_QUERY_LEXER_H_
