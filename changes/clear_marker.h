// Clearing the change markers out of a page before it is compared, so that a
// page which carries them, such as a stored change report, reads as the page
// the report was made from.
//
// Each occurrence of a marker is overwritten, in place and byte for byte the
// same length, with an empty span element padded with blanks:
//   "<LumivantChanges>"  -> "<span           >"
//   "</LumivantChanges>" -> "</span           >"
// so every offset into the page stays valid. A span is an inline element
// without text: unlike plain blanks, it never puts a blank between two
// pieces of text that the report's markers had separated, such as two runs
// of one link, so a stored report compares equal to its page. A marker too
// short to hold a span is overwritten with blanks.
#ifndef LUMIVANT_CHANGES_CLEAR_MARKER_H_
#define LUMIVANT_CHANGES_CLEAR_MARKER_H_

#include <string>

#include "lumivant/binary_stream_buf.h"

namespace LVTDT {

// What an occurrence of marker is overwritten with: as many bytes.
std::string MarkerReplacement(const std::string& marker);

// Overwrites every occurrence of marker in page, searching on just behind
// each overwritten one. The page is rewound to offset 0 before and after.
// An empty marker changes nothing.
void ClearMarker(LVTBase::BinaryStreamBuf& page, const std::string& marker);

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_CLEAR_MARKER_H_
