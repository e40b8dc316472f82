// ReportWriter: writes a change report by copying the converted new page
// forward, piece by piece, into the output, and inserting the anchors and
// change markers between the copied bytes. The new page is read strictly
// forward from offset 0; the writer never goes back, so offsets behind the
// copied part (which a well-formed node sequence never gives) are clipped.
#ifndef LUMIVANT_CHANGES_REPORT_WRITER_H_
#define LUMIVANT_CHANGES_REPORT_WRITER_H_

#include <cstdint>
#include <string>

#include "changes/node.h"
#include "lumivant/binary_stream_buf.h"

namespace LVTDT {

class ReportWriter {
 public:
  // The page must be rewound to offset 0. page and out must outlive the
  // writer; the highlight strings are copied.
  ReportWriter(LVTBase::BinaryStreamBuf& page, LVTBase::BinaryStreamBuf& out,
               const std::string& highlightStart, const std::string& highlightEnd);
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // Writes the fixed encoding header. When the page was transcoded to UTF-8
  // from another character set, its byte-order mark, if any, is not copied
  // behind it. Call before anything else.
  void WriteHeader(bool transcoded);
  // Copies the page up to the node's start and writes the anchor of group
  // number group there.
  void WriteAnchor(const Node& node, unsigned group);
  // Copies the page up to each piece of the node and writes the piece
  // wrapped in the markers and highlight strings; pieces of nothing but
  // white space are copied as they are.
  void MarkPieces(const Node& node);
  // Copies the rest of the page.
  void Finish();

 private:
  // Copies the page from the present position up to offset (nothing when
  // offset is not ahead).
  void CopyUpTo(uint32_t offset);
  void Write(const std::string& bytes);

  LVTBase::BinaryStreamBuf& m_Page;
  LVTBase::BinaryStreamBuf& m_Out;
  std::string m_HighlightStart;
  std::string m_HighlightEnd;
  uint32_t m_Position = 0;  // bytes of the page copied so far
};

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_REPORT_WRITER_H_
