// PageCopy: the forward copy of a page into an output that both writers
// (change reports and highlighted pages) build on. The page is read
// strictly forward; untouched stretches go stream to stream, and what a
// writer adds is written between them. Where markup may be added safely is
// decided by the page-text walk (anchor positions) and by each writer.
//
// Both streams must outlive the copy. Not copyable.
#ifndef LUMIVANT_TEXT_PAGE_COPY_H_
#define LUMIVANT_TEXT_PAGE_COPY_H_

#include <cstdint>
#include <string_view>

#include "lumivant/binary_stream_buf.h"

namespace LVTDT {

class PageCopy {
 public:
  // Rewinds page for reading; out is written from its write position.
  PageCopy(LVTBase::BinaryStreamBuf& page, LVTBase::BinaryStreamBuf& out);
  PageCopy(const PageCopy&) = delete;
  PageCopy& operator=(const PageCopy&) = delete;

  // Skips the page's UTF-8 byte-order mark, if any. Behind a header it is a
  // stray U+FEFF, text that makes a browser start the body there and move
  // the page's head into it. Skipped, not removed: offsets still count it.
  // Call before anything is copied.
  void SkipByteOrderMark();

  // The offset of the next page byte to be copied.
  uint32_t Position() const;
  // Copies the page up to offset (nothing when it is not ahead).
  void CopyTo(uint32_t offset);
  // Goes on at offset without copying what lies before it.
  void SkipTo(uint32_t offset);
  // Writes bytes of our own.
  void Write(std::string_view bytes);
  // Copies the rest of the page.
  void CopyRest();

 private:
  LVTBase::BinaryStreamBuf& m_Page;
  LVTBase::BinaryStreamBuf& m_Out;
};

}  // namespace LVTDT

#endif  // LUMIVANT_TEXT_PAGE_COPY_H_
