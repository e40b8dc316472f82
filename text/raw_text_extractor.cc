#include "lumivant/raw_text_extractor.h"

#include <string>
#include <utility>

#include "foundation/base/string_utils.h"
#include "foundation/html/anchor_safety.h"
#include "foundation/html/doc_parser.h"
#include "foundation/html/page_text_walk.h"

namespace LVTDT {

using LVTParser::HtmlNodeHandle;
using LVTParser::HtmlTreeNode;

LVTParser::HtmlKeywordTable RawTextExtractor::ms_HtmlKeyTable(2);

namespace {

// Makes a run of each text node the walk meets.
struct RunCollector {
  bool highlighted;  // a change report: runs outside its markers are excluded
  RawTextList& runs;

  void Text(const HtmlTreeNode& node, const LVTParser::PageTextContext& context) {
    RawTextHandle run = LVT::MakeSmart<RawText>();
    std::u16string text;
    node.GetText(text);
    LVTBase::BeautifyString(text, run->m_Text, false, true);
    run->m_Start = node.Offset();
    run->m_Length = node.Length();
    run->m_Excluded = highlighted && !context.inChangesMarker;
    run->m_Fostered = node.Fostered();
    run->m_AnchorPos = LVTParser::SafeAnchorOffset(
        context.inLink ? context.linkOffset : run->m_Start, context.openLink);
    if (!run->m_Text.empty()) runs.push_back(std::move(run));
  }
  // A word boundary: one blank behind the last run.
  void Boundary() {
    if (!runs.empty()) LVTBase::AppendToFinished(runs.back()->m_Text, u' ');
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
  const LVTParser::HtmlNodeRange nodes = LVTParser::PageTextNodes(tree);
  RecursiveParse(nodes.begin(), nodes.end(), false, 0, highlighted, highlighted, runs);
}

void RawTextExtractor::RecursiveParse(const HtmlNodeHandle* first,
                                      const HtmlNodeHandle* const& last, bool inLink,
                                      uint32_t linkPosition, const bool& excluded, bool highlighted,
                                      RawTextList& runs) {
  LVTParser::PageTextContext context;
  context.inLink = inLink;
  context.linkOffset = linkPosition;
  // An excluded start is one outside every change marker of a report.
  context.inChangesMarker = !excluded;
  RunCollector collector{highlighted, runs};
  LVTParser::WalkPageText(LVTParser::HtmlNodeRange(first, last), context, collector);
}

}  // namespace LVTDT
