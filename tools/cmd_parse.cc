#include "tools/cli.h"

namespace lumivant_cli {

int RunParse(const Args&) { return Fail("parse: not available yet"); }

}  // namespace lumivant_cli
