#include "text/page_copy.h"

#include <cstring>

namespace LVTDT {

PageCopy::PageCopy(LVTBase::BinaryStreamBuf& page, LVTBase::BinaryStreamBuf& out)
    : m_Page(page), m_Out(out) {
  m_Page.DeletePeekBuffer();
  m_Page.SeekRead(0);
}

void PageCopy::SkipByteOrderMark() {
  char head[3];
  const uint32_t got = m_Page.Get(head, 3);
  m_Page.SeekRead(got == 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0);
}

uint32_t PageCopy::Position() const { return m_Page.NextReadOffset(); }

void PageCopy::CopyTo(uint32_t offset) {
  const uint32_t position = Position();
  if (position < offset) m_Page.Copy(m_Out, offset - position);
}

void PageCopy::SkipTo(uint32_t offset) {
  if (offset == 0) m_Page.DeletePeekBuffer();
  m_Page.SeekRead(offset);
}

void PageCopy::Write(std::string_view bytes) {
  if (!bytes.empty()) m_Out.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void PageCopy::CopyRest() { m_Page.Copy(m_Out, LVTBase::BinaryStreamBuf::kAll); }

}  // namespace LVTDT
