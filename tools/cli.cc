#include "tools/cli.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "foundation/base/file_loader.h"
#include "foundation/charset/labels.h"
#include "foundation/charset/transcode.h"
#include "lumivant/lumivant.h"
#include "query/compiled_query.h"

namespace lumivant_cli {

int Fail(const std::string& message) {
  std::fprintf(stderr, "lumivant: %s\n", message.c_str());
  return kExitTrouble;
}

namespace {

std::size_t g_MaxPageBytes = lumivant::kDefaultMaxPageSize;

// "1000", "64K", "256M", "1G" (binary multiples); false for anything else.
bool ParseSize(const std::string& text, std::size_t* size) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long number = std::strtoull(text.c_str(), &end, 10);
  if (text.empty() || end == text.c_str() || errno != 0 || text[0] == '-') return false;
  unsigned shift = 0;
  const std::string unit = end;
  if (unit == "K" || unit == "k")
    shift = 10;
  else if (unit == "M" || unit == "m")
    shift = 20;
  else if (unit == "G" || unit == "g")
    shift = 30;
  else if (!unit.empty())
    return false;
  if (number > (std::numeric_limits<std::size_t>::max() >> shift)) return false;
  *size = static_cast<std::size_t>(number) << shift;
  return true;
}

}  // namespace

std::size_t MaxPageBytes() { return g_MaxPageBytes; }

bool ParsedArgs::Has(const std::string& name) const {
  for (const auto& option : options)
    if (option.first == name) return true;
  return false;
}

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
  std::string value = fallback;
  for (const auto& option : options)
    if (option.first == name) value = option.second;
  return value;
}

static bool Listed(const std::vector<std::string>& list, const std::string& name) {
  for (const auto& item : list)
    if (item == name) return true;
  return false;
}

bool ParseArgs(const Args& args, const std::vector<std::string>& flags,
               const std::vector<std::string>& withValue, ParsedArgs* parsed, std::string* error) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg == "-" || arg.size() < 2 || arg[0] != '-') {
      parsed->operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::string value;
    bool inlineValue = false;
    std::size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    }
    if (name == kMaxSizeOption) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) {
          *error = "option " + name + " needs a value";
          return false;
        }
        value = args[++i];
      }
      if (!ParseSize(value, &g_MaxPageBytes)) {
        *error = "bad size for " + name + ": " + value + " (bytes, or a number with K, M or G)";
        return false;
      }
    } else if (Listed(flags, name) && !inlineValue) {
      parsed->options.emplace_back(name, "");
    } else if (Listed(withValue, name)) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) {
          *error = "option " + name + " needs a value";
          return false;
        }
        value = args[++i];
      }
      parsed->options.emplace_back(name, value);
    } else {
      *error = "unknown option " + arg + " (try --help)";
      return false;
    }
  }
  return true;
}

bool ReadPage(const std::string& path, std::string* bytes, std::string* reason) {
  std::string error;
  bool tooLarge = false;
  if (LVTFile::ReadWholeFile(path, bytes, &error, g_MaxPageBytes, &tooLarge)) return true;
  const std::string name = path == "-" ? std::string("standard input") : path;
  *reason = tooLarge ? std::string(lumivant::PageTooLarge(name, g_MaxPageBytes).what()) + " (use " +
                           kMaxSizeOption + ")"
                     : name + ": " + error;
  return false;
}

bool LoadPage(const std::string& path, std::string* bytes) {
  std::string reason;
  if (ReadPage(path, bytes, &reason)) return true;
  Fail(reason);
  return false;
}

std::string FormatRatio(double ratio) {
  char text[32];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, ratio);
    if (std::strtod(text, nullptr) == ratio) break;
  }
  return text;
}

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
      json += escape;
    } else {
      json += c;
    }
  }
  return json + '"';
}

LVTCharset::CHARSET ResolveCharset(const std::string& option, const std::string& bytes) {
  if (option.empty()) return LVTCharset::DetectCharset(bytes);
  LVTCharset::CHARSET cs = LVTCharset::CodePageFromLabel(option);
  if (cs == 0) Fail("unknown or unsupported character set: " + option);
  return cs;
}

bool LanguageFromOption(const std::string& name, LVTLanguage::Language::StemmingType* type) {
  if (name.empty()) {
    *type = LVTLanguage::Language::kEnglish;
    return true;
  }
  if (LVTLanguage::Language::StemmingTypeFromName(name, type)) return true;
  std::string names;
  for (const std::string& known : LVTLanguage::Language::StemmingTypeNames())
    names += (names.empty() ? "" : ", ") + known;
  Fail("unknown language '" + name + "' (one of: " + names + ")");
  return false;
}

std::string PreparedQueryUtf8(const std::string& query, const LVTLanguage::Language& language) {
  return LVTCharset::WideToUtf8(
      LVTDT::CompiledQuery::Prepare(LVTCharset::Utf8ToWide(query), language));
}

bool EmitDocument(const std::string& path, const std::string& bytes, std::string* reason) {
  Output out;
  if (!out.Open(path, reason)) return false;
  out.Write(bytes);  // a failed write is reported by Commit
  return out.Commit(reason);
}

// Prints message, or gives it in reason when not null; returns false.
static bool Report(const std::string& message, std::string* reason) {
  if (reason != nullptr)
    *reason = message;
  else
    Fail(message);
  return false;
}

Output::~Output() {
  if (m_File != nullptr && m_File != stdout) std::fclose(m_File);
  if (!m_TempPath.empty()) std::remove(m_TempPath.c_str());
}

bool Output::Open(const std::string& path, std::string* reason) {
  if (path.empty() || path == "-") {
    m_File = stdout;
    return true;
  }
  m_Path = path;
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) return Report(path + ": " + std::strerror(errno), reason);
  m_TempPath = temp;
  m_File = fdopen(fd, "wb");
  if (m_File == nullptr) {
    const int error = errno;
    ::close(fd);
    return Report(path + ": " + std::strerror(error), reason);
  }
  return true;
}

bool Output::Write(const std::string& bytes) {
  if (m_File == nullptr || m_Failed) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), m_File) != bytes.size()) m_Failed = true;
  return !m_Failed;
}

bool Output::Commit(std::string* reason) {
  if (m_File == nullptr) return false;
  const std::string target = m_Path.empty() ? "standard output" : m_Path;
  if (std::fflush(m_File) != 0) m_Failed = true;
  if (m_File != stdout) {
    if (std::fclose(m_File) != 0) m_Failed = true;
    m_File = nullptr;
  }
  if (m_Failed) return Report(target + ": write failed: " + std::strerror(errno), reason);
  if (!m_TempPath.empty()) {
    if (std::rename(m_TempPath.c_str(), m_Path.c_str()) != 0)
      return Report(m_Path + ": " + std::strerror(errno), reason);
    m_TempPath.clear();
  }
  return true;
}

}  // namespace lumivant_cli
