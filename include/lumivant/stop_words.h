// StopWords: a set of words too common to decide a match (the, of, and, ...).
// Words are stored folded (see FoldCharacter in char_classes.h), together
// with their English stems, because callers look up the stemmed terms of a
// prepared query. Read-only after construction: IsStopWord is
// safe from several threads on one object.
#ifndef LUMIVANT_STOP_WORDS_H_
#define LUMIVANT_STOP_WORDS_H_

#include <cstddef>
#include <string>
#include <unordered_set>

#include "lumivant/export.h"

namespace LVTLanguage {

class LVT_EXPORT StopWords {
 public:
  // true: the English list; false: no stop words.
  explicit StopWords(bool english);

  // Exact lookup of a folded word (or stem).
  bool IsStopWord(const std::u16string& word) const;

  std::size_t size() const { return m_Words.size(); }

 private:
  std::unordered_set<std::u16string> m_Words;
};

}  // namespace LVTLanguage

#endif  // LUMIVANT_STOP_WORDS_H_
