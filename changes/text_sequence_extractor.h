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
#include <string_view>
#include <vector>

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
  //
  // With bytes (the page's bytes) and gaps: two runs of text one right
  // behind the other but for one of the gaps, byte for byte, make one node,
  // as they did before a word-level report split the run with its markers.
  // A page's own runs never touch like that: runs with nothing between them
  // are one.
  void GetTextSequence(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset,
                       NodeSequence& out, std::string_view bytes = {},
                       const std::vector<std::string>& gaps = {}) const;

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
