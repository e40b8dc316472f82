// The library's version, for callers that load it at run time.
#ifndef LUMIVANT_VERSION_H_
#define LUMIVANT_VERSION_H_

#include "lumivant/export.h"

namespace LVTDT {

// "MAJOR.MINOR.PATCH" of the loaded library.
LVT_EXPORT const char* LibraryVersion();

}  // namespace LVTDT

#endif  // LUMIVANT_VERSION_H_
