// ReportWriter: writes a change report by copying the converted new page
// forward into the output (a PageCopy, as the highlighter's writer does) and inserting the anchors
// and change markers between the copied bytes. Insertions are collected and merged into the page in
// one forward pass at Finish, so an anchor may lie behind pieces marked before it (an anchor moved
// before the start tag of the link its text is in, see anchor_safety.h). Pieces that overlap one
// marked before keep only what is ahead of it.
#ifndef LUMIVANT_CHANGES_REPORT_WRITER_H_
#define LUMIVANT_CHANGES_REPORT_WRITER_H_

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "changes/node.h"
#include "lumivant/binary_stream_buf.h"
#include "text/page_copy.h"

namespace LVTDT {

class ReportWriter {
 public:
  // The page must be rewound to offset 0. page and out must outlive the
  // writer; the highlight strings are copied.
  ReportWriter(LVTBase::BinaryStreamBuf& page, LVTBase::BinaryStreamBuf& out,
               const std::string& highlightStart, const std::string& highlightEnd);
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // Writes the fixed encoding header; the page's byte-order mark, if any, is
  // not copied behind it. Call before anything else.
  void WriteHeader();
  // Writes the anchor of group number group at the node's start (after
  // what is inserted there already).
  void WriteAnchor(const Node& node, unsigned group);
  // Wraps each piece of the node in the markers and highlight strings;
  // pieces of nothing but white space are copied as they are.
  void MarkPieces(const Node& node);
  // Wraps the bytes [offset, offset + length) of the page, part of a piece
  // and more than white space, the same way.
  void MarkRange(uint32_t offset, uint32_t length);
  // Writes the page with everything inserted.
  void Finish();

 private:
  // Bytes to insert: the writer's markers, or an anchor it keeps.
  struct Insertion {
    uint32_t offset;  // in the page
    std::string_view bytes;
  };
  void Insert(uint32_t offset, std::string_view bytes);
  // Where the marking of page bytes [start, end) must end.
  uint32_t TextEnd(uint32_t start, uint32_t end);

  LVTBase::BinaryStreamBuf& m_Page;
  PageCopy m_Copy;
  const std::string m_Open;           // before a marked piece
  const std::string m_Close;          // behind it
  std::deque<std::string> m_Anchors;  // stay where they are as more come
  std::vector<Insertion> m_Insertions;
  uint32_t m_Marked = 0;  // end of the last piece marked: pieces go forward
};

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_REPORT_WRITER_H_
