#include "lumivant/compare_html_documents.h"

#include <cstdint>
#include <vector>

#include "changes/clear_marker.h"
#include "changes/count_words.h"
#include "changes/node.h"
#include "changes/report_format.h"
#include "changes/report_writer.h"
#include "changes/text_sequence_edit_distance.h"
#include "changes/text_sequence_extractor.h"
#include "foundation/charset/transcode.h"
#include "lumivant/memory_buffer.h"

namespace LVTDT {

namespace {

// Word counters of one comparison.
struct WordCounts {
  uint32_t total = 0;    // words of the new page
  uint32_t changed = 0;  // words of added, changed or moved new nodes
  uint32_t deleted = 0;  // words of removed old nodes
};

// A node of the new page's aligned middle, and whether it is new, changed
// or moved.
struct AlignedNode {
  const Node* node;
  bool changed;
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

// Aligns O[p..a] with N[p..b] and lists the new nodes of that stretch in
// page order, each flagged changed or not; removed old nodes are counted.
std::vector<AlignedNode> AlignMiddle(const NodeSequence& o, const NodeSequence& n, std::size_t p,
                                     std::size_t a, std::size_t b, WordCounts& counts) {
  std::vector<AlignedNode> aligned;
  aligned.reserve(b - p + 1);
  TextSequenceEditDistance distance(Slice(o, p, a), Slice(n, p, b));
  distance.Distance();
  for (const LVTAlgo::EditStep& step : distance.GetEditScript()) {
    const std::vector<int32_t>& at = step.m_Positions;
    switch (step.m_Kind) {
      case LVTAlgo::kSubstitution: {
        const Node& next = *n[p + at[1]];
        aligned.push_back({&next, !o[p + at[0]]->SameText(next)});
        break;
      }
      case LVTAlgo::kInsertion:
        aligned.push_back({n[p + at[0]].Get(), true});
        break;
      case LVTAlgo::kDeletion:
        counts.deleted += CountWords(o[p + at[0]]->m_Text);
        break;
      case LVTAlgo::kTransposition:
        aligned.push_back({n[p + at[2]].Get(), true});
        aligned.push_back({n[p + at[3]].Get(), true});
        break;
      default:
        break;
    }
  }
  return aligned;
}

// Marks the changed nodes of the aligned middle; a group of changes runs
// until an unchanged node. Returns the number of groups.
unsigned MarkMiddle(const std::vector<AlignedNode>& aligned, ReportWriter& writer,
                    WordCounts& counts) {
  unsigned groups = 0;
  bool inGroup = false;
  for (const AlignedNode& entry : aligned) {
    const uint32_t words = CountWords(entry.node->m_Text);
    counts.total += words;
    if (!entry.changed) {
      inGroup = false;
      continue;
    }
    if (!inGroup) writer.WriteAnchor(*entry.node, ++groups);
    writer.MarkPieces(*entry.node);
    inGroup = true;
    counts.changed += words;
  }
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
  extractor.GetTextSequence(oldBuffer, LVTCharset::kUtf8, o);
  extractor.GetTextSequence(newBuffer, LVTCharset::kUtf8, n);
  Rewind(oldBuffer);
  Rewind(newBuffer);

  ReportWriter writer(newBuffer, out, m_sHighlightStart, m_sHighlightEnd);
  WordCounts counts;
  std::size_t p = 0;
  while (p < o.size() && p < n.size() && o[p]->SameText(*n[p])) {
    counts.total += CountWords(n[p]->m_Text);
    ++p;
  }
  if (m_bAddEncodingHeader) writer.WriteHeader();

  if (p == o.size() && p == n.size()) {
    changeCount = 0;  // the same texts
  } else if (p == o.size()) {
    // Text was only appended: one group.
    changeCount = 1;
    writer.WriteAnchor(*n[p], 1);
    for (std::size_t k = p; k < n.size(); ++k) {
      writer.MarkPieces(*n[k]);
      const uint32_t words = CountWords(n[k]->m_Text);
      counts.total += words;
      counts.changed += words;
    }
  } else if (p == n.size()) {
    // Text was only removed from the end.
    for (std::size_t k = p; k < o.size(); ++k) counts.deleted += CountWords(o[k]->m_Text);
    changeCount = 0;
  } else {
    // The common end stops short of p, so both middles keep a node.
    std::size_t a = o.size() - 1;
    std::size_t b = n.size() - 1;
    while (a > p && b > p && o[a]->SameText(*n[b])) {
      counts.total += CountWords(n[b]->m_Text);
      --a;
      --b;
    }
    const std::vector<AlignedNode> aligned = AlignMiddle(o, n, p, a, b, counts);
    changeCount = MarkMiddle(aligned, writer, counts);
  }

  if (counts.total > 0) {
    changeRatio = static_cast<double>(counts.changed) / static_cast<double>(counts.total);
  }
  changedWords = counts.deleted + counts.changed;
  writer.Finish();
}

}  // namespace LVTDT
