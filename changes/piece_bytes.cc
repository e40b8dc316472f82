#include "changes/piece_bytes.h"

#include <algorithm>

#include "foundation/base/ascii.h"
#include "foundation/charset/transcode.h"
#include "foundation/html/text_stretches.h"

namespace LVTDT {

namespace {

bool IsReferenceCharacter(char c) {
  return LVTBase::IsAsciiAlpha(c) || (c >= '0' && c <= '9') || c == '#';
}

// Bytes of the UTF-8 sequence a lead byte starts (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Length of the unit at raw[at]: a reference runs from '&' over its name or
// number and an optional ';', and decodes alone as it does in the page,
// since in text nothing behind a reference changes how it reads.
std::size_t UnitLength(std::string_view raw, std::size_t at) {
  const char c = raw[at];
  std::size_t next = at + 1;
  if (c == '&') {
    while (next < raw.size() && IsReferenceCharacter(raw[next])) ++next;
    if (next < raw.size() && raw[next] == ';') ++next;
  } else if (c == '\r') {
    if (next < raw.size() && raw[next] == '\n') ++next;
  } else {
    next = at + SequenceLength(static_cast<unsigned char>(c));
  }
  return std::min(next, raw.size()) - at;
}

}  // namespace

bool PieceBytes::Map(std::string_view raw, const std::u16string& text) {
  m_Text.assign(1, 0);
  m_Bytes.assign(1, 0);
  std::size_t at = 0;
  std::size_t position = 0;
  while (at < raw.size()) {
    const std::size_t length = UnitLength(raw, at);
    const std::string_view unit = raw.substr(at, length);
    std::u16string decoded;
    if (unit[0] == '&' || unit[0] == '\r' || unit[0] == '\0') {
      decoded = LVTCharset::Utf8ToWide(LVTParser::DecodePageText(unit));
    } else if (length == 1) {
      decoded.assign(1, static_cast<char16_t>(static_cast<unsigned char>(unit[0])));
    } else {
      decoded = LVTCharset::Utf8ToWide(std::string(unit));
    }
    if (text.compare(position, decoded.size(), decoded) != 0) return false;
    at += length;
    position += decoded.size();
    // A unit that decodes to nothing joins the next one.
    if (decoded.empty() && at < raw.size()) continue;
    m_Text.push_back(static_cast<uint32_t>(position));
    m_Bytes.push_back(static_cast<uint32_t>(at));
  }
  for (std::size_t k = position; k < text.size(); ++k) {
    if (text[k] != u' ') return false;
  }
  return true;
}

uint32_t PieceBytes::Floor(std::size_t at) const {
  const auto after = std::upper_bound(m_Text.begin(), m_Text.end(), at);
  return m_Bytes[static_cast<std::size_t>(after - m_Text.begin()) - 1];
}

uint32_t PieceBytes::Ceil(std::size_t at) const {
  const auto from = std::lower_bound(m_Text.begin(), m_Text.end(), at);
  return from == m_Text.end() ? m_Bytes.back()
                              : m_Bytes[static_cast<std::size_t>(from - m_Text.begin())];
}

}  // namespace LVTDT
