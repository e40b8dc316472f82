#include "facade/page_header.h"

#include "changes/report_format.h"
#include "highlight/highlight_format.h"

namespace lumivant {

namespace {

bool StartsWith(const std::string& page, std::string_view prefix) {
  return page.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void AddNoScriptsPolicy(std::string& page) {
  std::string_view header;
  if (StartsWith(page, LVTDT::kReportHeader))
    header = LVTDT::kReportHeader;
  else if (StartsWith(page, LVTDT::highlight_format::kHeader))
    header = LVTDT::highlight_format::kHeader;
  else
    return;
  page.insert(header.rfind("</head>"), kNoScriptsPolicy);
}

void RemoveHighlightHeader(std::string& page) {
  if (StartsWith(page, LVTDT::highlight_format::kHeader))
    page.erase(0, LVTDT::highlight_format::kHeader.size());
}

}  // namespace lumivant
