// Utf8Page: a page's bytes in UTF-8, for readers whose offsets must count
// UTF-8 bytes (the highlighter writes its output by them). A page already
// in UTF-8 is used as it is; any other is converted once, whole.
#ifndef LUMIVANT_FOUNDATION_CHARSET_UTF8_PAGE_H_
#define LUMIVANT_FOUNDATION_CHARSET_UTF8_PAGE_H_

#include <optional>

#include "lumivant/binary_stream_buf.h"
#include "lumivant/code_page.h"
#include "lumivant/memory_buffer.h"

namespace LVTCharset {

class Utf8Page {
 public:
  // Converts page (bytes in charset) from its read position, unless it is
  // UTF-8 already; page must then outlive this object.
  Utf8Page(LVTBase::BinaryStreamBuf& page, CHARSET charset);
  Utf8Page(const Utf8Page&) = delete;
  Utf8Page& operator=(const Utf8Page&) = delete;

  LVTBase::BinaryStreamBuf& Stream() { return *m_pStream; }

 private:
  std::optional<LVTFile::MemoryBuffer> m_Converted;
  LVTBase::BinaryStreamBuf* m_pStream;
};

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_UTF8_PAGE_H_
