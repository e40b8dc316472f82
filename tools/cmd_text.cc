#include "tools/cli.h"

namespace lumivant_cli {

int RunText(const Args&) { return Fail("text: not available yet"); }

}  // namespace lumivant_cli
