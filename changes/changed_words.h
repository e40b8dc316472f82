// FindChangedWords: what the word-level report marks of a new node that
// replaced an old one: the new node's words that the old one lacks (see
// DiffWords), as byte ranges of the page. A stretch of words that crosses
// inline markup gives one range per piece it touches; a piece the parser
// moved out of a table, or whose bytes do not map to its text, is marked
// whole where a stretch touches it. A node whose words changed more than
// they stayed is to be marked whole, as without word level.
#ifndef LUMIVANT_CHANGES_CHANGED_WORDS_H_
#define LUMIVANT_CHANGES_CHANGED_WORDS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "changes/node.h"
#include "changes/text_sequence_extractor.h"
#include "lumivant/compare_html_documents.h"

namespace LVTDT {

struct ChangedWords {
  // Mark the node whole; nothing below is filled in.
  bool m_Whole = true;
  // Offset and length of each range to mark, in page order, none of them
  // blanks only. Empty when the new node only lost words.
  std::vector<std::pair<uint32_t, uint32_t>> m_Ranges;
  // The same as positions in the pieces' texts.
  std::vector<CompareHtmlDocuments::Details::Group::Stretch> m_Stretches;
  std::u16string m_Text;     // the new words, stretches joined by a blank
  std::u16string m_Removed;  // the old words removed or replaced, the same way
  uint32_t m_MarkedWords = 0;
  uint32_t m_RemovedWords = 0;  // removed without a replacement
};

// page: the new page's bytes, which next's pieces index; extractor: the
// comparer's options.
ChangedWords FindChangedWords(const Node& old, const Node& next,
                              const TextSequenceExtractor& extractor, std::string_view page);

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_CHANGED_WORDS_H_
