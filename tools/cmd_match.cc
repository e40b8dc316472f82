// lumivant match: lists the pages that match a query, as grep -l lists
// files: 0 when a page matched, 1 when none did, 2 on trouble.
#include <atomic>
#include <cstdio>
#include <cstdlib>
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

const char kUsage[] =
    "usage: lumivant match [options] QUERY PAGE...\n"
    "\n"
    "Prints the name of each PAGE (\"-\" for standard input) that matches "
    "QUERY,\n"
    "one per line, as grep -l does. The query is prepared and parsed once for\n"
    "all pages. A page that cannot be read is reported on standard error and\n"
    "the other pages are still searched.\n"
    "\n"
    "options:\n"
    "  --charset CS     character set of every PAGE: code page number or "
    "label\n"
    "                   (default: detected for each page, as for lumivant "
    "text)\n"
    "  --language L     stemming language of query and pages: english "
    "(default),\n"
    "                   none, french, ...\n"
    "  --unicode-words  words of every script, case and diacritics folded\n"
    "                   (always on for arabic, greek, russian, ...)\n"
    "  --changes-only   the pages are change reports from lumivant diff: "
    "search\n"
    "                   only their changed regions\n"
    "  --count          print NAME:N for every page read, N being the number "
    "of\n"
    "                   hits (highlight groups) of the query in it; a page "
    "can\n"
    "                   match with 0 hits (a query that is only a negation)\n"
    "  -j N             search N pages at once (default: 1); the names are\n"
    "                   printed in the order given all the same\n"
    "  --help           show this text\n"
    "\n"
    "exit status: 0 when at least one page matched, 1 when none did, 2 on\n"
    "trouble (a bad query or option, or a page that could not be read), as\n"
    "grep does.\n"
    "\n"
    "examples:\n"
    "  lumivant match '\"harbour bridge\" near:5 traffic' news/*.html\n"
    "  lumivant diff old.html new.html | lumivant match --changes-only 'price "
    "near:3 drop' -\n";

struct MatchOptions {
  std::string charset;
  bool changesOnly = false;
  bool count = false;
};

enum class PageResult { kMatch, kNoMatch, kTrouble };

// What to print for a page is kept in line, so that pages searched at once
// are printed in the order given.
PageResult MatchPage(const std::string& path, const lumivant::Query& query,
                     const MatchOptions& options, std::string* line) {
  std::string bytes;
  if (!LoadPage(path, &bytes)) return PageResult::kTrouble;
  lumivant::PageOptions pageOptions;
  const LVTCharset::CHARSET charset = ResolveCharset(options.charset, bytes);
  if (charset == 0) return PageResult::kTrouble;
  pageOptions.charset = std::to_string(charset);
  pageOptions.changes_only = options.changesOnly;
  pageOptions.max_size = MaxPageBytes();
  const bool matches = query.Matches(bytes, pageOptions);
  const std::string name = path == "-" ? "(standard input)" : path;
  if (options.count)
    *line = name + ":" + std::to_string(query.CountHits(bytes, pageOptions)) + "\n";
  else if (matches)
    *line = name + "\n";
  return matches ? PageResult::kMatch : PageResult::kNoMatch;
}

}  // namespace

int RunMatch(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--changes-only", "--count", "--unicode-words", "--help", "-h"},
                 {"--charset", "--language", "-j"}, &parsed, &error))
    return Fail("match: " + error);
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() < 2)
    return Fail(
        "match: expected QUERY and at least one PAGE (try lumivant match "
        "--help)");
  int stdinPages = 0;
  for (std::size_t i = 1; i < parsed.operands.size(); ++i)
    if (parsed.operands[i] == "-") ++stdinPages;
  if (stdinPages > 1) return Fail("match: standard input can stand for only one PAGE");

  MatchOptions options;
  options.charset = parsed.Value("--charset");
  options.changesOnly = parsed.Has("--changes-only");
  options.count = parsed.Has("--count");
  // Checked once here rather than once per page.
  if (!options.charset.empty() && LVTCharset::CodePageFromLabel(options.charset) == 0)
    return Fail("unknown or unsupported character set: " + options.charset);
  LVTLanguage::Language::StemmingType type;
  if (!LanguageFromOption(parsed.Value("--language"), &type)) return kExitTrouble;
  lumivant::QueryOptions queryOptions;
  queryOptions.language = LVTLanguage::Language::StemmingTypeName(type);
  queryOptions.unicode_words = parsed.Has("--unicode-words");
  std::optional<lumivant::Query> query;
  try {
    query.emplace(parsed.operands[0], queryOptions);
  } catch (const lumivant::QueryError& e) {
    return Fail(std::string("bad query: ") + e.what());
  }

  const std::string jobs = parsed.Value("-j", "1");
  char* end = nullptr;
  const long threads = std::strtol(jobs.c_str(), &end, 10);
  if (jobs.empty() || *end != '\0' || threads < 1 || threads > 1024)
    return Fail("match: -j takes a number of threads from 1 to 1024, not " + jobs);

  bool anyMatch = false;
  bool trouble = false;
  const std::size_t pages = parsed.operands.size() - 1;
  auto record = [&](PageResult result) {
    anyMatch = anyMatch || result == PageResult::kMatch;
    trouble = trouble || result == PageResult::kTrouble;
  };
  if (threads == 1) {
    for (std::size_t i = 0; i < pages; ++i) {
      std::string line;
      record(MatchPage(parsed.operands[i + 1], *query, options, &line));
      std::fputs(line.c_str(), stdout);
    }
  } else {
    std::vector<PageResult> results(pages, PageResult::kNoMatch);
    std::vector<std::string> lines(pages);
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (long t = 0; t < threads; ++t)
      workers.emplace_back([&] {
        for (std::size_t i; (i = next++) < pages;)
          results[i] = MatchPage(parsed.operands[i + 1], *query, options, &lines[i]);
      });
    for (std::thread& worker : workers) worker.join();
    for (std::size_t i = 0; i < pages; ++i) {
      record(results[i]);
      std::fputs(lines[i].c_str(), stdout);
    }
  }
  if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  if (trouble) return kExitTrouble;
  return anyMatch ? kExitSame : kExitDifferent;
}

}  // namespace lumivant_cli
