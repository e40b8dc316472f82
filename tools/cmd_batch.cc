// lumivant batch: compares many pairs of pages on every core, one JSON line
// per pair in manifest order; exit status as diff's over the whole batch.
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/charset/labels.h"
#include "lumivant/language.h"
#include "lumivant/lumivant.h"
#include "tools/cli.h"

namespace lumivant_cli {

namespace {

const char kUsage[] = R"(usage: lumivant batch [options] MANIFEST

Compares every pair of pages that MANIFEST ("-" for standard input) lists,
one pair a line: OLD<TAB>NEW, or OLD<TAB>NEW<TAB>REPORT to also write the
report of lumivant diff to REPORT (through a temporary file renamed at the
end). Blank lines and lines starting with # are skipped. Prints one JSON
line per pair, in manifest order:
  {"old":OLD,"new":NEW,"changes":N,"changed_words":N,"change_ratio":R}
with "match":true|false,"hits":N added under --query, or
  {"old":OLD,"new":NEW,"error":REASON}
for a pair that could not be compared; the other pairs go on.

options:
  every option of lumivant diff but -o and --json (charsets, --ignore-*,
  --word-level, --no-header, --no-scripts, --highlight-start,
  --highlight-end), and
  -j N                   compare N pairs at once (default: one per core)
  --query Q              search the changes of each report for Q, as
                         lumivant highlight --changes-only does
  --language L           stemming language of the query (default: english)
  --unicode-words        the query's words are of every script (as for
                         lumivant highlight)
  --progress             show progress on standard error even when it is
                         not a terminal
  --quiet                show no progress
  --help                 show this text

exit status: 0 when no pair changed (with --query: no pair matched), 1 when
some did, 2 when a pair could not be compared or on trouble.

example:
  lumivant batch -j 4 --query 'price near:3 drop' pages.tsv > results.jsonl
)";

struct Pair {
  std::size_t index = 0;
  std::string oldPath, newPath, reportPath, problem;
};

struct Outcome {
  std::string line;
  bool changed = false, failed = false;
};

// What every pair shares: read-only once the batch starts.
struct Job {
  lumivant::DiffOptions diff;
  std::string oldCharset, newCharset;  // options as given; empty: detected
  std::optional<lumivant::Query> query;
};

// The fields of a manifest line; false for a comment or a blank line.
bool ParseLine(const std::string& raw, std::size_t index, Pair* pair) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty() || line[0] == '#') return false;
  std::vector<std::string> fields(1);
  for (const char c : line) {
    if (c == '\t')
      fields.emplace_back();
    else
      fields.back() += c;
  }
  pair->index = index;
  pair->oldPath = fields[0];
  pair->newPath = fields.size() > 1 ? fields[1] : "";
  pair->reportPath = fields.size() > 2 ? fields[2] : "";
  if (fields.size() < 2 || fields.size() > 3 || pair->oldPath.empty() || pair->newPath.empty())
    pair->problem = "expected OLD<TAB>NEW or OLD<TAB>NEW<TAB>REPORT";
  else if (pair->oldPath == "-" || pair->newPath == "-" || pair->reportPath == "-")
    pair->problem = "standard input and output cannot stand for a page or a report here";
  return true;
}

bool LoadSide(const std::string& path, const std::string& option, std::string* bytes,
              std::string* charset, std::string* reason) {
  if (!ReadPage(path, bytes, reason)) return false;
  // Validated before the batch starts, so never 0 here.
  *charset = std::to_string(option.empty() ? LVTCharset::DetectCharset(*bytes)
                                           : LVTCharset::CodePageFromLabel(option));
  return true;
}

Outcome Compare(const Pair& pair, const Job& job) {
  const std::string head =
      "{\"old\":" + JsonString(pair.oldPath) + ",\"new\":" + JsonString(pair.newPath);
  std::string reason = pair.problem;
  if (reason.empty()) {
    try {
      lumivant::DiffOptions options = job.diff;
      std::string oldBytes, newBytes;
      if (LoadSide(pair.oldPath, job.oldCharset, &oldBytes, &options.old_charset, &reason) &&
          LoadSide(pair.newPath, job.newCharset, &newBytes, &options.new_charset, &reason)) {
        const lumivant::DiffResult result = lumivant::Diff(oldBytes, newBytes, options);
        if (pair.reportPath.empty() || EmitDocument(pair.reportPath, result.report, &reason)) {
          Outcome outcome;
          outcome.changed = result.changed_words != 0;
          outcome.line = head + ",\"changes\":" + std::to_string(result.changes) +
                         ",\"changed_words\":" + std::to_string(result.changed_words) +
                         ",\"change_ratio\":" + FormatRatio(result.change_ratio);
          if (job.query) {
            lumivant::PageOptions report;
            report.charset = "utf-8";  // every report is, whatever it declares
            report.changes_only = true;
            report.max_size = 0;  // our own output, from pages within the limit
            outcome.changed = job.query->Matches(result.report, report);
            outcome.line +=
                std::string(",\"match\":") + (outcome.changed ? "true" : "false") +
                ",\"hits\":" + std::to_string(job.query->CountHits(result.report, report));
          }
          outcome.line += "}\n";
          return outcome;
        }
      }
    } catch (const std::exception& e) {
      reason = e.what();
    }
  }
  Outcome outcome;
  outcome.failed = true;
  outcome.line = head + ",\"error\":" + JsonString(reason) + "}\n";
  return outcome;
}

