#include "lumivant/version.h"

namespace LVTDT {

const char* LibraryVersion() { return LUMIVANT_VERSION; }

}  // namespace LVTDT
