// RawTextExtractor: cuts a page into the runs of text a reader sees, each a
// RawText record that keeps its text with the bytes it came from.
//
// Every text node of the page becomes one run, in document order; runs with
// no text after white-space normalisation are dropped. An element that
// separates words (a block, a cell, a line break) appends one blank to the
// last run before it and one to the last run of its content; inline
// elements (IsInlineKeyword: b, i, span, a, ...) append nothing, so a word
// split by them stays in two runs with nothing between, read as one word.
// A run inside a link that has an "href" or a "class" attribute gets the
// link's start as its anchor position.
//
// The class holds no data: static functions plus the keyword table every
// page is parsed with. The entry points may run on several threads at once;
// the list they append to, and its records, belong to the caller's thread.
// Each call appends to the list and never clears it.
#ifndef LUMIVANT_RAW_TEXT_EXTRACTOR_H_
#define LUMIVANT_RAW_TEXT_EXTRACTOR_H_

#include <cstdint>
#include <string>

#include "lumivant/binary_stream_buf.h"
#include "lumivant/code_page.h"
#include "lumivant/export.h"
#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"
#include "lumivant/raw_text.h"

namespace LVTDT {

class LVT_EXPORT RawTextExtractor {
 public:
  // Parses page from its read position to its end (bytes in charset) and
  // appends a run per text node. Offsets count bytes of page from its start.
  static void GetRawTextFromHtml(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset,
                                 RawTextList& runs);

  // The same for a page whose searchable regions are wrapped in
  // <LumivantChanges> elements: runs outside every such element are appended
  // too (word numbers and offsets stay those of the whole page) but flagged
  // m_Excluded.
  static void GetRawTextFromHighlightedHtml(LVTBase::BinaryStreamBuf& page,
                                            LVTCharset::CHARSET charset, RawTextList& runs);

  // Appends text, unchanged, as one run: start 0, length in 16-bit
  // characters, also when text is empty.
  static void GetRawTextFromText(const std::u16string& text, RawTextList& runs);

  // True for the keyword ids of elements that do not separate words: a
  // fixed set of the keyword table, read without locks from any thread.
  static bool IsInlineKeyword(uint8_t keywordId);

  // No state: assignment copies nothing of substance.
  RawTextExtractor& operator=(const RawTextExtractor&) = default;

 private:
  static void GetRawText(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset,
                         bool highlighted, RawTextList& runs);

  static LVTParser::HtmlKeywordTable ms_HtmlKeyTable;
};

}  // namespace LVTDT

#endif  // LUMIVANT_RAW_TEXT_EXTRACTOR_H_
