#include "changes/report_writer.h"

#include <algorithm>
#include <cstring>

#include "changes/report_format.h"
#include "foundation/base/binary_stream.h"
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
    : m_Page(page), m_Out(out), m_HighlightStart(highlightStart), m_HighlightEnd(highlightEnd) {}

void ReportWriter::WriteHeader(bool transcoded) {
  Write(kReportHeader);
  if (!transcoded) return;  // a UTF-8 page is copied as it is
  // The mark of the page's own encoding would be a stray U+FEFF behind the
  // header. It is skipped, not removed: node offsets still count it.
  char head[3];
  const uint32_t got = m_Page.Get(head, 3);
  m_Position = got == 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  m_Page.SeekRead(m_Position);
}

void ReportWriter::WriteAnchor(const Node& node, unsigned group) {
  CopyUpTo(node.m_Offset);
  LVTBase::BinaryStream stream(m_Out);
  const std::string anchor = ChangeAnchor(group);
  LVTBase::Copy(stream, anchor, static_cast<uint32_t>(anchor.size()));
}

void ReportWriter::MarkPieces(const Node& node) {
  const std::size_t count = std::min(node.m_PieceOffsets.size(), node.m_PieceLengths.size());
  for (std::size_t k = 0; k < count; ++k) {
    if (k < node.m_Pieces.size() && IsWhiteSpace(node.m_Pieces[k])) continue;
    const uint32_t start = node.m_PieceOffsets[k];
    const uint32_t end = start + node.m_PieceLengths[k];
    CopyUpTo(start);
    Write(kChangeOpen);
    Write(m_HighlightStart);
    // A piece that begins behind the copied part keeps only what is ahead.
    if (end > m_Position) {
      m_Page.Copy(m_Out, end - m_Position);
      m_Position = end;
    }
    Write(m_HighlightEnd);
    Write(kChangeClose);
  }
}

void ReportWriter::Finish() {
  m_Page.Copy(m_Out, LVTBase::BinaryStreamBuf::kAll);
  m_Position = m_Page.GetSize();
}

void ReportWriter::CopyUpTo(uint32_t offset) {
  if (offset <= m_Position || offset == Node::kNoOffset) return;
  m_Page.Copy(m_Out, offset - m_Position);
  m_Position = offset;
}

void ReportWriter::Write(const std::string& bytes) {
  if (!bytes.empty()) m_Out.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace LVTDT
