#include "testing/test_util.h"

#include <sys/wait.h>
#include <unicode/unistr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lvt_testing {

static std::string SourceDir() {
  const char* env = std::getenv("LUMIVANT_SOURCE_DIR");
  return env != nullptr ? env : LUMIVANT_SOURCE_DIR;
}

std::string DataPath(const std::string& relative) {
  return SourceDir() + "/tests/data/" + relative;
}

std::string ExamplePath(const std::string& relative) {
  return SourceDir() + "/examples/" + relative;
}

std::string CorpusDir() {
  const std::string dir = SourceDir() + "/../shared/corpus";
  std::error_code error;
  return std::filesystem::is_directory(dir, error) ? dir : std::string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in.good()) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Sorted full paths of the folder's entries that are (or are not) folders;
// none when the folder cannot be read.
static std::vector<std::string> List(const std::string& dir, bool wantDirs) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error))
    if (entry.is_directory(error) == wantDirs) names.push_back(entry.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ListFiles(const std::string& dir) { return List(dir, false); }
std::vector<std::string> ListDirs(const std::string& dir) { return List(dir, true); }

std::u16string U16(const std::string& utf8) {
  icu::UnicodeString s = icu::UnicodeString::fromUTF8(utf8);
  return std::u16string(reinterpret_cast<const char16_t*>(s.getBuffer()), s.length());
}

std::string U8(const std::u16string& text) {
  std::string out;
  icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())).toUTF8String(out);
  return out;
}

static std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

RunResult RunCli(const std::vector<std::string>& args, const std::string& stdinFile) {
  const char* binary = std::getenv("LUMIVANT_BINARY");
  if (binary == nullptr) binary = LUMIVANT_BINARY_PATH;
  RunResult result;
  char errTemplate[] = "/tmp/lumivant-test-err.XXXXXX";
  int fd = mkstemp(errTemplate);
  if (fd >= 0) close(fd);
  std::string command = Quote(binary);
  for (const auto& a : args) command += " " + Quote(a);
  command += stdinFile.empty() ? " </dev/null" : " <" + Quote(stdinFile);
  command += " 2>" + Quote(errTemplate);
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  char block[65536];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) result.out.append(block, got);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.err = ReadFile(errTemplate);
  std::remove(errTemplate);
  return result;
}

}  // namespace lvt_testing
