// The HTML parser and its nesting limiter: text nodes, their byte spans and
// the tree's shape on pages that trouble tree builders.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "foundation/charset/offsets.h"
#include "foundation/html/doc_parser.h"
#include "foundation/html/limiters/attribute_limiter.h"
#include "foundation/html/limiters/nesting_limiter.h"
#include "foundation/html/text_stretches.h"
#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"
#include "lumivant/memory_buffer.h"
#include "testing/test_util.h"

namespace {

using LVTParser::HtmlDocTree;
using LVTParser::HtmlTreeNode;

const LVTParser::HtmlKeywordTable& Table() {
  static const LVTParser::HtmlKeywordTable table(2);
  return table;
}

constexpr uint8_t kParagraph = 8;
constexpr uint8_t kVerbatim = 44;  // xmp, plaintext: text read as written

struct TextNode {
  uint32_t offset;
  uint32_t length;
  std::string text;
  uint8_t parentId;
};

// Parses bytes (in the tree's charset) from offset `skip` of the stream.
void Parse(const std::string& bytes, HtmlDocTree* tree, uint32_t skip = 0) {
  LVTFile::MemoryBuffer page(bytes);
  page.SeekRead(skip);
  LVTParser::HtmlDocParser parser(page, Table(), *tree);
  parser.Parse();
}

// visit(node, parent, depth) for every node in walk order, without recursion.
template <class Visit>
void Walk(const HtmlDocTree& tree, Visit visit) {
  struct Item {
    const HtmlTreeNode* node;
    const HtmlTreeNode* parent;
    std::size_t depth;
  };
  std::vector<Item> pending;
  auto push = [&](LVTParser::HtmlNodeRange range, const HtmlTreeNode* parent, std::size_t depth) {
    for (const LVTParser::HtmlNodeHandle* h = range.end(); h != range.begin();)
      pending.push_back(Item{(--h)->Get(), parent, depth});
  };
  push(tree.TopLevel(), nullptr, 1);
  while (!pending.empty()) {
    const Item item = pending.back();
    pending.pop_back();
    visit(*item.node, item.parent, item.depth);
    push(item.node->Children(), item.node, item.depth + 1);
  }
}

std::vector<TextNode> TextNodes(const HtmlDocTree& tree) {
  std::vector<TextNode> nodes;
  Walk(tree, [&](const HtmlTreeNode& node, const HtmlTreeNode* parent, std::size_t) {
    if (node.KeywordId() == LVTParser::kTextKeyword)
      nodes.push_back(TextNode{node.Offset(), node.Length(), node.TextUtf8(),
                               parent == nullptr ? uint8_t{0} : parent->KeywordId()});
  });
  return nodes;
}

std::vector<std::string> Texts(const HtmlDocTree& tree) {
  std::vector<std::string> texts;
  for (const TextNode& node : TextNodes(tree)) texts.push_back(node.text);
  return texts;
}

std::size_t TreeDepth(const HtmlDocTree& tree) {
  std::size_t deepest = 0;
  Walk(tree, [&](const HtmlTreeNode&, const HtmlTreeNode*, std::size_t depth) {
    deepest = std::max(deepest, depth);
  });
  return deepest;
}

// Every text node of a parsed page: spans in increasing order without
// overlap, inside the page, free of markup, and decoding (in charset,
// references included) to the node's text. Returns the number checked.
std::size_t ExpectFaithfulTextSpans(const std::string& bytes, LVTCharset::CHARSET charset,
                                    const HtmlDocTree& tree, const std::string& label) {
  // Stateful charsets need the context: decode the whole page once, with
  // the source offset of every UTF-8 byte.
  std::string utf8 = bytes;
  std::vector<uint32_t> sources;
  EXPECT_TRUE(charset == LVTCharset::kUtf8 ||
              LVTCharset::DecodeToUtf8WithOffsets(charset, bytes, &utf8, &sources));
  auto toUtf8 = [&](uint32_t offset) -> std::size_t {
    if (sources.empty()) return offset;
    return std::lower_bound(sources.begin(), sources.end(), offset) - sources.begin();
  };
  uint32_t lastEnd = 0;
  std::size_t checked = 0;
  for (const TextNode& node : TextNodes(tree)) {
    SCOPED_TRACE(label + " text node at " + std::to_string(node.offset));
    if (node.offset < lastEnd || node.offset + node.length > bytes.size()) {
      ADD_FAILURE() << "text goes backwards, overlaps or leaves the page";
      return checked;
    }
    lastEnd = node.offset + node.length;
    const std::size_t from = toUtf8(node.offset);
    std::string raw = utf8.substr(from, toUtf8(node.offset + node.length) - from);
    if (node.parentId == kVerbatim) {
      // Line ends are normalised even where nothing else is.
      for (std::size_t at; (at = raw.find("\r\n")) != std::string::npos;) raw.erase(at, 1);
      std::replace(raw.begin(), raw.end(), '\r', '\n');
      EXPECT_EQ(raw, node.text);
    } else {
      for (const char* p = raw.data(); p < raw.data() + raw.size(); ++p)
        EXPECT_TRUE(*p != '<' || LVTParser::MarkupLength(p, raw.data() + raw.size()) == 0) << raw;
      EXPECT_EQ(LVTParser::DecodePageText(raw), node.text) << "raw: " << raw;
    }
    ++checked;
  }
  return checked;
}

TEST(HtmlDocParserTest, NodesKeepSpansParentsAndAttributes) {
  // From a read position: offsets still count from the stream's start.
  HtmlDocTree tree;
  Parse("0123456789<p class=x>Hi <b>big</b> &amp; more</p>", &tree, 10);
  const std::vector<TextNode> texts = TextNodes(tree);
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ(21u, texts[0].offset);
  EXPECT_EQ(kParagraph, texts[0].parentId);
  EXPECT_EQ(" & more", texts[2].text);
  EXPECT_EQ(11u, texts[2].length);
  EXPECT_EQ(LVTParser::kDocumentKeyword, (*tree.TopLevel().begin())->KeywordId());
  EXPECT_EQ(10u, (*tree.TopLevel().begin())->Offset());
  const HtmlTreeNode* paragraph = nullptr;
  Walk(tree, [&](const HtmlTreeNode& node, const HtmlTreeNode*, std::size_t) {
    if (node.KeywordId() == kParagraph) paragraph = &node;
  });
  ASSERT_NE(nullptr, paragraph);
  std::string value;
  EXPECT_TRUE(paragraph->GetParam("Class", &value));
  EXPECT_EQ("x", value);
  EXPECT_FALSE(paragraph->IsParam("href"));
}

TEST(HtmlDocParserTest, TextOfPagesTheParserRearranges) {
  const struct {
    const char* page;
    std::vector<std::string> texts;
  } rows[] = {
      // Markup the parser ignores never ends up inside a text node.
      {"<p>a</foo>b</p><div>x<!DOCTYPE html>y<html lang=en>z</div><p>w</body></html>\n  \n",
       {"a", "b", "x", "y", "z", "w", "\n  \n"}},
      // Whatever comes first, the page's text is found.
      {"\xEF\xBB\xBF<!-- c --><!DOCTYPE html><title>t</title><td>text", {"text"}},
      // References decode per stretch.
      {"<p>&lt;a&gt;</x>&amp;b&#x41;</p>", {"<a>", "&bA"}},
      // Text fostered out of a table goes back in page order, also from a
      // table nested in a cell.
      {"<p>before</p><table><tr><td>x</td></tr>abc<b>q</b>def<tr><td>y</td></tr>zz</table>after",
       {"before", "x", "abc", "q", "def", "y", "zz", "after"}},
      {"<table><tr><td>o<table><tr><td>i</td></tr>lost</table>e</td></tr></table>",
       {"o", "i", "lost", "e"}},
  };
  for (const auto& row : rows) {
    HtmlDocTree tree;
    Parse(row.page, &tree);
    EXPECT_EQ(row.texts, Texts(tree)) << row.page;
    ExpectFaithfulTextSpans(row.page, LVTCharset::kUtf8, tree, row.page);
  }
}

// Where the parser library is older than browsers, the page is read as a
// browser reads it: <main> is special (no inline end tag closes it, a link
// closed in it leaves it standing), and </br>, a </p> without a paragraph
// and the end tag of a formatting element leave svg and math, where <a> is
// math's own element.
TEST(HtmlDocParserTest, ReadsPagesAsBrowsersDoWhereTheParserLibraryIsOlder) {
  std::string fonts;
  std::string bolds;
  for (int i = 0; i < 14; ++i) fonts += "<font size=" + std::to_string(i) + ">";
  for (int i = 0; i < 12; ++i) bolds += "<b id=" + std::to_string(i) + ">";
  const struct {
    std::string page;
    std::vector<std::string> texts;
    const char* lastParent;
  } rows[] = {
      {"<span><main>words</span>two", {"words", "two"}, "main"},
      {"<a href=x><main>x</a>y</main>z", {"x", "y", "z"}, "body"},
      {"<a href=x><main>x</a>y", {"x", "y"}, "main"},
      {"<svg></p>after", {"after"}, "body"},
      {"<p><svg></p>after", {"after"}, "body"},
      {"<svg></br><iframe>alpha</iframe>beta", {"beta"}, "body"},
      {"<svg><mtext></br><noembed>alpha</noembed>beta", {"beta"}, "body"},
      {fonts + "<svg></font>out", {"out"}, "font"},
      {bolds + "<s><svg></s>out", {"out"}, "b"},
      {"<a name=n>" + bolds + "<math><a href=x><strong>beta", {"beta"}, "strong"},
      {"<form>" + bolds + "<svg></form><tt><a>link<dl>out", {"link", "out"}, "dl"},
  };
  for (const auto& row : rows) {
    HtmlDocTree tree;
    Parse(row.page, &tree);
    const std::vector<TextNode> texts = TextNodes(tree);
    EXPECT_EQ(row.texts, Texts(tree)) << row.page;
    if (!texts.empty()) {
      EXPECT_EQ(Table().IdForName(row.lastParent), texts.back().parentId) << row.page;
    }
    ExpectFaithfulTextSpans(row.page, LVTCharset::kUtf8, tree, row.page);
  }
}

// With scripts, a browser reads <noscript> as text: a link the parser closed
// in it stays open after it, up to the next link tag.
TEST(HtmlDocParserTest, LinkSpansReachPastNoscriptThatClosedTheLink) {
  const std::string page = "<a href=x>one <noscript></a></noscript> two <A\thref=y>three</a>";
  HtmlDocTree tree;
  Parse(page, &tree);
  const uint32_t next = static_cast<uint32_t>(page.find("<A"));
  EXPECT_NE(tree.LinkSpans().end(), std::find(tree.LinkSpans().begin(), tree.LinkSpans().end(),
                                              HtmlDocTree::LinkSpan(0, next)));
}

TEST(HtmlDocParserTest, ElementsTheParserRebuiltNeverStartBeforeEarlierText) {
  const std::string page = "<p><a href=x>one<p>two</p><b>1<div>2</b>3</div>";
  HtmlDocTree tree;
  Parse(page, &tree);
  std::vector<uint32_t> links;
  uint32_t lastTextEnd = 0;
  Walk(tree, [&](const HtmlTreeNode& node, const HtmlTreeNode*, std::size_t) {
    if (node.KeywordId() == LVTParser::kTextKeyword)
      lastTextEnd = node.End();
    else
      EXPECT_GE(node.Offset(), lastTextEnd);
    if (node.KeywordId() == LVTParser::kLinkKeyword) links.push_back(node.Offset());
  });
  ASSERT_GE(links.size(), 2u);
  EXPECT_EQ(page.find("<a"), links[0]);
  EXPECT_EQ(page.find("two"), links[1]);  // the re-opened link begins at its text
}

TEST(HtmlDocParserTest, MessyPagesKeepEveryTextSpanFaithful) {
  const std::string page = lvt_testing::ReadFile(lvt_testing::DataPath("html/messy.html"));
  HtmlDocTree tree;
  Parse(page, &tree);
  EXPECT_GT(ExpectFaithfulTextSpans(page, LVTCharset::kUtf8, tree, "messy"), 20u);
  const std::vector<std::string> texts = Texts(tree);
  auto has = [&](const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  EXPECT_TRUE(has("stray text after a row"));
  // Raw text, foreign content, the head and form fields are not page text.
  for (const char* hidden :
       {"verbatim <b>tags</b> &amp; refs", "svg text", "Messy & old", "hidden <text>"})
    EXPECT_FALSE(has(hidden)) << hidden;
  for (const std::string& text : texts) {
    EXPECT_EQ(std::string::npos, text.find("not text"));
    EXPECT_EQ(std::string::npos, text.find("cdata"));
  }
}

TEST(HtmlDocParserTest, CorpusPagesKeepEveryTextSpanFaithful) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  std::size_t pages = 0;
  for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages")) {
    if (path.find(".htm") == std::string::npos) continue;
    const std::string page = lvt_testing::ReadFile(path);
    const LVTCharset::CHARSET charset = LVTCharset::DetectCharset(page);
    HtmlDocTree tree(charset);
    Parse(page, &tree);
    EXPECT_GT(ExpectFaithfulTextSpans(page, charset, tree, path), 10u) << path;
    ++pages;
  }
  EXPECT_GE(pages, 10u);
}

