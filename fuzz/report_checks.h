// Taking a change report or a highlighted page apart again: the fixed texts
// the library writes, and the report without them.
#ifndef LUMIVANT_FUZZ_REPORT_CHECKS_H_
#define LUMIVANT_FUZZ_REPORT_CHECKS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"

namespace lvt_fuzz {

inline constexpr std::string_view kReportHeader =
    "<!-- Lumivant Generated File -->\n<html><head><meta "
    "http-equiv=\"Content-Type\" "
    "content=\"text/html; charset=utf-8\"></head>\n";
inline constexpr std::string_view kHighlightHeader =
    "<!-- Lumivant Generated file -->\n<html><head><meta "
    "http-equiv=\"Content-Type\" "
    "content=\"text/html; charset=utf-8\"></head>\n";
inline constexpr std::string_view kChangeOpen = "<LumivantChanges>";
inline constexpr std::string_view kChangeClose = "</LumivantChanges>";
inline constexpr std::string_view kHitOpen = "<LumivantQuery>";
inline constexpr std::string_view kHitClose = "</LumivantQuery>";

inline std::string Anchor(std::string_view prefix, unsigned number) {
  return "<a name=\"" + std::string(prefix) + std::to_string(number) + "\"></a>";
}

// Removes header from the front of text; false when text does not start
// with it.
// A page in UTF-8 as the writers copy it behind their header: without its
// byte-order mark.
inline std::string BehindHeader(std::string page) {
  if (page.compare(0, 3, "\xEF\xBB\xBF") == 0) page.erase(0, 3);
  return page;
}

inline bool TakeHeader(std::string& text, std::string_view header) {
  if (text.compare(0, header.size(), header) != 0) return false;
  text.erase(0, header.size());
  return true;
}

// The numbers of the anchors in text must run 1, 2, ... `count`; "" when they
// do. Text the page brought along must not look like an anchor.
inline std::string AnchorFault(std::string_view text, std::string_view prefix, unsigned count) {
  const std::string start = "<a name=\"" + std::string(prefix);
  unsigned seen = 0;
  for (std::size_t at = text.find(start); at != std::string_view::npos;
       at = text.find(start, at + 1)) {
    if (text.compare(at, Anchor(prefix, seen + 1).size(), Anchor(prefix, seen + 1)) != 0)
      return "anchor " + std::to_string(seen + 1) + " is missing or out of order";
    ++seen;
  }
  if (seen != count)
    return std::to_string(seen) + " anchors for a count of " + std::to_string(count);
  return "";
}

// A change report without its anchors, markers and highlight strings, read
// left to right: each changed piece must stand as open marker, highlight
// start, bytes, highlight end, close marker. Sets `fault` when a piece is
// not closed.
inline std::string StripChanges(std::string_view body, std::string_view highlightStart,
                                std::string_view highlightEnd, std::string* fault) {
  const std::string open = std::string(kChangeOpen) + std::string(highlightStart);
  const std::string close = std::string(highlightEnd) + std::string(kChangeClose);
  const std::string anchor = "<a name=\"Change";
  std::string page;
  bool inPiece = false;
  for (std::size_t at = 0; at < body.size();) {
    if (!inPiece && body.compare(at, anchor.size(), anchor) == 0) {
      at = body.find("</a>", at);
      at = at == std::string_view::npos ? body.size() : at + 4;
    } else if (!inPiece && body.compare(at, open.size(), open) == 0) {
      inPiece = true;
      at += open.size();
    } else if (inPiece && body.compare(at, close.size(), close) == 0) {
      inPiece = false;
      at += close.size();
    } else {
      page += body[at++];
    }
  }
  if (inPiece) *fault = "a changed piece without its closing marker";
  return page;
}

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_REPORT_CHECKS_H_
