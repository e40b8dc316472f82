#include "lumivant/html_query_highlighter.h"

#include <algorithm>

#include "eval/lookup_keys.h"
#include "foundation/base/binary_stream.h"
#include "foundation/charset/transcode.h"
#include "foundation/charset/utf8_page.h"
#include "highlight/highlight_format.h"
#include "highlight/hit_writer.h"
#include "lumivant/language.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "query/compiled_query.h"
#include "text/page_words.h"

namespace LVTDT {

namespace {

// The language of highlighters that are given none. Built on first use
// (thread-safe) so that it never depends on the order in which the
// library's static tables are built.
const LVTLanguage::Language& DefaultLanguage() {
  static const LVTLanguage::Language language(LVTLanguage::Language::StemmingType(0));
  return language;
}

}  // namespace

HtmlQueryHighlighter::HtmlQueryHighlighter(const std::u16string& query,
                                           const LVTLanguage::Language* language,
                                           const ColourTags* colourTags)
    : m_pLanguage(language != nullptr ? language : &DefaultLanguage()) {
  m_PreparedQuery = CompiledQuery::Prepare(query, *m_pLanguage);
  if (colourTags != nullptr) {
    m_ColourTags.reserve(colourTags->size());
    for (const ColourTag& tag : *colourTags) {
      m_ColourTags.emplace_back(LVTCharset::WideToUtf8(tag.first),
                                LVTCharset::WideToUtf8(tag.second));
    }
  }
  if (m_ColourTags.empty()) {
    for (const highlight_format::ColourPair& colour : highlight_format::kDefaultColours)
      m_ColourTags.emplace_back(colour.start, colour.end);
  }
}

HtmlQueryHighlighter::~HtmlQueryHighlighter() = default;

bool HtmlQueryHighlighter::HighlightHtml(LVTBase::BinaryStreamBuf& page,
                                         LVTCharset::CHARSET charset,
                                         LVTBase::BinaryStreamBuf& output, uint32_t& anchorCount,
                                         bool highlightedInput) const {
  if (page.GetSize() == 0) return false;
  anchorCount = 0;
  page.DeletePeekBuffer();
  page.SeekRead(0);
  output.SeekWrite(0);

  // The query is parsed before the page is read: a rejected query then costs
  // no page work, and it leaves the output exactly as unwritten either way.
  const CompiledQuery query = CompiledQuery::FromPrepared(m_PreparedQuery);

  // Every offset from here on is an offset in source, which is UTF-8. Only
  // the words the query looks up get records.
  LVTCharset::Utf8Page source(page, charset);
  const OccurrenceKeys keys = LookupKeys(query.Tree());
  const PageWords words(source.Stream(), LVTCharset::kUtf8, PageWords::ScopeFor(highlightedInput),
                        *m_pLanguage, &keys);

  // Made after the page's words, the evaluator and its groups go before them.
  TermDocumentEvaluatorEx evaluator(query.Tree(), words.SharedOccurrences());
  const bool matches = evaluator.EvaluateNode();
  TermDocumentEvaluatorEx::QueryTermMap queryTerms;
  TermDocumentEvaluatorEx::GetQueryTerms(queryTerms, query.Tree(), words.SharedOccurrences());

  output.SeekWrite(0);
  if (!highlightedInput) {
    LVTBase::BinaryStream stream(output);
    const std::string header(highlight_format::kHeader);
    LVTBase::Copy(stream, header, static_cast<uint32_t>(header.size()));
  }
  HighlightHtml(evaluator.HighlightedWords(), queryTerms, source.Stream(), output, anchorCount,
                !highlightedInput);
  return matches;
}

void HtmlQueryHighlighter::HighlightHtml(const HighlightGroups& groups,
                                         const std::map<unsigned, unsigned>& queryTerms,
                                         LVTBase::BinaryStreamBuf& page,
                                         LVTBase::BinaryStreamBuf& output, uint32_t& anchorCount,
                                         bool dropByteOrderMark) const {
  HitWriter writer(page, output);
  if (dropByteOrderMark) writer.SkipByteOrderMark();
  for (const LVT::RefCount<OccurrenceList>& group : groups) {
    if (!group || group->empty()) continue;
    const WordOccurencesExtractor::OccurrenceHandle& first = (*group)[0];
    if (!first || first->m_RawTexts.empty() || !first->m_RawTexts[0]) continue;
    writer.AnchorGroup(*first->m_RawTexts[0], anchorCount);
    for (const WordOccurencesExtractor::OccurrenceHandle& occurrence : *group) {
      // An occurrence the term map does not know takes the first colour.
      const auto term = queryTerms.find(occurrence->m_WordIndex);
      const std::size_t colour = term == queryTerms.end() ? 0 : term->second % m_ColourTags.size();
      const auto& tags = m_ColourTags[colour];
      const std::size_t pieces =
          std::min({occurrence->m_RawTexts.size(), occurrence->m_Offsets.size(),
                    occurrence->m_Lengths.size()});
      for (std::size_t k = 0; k < pieces; ++k)
        writer.WrapPiece(occurrence->m_RawTexts[k], occurrence->m_Offsets[k],
                         occurrence->m_Lengths[k], tags.first, tags.second);
    }
  }
  writer.Finish();
}

}  // namespace LVTDT
