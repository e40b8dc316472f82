// The terminal view of a page's text behind diff --text and highlight
// --text: one line per block of the page, marked pieces shown in colour (or
// reverse video, or in brackets), like a word diff.
#ifndef LUMIVANT_TOOLS_TEXT_VIEW_H_
#define LUMIVANT_TOOLS_TEXT_VIEW_H_

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tools/cli.h"

namespace lumivant_cli {

// How a piece of a line is shown.
enum class Mark : int { kPlain = -3, kAdded = -2, kRemoved = -1 };
// A hit of query term N (from 0) is shown as Mark(N).
inline Mark TermMark(unsigned term) { return static_cast<Mark>(term); }

struct Span {
  std::u16string text;
  Mark mark = Mark::kPlain;
};
using Line = std::vector<Span>;

// How marks are written: ANSI colours; bold, reverse and struck (for
// NO_COLOR); or in brackets, {+added+} and [-removed-], with no escapes.
enum class Style { kColour, kMono, kBrackets };

// The style a --color value (auto, always or never; empty: auto) asks for
// on stream; auto gives colours on a terminal unless NO_COLOR is set (then
// bold and reverse), and brackets elsewhere. False for an unknown value.
bool StyleFromOption(const std::string& option, std::FILE* stream, Style* style);

// Checks the options of a command with a text view (--text, --context N,
// --color WHEN; excluded by --json) and gives the style and the context
// (-1: all lines). Prints what is wrong, after the command's name, and
// returns false.
bool TextViewOptions(const std::string& command, const ParsedArgs& parsed, bool json, Style* style,
                     int* context);

// Makes the spans of one text node: its byte offset in the page and its
// text as the parser decoded it.
using SpanMaker = std::function<void(uint32_t offset, const std::u16string& text, Line& line)>;

// The lines of page (UTF-8, as the library read it): each block of the page
// starts a line; each text node gives its spans through makeSpans.
std::vector<Line> PageLines(const std::string& utf8Page, const SpanMaker& makeSpans);

// Prints lines with white space collapsed, leaving out empty ones; with
// context >= 0, only lines holding a mark and context lines around each,
// "--" between hunks that do not touch. False when writing failed.
bool PrintLines(const std::vector<Line>& lines, Style style, int context, std::FILE* out);

}  // namespace lumivant_cli

#endif  // LUMIVANT_TOOLS_TEXT_VIEW_H_
