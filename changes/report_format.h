// The fixed texts of the change report. Shared with the tools that take a
// report apart again, so that both sides use the very same bytes.
#ifndef LUMIVANT_CHANGES_REPORT_FORMAT_H_
#define LUMIVANT_CHANGES_REPORT_FORMAT_H_

#include <string>

namespace LVTDT {

// The two lines that open a report when the encoding header is on.
inline constexpr char kReportHeader[] =
    "<!-- Lumivant Generated File -->\n"
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
    "charset=utf-8\"></head>\n";

// Around every changed piece, outside the highlight strings.
inline constexpr char kChangeOpen[] = "<LumivantChanges>";
inline constexpr char kChangeClose[] = "</LumivantChanges>";

// Before every group of changes; the first "%s" is the anchor's name.
inline constexpr char kChangeAnchor[] = "<a name=\"%s\"></a>";

inline constexpr char kDefaultHighlightStart[] =
    "<font color=#800000 style=background-color:#FFFF00>";
inline constexpr char kDefaultHighlightEnd[] = "</font>";

// The name of the anchor of group number group: "Change" and the number in
// decimal.
std::string ChangeAnchorName(unsigned group);
// The anchor of group number group.
std::string ChangeAnchor(unsigned group);

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_REPORT_FORMAT_H_