// Pairs in a manifest file, counted ahead for the progress bar; 0 when
// unknown (standard input).
std::size_t CountPairs(const std::string& path) {
  if (path == "-") return 0;
  std::ifstream in(path, std::ios::binary);
  std::size_t count = 0;
  Pair pair;
  for (std::string line; std::getline(in, line);) count += ParseLine(line, 0, &pair) ? 1 : 0;
  return count;
}

std::string Clock(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

// "[#####     ] 12/45 pairs, 3.2 pairs/s, 0:00:10 left" on standard error,
// redrawn in place.
class Progress {
 public:
  Progress(bool shown, std::size_t total) : m_Shown(shown), m_Total(total) {}
  void Update(std::size_t done, bool last) {
    if (!m_Shown) return;
    const auto now = std::chrono::steady_clock::now();
    if (!last && now - m_Drawn < std::chrono::milliseconds(200)) return;
    m_Drawn = now;
    const double seconds = std::chrono::duration<double>(now - m_Start).count();
    const double rate = seconds > 0 ? done / seconds : 0;
    std::string bar;
    if (m_Total != 0) {
      const std::size_t width = 30, full = done * width / m_Total;
      bar = "[" + std::string(full, '#') + std::string(width - full, ' ') + "] " +
            std::to_string(done) + "/" + std::to_string(m_Total);
    } else {
      bar = std::to_string(done);
    }
    char rest[96];
    std::snprintf(rest, sizeof rest, " pairs, %.1f pairs/s", rate);
    bar += rest;
    if (m_Total != 0 && rate > 0 && !last) bar += ", " + Clock((m_Total - done) / rate) + " left";
    std::fprintf(stderr, "\r%s\033[K%s", bar.c_str(), last ? "\n" : "");
  }

 private:
  bool m_Shown;
  std::size_t m_Total;
  std::chrono::steady_clock::time_point m_Start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point m_Drawn;
};

// Pairs go from the manifest reader through a bounded queue to the workers,
// and their lines to the printer in manifest order; at most `window` pairs
// are between reading and printing, so memory does not grow with the
// manifest.
class Batch {
 public:
  Batch(const Job& job, std::size_t threads, Progress* progress)
      : m_Job(job), m_Window(threads * 4), m_Progress(progress) {
    for (std::size_t i = 0; i < threads; ++i) m_Workers.emplace_back([this] { Work(); });
    m_Printer = std::thread([this] { Print(); });
  }
  ~Batch() { Finish(); }

  void Add(Pair pair) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    m_Room.wait(lock, [&] { return m_Read - m_Printed < m_Window; });
    ++m_Read;
    m_Queue.push_back(std::move(pair));
    m_Ready.notify_all();
  }

  void Finish() {
    {
      std::lock_guard<std::mutex> lock(m_Mutex);
      if (m_Ended) return;
      m_Ended = true;
    }
    m_Ready.notify_all();
    for (std::thread& worker : m_Workers) worker.join();
    m_Done.notify_all();
    m_Printer.join();
  }

  bool Changed() const { return m_Changed; }
  bool Failed() const { return m_Failed; }

 private:
  void Work() {
    for (;;) {
      Pair pair;
      {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Ready.wait(lock, [&] { return m_Ended || !m_Queue.empty(); });
        if (m_Queue.empty()) return;
        pair = std::move(m_Queue.front());
        m_Queue.pop_front();
      }
      Outcome outcome = Compare(pair, m_Job);
      std::lock_guard<std::mutex> lock(m_Mutex);
      m_Results.emplace(pair.index, std::move(outcome));
      m_Done.notify_all();
    }
  }

  void Print() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    for (;;) {
      m_Done.wait(lock, [&] {
        return m_Results.count(m_Printed) != 0 || (m_Ended && m_Printed == m_Read);
      });
      auto next = m_Results.find(m_Printed);
      if (next == m_Results.end()) break;
      const Outcome outcome = std::move(next->second);
      m_Results.erase(next);
      lock.unlock();
      std::fwrite(outcome.line.data(), 1, outcome.line.size(), stdout);
      lock.lock();
      m_Changed = m_Changed || outcome.changed;
      m_Failed = m_Failed || outcome.failed;
      ++m_Printed;
      m_Progress->Update(m_Printed, false);
      m_Room.notify_all();
    }
  }

  const Job& m_Job;
  const std::size_t m_Window;
  Progress* m_Progress;
  std::mutex m_Mutex;
  std::condition_variable m_Ready, m_Done, m_Room;
  std::deque<Pair> m_Queue;
  std::map<std::size_t, Outcome> m_Results;
  std::size_t m_Read = 0, m_Printed = 0;
  bool m_Ended = false, m_Changed = false, m_Failed = false;
  std::vector<std::thread> m_Workers;
  std::thread m_Printer;
};

}  // namespace

