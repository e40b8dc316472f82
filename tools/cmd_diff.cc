// lumivant diff: compares two versions of a page and writes the new one with
// every added, changed or moved piece of text marked, as diff does with
// its exit status: 0 nothing changed, 1 something did, 2 trouble.
#include <cstdio>
#include <string>

#include "lumivant/lumivant.h"
#include "tools/cli.h"

namespace lumivant_cli {

namespace {

const char kUsage[] = R"(usage: lumivant diff [options] OLD NEW

Compares two versions of an HTML page (either may be "-" for standard input)
and writes NEW in UTF-8 with every piece of text that was added, changed or
moved wrapped in <LumivantChanges> markers and the highlight strings, and a
named anchor (Change1, Change2, ...) before each group of neighbouring
changes. Removed text is counted, not shown. Everything else of NEW, markup
included, is copied unchanged. A stored report may be given back as OLD: it
compares equal to the page it was made from.

options:
  -o FILE                write the report to FILE (through a temporary file
                         renamed at the end) instead of standard output
  --charset CS           character set of both pages: code page number or
                         label (default: detected, as for lumivant text)
  --old-charset CS       character set of OLD (overrides --charset)
  --new-charset CS       character set of NEW (overrides --charset)
  --ignore-case          compare Latin letters without regard to case
  --ignore-digits        read digits as blanks when comparing
  --ignore-punctuation   read everything but letters and digits as blanks
                         when comparing
  --no-header            do not start the report with the generated-file
                         comment and the head that declares UTF-8
  --no-scripts           the head also carries a Content-Security-Policy
                         under which a browser runs none of the page's
                         scripts or plug-ins: for reports of untrusted pages
  --highlight-start S    written before each changed piece, inside the
                         markers (default: <font color=#800000
                         style=background-color:#FFFF00>; when both strings
                         are empty, the defaults)
  --highlight-end E      written after each changed piece (default: </font>)
  --json                 print one line
                         {"changes":N,"changed_words":N,"change_ratio":R}
                         instead of the report (which still goes to -o FILE
                         when given): the groups of changes, the words added,
                         changed, moved or removed, and the share of NEW's
                         words that are added, changed or moved (0 when NEW
                         has no words)
  --help                 show this text

exit status: 0 when nothing changed (no changed words), 1 when something
did, 2 on trouble.

example:
  lumivant diff -o report.html news-v1.html news-v2.html
)";

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

}  // namespace

int RunDiff(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args,
                 {"--ignore-case", "--ignore-digits", "--ignore-punctuation", "--no-header",
                  "--no-scripts", "--json", "--help", "-h"},
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

  lumivant::DiffOptions options;
  options.old_charset = std::to_string(oldPage.charset);
  options.new_charset = std::to_string(newPage.charset);
  options.ignore_case = parsed.Has("--ignore-case");
  options.ignore_digits = parsed.Has("--ignore-digits");
  options.ignore_punctuation = parsed.Has("--ignore-punctuation");
  options.header = !parsed.Has("--no-header");
  options.no_scripts = parsed.Has("--no-scripts");
  // Either string given alone keeps the other's default.
  if (parsed.Has("--highlight-start") || parsed.Has("--highlight-end")) {
    options.highlight_start = parsed.Value("--highlight-start", lumivant::kDefaultHighlightStart);
    options.highlight_end = parsed.Value("--highlight-end", lumivant::kDefaultHighlightEnd);
  }
  const lumivant::DiffResult result = lumivant::Diff(oldPage.bytes, newPage.bytes, options);

  const bool json = parsed.Has("--json");
  if ((!json || parsed.Has("-o")) && !EmitDocument(parsed.Value("-o"), result.report))
    return kExitTrouble;
  if (json) {
    std::printf("{\"changes\":%u,\"changed_words\":%u,\"change_ratio\":%s}\n", result.changes,
                result.changed_words, FormatRatio(result.change_ratio).c_str());
    if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  }
  return result.changed_words == 0 ? kExitSame : kExitDifferent;
}

}  // namespace lumivant_cli
