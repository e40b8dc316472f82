#include "foundation/html_tree_fixup.h"

#include <algorithm>

#include "foundation/html_keyword_table.h"
#include "foundation/html_tree_builder.h"

namespace LVTParser {

namespace {

bool IsText(const HtmlTreeNode& node) { return node.KeywordId() == kTextKeyword; }

// Before SettleSpans, non-text nodes keep the end of their own tags where
// the length goes.
uint32_t OwnEnd(const HtmlTreeNode& node) {
  return IsText(node) ? node.End() : node.Length();
}

// Where a node begins in the page: its own offset, or for an element the
// page did not write, that of the first thing below it that has one.
uint32_t StartOf(const HtmlTreeNode& node) {
  if (node.Offset() != kUnsetOffset) return node.Offset();
  std::vector<const HtmlTreeNode*> pending{&node};
  while (!pending.empty()) {
    const HtmlTreeNode* current = pending.back();
    pending.pop_back();
    if (current->Offset() != kUnsetOffset) return current->Offset();
    HtmlNodeRange children = current->Children();
    for (const HtmlNodeHandle* child = children.end(); child != children.begin();)
      pending.push_back((--child)->Get());
  }
  return kUnsetOffset;
}

// How far a subtree reaches, following its last children.
uint32_t SubtreeEnd(const HtmlTreeNode& node) {
  uint32_t end = OwnEnd(node);
  const HtmlTreeNode* current = &node;
  while (current->HasChildren()) {
    current = (current->Children().end() - 1)->Get();
    end = std::max(end, OwnEnd(*current));
  }
  return end;
}

bool IsContainer(const HtmlTreeNode& node) {
  return node.KeywordId() != kTextKeyword && node.KeywordId() != kSkippedKeyword;
}

// Puts node inside table where its start falls: below the last child that
// begins before it when that child's span holds it, else right after it.
void InsertByOffset(HtmlTreeNode& table, HtmlNodeHandle node) {
  const uint32_t start = StartOf(*node);
  HtmlTreeNode* into = &table;
  for (;;) {
    std::vector<HtmlNodeHandle>& children = into->MutableChildren();
    std::size_t at = 0;
    HtmlTreeNode* before = nullptr;
    for (std::size_t k = children.size(); k-- > 0;) {
      uint32_t childStart = StartOf(*children[k]);
      if (childStart == kUnsetOffset || childStart > start) continue;
      before = children[k].Get();
      at = k + 1;
      break;
    }
    if (before != nullptr && IsContainer(*before) && start < SubtreeEnd(*before)) {
      into = before;
      continue;
    }
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(at), std::move(node));
    return;
  }
}

// The fostered nodes stand right before their table and begin after its
// start tag. Returns the table's new index.
std::size_t ReturnBeforeTable(std::vector<HtmlNodeHandle>& siblings, std::size_t tableIndex) {
  HtmlNodeHandle table = siblings[tableIndex];
  const uint32_t tableStart = table->Offset();
  std::size_t first = tableIndex;
  while (first > 0) {
    uint32_t start = StartOf(*siblings[first - 1]);
    if (start == kUnsetOffset || start <= tableStart) break;
    --first;
  }
  if (first == tableIndex) return tableIndex;
  std::vector<HtmlNodeHandle> fostered(siblings.begin() + static_cast<std::ptrdiff_t>(first),
                                       siblings.begin() + static_cast<std::ptrdiff_t>(tableIndex));
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(first),
                 siblings.begin() + static_cast<std::ptrdiff_t>(tableIndex));
  for (HtmlNodeHandle& node : fostered) InsertByOffset(*table, std::move(node));
  return first;
}

// Elements waiting for an offset (a node and its open ancestors) begin
// where the first thing below them does.
void Place(std::vector<HtmlTreeNode*>& unplaced, uint32_t offset) {
  for (HtmlTreeNode* element : unplaced) element->SetSpan(offset, element->Length());
  unplaced.clear();
}

}  // namespace

void ReturnFosteredNodes(HtmlTreeNode& root) {
  std::vector<HtmlTreeNode*> pending{&root};
  while (!pending.empty()) {
    HtmlTreeNode* node = pending.back();
    pending.pop_back();
    std::vector<HtmlNodeHandle>& children = node->MutableChildren();
    for (std::size_t i = 0; i < children.size(); ++i) {
      if (children[i]->KeywordId() == kTableKeyword && children[i]->Offset() != kUnsetOffset)
        i = ReturnBeforeTable(children, i);
    }
    for (HtmlNodeHandle& child : children)
      if (IsContainer(*child) && child->HasChildren()) pending.push_back(child.Get());
  }
}

void SettleSpans(HtmlTreeNode& root) {
  struct Frame {
    HtmlTreeNode* node;
    std::size_t next;
    uint32_t reach;  // furthest end below the node so far
  };
  uint32_t lastEnd = 0;                 // end of the last text listed
  std::vector<HtmlTreeNode*> unplaced;  // open elements waiting for an offset
  std::vector<Frame> frames{Frame{&root, 0, 0}};
  while (!frames.empty()) {
    Frame& frame = frames.back();
    HtmlNodeRange children = frame.node->Children();
    if (frame.next < children.size()) {
      HtmlTreeNode& child = *children.begin()[frame.next++];
      if (IsText(child)) {
        if (child.Offset() < lastEnd) {
          child.SetKeywordId(kSkippedKeyword);
          continue;
        }
        Place(unplaced, child.Offset());
        lastEnd = child.End();
        frame.reach = std::max(frame.reach, lastEnd);
        continue;
      }
      if (child.Offset() == kUnsetOffset || child.Offset() < lastEnd) {
        child.SetSpan(kUnsetOffset, child.Length());
        unplaced.push_back(&child);
      } else {
        Place(unplaced, child.Offset());
      }
      frames.push_back(Frame{&child, 0, 0});
      continue;
    }
    HtmlTreeNode& node = *frame.node;
    const uint32_t reach = frame.reach;
    frames.pop_back();
    if (node.Offset() == kUnsetOffset) Place(unplaced, lastEnd);
    const uint32_t end = std::max({node.Length(), reach, node.Offset()});
    node.SetSpan(node.Offset(), end - node.Offset());
    if (!frames.empty()) frames.back().reach = std::max(frames.back().reach, end);
  }
}

void MapSpans(HtmlTreeNode& root, uint32_t base, uint32_t shift,
              const std::vector<uint32_t>& sourceOffsets) {
  auto map = [&](uint32_t position) {
    std::size_t index = static_cast<std::size_t>(position) + shift;
    if (sourceOffsets.empty()) return base + static_cast<uint32_t>(index);
    return base + sourceOffsets[std::min(index, sourceOffsets.size() - 1)];
  };
  std::vector<HtmlTreeNode*> pending{&root};
  while (!pending.empty()) {
    HtmlTreeNode* node = pending.back();
    pending.pop_back();
    const uint32_t start = map(node->Offset());
    node->SetSpan(start, map(node->End()) - start);
    for (const HtmlNodeHandle& child : node->Children()) pending.push_back(child.Get());
  }
}

}  // namespace LVTParser
