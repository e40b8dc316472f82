// PieceBytes: where the positions of a piece's text lie among the page bytes
// the piece was decoded from. The bytes are cut into units that each decode
// on their own: one character in UTF-8, a character reference, a line break
// ("\r\n" or "\r"); a position inside a unit's text is taken to the unit's
// start or end, so a stretch of text maps to bytes that never split a
// character or a reference. Blanks the extractor added behind a piece's
// text map to the piece's end.
//
// A value object for one piece; it copies nothing of the page.
#ifndef LUMIVANT_CHANGES_PIECE_BYTES_H_
#define LUMIVANT_CHANGES_PIECE_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace LVTDT {

class PieceBytes {
 public:
  // raw: the piece's bytes; text: its text. False when the bytes, read unit
  // by unit, do not give the text followed by nothing but blanks (the
  // parser dropped or moved characters): then no position maps.
  bool Map(std::string_view raw, const std::u16string& text);

  // Byte offset, from the piece's start, of the unit boundary at or before
  // (Floor) or at or after (Ceil) text position at.
  uint32_t Floor(std::size_t at) const;
  uint32_t Ceil(std::size_t at) const;

 private:
  // Text position and byte offset of each unit boundary, both rising, from
  // (0, 0) to the end of the decoded text and of the bytes.
  std::vector<uint32_t> m_Text;
  std::vector<uint32_t> m_Bytes;
};

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_PIECE_BYTES_H_