// Random pages from the pieces that trouble tree builders: stray and
// misnested tags, tables with loose text, references, comments, doctypes.
TEST(HtmlDocParserTest, RandomMessyPagesKeepEveryTextSpanFaithful) {
  std::vector<std::string> pieces;
  std::istringstream all(
      "<table>|</table>|<tr>|<td>|</td>|text |more|&amp;|&eacute|&#x41;|<b>|</b>|<i>|</i>|"
      "<a href=x>|</a>|<p>|</p>|</foo>|<!-- c -->|<!DOCTYPE html>|<html lang=x>|</body>|</html>|"
      "<div>|</div>|<li>|<select>|<option>|<br>|\r\n|  |<font color=red>|</font>|<pre>\n|</pre>|"
      "<svg><text>s</text></svg>|<xmp>a<b></xmp>|<caption>|<script>x<y</script>|"
      "<LumivantChanges>|</LumivantChanges>|< 3|a<>b");
  for (std::string piece; std::getline(all, piece, '|');) pieces.push_back(piece);
  uint64_t state = 0x2545F4914F6CDD1Dull;
  auto next = [&state](uint64_t bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state % bound;
  };
  for (int round = 0; round < 400 && !HasFailure(); ++round) {
    std::string page;
    for (uint64_t i = 5 + next(60); i > 0; --i) page += pieces[next(pieces.size())];
    HtmlDocTree tree;
    Parse(page, &tree);
    ExpectFaithfulTextSpans(page, LVTCharset::kUtf8, tree, page);
  }
}

