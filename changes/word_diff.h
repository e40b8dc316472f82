// DiffWords: which words of a changed node's new text are new, found by
// comparing its tokens with those of the old text it replaces. Both texts
// are cut into words and the separators between them: a word is a run of
// characters that are neither blanks nor the delimiters CountWords counts by
// (. , ! ( ) % $ ? * # |), a separator a run of the others. Separators
// compare with their blanks collapsed; those of blanks alone, and blanks at
// either end of a text, are left out. So two texts give equal tokens exactly
// when their normalised texts are equal, and the alignment keeps as many
// words and punctuation marks as can be kept. The texts come folded by the comparer's
// options, one character for one, so positions hold in the raw text too.
//
// The alignment is a shortest edit script over the tokens (Myers' greedy
// algorithm): O((n + m) * d) time and O(d * d) space for d tokens inserted
// or deleted. It gives up beyond kMaxEdits edits, for a node so changed that
// it is marked whole anyway.
#ifndef LUMIVANT_CHANGES_WORD_DIFF_H_
#define LUMIVANT_CHANGES_WORD_DIFF_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace LVTDT {

// [first, last) positions in a text.
using TextRange = std::pair<std::size_t, std::size_t>;

struct WordDiff {
  // False when the texts differ by more than kMaxEdits tokens; nothing else
  // is then filled in.
  bool m_Complete = false;
  // The stretches of the new text that are not in the old, in order: runs
  // of inserted tokens, joined across blanks, never starting or ending with
  // a blank. A separator alone is a stretch when it holds more than blanks.
  std::vector<TextRange> m_Inserted;
  // The same for the old text: what was removed or replaced.
  std::vector<TextRange> m_Removed;
  uint32_t m_KeptWords = 0;      // words in both
  uint32_t m_InsertedWords = 0;  // words of m_Inserted
  // Old words removed without a new word in their place: between two kept
  // words, the removed words beyond the number inserted.
  uint32_t m_RemovedWords = 0;
};

inline constexpr std::size_t kMaxEdits = 2000;

WordDiff DiffWords(const std::u16string& oldText, const std::u16string& newText);

}  // namespace LVTDT

#endif  // LUMIVANT_CHANGES_WORD_DIFF_H_
