// Shared plumbing of the lumivant command-line tool: argument scanning,
// loading pages, resolving character sets and writing output files safely.
#ifndef LUMIVANT_TOOLS_CLI_H_
#define LUMIVANT_TOOLS_CLI_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "lumivant/code_page.h"
#include "lumivant/language.h"

namespace lumivant_cli {

// Exit statuses, as diff and grep use them.
constexpr int kExitSame = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

using Args = std::vector<std::string>;

// Each command takes its arguments without the command name.
int RunText(const Args& args);
int RunWords(const Args& args);
int RunParse(const Args& args);
int RunMatch(const Args& args);
int RunHighlight(const Args& args);
int RunDiff(const Args& args);
int RunBatch(const Args& args);

// Prints "lumivant: message" on standard error and returns kExitTrouble.
int Fail(const std::string& message);

// Scans args: options taking a value are listed in withValue. Options and
// operands may mix; "--" ends options. Unknown options are an error.
// --max-size SIZE is taken by every command and sets the page size limit.
struct ParsedArgs {
  std::vector<std::pair<std::string, std::string>> options;  // in order
  std::vector<std::string> operands;
  bool Has(const std::string& name) const;
  // Last value given for the option, or fallback.
  std::string Value(const std::string& name, const std::string& fallback = "") const;
};
bool ParseArgs(const Args& args, const std::vector<std::string>& flags,
               const std::vector<std::string>& withValue, ParsedArgs* parsed, std::string* error);

// Pages larger than the library's limit (lumivant::kDefaultMaxPageSize
// unless --max-size, which every command takes and ParseArgs reads, says
// otherwise; 0: none but the library's own, 4 GiB) are refused while they
// are read, before memory runs out.
inline constexpr char kMaxSizeOption[] = "--max-size";
// The limit in force, for the options of the library's calls.
std::size_t MaxPageBytes();

// Loads a page ("-" is standard input). On failure prints
// "lumivant: PATH: reason" and returns false.
bool LoadPage(const std::string& path, std::string* bytes);
// The same, giving "PATH: reason" in reason instead of printing it, for
// commands that report each page's trouble in their own output.
bool ReadPage(const std::string& path, std::string* bytes, std::string* reason);

// The code page named by a --charset value (a number or a label), or, when
// the value is empty, the one detected from the page's bytes. On an unknown
// value prints an error and returns 0.
LVTCharset::CHARSET ResolveCharset(const std::string& option, const std::string& bytes);

// The stemming language a --language value names ("english" when empty).
// Prints the valid names and returns false for an unknown one.
bool LanguageFromOption(const std::string& name, LVTLanguage::Language::StemmingType* type);

// A query as the user typed it, prepared for parsing with language, in UTF-8.
std::string PreparedQueryUtf8(const std::string& query, const LVTLanguage::Language& language);

// A ratio as JSON: finite, the shortest form that reads back the same.
std::string FormatRatio(double ratio);
// text as a JSON string, quotes included.
std::string JsonString(const std::string& text);

// Writes a whole document to path (empty or "-": standard output) through
// Output; on failure prints the reason, or gives it in reason when not null,
// and returns false.
bool EmitDocument(const std::string& path, const std::string& bytes, std::string* reason = nullptr);

// Output to standard output, or to a file written through a temporary file
// in the same folder that replaces the target only on Commit(), so a failed
// run never leaves a half-written or clobbered file.
class Output {
 public:
  Output() = default;
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output();  // removes an uncommitted temporary file

  // path empty or "-": standard output. Prints an error (or gives it in
  // reason when not null) and returns false when the temporary file cannot
  // be made.
  bool Open(const std::string& path, std::string* reason = nullptr);
  bool Write(const std::string& bytes);
  // Flushes, closes and renames; prints an error (or gives it in reason) and
  // returns false on failure.
  bool Commit(std::string* reason = nullptr);

 private:
  std::string m_Path;
  std::string m_TempPath;
  std::FILE* m_File = nullptr;
  bool m_Failed = false;
};

}  // namespace lumivant_cli

#endif  // LUMIVANT_TOOLS_CLI_H_