TEST(HtmlDocParserTest, DeepNestingParsesAndReleasesWithoutRecursion) {
  const std::size_t levels = 200000;
  for (const char* opener : {"<div>", "<span>", "<b>", "<table><tr><td>", "<li><ul>"}) {
    std::string page;
    for (std::size_t i = 0; i < levels; ++i) page += std::string(opener) + "x";
    HtmlDocTree tree;
    Parse(page, &tree);
    EXPECT_EQ(levels, TextNodes(tree).size()) << opener;
    EXPECT_LE(TreeDepth(tree), LVTParser::kMaxNestingDepth + 16) << opener;
  }
  // A subtree handle kept beyond its tree is released without recursion too.
  LVTParser::HtmlNodeHandle kept;
  {
    LVTParser::HtmlNodeHandle chain = LVT::MakeRefCount<HtmlTreeNode>(5, 0, 0);
    kept = chain;
    for (std::size_t i = 0; i < 300000; ++i) {
      LVTParser::HtmlNodeHandle child = LVT::MakeRefCount<HtmlTreeNode>(5, 0, 0);
      chain->MutableChildren().push_back(child);
      chain = child;
    }
  }
  kept = LVTParser::HtmlNodeHandle();
}

std::string Repeat(const std::string& unit, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

TEST(HtmlNestingLimiterTest, LeavesOrdinaryPagesAlone) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  std::vector<std::string> pages = lvt_testing::ListFiles(corpus + "/pages");
  for (const std::string& pair : lvt_testing::ListDirs(corpus + "/pairs")) {
    pages.push_back(pair + "/old.html");
    pages.push_back(pair + "/new.html");
  }
  uint32_t deepest = 0;
  for (const std::string& path : pages) {
    if (path.find(".htm") == std::string::npos) continue;
    std::string page = lvt_testing::ReadFile(path);
    const std::string before = page;
    const LVTParser::NestingReport report =
        LVTParser::LimitNesting(&page[0], static_cast<uint32_t>(page.size()), Table());
    LVTParser::RestoreRenamedTags(&page[0], report);
    EXPECT_EQ(0u, report.rewrittenTags) << path;
    EXPECT_TRUE(before == page) << path;
    deepest = std::max(deepest, report.maxDepth);
  }
  EXPECT_LT(deepest, LVTParser::kMaxNestingDepth / 4);  // real pages stay far below
}

