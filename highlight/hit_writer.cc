#include "highlight/hit_writer.h"

#include <algorithm>

#include "foundation/base/string_utils.h"
#include "foundation/charset/transcode.h"
#include "highlight/highlight_format.h"
#include "lumivant/code_page.h"

namespace LVTDT {

HitWriter::HitWriter(LVTBase::BinaryStreamBuf& page, LVTBase::BinaryStreamBuf& output)
    : m_Copy(page, output) {}

void HitWriter::SkipByteOrderMark() { m_Copy.SkipByteOrderMark(); }

bool HitWriter::AnchorGroup(const RawText& first, uint32_t& anchorCount) {
  // Same text node as the previous group, or a later text node of the link
  // whose anchor is already behind us: the earlier anchor serves this hit.
  if (m_OpenRun.Get() == &first || m_Copy.Position() > first.m_AnchorPos) return false;
  ++anchorCount;
  const std::string anchor = highlight_format::AnchorText(anchorCount);
  if (m_OpenRun) CloseRun();
  m_Copy.CopyTo(first.m_AnchorPos);
  m_Copy.Write(anchor);
  return true;
}

void HitWriter::WrapPiece(const RawTextHandle& run, std::size_t offset, std::size_t length,
                          std::string_view startTag, std::string_view endTag) {
  if (!run || !OpenRun(run)) return;
  const std::size_t size = WrittenSize(*run);
  // Pieces come from this very text, in order; anything else would make the
  // writer go back over what it wrote, so it is skipped.
  if (offset < m_TextPos || offset >= size) return;
  length = std::min(length, size - offset);
  if (run->m_Fostered) {
    // Text moved out of a table: a stretch of nothing but white space
    // between our tags would stay in the table, so the piece takes the white
    // space around it.
    const std::u16string& text = run->m_Text;
    while (offset > m_TextPos && LVTBase::IsBlank(text[offset - 1])) --offset, ++length;
    while (offset + length < size && LVTBase::IsBlank(text[offset + length])) ++length;
  }
  WriteText(m_TextPos, offset - m_TextPos);
  m_Copy.Write(highlight_format::kHitStart);
  m_Copy.Write(startTag);
  WriteText(offset, length);
  m_TextPos = offset + length;
  m_Copy.Write(endTag);
  m_Copy.Write(highlight_format::kHitEnd);
}

void HitWriter::Finish() {
  if (m_OpenRun) CloseRun();
  m_Copy.CopyRest();
}

bool HitWriter::OpenRun(const RawTextHandle& run) {
  if (m_OpenRun.Get() == run.Get()) return true;
  if (m_OpenRun) CloseRun();
  // A text node that starts behind the bytes already copied cannot be
  // rewritten by a forward pass; its hits stay unmarked.
  if (m_Copy.Position() > run->m_Start) return false;
  m_Copy.CopyTo(run->m_Start);
  m_OpenRun = run;
  m_TextPos = 0;
  return true;
}

void HitWriter::CloseRun() {
  const RawText& run = *m_OpenRun;
  const std::size_t size = WrittenSize(run);
  if (size > m_TextPos) WriteText(m_TextPos, size - m_TextPos);
  // The node's own bytes are replaced by its text: skip them.
  const uint32_t end = run.m_Start + run.m_Length;
  m_Copy.SkipTo(end);
  m_OpenRun = RawTextHandle();
  m_TextPos = 0;
}

std::size_t HitWriter::WrittenSize(const RawText& run) {
  return run.m_Text.size() - std::min<std::size_t>(run.m_UnwrittenBlanks, run.m_Text.size());
}

void HitWriter::WriteText(std::size_t from, std::size_t count) {
  if (count == 0) return;
  WriteEscaped(LVTCharset::WideToUtf8(std::u16string_view(m_OpenRun->m_Text).substr(from, count)));
}

void HitWriter::WriteEscaped(std::string_view bytes) {
  std::size_t from = 0;
  for (;;) {
    const std::size_t special = bytes.find_first_of("&<>", from);
    if (special == std::string_view::npos) break;
    m_Copy.Write(bytes.substr(from, special - from));
    switch (bytes[special]) {
      case '&':
        m_Copy.Write("&amp;");
        break;
      case '<':
        m_Copy.Write("&lt;");
        break;
      default:
        m_Copy.Write("&gt;");
        break;
    }
    from = special + 1;
  }
  m_Copy.Write(bytes.substr(from));
}

}  // namespace LVTDT
