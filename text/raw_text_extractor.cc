#include "lumivant/raw_text_extractor.h"

#include <algorithm>
#include <string>
#include <utility>

#include "foundation/base/string_utils.h"
#include "foundation/html/anchor_safety.h"
#include "foundation/html/doc_parser.h"
#include "foundation/html/page_text_walk.h"

namespace LVTDT {

using LVTParser::HtmlTreeNode;

LVTParser::HtmlKeywordTable RawTextExtractor::ms_HtmlKeyTable(2);

namespace {

// Makes a run of each text node the walk meets.
struct RunCollector {
  bool highlighted;  // a change report: runs outside its markers are excluded
  RawTextList& runs;
  // The last run a text moved out of a table may join: one with more than
  // white space (white space stays in the table), and the separator blanks
  // behind it.
  RawText* joinable = nullptr;
  uint32_t blanks = 0;

  void Text(const HtmlTreeNode& node, const LVTParser::PageTextContext& context) {
    RawTextHandle run = LVT::MakeSmart<RawText>();
    std::u16string text;
    node.GetText(text);
    LVTBase::BeautifyString(text, run->m_Text, false, true);
    if (run->m_Text.empty()) return;
    run->m_Start = node.Offset();
    run->m_Length = node.Length();
    run->m_Excluded = highlighted && !context.inChangesMarker;
    run->m_Fostered = node.Fostered();
    run->m_AnchorPos = LVTParser::SafeAnchorOffset(
        context.inLink ? context.linkOffset : run->m_Start, context.openLink, context.liveLinks);
    if (run->m_Fostered && joinable != nullptr) joinable->m_UnwrittenBlanks = blanks;
    const bool blank = std::all_of(run->m_Text.begin(), run->m_Text.end(),
                                   [](char16_t c) { return LVTBase::IsBlank(c); });
    if (run->m_Fostered || !blank) {
      joinable = run.Get();
      blanks = 0;
    }
    runs.push_back(std::move(run));
  }
  // A word boundary: one blank behind the last run.
  void Boundary() {
    if (runs.empty()) return;
    LVTBase::AppendToFinished(runs.back()->m_Text, u' ');
    if (runs.back().Get() == joinable) ++blanks;
  }
  void EnterLink(const HtmlTreeNode&, const LVTParser::PageTextContext&) {}
  void LeaveLink() {}
};

}  // namespace

bool RawTextExtractor::IsInlineKeyword(uint8_t keywordId) {
  return LVTParser::HtmlKeywordTable::IsInlineId(keywordId);
}

void RawTextExtractor::GetRawTextFromHtml(LVTBase::BinaryStreamBuf& page,
                                          LVTCharset::CHARSET charset, RawTextList& runs) {
  GetRawText(page, charset, false, runs);
}

void RawTextExtractor::GetRawTextFromHighlightedHtml(LVTBase::BinaryStreamBuf& page,
                                                     LVTCharset::CHARSET charset,
                                                     RawTextList& runs) {
  GetRawText(page, charset, true, runs);
}

void RawTextExtractor::GetRawTextFromText(const std::u16string& text, RawTextList& runs) {
  runs.push_back(LVT::MakeSmart<RawText>());
  RawText& run = *runs.back();
  run.m_Text = text;
  run.m_Start = 0;
  run.m_Length = static_cast<uint32_t>(text.size());
  run.m_AnchorPos = 0;
}

void RawTextExtractor::GetRawText(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset,
                                  bool highlighted, RawTextList& runs) {
  LVTParser::HtmlDocTree tree(charset);
  LVTParser::HtmlDocParser parser(page, ms_HtmlKeyTable, tree);
  parser.Parse();
  const LVTParser::LiveLinks liveLinks(tree.LinkSpans());
  LVTParser::PageTextContext context;
  // A report's text starts outside every change marker.
  context.inChangesMarker = !highlighted;
  context.liveLinks = &liveLinks;
  RunCollector collector{highlighted, runs};
  LVTParser::WalkPageText(LVTParser::PageTextNodes(tree), context, collector);
}

}  // namespace LVTDT
