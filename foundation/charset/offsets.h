// Decoding a whole page to UTF-8 while remembering, for every byte written,
// where its character came from in the page. The HTML tree is built on the
// UTF-8 text, but the offsets it hands out must be those of the page as the
// caller gave it.
#ifndef LUMIVANT_FOUNDATION_CHARSET_OFFSETS_H_
#define LUMIVANT_FOUNDATION_CHARSET_OFFSETS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lumivant/code_page.h"

namespace LVTCharset {

// Replaces *utf8 with bytes decoded from charset, and *sourceOffsets with
// utf8->size() + 1 entries: entry i is the offset in bytes of the character
// that produced UTF-8 byte i, the last entry is bytes.size(). Offsets never
// decrease. Ill-formed or unmappable sequences, a sequence cut off at the
// end included, become U+FFFD: every source byte is accounted for. Valid
// UTF-8 in 65001 comes back unchanged with offsets i -> i (well-formed
// bytes of a repaired UTF-8 page, too, map byte to byte). A byte-order
// mark is kept as U+FEFF. False only when the charset is not supported
// (both outputs are then empty).
bool DecodeToUtf8WithOffsets(CHARSET charset, std::string_view bytes, std::string* utf8,
                             std::vector<uint32_t>* sourceOffsets);

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_OFFSETS_H_
