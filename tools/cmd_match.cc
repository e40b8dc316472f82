#include "tools/cli.h"

namespace lumivant_cli {

int RunMatch(const Args&) { return Fail("match: not available yet"); }

}  // namespace lumivant_cli
