// Fuzz case for HtmlQueryHighlighter::HighlightHtml. Input: an options
// byte (bit 0: highlighted input; bits 1-2: which colour tags), the page's
// character set, the query, "|||", and the page.
//
// Invariants: a rejected query raises the documented exception that
// CreateSimpleQuery raises for it, with nothing written and no anchors; an
// empty page gives false, no output and an untouched count; otherwise the
// output is the header (unless the input is highlighted) and the page in
// UTF-8 with anchors Query1..QueryN, N the count; it has exactly the page's
// elements apart from hit markers, colour tags and anchors, and the page's
// text; a page without anchors is copied unchanged; a second run writes the
// same bytes.
#ifndef LUMIVANT_FUZZ_HIGHLIGHT_CASE_H_
#define LUMIVANT_FUZZ_HIGHLIGHT_CASE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/element_list.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/query_case.h"
#include "fuzz/query_outcome.h"
#include "fuzz/report_checks.h"
#include "fuzz/transcode_case.h"
#include "lumivant/code_page.h"
#include "lumivant/create_simple_query.h"
#include "lumivant/html_query_highlighter.h"
#include "lumivant/memory_buffer.h"

namespace lvt_fuzz {

inline constexpr std::size_t kHighlightMaxInput = 16 * 1024;

using ColourTags = LVTDT::HtmlQueryHighlighter::ColourTags;

// The caller's colour tags: none, two of its own, an empty list, or tags
// that write nothing.
inline const ColourTags* ColourChoice(std::size_t choice) {
  static const ColourTags kOwn = {{u"<span class=\"hit\">", u"</span>"}, {u"<i>", u"</i>"}};
  static const ColourTags kEmpty;
  static const ColourTags kBare = {{u"", u""}};
  const ColourTags* const choices[] = {nullptr, &kOwn, &kEmpty, &kBare};
  return choices[choice % 4];
}

struct Highlighted {
  QueryOutcome outcome;
  bool match = false;
  uint32_t anchors = 0;
  std::string page;
};

// anchors starts at a value that no call leaves behind.
inline Highlighted RunHighlighter(const LVTDT::HtmlQueryHighlighter& highlighter,
                                  const std::string& page, LVTCharset::CHARSET charset,
                                  bool highlightedInput) {
  LVTFile::MemoryBuffer in(page);
  LVTFile::MemoryBuffer out;
  Highlighted result;
  result.anchors = 0xC0FFEE;
  result.outcome = Outcome([&] {
    result.match = highlighter.HighlightHtml(in, charset, out, result.anchors, highlightedInput);
  });
  result.page = out.Bytes();
  return result;
}

inline std::string RejectionFault(const Highlighted& result, const std::u16string& query) {
  if (result.anchors != 0 || !result.page.empty()) return "a rejected query left anchors or output";
  const QueryOutcome simple =
      Outcome([&] { LVTDT::CreateSimpleQuery(query, OccurrenceMapHandle()); });
  if (simple.kind != result.outcome.kind)
    return "HighlightHtml raised " + result.outcome.kind + ", CreateSimpleQuery " + simple.kind;
  return "";
}

inline std::string OutputFault(const Highlighted& result, const std::string& source,
                               const LVTDT::HtmlQueryHighlighter& highlighter,
                               bool highlightedInput) {
  std::string body = result.page;
  if (!highlightedInput && !TakeHeader(body, kHighlightHeader))
    return "the highlighted page lacks its header";
  if (result.anchors == 0 && body != source) return "a page without hits was not copied unchanged";
  OwnMarkup own{"lumivantquery", "Query", {}};
  for (const auto& tags : highlighter.ColourTagsUtf8()) own.AddInnerTags(tags.first);
  if (const std::string fault = ElementDifference(source, body, own); !fault.empty())
    return "the highlighted page's elements differ from the page's: " + fault;
  if (ParsePage(body).text != ParsePage(source).text)
    return "the highlighted page's text differs from the page's";
  if (Contains(source, "<a name=\"Query")) return "";
  return AnchorFault(body, "Query", result.anchors);
}

inline std::string HighlightCase(const uint8_t* data, std::size_t size) {
  if (size > kHighlightMaxInput) return "";
  FuzzInput input(data, size);
  const uint8_t options = input.TakeByte();
  const bool highlightedInput = options & 1;
  const LVTCharset::CHARSET charset = TakeCharset(input);
  const std::u16string query = Utf8ToWide(input.TakeText());
  const std::string page = input.TakeRest();

  const LVTDT::HtmlQueryHighlighter highlighter(query, nullptr, ColourChoice(options >> 1));
  const Highlighted result = RunHighlighter(highlighter, page, charset, highlightedInput);
  if (!result.outcome.fault.empty()) return "HighlightHtml: " + result.outcome.fault;
  if (page.empty()) {
    if (result.match || result.anchors != 0xC0FFEE || !result.page.empty())
      return "an empty page was not left alone";
    return "";
  }
  if (!result.outcome.ok()) return RejectionFault(result, query);

  std::string source =
      charset == LVTCharset::kUtf8 ? page : Transcode(charset, LVTCharset::kUtf8, page).bytes;
  if (!highlightedInput) source = BehindHeader(std::move(source));
  if (const std::string fault = OutputFault(result, source, highlighter, highlightedInput);
      !fault.empty())
    return fault;
  const Highlighted again = RunHighlighter(highlighter, page, charset, highlightedInput);
  if (again.page != result.page || again.match != result.match || again.anchors != result.anchors)
    return "a second run wrote something else";
  return "";
}

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_HIGHLIGHT_CASE_H_
