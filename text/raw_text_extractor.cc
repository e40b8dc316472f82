#include "lumivant/raw_text_extractor.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "foundation/base/string_utils.h"
#include "foundation/html/doc_parser.h"

namespace LVTDT {

using LVTParser::HtmlNodeHandle;
using LVTParser::HtmlTreeNode;

LVTParser::HtmlKeywordTable RawTextExtractor::ms_HtmlKeyTable(2);

namespace {

// The inline ids, sorted, filled once on first use.
std::vector<uint8_t> g_InlineIds;
std::atomic<bool> g_InlineIdsReady{false};
std::mutex g_InlineIdsLock;

void BuildInlineIds() {
  std::lock_guard<std::mutex> hold(g_InlineIdsLock);
  if (g_InlineIdsReady.load(std::memory_order_relaxed)) return;
  g_InlineIds.reserve(15);
  for (uint8_t id : {32, 31, 6, 36, 7, 13, 51, 30, 34, 10, 52, 38, 29, 25, 19, 69, 70})
    g_InlineIds.push_back(id);
  std::sort(g_InlineIds.begin(), g_InlineIds.end());
  g_InlineIdsReady.store(true, std::memory_order_release);
}

bool IsQualifyingLink(const HtmlTreeNode& node) {
  return node.KeywordId() == LVTParser::kLinkKeyword &&
         (node.IsParam("href") || node.IsParam("class"));
}

void AppendBlankToLast(RawTextList& runs) {
  if (!runs.empty()) runs.back()->m_Text.push_back(u' ');
}

}  // namespace

bool RawTextExtractor::IsInlineKeyword(uint8_t keywordId) {
  if (!g_InlineIdsReady.load(std::memory_order_acquire)) BuildInlineIds();
  auto bound = std::lower_bound(g_InlineIds.begin(), g_InlineIds.end(), keywordId);
  return bound != g_InlineIds.end() && *bound == keywordId;
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
    if (IsQualifyingLink(node)) {
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
