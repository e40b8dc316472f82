#include "foundation/base/file_loader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace LVTFile {

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error,
                   std::size_t maxBytes, bool* tooLarge) {
  if (tooLarge != nullptr) *tooLarge = false;
  const bool isStdin = path == "-";
  std::FILE* file = isStdin ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  bytes->clear();
  // A file's size is known: room for exactly that, where appending block by
  // block would leave up to twice the page's size reserved.
  struct stat info;
  if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    std::size_t size = static_cast<std::size_t>(info.st_size);
    if (maxBytes != 0 && size > maxBytes) size = maxBytes + 1;
    bytes->reserve(std::min<std::size_t>(size, std::numeric_limits<uint32_t>::max()));
  }
  char block[65536];
  bool ok = true;
  for (;;) {
    std::size_t got = std::fread(block, 1, sizeof block, file);
    bytes->append(block, got);
    // Checked as the bytes come, so that an endless device or pipe stops here.
    if (maxBytes != 0 && bytes->size() > maxBytes) {
      *error = "larger than " + std::to_string(maxBytes) + " bytes";
      if (tooLarge != nullptr) *tooLarge = true;
      bytes->clear();
      ok = false;
      break;
    }
    if (bytes->size() >= std::numeric_limits<uint32_t>::max()) {
      *error = "file too large (4 GiB or more)";
      ok = false;
      break;
    }
    if (got < sizeof block) {
      if (std::ferror(file)) {
        *error = std::strerror(errno != 0 ? errno : EIO);
        ok = false;
      }
      break;
    }
  }
  if (!isStdin) std::fclose(file);
  return ok;
}

}  // namespace LVTFile
