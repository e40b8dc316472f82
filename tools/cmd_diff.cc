// lumivant diff: compares two versions of a page and writes the new one with
// every added, changed or moved piece of text marked, as diff does with
// its exit status: 0 nothing changed, 1 something did, 2 trouble.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "facade/diff_details.h"
#include "foundation/charset/transcode.h"
#include "lumivant/lumivant.h"
#include "lumivant/memory_buffer.h"
#include "tools/cli.h"
#include "tools/text_view.h"

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
  --word-level           in a changed text, mark only the words that are
                         new or changed (the whole text when more of its
                         words changed than stayed)
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
  --details              with --json, also list what changed, in plain
                         UTF-8 text:
                         "groups":[{"anchor":"Change1","text":T,"words":N}]
                         one per group of changes in page order, T being the
                         text the report highlights after that anchor, white
                         space collapsed; and "removed":[{"text":T,
                         "before":"ChangeN"}] the texts of OLD that NEW no
                         longer has (removed, or replaced by the text of a
                         group), each with the anchor of the group it is
                         part of or stands before (null when none follows)
  --text                 print NEW's text instead of the report, a line per
                         block, added, changed and moved text highlighted
                         and OLD's removed text struck, like a word diff
  --context N            with --text, print only the changed lines and N
                         lines around each, "--" between distant hunks
  --color WHEN           with --text: auto (the default: colour on a
                         terminal, bold and reverse when NO_COLOR is set),
                         always, or never ({+added+} and [-removed-])
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

// The new page's text with the changes of details marked.
std::vector<Line> ChangedLines(const Page& page,
                               const LVTDT::CompareHtmlDocuments::Details& details) {
  // Offsets count bytes of the page in UTF-8, as the comparer read it.
  LVTFile::MemoryBuffer original{std::string(page.bytes)};
  LVTFile::MemoryBuffer utf8;
  LVTCharset::TranscodeStream(page.charset, LVTCharset::kUtf8, original, utf8, false);
  std::set<uint32_t> changed;
  std::multimap<uint32_t, std::pair<std::size_t, std::size_t>> words;  // word level
  for (const auto& group : details.m_Groups) {
    for (const auto& stretch : group.m_Stretches)
      words.emplace(stretch.m_Piece, std::make_pair(stretch.m_First, stretch.m_Last));
    for (const auto& piece : group.m_Pieces) changed.insert(piece.first);
  }
  std::multimap<uint32_t, const std::u16string*> removed;
  for (const auto& removal : details.m_Removed) removed.emplace(removal.m_Offset, &removal.m_Text);

  auto removedBefore = [&](uint32_t offset, Line& line) {
    const auto range = removed.equal_range(offset);
    for (auto it = range.first; it != range.second; ++it) {
      line.push_back({*it->second, Mark::kRemoved});
      line.push_back({u" ", Mark::kPlain});
    }
  };
  std::vector<Line> lines =
      PageLines(utf8.Bytes(), [&](uint32_t offset, const std::u16string& text, Line& line) {
        removedBefore(offset, line);
        const auto marked = words.equal_range(offset);
        if (marked.first == marked.second) {
          line.push_back({text, changed.count(offset) != 0 ? Mark::kAdded : Mark::kPlain});
          return;
        }
        std::size_t at = 0;
        for (auto it = marked.first; it != marked.second; ++it) {
          const std::size_t first = std::min(std::max(it->second.first, at), text.size());
          const std::size_t last = std::min(std::max(it->second.second, first), text.size());
          if (first > at) line.push_back({text.substr(at, first - at), Mark::kPlain});
          if (last > first) line.push_back({text.substr(first, last - first), Mark::kAdded});
          at = last;
        }
        if (at < text.size()) line.push_back({text.substr(at), Mark::kPlain});
      });
  lines.emplace_back();
  removedBefore(LVTDT::CompareHtmlDocuments::Details::kAtEnd, lines.back());
  return lines;
}

std::string DetailsJson(const lumivant::DiffResult& result) {
  std::string json = ",\"groups\":[";
  for (const lumivant::DiffGroup& group : result.groups) {
    if (json.back() == '}') json += ',';
    json += "{\"anchor\":" + JsonString(group.anchor) + ",\"text\":" + JsonString(group.text) +
            ",\"words\":" + std::to_string(group.words) + "}";
  }
  json += "],\"removed\":[";
  for (const lumivant::DiffRemoval& removal : result.removed) {
    if (json.back() == '}') json += ',';
    json += "{\"text\":" + JsonString(removal.text) +
            ",\"before\":" + (removal.before.empty() ? "null" : JsonString(removal.before)) + "}";
  }
  return json + "]";
}

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
                 {"--ignore-case", "--ignore-digits", "--ignore-punctuation", "--word-level",
                  "--no-header", "--no-scripts", "--json", "--details", "--text", "--help", "-h"},
                 {"-o", "--charset", "--old-charset", "--new-charset", "--highlight-start",
                  "--highlight-end", "--context", "--color"},
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

  const bool json = parsed.Has("--json");
  const bool text = parsed.Has("--text");
  if (parsed.Has("--details") && !json) return Fail("diff: --details goes with --json");
  Style style;
  int context = -1;
  if (!TextViewOptions("diff", parsed, json, &style, &context)) return kExitTrouble;

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
  options.word_level = parsed.Has("--word-level");
  options.header = !parsed.Has("--no-header");
  options.no_scripts = parsed.Has("--no-scripts");
  options.max_size = MaxPageBytes();
  // Either string given alone keeps the other's default.
  if (parsed.Has("--highlight-start") || parsed.Has("--highlight-end")) {
    options.highlight_start = parsed.Value("--highlight-start", lumivant::kDefaultHighlightStart);
    options.highlight_end = parsed.Value("--highlight-end", lumivant::kDefaultHighlightEnd);
  }
  LVTDT::CompareHtmlDocuments::Details details;
  const lumivant::DiffResult result =
      lumivant::DiffWithDetails(oldPage.bytes, newPage.bytes, options, details);

  if ((!(json || text) || parsed.Has("-o")) && !EmitDocument(parsed.Value("-o"), result.report))
    return kExitTrouble;
  if (json) {
    std::printf("{\"changes\":%u,\"changed_words\":%u,\"change_ratio\":%s%s}\n", result.changes,
                result.changed_words, FormatRatio(result.change_ratio).c_str(),
                parsed.Has("--details") ? DetailsJson(result).c_str() : "");
    if (std::fflush(stdout) != 0) return Fail("standard output: write failed");
  }
  if (text && !PrintLines(ChangedLines(newPage, details), style, context, stdout))
    return Fail("standard output: write failed");
  return result.changed_words == 0 ? kExitSame : kExitDifferent;
}

}  // namespace lumivant_cli
