#include "changes/report_format.h"

namespace LVTDT {

std::string ChangeAnchor(unsigned group) {
  std::string anchor = kChangeAnchor;
  const std::size_t at = anchor.find("%d");
  if (at != std::string::npos) anchor.replace(at, 2, std::to_string(group));
  return anchor;
}

}  // namespace LVTDT
