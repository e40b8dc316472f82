#include "text/page_words.h"

#include "lumivant/raw_text_extractor.h"
#include "text/occurrence_release.h"

namespace LVTDT {

void PageWords::ReadRuns(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset, Scope scope,
                         RawTextList& runs) {
  if (scope == Scope::kChangedRegions)
    RawTextExtractor::GetRawTextFromHighlightedHtml(page, charset, runs);
  else
    RawTextExtractor::GetRawTextFromHtml(page, charset, runs);
}

PageWords::PageWords(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset, Scope scope,
                     const LVTLanguage::Language& language, const OccurrenceKeys* keys)
    : m_Occurrences(LVT::MakeRefCount<OccurrenceMap>()) {
  ReadRuns(page, charset, scope, m_Runs);
  if (keys != nullptr)
    GetWordOccurencesOfKeys(m_Runs, *keys, *m_Occurrences, language);
  else
    WordOccurencesExtractor::GetWordOccurences(m_Runs, *m_Occurrences, language);
}

PageWords::~PageWords() {
  // A map someone still shares is theirs to use: only dropped.
  if (m_Occurrences.UseCount() == 1) ReleaseInDocumentOrder(*m_Occurrences);
}

}  // namespace LVTDT
