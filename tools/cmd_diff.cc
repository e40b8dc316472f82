#include "tools/cli.h"

namespace lumivant_cli {

int RunDiff(const Args&) { return Fail("diff: not available yet"); }

}  // namespace lumivant_cli
