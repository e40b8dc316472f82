#include "lumivant/html_query_highlighter.h"

#include <algorithm>
#include <optional>

#include "foundation/base/binary_stream.h"
#include "foundation/base/memory_buffer.h"
#include "foundation/charset/transcode.h"
#include "foundation/language/language.h"
#include "highlight/highlight_format.h"
#include "highlight/hit_writer.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"
#include "text/occurrence_release.h"

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
  PrepareQueryStemMap stems;
  PrepareQuery(query, m_PreparedQuery, stems, *m_pLanguage);
  if (colourTags != nullptr) {
    m_ColourTags.reserve(colourTags->size());
    for (const ColourTag& tag : *colourTags) {
      std::pair<std::string, std::string> utf8;
      LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, tag.first, utf8.first, false);
      LVTCharset::WideToBytes(LVTCharset::kWide, LVTCharset::kUtf8, tag.second, utf8.second, false);
      m_ColourTags.push_back(std::move(utf8));
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
  const antlr::RefAST tree = ParsePreparedQuery(m_PreparedQuery);

  // Every offset from here on is an offset in source, which is UTF-8.
  std::optional<LVTFile::MemoryBuffer> converted;
  LVTBase::BinaryStreamBuf* source = &page;
  if (charset != LVTCharset::kUtf8) {
    converted.emplace(page.GetSize());
    LVTCharset::TranscodeStream(charset, LVTCharset::kUtf8, page, *converted, false);
    source = &*converted;
  }

  RawTextList runs;
  if (highlightedInput)
    RawTextExtractor::GetRawTextFromHighlightedHtml(*source, LVTCharset::kUtf8, runs);
  else
    RawTextExtractor::GetRawTextFromHtml(*source, LVTCharset::kUtf8, runs);
  auto occurrences = LVT::MakeRefCount<WordOccurencesExtractor::OccurrenceMap>();
  WordOccurencesExtractor::GetWordOccurences(runs, *occurrences, *m_pLanguage);

  bool matches = false;
  {
    TermDocumentEvaluatorEx evaluator(tree, occurrences);
    matches = evaluator.EvaluateNode();
    TermDocumentEvaluatorEx::QueryTermMap queryTerms;
    TermDocumentEvaluatorEx::GetQueryTerms(queryTerms, tree, occurrences);

    output.SeekWrite(0);
    if (!highlightedInput) {
      LVTBase::BinaryStream stream(output);
      const std::string header(highlight_format::kHeader);
      LVTBase::Copy(stream, header, static_cast<uint32_t>(header.size()));
    }
    HighlightHtml(evaluator.HighlightedWords(), queryTerms, *source, output, anchorCount,
                  !highlightedInput && charset != LVTCharset::kUtf8);
  }
  // With the evaluator's groups gone the map holds the records alone.
  ReleaseInDocumentOrder(*occurrences);
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
