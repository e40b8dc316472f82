#include "changes/report_writer.h"

#include <algorithm>
#include <cstring>

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
    : m_Page(page), m_Out(out), m_HighlightStart(highlightStart), m_HighlightEnd(highlightEnd) {}

void ReportWriter::WriteHeader() {
  Write(kReportHeader);
  // Behind the header a byte-order mark is a stray U+FEFF, text that makes a
  // browser start the body there and move the page's head into it. It is
  // skipped, not removed: node offsets still count it.
  char head[3];
  const uint32_t got = m_Page.Get(head, 3);
  m_Skipped = got == 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  m_Page.SeekRead(m_Skipped);
}

void ReportWriter::WriteAnchor(const Node& node, unsigned group) {
  // A node without an offset takes its anchor where the last piece ended.
  Insert(node.m_Offset == Node::kNoOffset ? m_Marked : node.m_Offset, ChangeAnchor(group));
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
  const uint32_t end = std::max(start, offset + length);
  Insert(start, std::string(kChangeOpen) + m_HighlightStart);
  Insert(end, m_HighlightEnd + kChangeClose);
  m_Marked = end;
}

void ReportWriter::Finish() {
  // Equal offsets keep the order they were inserted in.
  std::stable_sort(m_Insertions.begin(), m_Insertions.end(),
                   [](const Insertion& a, const Insertion& b) { return a.offset < b.offset; });
  uint32_t position = m_Skipped;
  for (const Insertion& insertion : m_Insertions) {
    if (insertion.offset > position) {
      m_Page.Copy(m_Out, insertion.offset - position);
      position = insertion.offset;
    }
    Write(insertion.bytes);
  }
  m_Insertions.clear();
  m_Page.Copy(m_Out, LVTBase::BinaryStreamBuf::kAll);
}

void ReportWriter::Insert(uint32_t offset, std::string bytes) {
  if (!bytes.empty()) m_Insertions.push_back(Insertion{offset, std::move(bytes)});
}

void ReportWriter::Write(const std::string& bytes) {
  if (!bytes.empty()) m_Out.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace LVTDT
