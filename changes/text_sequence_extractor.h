// TextSequenceExtractor: turns a page (already in UTF-8) into the sequence of
// text nodes that change detection compares. Each run of text becomes a node,
// except that all the text inside a link (an element with the link keyword
// id and an "href" or "class" parameter) becomes the pieces of one node. A
// node's text is normalised by the comparer's three options: ignore case,
// ignore digits, ignore characters that are neither letters nor digits.
// Letters and digits are told apart by the Unicode character database, so
// the result never depends on the process locale.
//
// A small value object made for one comparison; the nodes it makes own
// copies of everything they need and outlive the parse.
#ifndef LUMIVANT_CHANGES_TEXT_SEQUENCE_EXTRACTOR_H_
#define LUMIVANT_CHANGES_TEXT_SEQUENCE_EXTRACTOR_H_

#include <string>

#include "changes/node.h"
#include "lumivant/binary_stream_buf.h"
#include "lumivant/code_page.h"

namespace LVTDT {

class TextSequenceExtractor {
 public:
  TextSequenceExtractor(bool ignoreCase, bool ignoreDigits, bool ignoreNonAlphaNum)
      : m_bIgnoreCase(ignoreCase),
        m_bIgnoreDigits(ignoreDigits),
        m_bIgnoreNonAlphaNum(ignoreNonAlphaNum) {}

  // Parses page from its read position and appends its text nodes to out in
  // document order; offsets count from the start of the stream. A page
  // without a usable tree appends nothing.
  void GetTextSequence(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset,
                       NodeSequence& out) const;

  // The comparable form of a text, in place: with the options, letters of
  // the Latin case table lowered, digits or all non-alphanumerics made
  // blanks; then white space collapsed and trimmed. Empty when nothing is
  // left to compare.
  void NormalizeText(std::u16string& text) const;
  // The first step of NormalizeText alone: each character lowered or made a
  // blank, one for one, so positions still hold in the raw text.
  void FoldText(std::u16string& text) const;

 private:
  bool m_bIgnoreCase;
  bool m_bIgnoreDigits;
  bool m_bIgnoreNonAlphaNum;
};

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_TEXT_SEQUENCE_EXTRACTOR_H_
