// CharsetDecoder: bytes of one character set to UTF-16 units, the first
// stage of every conversion. Each call starts afresh (nothing of a cut-off
// sequence is kept inside), except the shift state of escape-driven
// character sets (ISO-2022-JP), which the decoder carries from one call to
// the next: the ICU converter's whole state after the bytes told by Commit,
// so that where the calls cut the text never matters.
//
// Move-only: it may hold an ICU converter lent from the pool. Use from one
// thread at a time.
#ifndef LUMIVANT_FOUNDATION_CHARSET_DECODER_H_
#define LUMIVANT_FOUNDATION_CHARSET_DECODER_H_

#include <cstddef>
#include <cstdint>

#include "foundation/charset/codecs.h"

namespace LVTCharset {

class CharsetDecoder {
 public:
  CharsetDecoder() = default;
  explicit CharsetDecoder(CHARSET codePage);
  CharsetDecoder(CharsetDecoder&&) noexcept = default;
  CharsetDecoder& operator=(CharsetDecoder&&) noexcept = default;

  bool IsValid() const { return m_Info.codec != Codec::kNone; }
  Codec GetCodec() const { return m_Info.codec; }

  // Decodes a prefix of the n bytes at src into at most unitCap units (at
  // least 2), never half of a surrogate pair. Every ill-formed or unmappable
  // sequence becomes U+FFFD. A sequence cut off by the end of src is left
  // unconsumed, unless final, when it becomes U+FFFD. offsets (may be null)
  // receive, for each unit, the offset in src of the sequence that produced
  // it. Returns the units written; *used is the number of bytes they stand
  // for (escape sequences produce no unit but are counted).
  std::size_t Decode(const char* src, std::size_t n, char16_t* out, std::size_t unitCap,
                     int32_t* offsets, bool final, std::size_t* used);

  // Single-byte sets only (GetCodec() == Codec::kTable): decodes straight to
  // UTF-8, at most cap bytes of whole characters. byteOffsets (may be null)
  // receive, for each byte written, offsetBase plus the offset of its source
  // byte. Returns the bytes written; *used is the source bytes consumed.
  std::size_t DecodeTableToUtf8(const char* src, std::size_t n, char* out, std::size_t cap,
                                uint32_t* byteOffsets, uint32_t offsetBase,
                                std::size_t* used) const;

  // Single-byte sets only: the length in UTF-8 of the byte's character.
  std::size_t Utf8Length(unsigned char byte) const { return m_Info.table->toUtf8[byte].length; }

  // The first `done` bytes at src (as passed to the last Decode) are
  // converted: the shift state moves past them. Without shift state,
  // nothing to do.
  void Commit(const char* src, std::size_t done) {
    if (m_Info.escapeState) CommitShift(src, done);
  }

  // Forgets the shift state: the next bytes start a new text.
  void Restart() {
    m_Committed.reset();
    m_Working.reset();
  }

 private:
  std::size_t DecodeIcu(const char* src, std::size_t n, char16_t* out, std::size_t unitCap,
                        int32_t* offsets, bool final, std::size_t* used);
  // The converter a call decodes with: the leased one, reset, or for shift
  // state a copy of the committed converter.
  UConverter* StartIcu();
  void CommitShift(const char* src, std::size_t done);

  CodecInfo m_Info;
  IcuLease m_Icu;
  // Escape-driven sets: the converter as it stands after the committed
  // bytes (null: at the start of the text), and the copy the last Decode
  // worked on, with what it covered: when a Commit takes exactly that, the
  // copy is the new committed state without decoding the bytes again.
  IcuCopy m_Committed;
  IcuCopy m_Working;
  const char* m_WorkingFrom = nullptr;
  std::size_t m_WorkingBytes = 0;
  bool m_WorkingClean = false;  // nothing held back, not flushed
};

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_DECODER_H_
