#include "changes/report_writer.h"

#include <algorithm>

#include "changes/report_format.h"
#include "foundation/base/string_utils.h"

namespace LVTDT {

namespace {

// A piece of nothing but white space is left unmarked: marking it shows
// nothing, and markup around it where only white space may stand (between
// table rows, inside SVG) would change how the page parses, so that a
// stored report would no longer read as its page.
bool IsWhiteSpace(const std::u16string& piece) {
  for (char16_t c : piece) {
    if (!LVTBase::IsBlank(c)) return false;
  }
  return true;
}

}  // namespace

ReportWriter::ReportWriter(LVTBase::BinaryStreamBuf& page, LVTBase::BinaryStreamBuf& out,
                           const std::string& highlightStart, const std::string& highlightEnd)
    : m_Page(page),
      m_Copy(page, out),
      m_Open(kChangeOpen + highlightStart),
      m_Close(highlightEnd + kChangeClose) {}

void ReportWriter::WriteHeader() {
  m_Copy.Write(kReportHeader);
  m_Copy.SkipByteOrderMark();
}

void ReportWriter::WriteAnchor(const Node& node, unsigned group) {
  // A node without an offset takes its anchor where the last piece ended.
  m_Anchors.push_back(ChangeAnchor(group));
  Insert(node.m_Offset == Node::kNoOffset ? m_Marked : node.m_Offset, m_Anchors.back());
}

void ReportWriter::MarkPieces(const Node& node) {
  const std::size_t count = std::min(node.m_PieceOffsets.size(), node.m_PieceLengths.size());
  for (std::size_t k = 0; k < count; ++k) {
    if (k < node.m_Pieces.size() && IsWhiteSpace(node.m_Pieces[k])) continue;
    MarkRange(node.m_PieceOffsets[k], node.m_PieceLengths[k]);
  }
}

void ReportWriter::MarkRange(uint32_t offset, uint32_t length) {
  // A range that begins behind the last one keeps only what is ahead.
  const uint32_t start = std::max(offset, m_Marked);
  const uint32_t end = TextEnd(start, std::max(start, offset + length));
  Insert(start, m_Open);
  Insert(end, m_Close);
  m_Marked = end;
}

uint32_t ReportWriter::TextEnd(uint32_t start, uint32_t end) {
  // "</" is text only where the page ends; followed by our closing tags it
  // would open a comment that swallows them, so it stays behind them.
  if (end - start < 2 || end != m_Page.GetSize()) return end;
  char tail[2];
  const uint32_t position = m_Copy.Position();
  m_Page.SeekRead(end - 2);
  const bool cut = m_Page.Get(tail, 2) == 2 && tail[0] == '<' && tail[1] == '/';
  m_Page.SeekRead(position);
  return cut ? end - 2 : end;
}

void ReportWriter::Finish() {
  // Equal offsets keep the order they were inserted in.
  std::stable_sort(m_Insertions.begin(), m_Insertions.end(),
                   [](const Insertion& a, const Insertion& b) { return a.offset < b.offset; });
  for (const Insertion& insertion : m_Insertions) {
    m_Copy.CopyTo(insertion.offset);
    m_Copy.Write(insertion.bytes);
  }
  m_Insertions.clear();
  m_Copy.CopyRest();
}

void ReportWriter::Insert(uint32_t offset, std::string_view bytes) {
  if (!bytes.empty()) m_Insertions.push_back(Insertion{offset, bytes});
}

}  // namespace LVTDT
