// Visibility of the library's exported classes. Everything else in the
// shared library is hidden; the build compiles with -fvisibility=hidden.
#ifndef LUMIVANT_EXPORT_H_
#define LUMIVANT_EXPORT_H_

#define LVT_EXPORT __attribute__((visibility("default")))

#endif  // LUMIVANT_EXPORT_H_
