#include "tools/cli.h"

namespace lumivant_cli {

int RunWords(const Args&) { return Fail("words: not available yet"); }

}  // namespace lumivant_cli