TEST(HtmlNestingLimiterTest, RewritesOnlyTheTagsBeyondTheBoundKeepingEveryOffset) {
  std::string page = Repeat("<div class=\"a>b\">x", 600) + Repeat("<span>y", 600) +
                     Repeat("</span>", 600) + Repeat("</div>", 600) + "<p>after</p>";
  const std::string before = page;
  const LVTParser::NestingReport report =
      LVTParser::LimitNesting(&page[0], static_cast<uint32_t>(page.size()), Table());
  ASSERT_EQ(before.size(), page.size());
  EXPECT_EQ(LVTParser::kMaxNestingDepth, report.maxDepth);
  // Everything opened past the bound goes, and so do its end tags.
  EXPECT_EQ(2 * (1200 - (LVTParser::kMaxNestingDepth - 2)), report.rewrittenTags);
  // Blocks become line breaks (they still separate words), inline elements
  // empty comments; text never changes.
  EXPECT_NE(std::string::npos, page.find("<br             >x"));
  EXPECT_NE(std::string::npos, page.find("<!xxx>y"));
  EXPECT_NE(std::string::npos, page.find("</div><p>after</p>"));
  for (std::size_t i = 0; i < page.size(); ++i)
    ASSERT_TRUE((before[i] != 'x' && before[i] != 'y') || before[i] == page[i]) << i;
  // Parsed, the page closes every real element before "after".
  HtmlDocTree tree;
  Parse(before, &tree);
  const std::vector<TextNode> texts = TextNodes(tree);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ("after", texts.back().text);
  EXPECT_EQ(kParagraph, texts.back().parentId);
  EXPECT_LE(TreeDepth(tree), LVTParser::kMaxNestingDepth + 4);
}

