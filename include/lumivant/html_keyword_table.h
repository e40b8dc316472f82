// HtmlKeywordTable: maps element names to the one-byte keyword ids that
// nodes of the HTML tree carry. The library gives a meaning to a few ids:
//
//   0   content that is not page text (comments, head, script, style,
//       template, textarea, noscript, iframe, ...), skipped with everything
//       below it
//   72  a text node
//   31  the link element "a"
//   69  the change marker element "LumivantChanges"
//   70  the hit marker element "LumivantQuery"
//   6, 7, 10, 13, 19, 25, 29, 30, 31, 32, 34, 36, 38, 51, 52, 69, 70
//       inline elements: they do not separate words (b, i, span, font, ...)
//
// Every other element gets some other non-zero id, the same for elements
// that play the same part (all table cells share one id). Element names are
// matched case-insensitively; a name the table does not know (a custom
// element) gets kUnknownElement.
//
// A table is immutable once built and may be read from several threads.
// Copyable.
#ifndef LUMIVANT_HTML_KEYWORD_TABLE_H_
#define LUMIVANT_HTML_KEYWORD_TABLE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace LVTParser {

// Keyword ids with a fixed meaning.
constexpr uint8_t kSkippedKeyword = 0;
constexpr uint8_t kDocumentKeyword = 1;  // the root that holds the whole page
constexpr uint8_t kUnknownElement = 4;
constexpr uint8_t kTableKeyword = 18;
constexpr uint8_t kLinkKeyword = 31;
constexpr uint8_t kChangesMarkerKeyword = 69;
constexpr uint8_t kQueryMarkerKeyword = 70;
constexpr uint8_t kTextKeyword = 72;

class HtmlKeywordTable {
 public:
  // prtType selects the flavour of the table; 2, the only one defined, is
  // the table for reading page text. Other values give the same table.
  explicit HtmlKeywordTable(int prtType = 2);

  // The id of an element name, matched case-insensitively.
  uint8_t IdForName(std::string_view name) const;

  // The id of an element the parser knows by its internal tag number; for
  // tags it does not know, originalName decides.
  uint8_t IdForTag(int parserTag, std::string_view originalName) const;

  // True for the ids given to elements that do not separate words.
  static bool IsInlineId(uint8_t id);

  int PrtType() const { return m_PrtType; }

 private:
  int m_PrtType;
  std::vector<uint8_t> m_IdsByTag;                       // indexed by the parser's tag number
  std::unordered_map<std::string, uint8_t> m_IdsByName;  // lower-case names
};

}  // namespace LVTParser

#endif  // LUMIVANT_HTML_KEYWORD_TABLE_H_
