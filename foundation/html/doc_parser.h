// HtmlDocParser: parses an HTML page from a byte stream into an HtmlDocTree.
//
//   LVTParser::HtmlDocTree tree(charset);
//   LVTParser::HtmlDocParser parser(page, table, tree);
//   parser.Parse();
//
// The page is read from the stream's next read position to its end, in the
// character set the tree was made for, and parsed as a browser would
// (HTML5 tree building; a malformed page still gives a tree). The stream,
// the keyword table and the tree must outlive the parser; the tree owns
// what the parse produced and keeps nothing of the stream. Offsets in the
// tree count bytes of the stream from its start (see html_tree.h).
//
// Nesting deeper than kMaxNestingDepth is flattened before tree building
// (see html_nesting_limiter.h), which keeps parse time linear on pages that
// nest hundreds of thousands of levels. Attributes beyond kMaxAttributes on
// one tag are dropped before tree building (see html_attribute_limiter.h),
// which keeps the tokenizer linear on tags with thousands of them.
//
// A parser belongs to one thread; several parsers may share a table.
// Not copyable.
#ifndef LUMIVANT_FOUNDATION_HTML_DOC_PARSER_H_
#define LUMIVANT_FOUNDATION_HTML_DOC_PARSER_H_

#include "lumivant/binary_stream_buf.h"
#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"

namespace LVTParser {

class HtmlDocParser {
 public:
  HtmlDocParser(LVTBase::BinaryStreamBuf& stream, const HtmlKeywordTable& table, HtmlDocTree& tree);
  HtmlDocParser(const HtmlDocParser&) = delete;
  HtmlDocParser& operator=(const HtmlDocParser&) = delete;

  // Reads the rest of the stream and fills the tree, replacing what it
  // held. True when a tree was built (always, unless the character set is
  // unknown, in which case the bytes are read as UTF-8 and false returned).
  bool Parse();

 private:
  LVTBase::BinaryStreamBuf& m_Stream;
  const HtmlKeywordTable& m_Table;
  HtmlDocTree& m_Tree;
};

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_DOC_PARSER_H_
