// Shared checks for the HTML parser tests (header only: the text and tool
// suites use them too): parsing a byte string and verifying what the tree
// promises about its text nodes.
#ifndef LUMIVANT_TESTS_FOUNDATION_HTML_TEST_SUPPORT_H_
#define LUMIVANT_TESTS_FOUNDATION_HTML_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/charset/offsets.h"
#include "foundation/html/doc_parser.h"
#include "foundation/html/text_stretches.h"
#include "lumivant/code_page.h"
#include "lumivant/html_tree.h"
#include "lumivant/memory_buffer.h"

namespace lvt_html_testing {

inline const LVTParser::HtmlKeywordTable& Table() {
  static const LVTParser::HtmlKeywordTable table(2);
  return table;
}

struct TextNode {
  uint32_t offset;
  uint32_t length;
  std::string text;  // UTF-8
  uint8_t parentId;
};

// Parses bytes (in charset) from offset `skip` of the stream.
inline void Parse(const std::string& bytes, LVTCharset::CHARSET charset,
                  LVTParser::HtmlDocTree* tree, uint32_t skip = 0) {
  EXPECT_EQ(charset, tree->Charset());
  LVTFile::MemoryBuffer page(bytes);
  page.SeekRead(skip);
  LVTParser::HtmlDocParser parser(page, Table(), *tree);
  parser.Parse();
}

// Calls visit(node, parent, depth) for every node in walk order.
template <class Visit>
void Walk(const LVTParser::HtmlDocTree& tree, Visit visit) {
  struct Item {
    const LVTParser::HtmlTreeNode* node;
    const LVTParser::HtmlTreeNode* parent;
    std::size_t depth;
  };
  std::vector<Item> pending;
  auto pushRange = [&](LVTParser::HtmlNodeRange range, const LVTParser::HtmlTreeNode* parent,
                       std::size_t depth) {
    for (const LVTParser::HtmlNodeHandle* h = range.end(); h != range.begin();)
      pending.push_back(Item{(--h)->Get(), parent, depth});
  };
  pushRange(tree.TopLevel(), nullptr, 1);
  while (!pending.empty()) {
    Item item = pending.back();
    pending.pop_back();
    visit(*item.node, item.parent, item.depth);
    pushRange(item.node->Children(), item.node, item.depth + 1);
  }
}

// Text nodes in walk order (the order readers see them).
inline std::vector<TextNode> TextNodes(const LVTParser::HtmlDocTree& tree) {
  std::vector<TextNode> nodes;
  Walk(tree, [&](const LVTParser::HtmlTreeNode& node, const LVTParser::HtmlTreeNode* parent,
                 std::size_t) {
    if (node.KeywordId() != LVTParser::kTextKeyword) return;
    nodes.push_back(TextNode{node.Offset(), node.Length(), node.TextUtf8(),
                             parent == nullptr ? uint8_t{0} : parent->KeywordId()});
  });
  return nodes;
}

inline std::size_t TreeDepth(const LVTParser::HtmlDocTree& tree) {
  std::size_t deepest = 0;
  Walk(tree, [&](const LVTParser::HtmlTreeNode&, const LVTParser::HtmlTreeNode*,
                 std::size_t depth) { deepest = std::max(deepest, depth); });
  return deepest;
}

inline std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r')
      out.push_back(text[i]);
    else if (i + 1 >= text.size() || text[i + 1] != '\n')
      out.push_back('\n');
  }
  return out;
}

constexpr uint8_t kVerbatimElement = 44;  // xmp, plaintext: text read as written

// Checks every text node of a parsed page: spans in increasing order without
// overlap, inside the page, free of markup, and decoding (in charset,
// references included) to the node's text. Returns the number checked.
inline std::size_t ExpectFaithfulTextSpans(const std::string& bytes, LVTCharset::CHARSET charset,
                                           const LVTParser::HtmlDocTree& tree,
                                           const std::string& label) {
  // The page as UTF-8 with the source offset of each byte: a span's text is
  // what its bytes decode to in place (stateful charsets need the context).
  std::string utf8 = bytes;
  std::vector<uint32_t> sources;
  if (charset != LVTCharset::kUtf8) {
    EXPECT_TRUE(LVTCharset::DecodeToUtf8WithOffsets(charset, bytes, &utf8, &sources));
  }
  auto toUtf8 = [&](uint32_t offset) -> std::size_t {
    if (sources.empty()) return offset;
    return static_cast<std::size_t>(std::lower_bound(sources.begin(), sources.end(), offset) -
                                    sources.begin());
  };
  uint32_t lastEnd = 0;
  std::size_t checked = 0;
  for (const TextNode& node : TextNodes(tree)) {
    SCOPED_TRACE(label + " text node at " + std::to_string(node.offset));
    EXPECT_GE(node.offset, lastEnd) << "text goes backwards or overlaps";
    EXPECT_LE(static_cast<std::size_t>(node.offset) + node.length, bytes.size());
    if (node.offset < lastEnd || node.offset + node.length > bytes.size()) return checked;
    lastEnd = node.offset + node.length;
    const std::size_t from = toUtf8(node.offset);
    const std::string raw = utf8.substr(from, toUtf8(node.offset + node.length) - from);
    if (node.parentId == kVerbatimElement) {
      EXPECT_EQ(WithoutCarriageReturns(raw), node.text);
    } else {
      const char* end = raw.data() + raw.size();
      for (const char* p = raw.data(); p < end; ++p)
        if (*p == '<') {
          EXPECT_EQ(0u, LVTParser::MarkupLength(p, end)) << "markup in: " << raw;
        }
      EXPECT_EQ(LVTParser::DecodePageText(raw), node.text) << "raw: " << raw;
    }
    ++checked;
  }
  return checked;
}

}  // namespace lvt_html_testing

#endif  // LUMIVANT_TESTS_FOUNDATION_HTML_TEST_SUPPORT_H_
