#include "changes/report_format.h"

namespace LVTDT {

std::string ChangeAnchorName(unsigned group) { return "Change" + std::to_string(group); }

std::string ChangeAnchor(unsigned group) {
  std::string anchor = kChangeAnchor;
  const std::size_t at = anchor.find("%s");
  if (at != std::string::npos) anchor.replace(at, 2, ChangeAnchorName(group));
  return anchor;
}

}  // namespace LVTDT
