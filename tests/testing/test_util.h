// Helpers for the test suites and the benchmarks (no GoogleTest here): test
// data, the shared page corpus, and running the command-line tool.
#ifndef LUMIVANT_TESTS_TESTING_TEST_UTIL_H_
#define LUMIVANT_TESTS_TESTING_TEST_UTIL_H_

#include <string>
#include <vector>

namespace lvt_testing {

// Absolute path of a file under tests/data.
std::string DataPath(const std::string& relative);
// Absolute path of a file under examples/.
std::string ExamplePath(const std::string& relative);
// The shared corpus (../shared/corpus beside the checkout); empty when absent.
std::string CorpusDir();

// Whole file as bytes; throws std::runtime_error when unreadable.
std::string ReadFile(const std::string& path);
// Files of a folder, sorted, full paths; folders excluded.
std::vector<std::string> ListFiles(const std::string& dir);
// Sub-folders of a folder, sorted, full paths.
std::vector<std::string> ListDirs(const std::string& dir);

// UTF-8 <-> UTF-16 for writing assertions (invalid input becomes U+FFFD).
std::u16string U16(const std::string& utf8);
std::string U8(const std::u16string& text);

// Runs the lumivant binary with args (each quoted for the shell), standard
// input from stdinFile when not empty. Returns the exit status; captures
// standard output and error.
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};
RunResult RunCli(const std::vector<std::string>& args, const std::string& stdinFile = "");

}  // namespace lvt_testing

#endif  // LUMIVANT_TESTS_TESTING_TEST_UTIL_H_
