// HtmlQueryHighlighter: takes a query once and then, for any number of pages,
// tells whether a page matches it and writes a UTF-8 copy of the page in which
// every word of every hit is wrapped in the colour tags of its query term,
// with a numbered anchor ("Query1", "Query2", ...) before each new hit.
//
// The highlighter owns its prepared query and its colour tags; it does not
// own the Language it is given. Streams passed to HighlightHtml stay the
// caller's. A highlighter is immutable after construction: one highlighter
// may serve one thread at a time, and different highlighters may run on
// different threads at once.
#ifndef LUMIVANT_HTML_QUERY_HIGHLIGHTER_H_
#define LUMIVANT_HTML_QUERY_HIGHLIGHTER_H_

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lumivant/binary_stream_buf.h"
#include "lumivant/code_page.h"
#include "lumivant/export.h"
#include "lumivant/ref_count.h"
#include "lumivant/ref_count_vector.h"
#include "lumivant/word_occurences_extractor.h"

namespace LVTLanguage {
class Language;
}

namespace LVTDT {

class LVT_EXPORT HtmlQueryHighlighter {
 public:
  // One colour: the start tag and the end tag written around a hit.
  using ColourTag = std::pair<std::u16string, std::u16string>;
  using ColourTags = std::vector<ColourTag>;

  // Prepares query (read once, not kept). language may be null for the
  // library's default (English); the caller's Language must outlive the
  // highlighter. colourTags may be null or empty for the ten default colours;
  // given tags are written exactly as given, without any check. A query the
  // query language rejects is only found out by HighlightHtml.
  explicit HtmlQueryHighlighter(const std::u16string& query,
                                const LVTLanguage::Language* language = nullptr,
                                const ColourTags* colourTags = nullptr);
  ~HtmlQueryHighlighter();

  // Copies share the caller's Language like the original; both are cheap.
  HtmlQueryHighlighter(const HtmlQueryHighlighter&) = default;
  HtmlQueryHighlighter& operator=(const HtmlQueryHighlighter&) = default;
  HtmlQueryHighlighter(HtmlQueryHighlighter&&) = default;
  HtmlQueryHighlighter& operator=(HtmlQueryHighlighter&&) = default;

  // Reads page (bytes in charset) from its start and writes the highlighted
  // page in UTF-8 at the start of output. Returns whether the page matches
  // the query, whether or not anything was highlighted; anchorCount receives
  // the number of anchors written. An empty page returns false and touches
  // neither output nor anchorCount. With highlightedInput the page is a
  // change report: only words inside its marked regions are highlighted and
  // no header is written.
  //
  // A query that the query language rejects raises the ANTLR runtime's
  // exception (antlr::ANTLRException and its subclasses, which do not derive
  // from std::exception); anchorCount is then 0 and nothing has been
  // written to output.
  bool HighlightHtml(LVTBase::BinaryStreamBuf& page, LVTCharset::CHARSET charset,
                     LVTBase::BinaryStreamBuf& output, uint32_t& anchorCount,
                     bool highlightedInput = false) const;

  // The query after preparation (folded, rewritten, stemmed).
  const std::u16string& PreparedQuery() const { return m_PreparedQuery; }
  // The colour tags in use, UTF-8: the caller's, or the ten defaults.
  const std::vector<std::pair<std::string, std::string>>& ColourTagsUtf8() const {
    return m_ColourTags;
  }

 private:
  using OccurrenceList = WordOccurencesExtractor::OccurrenceList;
  using HighlightGroups = LVT::RefCountVector<OccurrenceList, LVT::RefCount<OccurrenceList>>;

  // Copies page to output in one forward pass, writing the text nodes that
  // hold hits again with the hits wrapped, and an anchor before each group
  // that opens a new text node. queryTerms maps word index to term number.
  // dropByteOrderMark: output already holds the header and page was
  // transcoded; the mark of its own encoding is not copied behind it.
  void HighlightHtml(const HighlightGroups& groups, const std::map<unsigned, unsigned>& queryTerms,
                     LVTBase::BinaryStreamBuf& page, LVTBase::BinaryStreamBuf& output,
                     uint32_t& anchorCount, bool dropByteOrderMark) const;

  std::u16string m_PreparedQuery;
  std::vector<std::pair<std::string, std::string>> m_ColourTags;
  const LVTLanguage::Language* m_pLanguage;
};

}  // namespace LVTDT

#endif  // LUMIVANT_HTML_QUERY_HIGHLIGHTER_H_