TEST(HtmlNestingLimiterTest, BoundsFormattingElementsReopenedInEveryParagraph) {
  // Unclosed formatting elements are re-opened in each new paragraph:
  // unbounded, the tree grows with the square of these.
  std::string distinct;
  for (int i = 0; i < 20000; ++i) distinct += "<p><b id=" + std::to_string(i) + ">x";
  std::string top = "<p>";
  for (int i = 0; i < 40; ++i) top += "<font size=" + std::to_string(i) + ">";
  top += Repeat("<p>y", 50000);
  for (const std::string* page : {&distinct, &top}) {
    HtmlDocTree tree;
    Parse(*page, &tree);
    const std::size_t paragraphs = page == &top ? 50000 : 20000;
    EXPECT_LT(tree.NodeCount(), 20 * paragraphs);
    EXPECT_EQ(paragraphs, TextNodes(tree).size());
    if (page == &distinct) ExpectFaithfulTextSpans(distinct, LVTCharset::kUtf8, tree, "reopened");
  }
}

// Limiting attributes on the nesting limiter's pass leaves the page as the
// attribute limiter run afterwards does, also where the two scans part:
// raw text whose quotes run past its end tag, svg CDATA, plaintext, tags
// rewritten after the scan went by, and tags of too many attributes on
// either side.
TEST(HtmlNestingLimiterTest, LimitsAttributesOnItsPassAsAfterIt) {
  const std::string many = "<em " + Repeat("a ", 300) + "href=x class=y z>m</em>";
  const std::vector<std::string> pieces = {many,
                                           "<script>if (a<b x=\"1) {}</script>" + many + "\">",
                                           "<textarea><i " + Repeat("b=\"\"", 300) + "></textarea>",
                                           "<svg><![CDATA[" + many + "]]></svg>",
                                           Repeat("<b title=\"x>y\">", 20) + "<p>text" + many,
                                           "<main " + Repeat("c ", 280) + ">main</main>",
                                           Repeat("<div>", 600) + many + Repeat("</div>", 600),
                                           "<plaintext>" + many};
  std::vector<std::string> pages = pieces;
  for (std::size_t i = 0; i < pieces.size(); ++i)
    for (std::size_t j = 0; j < pieces.size(); ++j) pages.push_back(pieces[i] + pieces[j]);
  for (const std::string& source : pages) {
    std::string apart = source;
    std::string together = source;
    const auto size = static_cast<uint32_t>(source.size());
    LVTParser::LimitNesting(&apart[0], size, Table());
    const uint32_t limited = LVTParser::LimitAttributes(&apart[0], size);
    LVTParser::AttributeLimiter attributes(&together[0], size);
    LVTParser::LimitNesting(&together[0], size, Table(), &attributes);
    EXPECT_EQ(limited, attributes.Finish()) << source.substr(0, 60);
    EXPECT_TRUE(apart == together) << source.substr(0, 60);
  }
  EXPECT_GE(LVTParser::LimitAttributes(&pages[0][0], static_cast<uint32_t>(pages[0].size())), 1u);
}

}  // namespace
