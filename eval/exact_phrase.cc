// Quoted phrases: the words between the quotes must stand at fixed distances
// from each other (1 for neighbours, more where skipped stop words stood).
#include <cstdint>
#include <limits>

#include "eval/highlight_groups.h"
#include "lumivant/stop_words.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "query/dt_query_parser_token_types.h"

namespace LVTDT {

using Tokens = DTQueryParserTokenTypes;

void TermDocumentEvaluatorEx::ConstructExactPhrase() {
  m_bResult = false;
  if (!m_Query) return;
  PhraseList phrase;
  unsigned gap = 0;
  std::u16string word;
  // The parser closes the phrase with a DQUOTE_ leaf; keyword tokens between
  // the quotes are leaves of their own types whose text ends with a blank,
  // and are taken as plain words once that blank is gone.
  for (antlr::RefAST child = m_Query->getFirstChild(); child && child->getType() != Tokens::DQUOTE_;
       child = child->getNextSibling()) {
    GetText(child, word);
    const std::size_t blank = word.rfind(u' ');
    if (blank != std::u16string::npos) word.erase(blank, 1);
    if (word.empty()) continue;
    if (m_bSkipStopWordsInPhrases && m_sStopWords.IsStopWord(word)) {
      if (gap > 0) ++gap;
      continue;
    }
    const OccurrenceListHandle* list = FindList(word);
    if (list == nullptr) return;  // the phrase cannot occur
    phrase.emplace_back(*list, gap);
    gap = 1;
  }
  if (phrase.size() > 1) {
    m_bResult = IsExactPhrase(phrase, m_HighlightedWords);
  } else if (phrase.size() == 1) {
    // A quoted single word: its occurrences are hits like a plain word's,
    // but it is never treated as a stop word, since it was quoted on purpose.
    if (phrase[0].first)
      eval_groups::AppendOneGroupPerOccurrence(*phrase[0].first, m_HighlightedWords);
    m_bResult = true;
  }
}

bool TermDocumentEvaluatorEx::FindOccurence(Cursor& cursor, Cursor end, unsigned index) {
  while (cursor != end && (*cursor)->m_WordIndex < index) ++cursor;
  return cursor != end && (*cursor)->m_WordIndex == index;
}

bool TermDocumentEvaluatorEx::IsExactPhrase(const PhraseList& phrase, GroupVector& groups) {
  // Linear in the total length of the lists: the expected index of each
  // later word only grows with the first word's occurrence, so every cursor
  // moves forward only.
  const std::size_t n = phrase.size();
  if (n == 0) return !groups.empty();
  std::vector<Cursor> cursors(n, nullptr);
  std::vector<Cursor> ends(n, nullptr);
  for (std::size_t i = 0; i < n; ++i) {
    if (!phrase[i].first) continue;  // an empty handle reads as an empty list
    cursors[i] = phrase[i].first->begin();
    ends[i] = phrase[i].first->end();
  }
  for (Cursor o = cursors[0]; o != ends[0]; ++o) {
    uint64_t expected = (*o)->m_WordIndex;
    bool found = true;
    for (std::size_t i = 1; i < n && found; ++i) {
      expected += phrase[i].second;
      found = expected <= std::numeric_limits<unsigned>::max() &&
              FindOccurence(cursors[i], ends[i], static_cast<unsigned>(expected));
    }
    if (!found) continue;
    GroupHandle group = eval_groups::SingleOccurrenceGroup(*o);
    for (std::size_t i = 1; i < n; ++i) group->push_back(*cursors[i]);
    groups.push_back(std::move(group));
  }
  return !groups.empty();
}

}  // namespace LVTDT
