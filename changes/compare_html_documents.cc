#include "lumivant/compare_html_documents.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "changes/changed_words.h"
#include "changes/clear_marker.h"
#include "changes/count_words.h"
#include "changes/node.h"
#include "changes/report_format.h"
#include "changes/report_writer.h"
#include "changes/text_sequence_edit_distance.h"
#include "changes/text_sequence_extractor.h"
#include "foundation/base/string_utils.h"
#include "foundation/charset/transcode.h"
#include "lumivant/memory_buffer.h"

namespace LVTDT {

namespace {

// Word counters of one comparison.
struct WordCounts {
  uint32_t total = 0;    // words of the new page
  uint32_t changed = 0;  // words marked: of added, changed or moved new nodes
  uint32_t deleted = 0;  // words of removed old nodes (or removed words)
};

// A node of the new page's aligned middle, whether it is new, changed or
// moved, and with word level, what of a changed node to mark.
struct AlignedNode {
  const Node* node;
  bool changed;
  ChangedWords words;  // m_Whole unless a changed node is marked by words
};

// With word level: the comparer's options and the new page's bytes.
struct WordComparison {
  const TextSequenceExtractor& extractor;
  std::string_view page;
};

// Brings a page to UTF-8 in a buffer of its own, from offset 0.
void Rewind(LVTBase::BinaryStreamBuf& page) {
  page.DeletePeekBuffer();
  page.SeekRead(0, 0);
}

void ConvertPage(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset,
                 LVTFile::MemoryBuffer& converted) {
  Rewind(page);
  LVTCharset::TranscodeStream(charset, LVTCharset::kUtf8, page, converted, false);
}

NodeSequence Slice(const NodeSequence& nodes, std::size_t first, std::size_t last) {
  NodeSequence slice;
  slice.reserve(last - first + 1);
  for (std::size_t k = first; k <= last; ++k) slice.push_back(nodes[k]);
  return slice;
}

uint32_t FirstPieceOffset(const Node& node) {
  return node.m_PieceOffsets.empty() ? node.m_Offset : node.m_PieceOffsets.front();
}

// Gathers the details of one comparison when the caller asked for them:
// the text of each group, and the old texts gone, each first filed under
// the place in the aligned list before which it stood.
class DetailsCollector {
 public:
  using Details = CompareHtmlDocuments::Details;
  explicit DetailsCollector(Details* details) : m_Details(details) {
    if (m_Details != nullptr) *m_Details = Details();
  }

  // The old node's text is gone before aligned entry at.
  void Removed(const Node& old, std::size_t at) {
    if (m_Details == nullptr) return;
    std::u16string text;
    for (const std::u16string& piece : old.m_Pieces) text += piece;
    Removed(text, at);
  }
  void Removed(const std::u16string& text, std::size_t at) {
    if (m_Details == nullptr || text.empty()) return;
    if (m_Removed.empty() || m_Removed.back().second != at) m_Removed.emplace_back(u"", at);
    m_Removed.back().first += text;
  }
  // The node joins group number group (from 1, in order).
  void Changed(const Node& node, unsigned group, uint32_t words) {
    if (m_Details == nullptr) return;
    if (m_Details->m_Groups.size() < group) m_Details->m_Groups.emplace_back();
    Details::Group& entry = m_Details->m_Groups.back();
    for (const std::u16string& piece : node.m_Pieces) entry.m_Text += piece;
    entry.m_Words += words;
    const std::size_t count = std::min(node.m_PieceOffsets.size(), node.m_PieceLengths.size());
    for (std::size_t k = 0; k < count; ++k)
      entry.m_Pieces.emplace_back(node.m_PieceOffsets[k], node.m_PieceLengths[k]);
  }
  // The changed words of a node join group number group.
  void Changed(const ChangedWords& changes, unsigned group) {
    if (m_Details == nullptr) return;
    if (m_Details->m_Groups.size() < group) m_Details->m_Groups.emplace_back();
    Details::Group& entry = m_Details->m_Groups.back();
    if (!entry.m_Text.empty()) entry.m_Text += u' ';
    entry.m_Text += changes.m_Text;
    entry.m_Words += changes.m_MarkedWords + changes.m_RemovedWords;
    entry.m_Pieces.insert(entry.m_Pieces.end(), changes.m_Ranges.begin(), changes.m_Ranges.end());
    entry.m_Stretches.insert(entry.m_Stretches.end(), changes.m_Stretches.begin(),
                             changes.m_Stretches.end());
  }
  // Files the removals: groupAt[k] is the group aligned entry k belongs to
  // or precedes (one more entry for the end); next is the first piece of
  // the node behind the aligned list.
  void Finish(const std::vector<AlignedNode>& aligned, const std::vector<unsigned>& groupAt,
              unsigned groups, uint32_t next) {
    if (m_Details == nullptr) return;
    for (Details::Group& group : m_Details->m_Groups) Collapse(group.m_Text);
    for (auto& removed : m_Removed) {
      Details::Removal entry;
      entry.m_Text = std::move(removed.first);
      Collapse(entry.m_Text);
      const std::size_t at = removed.second;
      entry.m_Before = groupAt[at] <= groups ? groupAt[at] : 0;
      entry.m_Offset = at < aligned.size() ? FirstPieceOffset(*aligned[at].node) : next;
      if (!entry.m_Text.empty()) m_Details->m_Removed.push_back(std::move(entry));
    }
  }

