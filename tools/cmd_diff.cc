// lumivant diff: compares two versions of a page and writes the new one with
// every added, changed or moved piece of text marked, as diff does with
// its exit status: 0 nothing changed, 1 something did, 2 trouble.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "changes/report_format.h"
#include "foundation/charset/transcode.h"
#include "lumivant/compare_html_documents.h"
#include "lumivant/memory_buffer.h"
#include "tools/cli.h"

namespace lumivant_cli {

namespace {

const char kUsage[] =
    "usage: lumivant diff [options] OLD NEW\n"
    "\n"
    "Compares two versions of an HTML page (either may be \"-\" for standard\n"
    "input) and writes NEW in UTF-8 with every piece of text that was added,\n"
    "changed or moved wrapped in <LumivantChanges> markers and the highlight\n"
    "strings, and a named anchor (Change1, Change2, ...) before each group of\n"
    "neighbouring changes. Removed text is counted, not shown. Everything "
    "else\n"
    "of NEW, markup included, is copied unchanged. A stored report may be "
    "given\n"
    "back as OLD: its markers are read as blanks.\n"
    "\n"
    "options:\n"
    "  -o FILE                write the report to FILE (through a temporary "
    "file\n"
    "                         renamed at the end) instead of standard output\n"
    "  --charset CS           character set of both pages: code page number "
    "or\n"
    "                         label (default: detected, as for lumivant text)\n"
    "  --old-charset CS       character set of OLD (overrides --charset)\n"
    "  --new-charset CS       character set of NEW (overrides --charset)\n"
    "  --ignore-case          compare Latin letters without regard to case\n"
    "  --ignore-digits        read digits as blanks when comparing\n"
    "  --ignore-punctuation   read everything but letters and digits as "
    "blanks\n"
    "                         when comparing\n"
    "  --no-header            do not start the report with the generated-file\n"
    "                         comment and the head that declares UTF-8\n"
    "  --highlight-start S    written before each changed piece, inside the\n"
    "                         markers (default: <font color=#800000\n"
    "                         style=background-color:#FFFF00>)\n"
    "  --highlight-end E      written after each changed piece (default: "
    "</font>)\n"
    "  --json                 print one line\n"
    "                         "
    "{\"changes\":N,\"changed_words\":N,\"change_ratio\":R}\n"
    "                         instead of the report (which still goes to -o "
    "FILE\n"
    "                         when given): the groups of changes, the words "
    "added,\n"
    "                         changed, moved or removed, and the share of "
    "NEW's\n"
    "                         words that are added, changed or moved (0 when "
    "NEW\n"
    "                         has no words)\n"
    "  --help                 show this text\n"
    "\n"
    "exit status: 0 when nothing changed (no changed words), 1 when something\n"
    "did, 2 on trouble.\n"
    "\n"
    "example:\n"
    "  lumivant diff -o report.html news-v1.html news-v2.html\n";

// One input page with its character set.
struct Page {
  std::string bytes;
  LVTCharset::CHARSET charset = 0;
};

bool LoadWithCharset(const std::string& path, const std::string& charsetOption, Page* page) {
  if (!LoadPage(path, &page->bytes)) return false;
  page->charset = ResolveCharset(charsetOption, page->bytes);
  return page->charset != 0;
}

// The ratio as JSON: finite, shortest form that reads back the same.
std::string FormatRatio(double ratio) {
  char text[32];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, ratio);
    if (std::strtod(text, nullptr) == ratio) break;
  }
  return text;
}

}  // namespace

int RunDiff(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args,
                 {"--ignore-case", "--ignore-digits", "--ignore-punctuation", "--no-header",
                  "--json", "--help", "-h"},
                 {"-o", "--charset", "--old-charset", "--new-charset", "--highlight-start",
                  "--highlight-end"},
                 &parsed, &error)) {
    return Fail("diff: " + error);
  }
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() != 2) {
    return Fail("diff: expected OLD and NEW (try lumivant diff --help)");
  }
  if (parsed.operands[0] == "-" && parsed.operands[1] == "-") {
    return Fail("diff: standard input can stand for only one of OLD and NEW");
  }

  const std::string charset = parsed.Value("--charset");
  Page oldPage;
  Page newPage;
  if (!LoadWithCharset(parsed.operands[0], parsed.Value("--old-charset", charset), &oldPage) ||
      !LoadWithCharset(parsed.operands[1], parsed.Value("--new-charset", charset), &newPage)) {
    return kExitTrouble;
  }

  LVTDT::CompareHtmlDocuments comparer;
  comparer.IgnoreCase(parsed.Has("--ignore-case"));
  comparer.IgnoreDigits(parsed.Has("--ignore-digits"));
  comparer.IgnoreNonAlphaNum(parsed.Has("--ignore-punctuation"));
  comparer.AddEncodingHeader(!parsed.Has("--no-header"));
  if (parsed.Has("--highlight-start") || parsed.Has("--highlight-end")) {
    comparer.HighlightString(
        WideFromUtf8(parsed.Value("--highlight-start", LVTDT::kDefaultHighlightStart)),
        WideFromUtf8(parsed.Value("--highlight-end", LVTDT::kDefaultHighlightEnd)));
  }

  LVTFile::MemoryBuffer oldStream(std::move(oldPage.bytes));
  LVTFile::MemoryBuffer newStream(std::move(newPage.bytes));
  LVTFile::MemoryBuffer report;
  unsigned changes = 0;
  unsigned changedWords = 0;
  double ratio = 0.0;
  comparer.DetectChanges(oldStream, oldPage.charset, newStream, newPage.charset, report, changes,
                         changedWords, ratio);

  const bool json = parsed.Has("--json");
  if ((!json || parsed.Has("-o")) && !EmitDocument(parsed.Value("-o"), report.Bytes()))
    return kExitTrouble;
  if (json) {
    std::printf("{\"changes\":%u,\"changed_words\":%u,\"change_ratio\":%s}\n", changes,
                changedWords, FormatRatio(ratio).c_str());
    if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  }
  return changedWords == 0 ? kExitSame : kExitDifferent;
}

}  // namespace lumivant_cli