int RunBatch(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args,
                 {"--ignore-case", "--ignore-digits", "--ignore-punctuation", "--word-level",
                  "--no-header", "--no-scripts", "--progress", "--quiet", "--unicode-words",
                  "--help", "-h"},
                 {"-j", "--charset", "--old-charset", "--new-charset", "--highlight-start",
                  "--highlight-end", "--query", "--language"},
                 &parsed, &error)) {
    return Fail("batch: " + error);
  }
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() != 1)
    return Fail("batch: expected one MANIFEST (try lumivant batch --help)");

  Job job;
  const std::string charset = parsed.Value("--charset");
  job.oldCharset = parsed.Value("--old-charset", charset);
  job.newCharset = parsed.Value("--new-charset", charset);
  for (const std::string& option : {job.oldCharset, job.newCharset})
    if (!option.empty() && LVTCharset::CodePageFromLabel(option) == 0)
      return Fail("unknown or unsupported character set: " + option);
  job.diff.ignore_case = parsed.Has("--ignore-case");
  job.diff.ignore_digits = parsed.Has("--ignore-digits");
  job.diff.ignore_punctuation = parsed.Has("--ignore-punctuation");
  job.diff.word_level = parsed.Has("--word-level");
  job.diff.header = !parsed.Has("--no-header");
  job.diff.no_scripts = parsed.Has("--no-scripts");
  job.diff.max_size = MaxPageBytes();
  if (parsed.Has("--highlight-start") || parsed.Has("--highlight-end")) {
    job.diff.highlight_start = parsed.Value("--highlight-start", lumivant::kDefaultHighlightStart);
    job.diff.highlight_end = parsed.Value("--highlight-end", lumivant::kDefaultHighlightEnd);
  }
  if (parsed.Has("--query")) {
    LVTLanguage::Language::StemmingType type;
    if (!LanguageFromOption(parsed.Value("--language"), &type)) return kExitTrouble;
    lumivant::QueryOptions queryOptions;
    queryOptions.language = LVTLanguage::Language::StemmingTypeName(type);
    queryOptions.unicode_words = parsed.Has("--unicode-words");
    try {
      job.query.emplace(parsed.Value("--query"), queryOptions);
    } catch (const lumivant::QueryError& e) {
      return Fail(std::string("bad query: ") + e.what());
    }
  }
  std::size_t threads = std::thread::hardware_concurrency();
  if (parsed.Has("-j")) {
    const std::string value = parsed.Value("-j");
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || n < 1 || n > 1024)
      return Fail("batch: -j takes a number of threads from 1 to 1024, not " + value);
    threads = static_cast<std::size_t>(n);
  }
  if (threads == 0) threads = 1;

  const std::string manifest = parsed.operands[0];
  std::ifstream file;
  if (manifest != "-") {
    file.open(manifest, std::ios::binary);
    if (!file) return Fail(manifest + ": cannot open the manifest");
  }
  std::istream& in = manifest == "-" ? std::cin : file;
  const bool shown = !parsed.Has("--quiet") && (parsed.Has("--progress") || isatty(2));
  Progress progress(shown, shown ? CountPairs(manifest) : 0);

  Batch batch(job, threads, &progress);
  std::size_t index = 0;
  Pair pair;
  for (std::string line; std::getline(in, line);) {
    if (!ParseLine(line, index, &pair)) continue;
    batch.Add(std::move(pair));
    pair = Pair();
    ++index;
  }
  const bool readFailed = in.bad();
  batch.Finish();
  progress.Update(index, true);
  if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  if (readFailed) return Fail(manifest + ": read failed");
  if (batch.Failed()) return kExitTrouble;
  return batch.Changed() ? kExitDifferent : kExitSame;
}

}  // namespace lumivant_cli
