// lumivant text: prints the runs of text the library reads in a page, one per
// line, so that what search and change detection see can be checked by eye
// or by script.
#include <cstdio>
#include <string>

#include "foundation/charset/transcode.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "tools/cli.h"

namespace lumivant_cli {

namespace {

const char kUsage[] =
    "usage: lumivant text [--charset CS] [--changes-only] PAGE\n"
    "\n"
    "Prints the runs of text found in PAGE (\"-\" for standard input), one per\n"
    "line, in page order, as five fields separated by a tab:\n"
    "  start     byte offset of the run's text in PAGE\n"
    "  length    its length in bytes of PAGE\n"
    "  anchor    where a named anchor for a hit in the run would go: the start\n"
    "            of the enclosing link when the run is in one, else start\n"
    "  excluded  1 when words of the run are not searched (see --changes-only)\n"
    "  text      the run's text, white space collapsed, with a blank added for\n"
    "            each element around it that separates words; backslash, tab,\n"
    "            line feed, carriage return and other control characters are\n"
    "            written \\\\, \\t, \\n, \\r and \\xHH\n"
    "\n"
    "options:\n"
    "  --charset CS     character set of PAGE: code page number or label\n"
    "                   (default: byte-order mark, then <meta> in the first 1024\n"
    "                   bytes, then UTF-8 if the bytes are valid UTF-8, else\n"
    "                   windows-1252)\n"
    "  --changes-only   PAGE is a change report from lumivant diff: runs outside\n"
    "                   its changed regions are marked excluded\n"
    "  --help           show this text\n"
    "\n"
    "exit status: 0 on success, 2 on trouble.\n";

// Escapes the UTF-8 text of a run for one tab-separated field.
std::string Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char hex[5];
          std::snprintf(hex, sizeof(hex), "\\x%02X", c);
          out += hex;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  return out;
}

}  // namespace

int RunText(const Args& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--changes-only", "--help", "-h"}, {"--charset"}, &parsed, &error))
    return Fail("text: " + error);
  if (parsed.Has("--help") || parsed.Has("-h")) {
    std::fputs(kUsage, stdout);
    return kExitSame;
  }
  if (parsed.operands.size() != 1)
    return Fail("text: expected one PAGE (try lumivant text --help)");
  std::string bytes;
  if (!LoadPage(parsed.operands[0], &bytes)) return kExitTrouble;
  const LVTCharset::CHARSET charset = ResolveCharset(parsed.Value("--charset"), bytes);
  if (charset == 0) return kExitTrouble;

  LVTFile::MemoryBuffer page(std::move(bytes));
  LVTDT::RawTextList runs;
  if (parsed.Has("--changes-only"))
    LVTDT::RawTextExtractor::GetRawTextFromHighlightedHtml(page, charset, runs);
  else
    LVTDT::RawTextExtractor::GetRawTextFromHtml(page, charset, runs);

  Output output;
  if (!output.Open("")) return kExitTrouble;
  std::string line;
  for (const LVTDT::RawTextHandle& run : runs) {
    line = std::to_string(run->m_Start) + '\t' + std::to_string(run->m_Length) + '\t' +
           std::to_string(run->m_AnchorPos) + '\t' + (run->m_Excluded ? "1" : "0") + '\t' +
           Escape(Utf8FromWide(run->m_Text)) + '\n';
    output.Write(line);
  }
  return output.Commit() ? kExitSame : kExitTrouble;
}

}  // namespace lumivant_cli
