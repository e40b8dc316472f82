#include "tools/cli.h"

namespace lumivant_cli {

int RunHighlight(const Args&) { return Fail("highlight: not available yet"); }

}  // namespace lumivant_cli
