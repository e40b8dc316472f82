// Loading a whole file, or standard input, into a MemoryBuffer.
#ifndef LUMIVANT_FOUNDATION_BASE_FILE_LOADER_H_
#define LUMIVANT_FOUNDATION_BASE_FILE_LOADER_H_

#include <cstddef>
#include <string>

#include "lumivant/memory_buffer.h"

namespace LVTFile {

// Reads path ("-" is standard input) into a string. On failure returns false
// and sets *error to the reason (strerror text, or "too large"). With
// maxBytes, a file longer than that fails as soon as the excess is read,
// and *tooLarge (when given) says so.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error,
                   std::size_t maxBytes = 0, bool* tooLarge = nullptr);

}  // namespace LVTFile

#endif  // LUMIVANT_FOUNDATION_BASE_FILE_LOADER_H_
