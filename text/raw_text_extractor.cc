#include "lumivant/raw_text_extractor.h"

#include <vector>

#include "foundation/base/string_utils.h"
#include "foundation/html/anchoring_link.h"
#include "foundation/html/doc_parser.h"

namespace LVTDT {

using LVTParser::HtmlNodeHandle;
using LVTParser::HtmlTreeNode;

LVTParser::HtmlKeywordTable RawTextExtractor::ms_HtmlKeyTable(2);

namespace {

void AppendBlankToLast(RawTextList& runs) {
  if (!runs.empty()) runs.back()->m_Text.push_back(u' ');
}

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
  LVTParser::HtmlNodeRange top = tree.TopLevel();
  if (tree.NodeCount() == 0 || top.empty() || !(*top.begin())->HasChildren()) return;
  const HtmlNodeHandle* last = top.end();
  const bool excluded = highlighted;
  RecursiveParse(top.begin(), last, false, 0, excluded, highlighted, runs);
}

void RawTextExtractor::RecursiveParse(const HtmlNodeHandle* first,
                                      const HtmlNodeHandle* const& last, bool inLink,
                                      uint32_t linkPosition, const bool& excluded, bool highlighted,
                                      RawTextList& runs) {
  // One frame per range of siblings being visited; blankAfter: the element
  // that opened the range separates words, so its content ends with a blank.
  struct Frame {
    const HtmlNodeHandle* next;
    const HtmlNodeHandle* last;
    bool inLink;
    uint32_t linkPosition;
    bool excluded;
    bool blankAfter;
  };
  std::vector<Frame> frames;
  frames.push_back(Frame{first, last, inLink, linkPosition, excluded, false});
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next == frame.last) {
      const bool blank = frame.blankAfter;
      frames.pop_back();
      if (blank) AppendBlankToLast(runs);
      continue;
    }
    const HtmlTreeNode& node = **frame.next++;
    const uint8_t id = node.KeywordId();
    if (id == LVTParser::kSkippedKeyword) continue;
    if (id == LVTParser::kTextKeyword) {
      RawTextHandle run = LVT::MakeSmart<RawText>();
      std::u16string text;
      node.GetText(text);
      LVTBase::BeautifyString(text, run->m_Text, false, true);
      run->m_Start = node.Offset();
      run->m_Length = node.Length();
      run->m_Excluded = frame.excluded;
      run->m_AnchorPos = frame.inLink ? frame.linkPosition : run->m_Start;
      if (!run->m_Text.empty()) runs.push_back(std::move(run));
      continue;
    }
    LVTParser::HtmlNodeRange children = node.Children();
    if (LVTParser::IsAnchoringLink(node)) {
      if (!children.empty())
        frames.push_back(
            Frame{children.begin(), children.end(), true, node.Offset(), frame.excluded, false});
      continue;
    }
    const bool separates = !IsInlineKeyword(id);
    if (separates) AppendBlankToLast(runs);
    if (children.empty()) {
      if (separates) AppendBlankToLast(runs);
      continue;
    }
    const bool childExcluded =
        (highlighted && id == LVTParser::kChangesMarkerKeyword) ? false : frame.excluded;
    frames.push_back(Frame{children.begin(), children.end(), frame.inLink, frame.linkPosition,
                           childExcluded, separates});
  }
}

}  // namespace LVTDT
