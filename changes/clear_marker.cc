#include "changes/clear_marker.h"

#include <cstdint>

namespace LVTDT {

std::string MarkerReplacement(const std::string& marker) {
  const std::string tag = marker.compare(0, 2, "</") == 0 ? "</span" : "<span";
  if (marker.size() < tag.size() + 1) return std::string(marker.size(), ' ');
  std::string replacement = tag;
  replacement.append(marker.size() - tag.size() - 1, ' ');
  replacement += '>';
  return replacement;
}

void ClearMarker(LVTBase::BinaryStreamBuf& page, const std::string& marker) {
  const uint32_t length = static_cast<uint32_t>(marker.size());
  page.DeletePeekBuffer();
  page.SeekRead(0, 0);
  if (length != 0) {
    const std::string replacement = MarkerReplacement(marker);
    while (page.Find(marker.data(), length)) {
      // The match is what the read-ahead holds now.
      const uint32_t at = page.TellRead() - page.PendingReadAhead();
      page.SeekWrite(at, 0);
      page.Write(replacement.data(), length);
      page.SeekRead(page.TellWrite(), 0);
    }
  }
  page.DeletePeekBuffer();
  page.SeekRead(0, 0);
}

}  // namespace LVTDT
