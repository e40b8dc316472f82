#include "lumivant/version.h"

namespace LVTDT {

const char* LibraryVersion() { return "0.1.0"; }

}  // namespace LVTDT
