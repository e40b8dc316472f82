// PageWords: the words of one page as searching reads them, the page's runs
// of text and the occurrence map of its words (all of them, or those of the
// keys a query looks up: keyed_occurrences.h), made in one step and released
// in document order when the object goes (see occurrence_release.h for why
// the order matters), so that no reader has to remember to.
//
// An evaluator may share the map while the page's words live; it must be
// gone by the time they are released. Not copyable; one thread at a time.
#ifndef LUMIVANT_TEXT_PAGE_WORDS_H_
#define LUMIVANT_TEXT_PAGE_WORDS_H_

#include "lumivant/binary_stream_buf.h"
#include "lumivant/code_page.h"
#include "lumivant/raw_text.h"
#include "lumivant/ref_count.h"
#include "lumivant/word_occurences_extractor.h"
#include "text/keyed_occurrences.h"

namespace LVTLanguage {
class Language;
}

namespace LVTDT {

class PageWords {
 public:
  using OccurrenceMap = WordOccurencesExtractor::OccurrenceMap;
  using OccurrenceMapHandle = LVT::RefCount<OccurrenceMap>;

  // Which words of a page are searched: all of them, or, on a change
  // report, only those inside its change markers (the others still count).
  enum class Scope { kWholePage, kChangedRegions };
  static Scope ScopeFor(bool changedRegionsOnly) {
    return changedRegionsOnly ? Scope::kChangedRegions : Scope::kWholePage;
  }

  // Appends the runs of page (bytes in charset, read from its read
  // position), as the scope reads them.
  static void ReadRuns(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset, Scope scope,
                       RawTextList& runs);

  // Reads the runs of page and files their words, stemmed with language:
  // all of them, or, given keys, only those filed under one of keys.
  PageWords(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset, Scope scope,
            const LVTLanguage::Language& language, const OccurrenceKeys* keys = nullptr);
  ~PageWords();
  PageWords(const PageWords&) = delete;
  PageWords& operator=(const PageWords&) = delete;

  const RawTextList& Runs() const { return m_Runs; }
  const OccurrenceMap& Occurrences() const { return *m_Occurrences; }
  // The map as evaluators take it.
  const OccurrenceMapHandle& SharedOccurrences() const { return m_Occurrences; }

 private:
  RawTextList m_Runs;
  OccurrenceMapHandle m_Occurrences;
};

}  // namespace LVTDT

#endif  // LUMIVANT_TEXT_PAGE_WORDS_H_
