// Helpers for the change-report tests: running a comparison on byte strings
// and taking a report apart again.
#ifndef LUMIVANT_TESTS_CHANGES_REPORT_TESTING_H_
#define LUMIVANT_TESTS_CHANGES_REPORT_TESTING_H_

#include <gtest/gtest.h>

#include <string>

#include "changes/report_format.h"
#include "foundation/charset/transcode.h"
#include "lumivant/code_page.h"
#include "lumivant/compare_html_documents.h"
#include "lumivant/memory_buffer.h"

namespace lvt_changes_testing {

struct Report {
  std::string page;  // the report's bytes
  unsigned changes = 0;
  unsigned changedWords = 0;
  double ratio = -1.0;  // what the caller set: kept when the new page has no words
};

// Runs a comparison on byte strings.
inline Report Compare(const LVTDT::CompareHtmlDocuments& comparer, const std::string& oldPage,
                      const std::string& newPage,
                      LVTCharset::CHARSET oldCharset = LVTCharset::kUtf8,
                      LVTCharset::CHARSET newCharset = LVTCharset::kUtf8) {
  LVTFile::MemoryBuffer oldStream(oldPage);
  LVTFile::MemoryBuffer newStream(newPage);
  LVTFile::MemoryBuffer out;
  Report report;
  comparer.DetectChanges(oldStream, oldCharset, newStream, newCharset, out, report.changes,
                         report.changedWords, report.ratio);
  report.page = out.Bytes();
  return report;
}

inline Report Compare(const std::string& oldPage, const std::string& newPage) {
  return Compare(LVTDT::CompareHtmlDocuments(), oldPage, newPage);
}

// The report without the header (when it starts with it), the anchors, the
// markers and the given highlight strings. Fails the current test when the
// anchors do not run Change1, Change2, ... up to `changes`, or when a marker
// is not paired with its highlight string.
inline std::string StripReport(const std::string& report, unsigned changes,
                               const std::string& highlightStart, const std::string& highlightEnd) {
  std::string text = report;
  const std::string header = LVTDT::kReportHeader;
  if (text.compare(0, header.size(), header) == 0) text.erase(0, header.size());
  std::string out;
  const std::string open = std::string(LVTDT::kChangeOpen) + highlightStart;
  const std::string close = highlightEnd + LVTDT::kChangeClose;
  unsigned anchors = 0;
  bool inPiece = false;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::string anchor = LVTDT::ChangeAnchor(anchors + 1);
    if (!inPiece && text.compare(at, anchor.size(), anchor) == 0) {
      ++anchors;
      at += anchor.size();
    } else if (!inPiece && text.compare(at, open.size(), open) == 0) {
      inPiece = true;
      at += open.size();
    } else if (inPiece && text.compare(at, close.size(), close) == 0) {
      inPiece = false;
      at += close.size();
    } else {
      out += text[at++];
    }
  }
  EXPECT_FALSE(inPiece) << "unclosed change marker";
  EXPECT_EQ(changes, anchors) << "anchors must run Change1..ChangeN";
  EXPECT_EQ(std::string::npos, out.find(LVTDT::ChangeAnchor(anchors + 1)));
  return out;
}

inline std::string StripReport(const Report& report) {
  return StripReport(report.page, report.changes, LVTDT::kDefaultHighlightStart,
                     LVTDT::kDefaultHighlightEnd);
}

// The marked pieces of a report, in order, separated by " | ".
inline std::string MarkedPieces(const std::string& report) {
  const std::string open = LVTDT::kChangeOpen;
  const std::string close = LVTDT::kChangeClose;
  std::string out;
  for (std::size_t at = report.find(open); at != std::string::npos;
       at = report.find(open, at + 1)) {
    std::size_t start = at + open.size();
    const std::size_t end = report.find(close, start);
    if (end == std::string::npos) break;
    std::string piece = report.substr(start, end - start);
    const std::string hs = LVTDT::kDefaultHighlightStart;
    const std::string he = LVTDT::kDefaultHighlightEnd;
    if (piece.compare(0, hs.size(), hs) == 0) piece.erase(0, hs.size());
    if (piece.size() >= he.size() && piece.compare(piece.size() - he.size(), he.size(), he) == 0) {
      piece.erase(piece.size() - he.size());
    }
    if (!out.empty()) out += " | ";
    out += piece;
  }
  return out;
}

// The page converted to UTF-8 as the comparer converts it.
inline std::string ToUtf8(const std::string& page, LVTCharset::CHARSET charset) {
  LVTFile::MemoryBuffer in(page);
  LVTFile::MemoryBuffer out;
  LVTCharset::TranscodeStream(charset, LVTCharset::kUtf8, in, out, false);
  return out.Bytes();
}

}  // namespace lvt_changes_testing

#endif  // LUMIVANT_TESTS_CHANGES_REPORT_TESTING_H_
