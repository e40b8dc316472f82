#include "tools/text_view.h"

#include <unistd.h>

#include <cstdlib>

#include "foundation/base/string_utils.h"
#include "foundation/charset/transcode.h"
#include "foundation/html/doc_parser.h"
#include "foundation/html/page_text_walk.h"
#include "lumivant/html_keyword_table.h"
#include "lumivant/memory_buffer.h"

namespace lumivant_cli {

namespace {

// Starts a line at every block boundary; the walk's other events change
// nothing in the view.
class LineCollector {
 public:
  explicit LineCollector(const SpanMaker& makeSpans) : m_MakeSpans(makeSpans) {}
  void Text(const LVTParser::HtmlTreeNode& node, const LVTParser::PageTextContext&) {
    std::u16string text;
    node.GetText(text);
    if (m_Lines.empty()) m_Lines.emplace_back();
    m_MakeSpans(node.Offset(), text, m_Lines.back());
  }
  void Boundary() {
    if (m_Lines.empty() || !m_Lines.back().empty()) m_Lines.emplace_back();
  }
  void EnterLink(const LVTParser::HtmlTreeNode&, const LVTParser::PageTextContext&) {}
  void LeaveLink() {}
  std::vector<Line>& Lines() { return m_Lines; }

 private:
  const SpanMaker& m_MakeSpans;
  std::vector<Line> m_Lines;
};

// Escapes that open each mark in colour: added text black on yellow, as the
// report shows it; removed text red and struck; query terms on a background
// of their own, in the order the highlighted page gives them.
const char* const kTermColours[] = {"30;43", "30;46", "30;42",  "30;45",  "97;41",
                                    "97;44", "30;47", "97;100", "30;103", "30;106"};

std::string OpenMark(Mark mark, Style style) {
  if (mark == Mark::kPlain) return "";
  if (style == Style::kBrackets) return mark == Mark::kRemoved ? "[-" : "{+";
  if (mark == Mark::kRemoved) return style == Style::kColour ? "\x1b[9;31m" : "\x1b[9m";
  if (style == Style::kMono) return "\x1b[1;7m";
  if (mark == Mark::kAdded) return std::string("\x1b[") + kTermColours[0] + "m";
  const unsigned term = static_cast<unsigned>(mark);
  return std::string("\x1b[") + kTermColours[term % (sizeof kTermColours / sizeof *kTermColours)] +
         "m";
}

std::string CloseMark(Mark mark, Style style) {
  if (mark == Mark::kPlain) return "";
  if (style == Style::kBrackets) return mark == Mark::kRemoved ? "-]" : "+}";
  return "\x1b[0m";
}

bool IsAllBlank(const std::u16string& text) {
  for (const char16_t c : text)
    if (!LVTBase::IsBlank(c, true)) return false;
  return true;
}

bool HasMark(const Line& line) {
  for (const Span& span : line)
    if (span.mark != Mark::kPlain && !IsAllBlank(span.text)) return true;
  return false;
}

// One line as printed: white space collapsed and trimmed, the blanks
// between words kept outside the marks.
std::string Render(const Line& line, Style style) {
  std::string out;
  bool blank = false;  // white space waits until a word follows
  for (const Span& span : line) {
    std::u16string text;  // every run of white space one blank
    for (const char16_t c : span.text) {
      if (!LVTBase::IsBlank(c))
        text += c;
      else if (text.empty() || text.back() != u' ')
        text += u' ';
    }
    const bool marked = span.mark != Mark::kPlain && !IsAllBlank(text);
    std::size_t begin = 0;
    std::size_t end = text.size();
    if (begin < end && text[begin] == u' ') {
      blank = true;
      ++begin;
    }
    const bool trailing = end > begin && text[end - 1] == u' ';
    if (trailing) --end;
    if (begin < end) {
      if (blank && !out.empty()) out += ' ';
      blank = false;
      const std::string word = LVTCharset::WideToUtf8(text.substr(begin, end - begin));
      out += marked ? OpenMark(span.mark, style) + word + CloseMark(span.mark, style) : word;
    }
    blank = blank || trailing;
  }
  return out;
}

}  // namespace

bool StyleFromOption(const std::string& option, std::FILE* stream, Style* style) {
  if (option == "always") {
    *style = Style::kColour;
  } else if (option == "never") {
    *style = Style::kBrackets;
  } else if (option.empty() || option == "auto") {
    const char* noColour = std::getenv("NO_COLOR");
    if (!isatty(fileno(stream)))
      *style = Style::kBrackets;
    else
      *style = noColour != nullptr && *noColour != '\0' ? Style::kMono : Style::kColour;
  } else {
    return false;
  }
  return true;
}

bool TextViewOptions(const std::string& command, const ParsedArgs& parsed, bool json, Style* style,
                     int* context) {
  const bool text = parsed.Has("--text");
  if (json && text) return Fail(command + ": --json and --text exclude each other"), false;
  if ((parsed.Has("--context") || parsed.Has("--color")) && !text)
    return Fail(command + ": --context and --color go with --text"), false;
  if (!StyleFromOption(parsed.Value("--color"), stdout, style))
    return Fail(command + ": --color takes auto, always or never"), false;
  *context = -1;
  if (parsed.Has("--context")) {
    const std::string value = parsed.Value("--context");
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || number < 0 || number > 1000000)
      return Fail(command + ": --context takes a number of lines: " + value), false;
    *context = static_cast<int>(number);
  }
  return true;
}

std::vector<Line> PageLines(const std::string& utf8Page, const SpanMaker& makeSpans) {
  static const LVTParser::HtmlKeywordTable table;
  LVTFile::MemoryBuffer page{std::string(utf8Page)};
  LVTParser::HtmlDocTree tree(LVTCharset::kUtf8);
  LVTParser::HtmlDocParser parser(page, table, tree);
  parser.Parse();
  LineCollector collector(makeSpans);
  LVTParser::WalkPageText(LVTParser::PageTextNodes(tree), LVTParser::PageTextContext(), collector);
  return std::move(collector.Lines());
}

bool PrintLines(const std::vector<Line>& lines, Style style, int context, std::FILE* out) {
  std::vector<std::string> texts;
  std::vector<bool> marked;
  for (const Line& line : lines) {
    std::string text = Render(line, style);
    if (text.empty()) continue;
    texts.push_back(std::move(text));
    marked.push_back(HasMark(line));
  }
  // Lines to print: all, or those within context of a marked one.
  std::vector<bool> shown(texts.size(), context < 0);
  for (std::size_t k = 0; context >= 0 && k < texts.size(); ++k) {
    if (!marked[k]) continue;
    const std::size_t from = k > static_cast<std::size_t>(context) ? k - context : 0;
    for (std::size_t j = from; j < texts.size() && j <= k + context; ++j) shown[j] = true;
  }
  bool printed = false;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    if (!shown[k]) continue;
    if (printed && !shown[k - 1]) std::fputs("--\n", out);
    std::fputs(texts[k].c_str(), out);
    std::fputc('\n', out);
    printed = true;
  }
  return std::fflush(out) == 0 && !std::ferror(out);
}

}  // namespace lumivant_cli
