// Diff with the comparer's own details of what changed, for the tools that
// show the changes in the new page's text (their offsets count bytes of
// the new page in UTF-8, as the comparer reads it).
#ifndef LUMIVANT_FACADE_DIFF_DETAILS_H_
#define LUMIVANT_FACADE_DIFF_DETAILS_H_

#include <string_view>

#include "lumivant/compare_html_documents.h"
#include "lumivant/lumivant.h"

namespace lumivant {

// Diff, filling details too (replacing what it held).
DiffResult DiffWithDetails(std::string_view old_page, std::string_view new_page,
                           const DiffOptions& options,
                           LVTDT::CompareHtmlDocuments::Details& details);

}  // namespace lumivant

#endif  // LUMIVANT_FACADE_DIFF_DETAILS_H_
