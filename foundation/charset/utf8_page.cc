#include "foundation/charset/utf8_page.h"

#include "foundation/charset/transcode.h"

namespace LVTCharset {

Utf8Page::Utf8Page(LVTBase::BinaryStreamBuf& page, CHARSET charset) : m_pStream(&page) {
  if (charset == kUtf8) return;
  m_Converted.emplace(page.GetSize());  // room for a page that grows little
  TranscodeStream(charset, kUtf8, page, *m_Converted, false);
  m_pStream = &*m_Converted;
}

}  // namespace LVTCharset