 private:
  static void Collapse(std::u16string& text) {
    std::u16string collapsed;
    LVTBase::BeautifyString(text, collapsed, true, true);
    text = std::move(collapsed);
  }

  Details* m_Details;
  std::vector<std::pair<std::u16string, std::size_t>> m_Removed;
};

// Aligns O[p..a] with N[p..b] and lists the new nodes of that stretch in
// page order, each flagged changed or not; removed old nodes are counted.
// With word level (words not null), changed nodes are compared word by word.
std::vector<AlignedNode> AlignMiddle(const NodeSequence& o, const NodeSequence& n, std::size_t p,
                                     std::size_t a, std::size_t b, const WordComparison* words,
                                     WordCounts& counts, DetailsCollector& details) {
  std::vector<AlignedNode> aligned;
  aligned.reserve(b - p + 1);
  TextSequenceEditDistance distance(Slice(o, p, a), Slice(n, p, b));
  distance.Distance();
  for (const LVTAlgo::EditStep& step : distance.GetEditScript()) {
    const LVTAlgo::StepPositions& at = step.m_Positions;
    switch (step.m_Kind) {
      case LVTAlgo::kSubstitution: {
        const Node& old = *o[p + at[0]];
        const Node& next = *n[p + at[1]];
        const bool changed = !old.SameText(next);
        ChangedWords changes;
        if (changed && words != nullptr)
          changes = FindChangedWords(old, next, words->extractor, words->page);
        if (changed && changes.m_Whole) details.Removed(old, aligned.size());
        // A blank keeps the words apart from the next old text's.
        if (!changes.m_Whole) details.Removed(changes.m_Removed + u' ', aligned.size());
        aligned.push_back({&next, changed, std::move(changes)});
        break;
      }
      case LVTAlgo::kInsertion:
        aligned.push_back({n[p + at[0]].Get(), true, {}});
        break;
      case LVTAlgo::kDeletion:
        counts.deleted += CountWords(o[p + at[0]]->m_Text);
        details.Removed(*o[p + at[0]], aligned.size());
        break;
      case LVTAlgo::kTransposition:
        aligned.push_back({n[p + at[2]].Get(), true, {}});
        aligned.push_back({n[p + at[3]].Get(), true, {}});
        break;
      default:
        break;
    }
  }
  return aligned;
}

// Marks the changed nodes of the aligned middle; a group of changes runs
// until an unchanged node, or a changed one with nothing to mark (it only
// lost words). Returns the number of groups, and in groupAt the group each
// entry belongs to or precedes, with one more for the end.
unsigned MarkMiddle(const std::vector<AlignedNode>& aligned, ReportWriter& writer,
                    WordCounts& counts, DetailsCollector& details, std::vector<unsigned>& groupAt) {
  unsigned groups = 0;
  bool inGroup = false;
  groupAt.clear();
  for (const AlignedNode& entry : aligned) {
    const uint32_t words = CountWords(entry.node->m_Text);
    counts.total += words;
    const ChangedWords& changes = entry.words;
    if (!changes.m_Whole) counts.deleted += changes.m_RemovedWords;
    if (!entry.changed || (!changes.m_Whole && changes.m_Ranges.empty())) {
      inGroup = false;
      groupAt.push_back(groups + 1);
      continue;
    }
    if (!inGroup) writer.WriteAnchor(*entry.node, ++groups);
    if (changes.m_Whole) {
      writer.MarkPieces(*entry.node);
      details.Changed(*entry.node, groups, words);
      counts.changed += words;
    } else {
      for (const auto& range : changes.m_Ranges) writer.MarkRange(range.first, range.second);
      details.Changed(changes, groups);
      counts.changed += changes.m_MarkedWords;
    }
    groupAt.push_back(groups);
    inGroup = true;
  }
  groupAt.push_back(groups + 1);
  return groups;
}

}  // namespace

CompareHtmlDocuments::CompareHtmlDocuments()
    : m_sHighlightStart(kDefaultHighlightStart), m_sHighlightEnd(kDefaultHighlightEnd) {}

CompareHtmlDocuments::~CompareHtmlDocuments() = default;

void CompareHtmlDocuments::IgnoreCase(bool ignore) { m_bIgnoreCase = ignore; }

void CompareHtmlDocuments::IgnoreDigits(bool ignore) { m_bIgnoreDigits = ignore; }

void CompareHtmlDocuments::IgnoreNonAlphaNum(bool ignore) { m_bIgnoreNonAlphaNum = ignore; }

void CompareHtmlDocuments::AddEncodingHeader(bool add) { m_bAddEncodingHeader = add; }

void CompareHtmlDocuments::WordLevel(bool wordLevel) { m_bWordLevel = wordLevel; }

void CompareHtmlDocuments::HighlightString(const std::u16string& start, const std::u16string& end) {
  m_sHighlightStart = LVTCharset::WideToUtf8(start);
  m_sHighlightEnd = LVTCharset::WideToUtf8(end);
}

void CompareHtmlDocuments::RemoveSpecialString(LVTBase::BinaryStreamBuf& page,
                                               const std::string& marker) const {
  ClearMarker(page, marker);
}

void CompareHtmlDocuments::DetectChanges(LVTBase::BinaryStreamBuf& oldPage,
                                         LVTCharset::CHARSET oldCharset,
                                         LVTBase::BinaryStreamBuf& newPage,
                                         LVTCharset::CHARSET newCharset,
                                         LVTBase::BinaryStreamBuf& out) const {
  unsigned changeCount = 0;
  unsigned changedWords = 0;
  double changeRatio = 0.0;
  DetectChanges(oldPage, oldCharset, newPage, newCharset, out, changeCount, changedWords,
                changeRatio);
}

void CompareHtmlDocuments::DetectChanges(LVTBase::BinaryStreamBuf& oldPage,
                                         LVTCharset::CHARSET oldCharset,
                                         LVTBase::BinaryStreamBuf& newPage,
                                         LVTCharset::CHARSET newCharset,
                                         LVTBase::BinaryStreamBuf& out, unsigned& changeCount,
                                         unsigned& changedWords, double& changeRatio) const {
  DetectChanges(oldPage, oldCharset, newPage, newCharset, out, changeCount, changedWords,
                changeRatio, nullptr);
}

void CompareHtmlDocuments::DetectChanges(LVTBase::BinaryStreamBuf& oldPage,
                                         LVTCharset::CHARSET oldCharset,
                                         LVTBase::BinaryStreamBuf& newPage,
                                         LVTCharset::CHARSET newCharset,
                                         LVTBase::BinaryStreamBuf& out, unsigned& changeCount,
                                         unsigned& changedWords, double& changeRatio,
                                         Details* details) const {
  // Both pages in UTF-8, cleared of the markers of an earlier report.
  LVTFile::MemoryBuffer oldBuffer(oldPage.GetSize());
  ConvertPage(oldPage, oldCharset, oldBuffer);
  LVTFile::MemoryBuffer newBuffer(newPage.GetSize());
  ConvertPage(newPage, newCharset, newBuffer);
  for (LVTBase::BinaryStreamBuf* buffer : {static_cast<LVTBase::BinaryStreamBuf*>(&oldBuffer),
                                           static_cast<LVTBase::BinaryStreamBuf*>(&newBuffer)}) {
    RemoveSpecialString(*buffer, kChangeOpen);
    RemoveSpecialString(*buffer, kChangeClose);
  }

  const TextSequenceExtractor extractor(m_bIgnoreCase, m_bIgnoreDigits, m_bIgnoreNonAlphaNum);
  NodeSequence o;
  NodeSequence n;
  // What a word-level report puts inside a run of text, once cleared.
  const std::string open = MarkerReplacement(kChangeOpen) + m_sHighlightStart;
  const std::string close = m_sHighlightEnd + MarkerReplacement(kChangeClose);
  const std::vector<std::string> gaps = {open, close, close + open};
  extractor.GetTextSequence(oldBuffer, LVTCharset::kUtf8, o, oldBuffer.Bytes(), gaps);
  extractor.GetTextSequence(newBuffer, LVTCharset::kUtf8, n, newBuffer.Bytes(), gaps);
  Rewind(oldBuffer);
  Rewind(newBuffer);

  ReportWriter writer(newBuffer, out, m_sHighlightStart, m_sHighlightEnd);
  DetailsCollector collector(details);
  WordCounts counts;
  std::size_t p = 0;
  while (p < o.size() && p < n.size() && o[p]->SameText(*n[p])) {
    counts.total += CountWords(n[p]->m_Text);
    ++p;
  }
  if (m_bAddEncodingHeader) writer.WriteHeader();

  // The new nodes between the common beginning and end, flagged changed
  // or not, and the first node of the common end (n.size() when none).
  std::vector<AlignedNode> aligned;
  std::size_t end = n.size();
  if (p == o.size()) {
    // Text was only appended (or nothing changed): one group, if any.
    for (std::size_t k = p; k < n.size(); ++k) aligned.push_back({n[k].Get(), true, {}});
  } else if (p == n.size()) {
    // Text was only removed from the end.
    for (std::size_t k = p; k < o.size(); ++k) {
      counts.deleted += CountWords(o[k]->m_Text);
      collector.Removed(*o[k], 0);
    }
  } else {
    // The common end stops short of p, so both middles keep a node.
    std::size_t a = o.size() - 1;
    std::size_t b = n.size() - 1;
    while (a > p && b > p && o[a]->SameText(*n[b])) {
      counts.total += CountWords(n[b]->m_Text);
      --a;
      --b;
    }
    end = b + 1;
    const WordComparison words{extractor, newBuffer.Bytes()};
    aligned = AlignMiddle(o, n, p, a, b, m_bWordLevel ? &words : nullptr, counts, collector);
  }
  std::vector<unsigned> groupAt;
  changeCount = MarkMiddle(aligned, writer, counts, collector, groupAt);
  collector.Finish(aligned, groupAt, changeCount,
                   end < n.size() ? FirstPieceOffset(*n[end]) : Details::kAtEnd);

  if (counts.total > 0) {
    changeRatio = static_cast<double>(counts.changed) / static_cast<double>(counts.total);
  }
  changedWords = counts.deleted + counts.changed;
  writer.Finish();
}

}  // namespace LVTDT
