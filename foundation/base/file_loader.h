// Loading a whole file, or standard input, into a MemoryBuffer.
#ifndef LUMIVANT_FOUNDATION_BASE_FILE_LOADER_H_
#define LUMIVANT_FOUNDATION_BASE_FILE_LOADER_H_

#include <string>

#include "lumivant/memory_buffer.h"

namespace LVTFile {

// Reads path ("-" is standard input) into a string. On failure returns false
// and sets *error to the reason (strerror text, or "too large").
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);

}  // namespace LVTFile

#endif  // LUMIVANT_FOUNDATION_BASE_FILE_LOADER_H_
