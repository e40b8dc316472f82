// The fixed pieces of a highlighted page: hit markers, anchors, header and
// the default colours. The output is UTF-8 throughout.
#ifndef LUMIVANT_HIGHLIGHT_HIGHLIGHT_FORMAT_H_
#define LUMIVANT_HIGHLIGHT_HIGHLIGHT_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace LVTDT {
namespace highlight_format {

// Around every highlighted piece, outside its colour tags. The element is
// inline for raw text extraction, so a highlighted page can be searched again.
inline constexpr std::string_view kHitStart = "<LumivantQuery>";
inline constexpr std::string_view kHitEnd = "</LumivantQuery>";

// Written first, unless the page is highlighted input.
inline constexpr std::string_view kHeader =
    "<!-- Lumivant Generated file -->\n"
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
    "charset=utf-8\"></head>\n";

// The anchor before the group numbered number (from 1).
std::string AnchorText(uint32_t number);

// The ten colours used when the caller gives none; the index is the colour.
inline constexpr std::size_t kDefaultColourCount = 10;
struct ColourPair {
  std::string_view start;
  std::string_view end;
};
extern const ColourPair kDefaultColours[kDefaultColourCount];

}  // namespace highlight_format
}  // namespace LVTDT

#endif  // LUMIVANT_HIGHLIGHT_HIGHLIGHT_FORMAT_H_
