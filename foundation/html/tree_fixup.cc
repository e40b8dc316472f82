#include "foundation/html/tree_fixup.h"

#include <algorithm>

#include "foundation/html/tree_builder.h"
#include "lumivant/html_keyword_table.h"

namespace LVTParser {

namespace {

bool IsText(const HtmlTreeNode& node) { return node.KeywordId() == kTextKeyword; }

// Before SettleSpans, non-text nodes keep the end of their own tags where
// the length goes.
uint32_t OwnEnd(const HtmlTreeNode& node) { return IsText(node) ? node.End() : node.Length(); }

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

// Puts nodes (in page order) inside table where their starts fall: each
// below the last child that begins before it when that child's subtree
// reaches past its start, else right after that child. A container's
// children and the nodes going into it are merged in one pass, so a table
// that lost many nodes takes them back in linear time.
void InsertByOffset(HtmlTreeNode& table, std::vector<HtmlNodeHandle> nodes) {
  struct Batch {
    HtmlTreeNode* into;
    std::vector<HtmlNodeHandle> nodes;
  };
  std::vector<Batch> batches;
  batches.push_back(Batch{&table, std::move(nodes)});
  while (!batches.empty()) {
    Batch batch = std::move(batches.back());
    batches.pop_back();
    std::vector<HtmlNodeHandle> children = std::move(batch.into->MutableChildren());
    std::vector<uint32_t> starts;
    starts.reserve(children.size());
    for (const HtmlNodeHandle& child : children) starts.push_back(StartOf(*child));
    std::vector<HtmlNodeHandle>& merged = batch.into->MutableChildren();
    merged.clear();
    merged.reserve(children.size() + batch.nodes.size());
    std::size_t next = 0;            // the first child not merged yet
    HtmlTreeNode* before = nullptr;  // the last merged node that has a start
    Batch below{nullptr, {}};        // nodes going into `before`
    for (HtmlNodeHandle& node : batch.nodes) {
      const uint32_t start = StartOf(*node);
      for (; next < children.size(); ++next) {
        if (starts[next] != kUnsetOffset && starts[next] > start) break;
        if (starts[next] != kUnsetOffset) before = children[next].Get();
        merged.push_back(std::move(children[next]));
      }
      if (before != nullptr && IsContainer(*before) && start < SubtreeEnd(*before)) {
        if (below.into != before) {
          if (below.into != nullptr) batches.push_back(std::move(below));
          below = Batch{before, {}};
        }
        below.nodes.push_back(std::move(node));
        continue;
      }
      if (start != kUnsetOffset) before = node.Get();
      merged.push_back(std::move(node));
    }
    for (; next < children.size(); ++next) merged.push_back(std::move(children[next]));
    if (below.into != nullptr) batches.push_back(std::move(below));
  }
}

// The fostered nodes stand right before their table, the last of the kept
// siblings children[0, kept), and begin after its start tag. Returns how
// many siblings stay.
std::size_t ReturnBeforeTable(std::vector<HtmlNodeHandle>& children, std::size_t kept,
                              HtmlTreeNode& table) {
  const uint32_t tableStart = table.Offset();
  std::size_t first = kept;
  while (first > 0) {
    uint32_t start = StartOf(*children[first - 1]);
    if (start == kUnsetOffset || start <= tableStart) break;
    --first;
  }
  if (first == kept) return kept;
  std::vector<HtmlNodeHandle> fostered;
  fostered.reserve(kept - first);
  for (std::size_t k = first; k < kept; ++k) {
    if (children[k]->KeywordId() == kTextKeyword) children[k]->SetFostered();
    fostered.push_back(std::move(children[k]));
  }
  InsertByOffset(table, std::move(fostered));
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
    // Compacted in place: children[0, kept) stay, the slots behind them are
    // empty until the child at i moves down.
    std::vector<HtmlNodeHandle>& children = node->MutableChildren();
    auto isTable = [](const HtmlNodeHandle& child) {
      return child->KeywordId() == kTableKeyword && child->Offset() != kUnsetOffset;
    };
    // Most nodes hold no table: their children stay where they are.
    if (std::any_of(children.begin(), children.end(), isTable)) {
      std::size_t kept = 0;
      for (std::size_t i = 0; i < children.size(); ++i) {
        HtmlNodeHandle child = std::move(children[i]);
        if (isTable(child)) kept = ReturnBeforeTable(children, kept, *child);
        children[kept++] = std::move(child);
      }
      children.resize(kept);
    }
    for (HtmlNodeHandle& child : children)
      if (IsContainer(*child) && child->HasChildren()) pending.push_back(child.Get());
  }
}

uint32_t MapOffset(uint32_t position, uint32_t base, uint32_t shift,
                   const std::vector<uint32_t>& sourceOffsets) {
  std::size_t index = static_cast<std::size_t>(position) + shift;
  if (sourceOffsets.empty()) return base + static_cast<uint32_t>(index);
  return base + sourceOffsets[std::min(index, sourceOffsets.size() - 1)];
}

void SettleSpans(HtmlTreeNode& root, uint32_t base, uint32_t shift,
                 const std::vector<uint32_t>& sourceOffsets) {
  // A node's span is final when it is listed (text) or left (elements);
  // it is mapped then, so the tree is walked once.
  auto map = [&](HtmlTreeNode& node) {
    const uint32_t start = MapOffset(node.Offset(), base, shift, sourceOffsets);
    node.SetSpan(start, MapOffset(node.End(), base, shift, sourceOffsets) - start);
    if (node.IsClone())
      node.SetSourceOffset(MapOffset(node.SourceOffset(), base, shift, sourceOffsets));
  };
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
        } else {
          Place(unplaced, child.Offset());
          lastEnd = child.End();
          frame.reach = std::max(frame.reach, lastEnd);
        }
        map(child);
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
    map(node);
  }
}

}  // namespace LVTParser
