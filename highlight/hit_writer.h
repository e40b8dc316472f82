// HitWriter: the forward-only copy of a page behind HtmlQueryHighlighter,
// on a PageCopy as the change report's writer. It copies the page's bytes
// to the output unchanged, except for the text
// nodes that hold hits: those are written again from their extracted text,
// with each hit piece wrapped in a marker and its colour tags, and their own
// bytes are skipped. The page is read strictly forward; untouched stretches
// go stream to stream.
//
// Extracted text has its character references decoded, so it is escaped
// (&, <, >) when written back: text that was inert in the page stays inert.
// Colour tags are written as given. Both streams must outlive the writer.
// Not copyable.
#ifndef LUMIVANT_HIGHLIGHT_HIT_WRITER_H_
#define LUMIVANT_HIGHLIGHT_HIT_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "lumivant/binary_stream_buf.h"
#include "lumivant/raw_text.h"
#include "text/page_copy.h"

namespace LVTDT {

class HitWriter {
 public:
  // Rewinds page for reading; output is written from its write position.
  HitWriter(LVTBase::BinaryStreamBuf& page, LVTBase::BinaryStreamBuf& output);
  HitWriter(const HitWriter&) = delete;
  HitWriter& operator=(const HitWriter&) = delete;

  // Skips the page's byte-order mark, if any: behind a header it would be a
  // stray U+FEFF that makes a browser start the body there. Call before
  // anything is written.
  void SkipByteOrderMark();

  // Before a group whose first piece lies in first: writes the next anchor
  // (anchorCount + 1, and counts it) at first's anchor position, unless that
  // run is the one being written or the page has been copied past that
  // position already (a second hit in the same link). Returns whether an
  // anchor was written.
  bool AnchorGroup(const RawText& first, uint32_t& anchorCount);

  // Wraps the piece [offset, offset + length) of run's text in the hit
  // markers and the given colour tags. Pieces must come in document order;
  // a piece that lies behind what has been written already is left alone.
  void WrapPiece(const RawTextHandle& run, std::size_t offset, std::size_t length,
                 std::string_view startTag, std::string_view endTag);

  // Finishes the open text node and copies the rest of the page.
  void Finish();

 private:
  bool OpenRun(const RawTextHandle& run);
  void CloseRun();
  // How much of run's text is written (RawText::m_UnwrittenBlanks).
  static std::size_t WrittenSize(const RawText& run);
  void WriteText(std::size_t from, std::size_t count);
  void WriteEscaped(std::string_view bytes);

  PageCopy m_Copy;
  RawTextHandle m_OpenRun;    // the text node being written from its text
  std::size_t m_TextPos = 0;  // how much of m_OpenRun's text is written
};

}  // namespace LVTDT

#endif  // LUMIVANT_HIGHLIGHT_HIT_WRITER_H_
