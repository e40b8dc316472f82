#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/charset/labels.h"
#include "foundation/html/doc_parser.h"
#include "foundation/html/limiters/nesting_limiter.h"
#include "foundation/html/text_stretches.h"
#include "foundation/html_test_support.h"
#include "lumivant/html_keyword_table.h"
#include "lumivant/html_tree.h"
#include "testing/test_util.h"

namespace {

using lvt_html_testing::ExpectFaithfulTextSpans;
using lvt_html_testing::Parse;
using lvt_html_testing::TextNode;
using lvt_html_testing::TextNodes;
using LVTParser::HtmlDocTree;
using LVTParser::HtmlKeywordTable;
using LVTParser::HtmlTreeNode;

std::vector<std::string> Texts(const HtmlDocTree& tree) {
  std::vector<std::string> texts;
  for (const TextNode& node : TextNodes(tree)) texts.push_back(node.text);
  return texts;
}

// The element nodes on the way to the first text node equal to text.
std::vector<uint8_t> IdsAbove(const HtmlDocTree& tree, const std::string& text) {
  std::vector<uint8_t> path;
  std::vector<std::pair<const HtmlTreeNode*, std::vector<uint8_t>>> pending;
  for (const auto& top : tree.TopLevel()) pending.push_back({top.Get(), {}});
  while (!pending.empty()) {
    auto item = pending.back();
    pending.pop_back();
    if (item.first->KeywordId() == LVTParser::kTextKeyword && item.first->TextUtf8() == text)
      return item.second;
    item.second.push_back(item.first->KeywordId());
    for (const auto& child : item.first->Children()) pending.push_back({child.Get(), item.second});
  }
  return path;
}

bool Contains(const std::vector<uint8_t>& ids, uint8_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

TEST(HtmlKeywordTableTest, GivesTheIdsTheLibraryRelies) {
  HtmlKeywordTable table(2);
  EXPECT_EQ(31, table.IdForName("a"));
  EXPECT_EQ(31, table.IdForName("A"));
  EXPECT_EQ(69, table.IdForName("LumivantChanges"));
  EXPECT_EQ(69, table.IdForName("lumivantchanges"));
  EXPECT_EQ(70, table.IdForName("LUMIVANTQUERY"));
  for (const char* skipped : {"head", "script", "style", "template", "textarea", "noscript",
                              "title", "iframe", "svg", "math", "xmp", "plaintext"})
    EXPECT_EQ(0, table.IdForName(skipped)) << skipped;
  for (const char* name :
       {"b",    "strong",  "i",   "em",   "u",    "s",   "strike", "span", "font", "small",
        "big",  "sub",     "sup", "tt",   "code", "kbd", "samp",   "var",  "cite", "dfn",
        "abbr", "acronym", "q",   "mark", "ins",  "del", "label",  "nobr", "wbr"})
    EXPECT_TRUE(HtmlKeywordTable::IsInlineId(table.IdForName(name))) << name;
  for (const char* name :
       {"br", "img", "p", "div", "td", "li", "table", "h1", "my-widget", "html", "body", "pre"}) {
    uint8_t id = table.IdForName(name);
    EXPECT_FALSE(HtmlKeywordTable::IsInlineId(id)) << name;
    EXPECT_NE(0, id) << name;
    EXPECT_NE(72, id) << name;
  }
  EXPECT_EQ(LVTParser::kUnknownElement, table.IdForName("my-widget"));
}

TEST(HtmlDocParserTest, ReportsKeywordsSpansAndText) {
  const std::string page = "<p class=x>Hello <b>big</b> world &amp; more</p>";
  HtmlDocTree tree;
  EXPECT_EQ(0u, tree.NodeCount());
  Parse(page, LVTCharset::kUtf8, &tree);
  EXPECT_GT(tree.NodeCount(), 5u);
  std::vector<TextNode> texts = TextNodes(tree);
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ("Hello ", texts[0].text);
  EXPECT_EQ(page.find("Hello"), texts[0].offset);
  EXPECT_EQ(6u, texts[0].length);
  EXPECT_EQ(8, texts[0].parentId);  // p
  EXPECT_EQ("big", texts[1].text);
  EXPECT_EQ(6, texts[1].parentId);  // b
  EXPECT_EQ(" world & more", texts[2].text);
  EXPECT_EQ(page.find(" world"), texts[2].offset);
  EXPECT_EQ(std::string(" world &amp; more").size(), texts[2].length);
  std::u16string wide;
  HtmlTreeNode* paragraph = nullptr;
  lvt_html_testing::Walk(tree, [&](const HtmlTreeNode& node, const HtmlTreeNode*, std::size_t) {
    if (node.KeywordId() == 8) paragraph = const_cast<HtmlTreeNode*>(&node);
    if (node.KeywordId() == LVTParser::kTextKeyword && node.TextUtf8() == "big") node.GetText(wide);
  });
  EXPECT_EQ(u"big", wide);
  ASSERT_NE(nullptr, paragraph);
  EXPECT_EQ(0u, paragraph->Offset());
  EXPECT_EQ(page.size(), paragraph->Length());
  EXPECT_TRUE(paragraph->IsParam("class"));
  EXPECT_TRUE(paragraph->IsParam("CLASS"));
  EXPECT_FALSE(paragraph->IsParam("href"));
  std::string value;
  EXPECT_TRUE(paragraph->GetParam("Class", &value));
  EXPECT_EQ("x", value);
}

TEST(HtmlDocParserTest, FirstTopLevelNodeHoldsThePageWhateverComesFirst) {
  for (std::string page : {"<!DOCTYPE html><p>text</p>", "<!-- a comment --><html><p>text</p>",
                           "\xEF\xBB\xBF<!DOCTYPE html><title>t</title><p>text</p>", "text",
                           "<td>text", "  \n<p>text"}) {
    SCOPED_TRACE(page);
    HtmlDocTree tree;
    Parse(page, LVTCharset::kUtf8, &tree);
    ASSERT_FALSE(tree.TopLevel().empty());
    const HtmlTreeNode& first = **tree.TopLevel().begin();
    EXPECT_EQ(LVTParser::kDocumentKeyword, first.KeywordId());
    EXPECT_TRUE(first.HasChildren());
    std::vector<TextNode> texts = TextNodes(tree);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ("text", texts.back().text);
    EXPECT_EQ(page.rfind("text"), texts.back().offset);
  }
}

TEST(HtmlDocParserTest, TextNodesNeverCoverMarkupTheParserIgnored) {
  const std::string page =
      "<p>a</foo>b</p><div>x<!DOCTYPE html>y<html lang=en>z</div><p>w</body></html>\n  \n";
  HtmlDocTree tree;
  Parse(page, LVTCharset::kUtf8, &tree);
  EXPECT_EQ((std::vector<std::string>{"a", "b", "x", "y", "z", "w", "\n  \n"}), Texts(tree));
  ExpectFaithfulTextSpans(page, LVTCharset::kUtf8, tree, "ignored markup");
  // References decode per stretch.
  HtmlDocTree refs;
  const std::string split = "<p>&lt;a&gt;</x>&amp;b&#x41;</p>";
  Parse(split, LVTCharset::kUtf8, &refs);
  EXPECT_EQ((std::vector<std::string>{"<a>", "&bA"}), Texts(refs));
  ExpectFaithfulTextSpans(split, LVTCharset::kUtf8, refs, "references");
}

TEST(HtmlDocParserTest, FosteredTableTextGoesBackInPageOrder) {
  const std::string page =
      "<p>before</p><table><tr><td>x</td></tr>abc<b>q</b>def<tr><td>y</td></tr>zz</table>after";
  HtmlDocTree tree;
  Parse(page, LVTCharset::kUtf8, &tree);
  EXPECT_EQ((std::vector<std::string>{"before", "x", "abc", "q", "def", "y", "zz", "after"}),
            Texts(tree));
  ExpectFaithfulTextSpans(page, LVTCharset::kUtf8, tree, "foster");
  EXPECT_TRUE(Contains(IdsAbove(tree, "abc"), LVTParser::kTableKeyword));
  EXPECT_TRUE(Contains(IdsAbove(tree, "q"), LVTParser::kTableKeyword));
  EXPECT_FALSE(Contains(IdsAbove(tree, "after"), LVTParser::kTableKeyword));
  // Nested tables: text fostered out of the inner one stays in the outer cell.
  const std::string nested =
      "<table><tr><td>o<table><tr><td>i</td></tr>lost</table>e</td></tr></table>";
  HtmlDocTree inner;
  Parse(nested, LVTCharset::kUtf8, &inner);
  EXPECT_EQ((std::vector<std::string>{"o", "i", "lost", "e"}), Texts(inner));
  ExpectFaithfulTextSpans(nested, LVTCharset::kUtf8, inner, "nested foster");
}

TEST(HtmlDocParserTest, ElementsTheParserRebuiltNeverStartBeforeEarlierText) {
  const std::string page = "<p><a href=x>one<p>two</p><b>1<div>2</b>3</div>";
  HtmlDocTree tree;
  Parse(page, LVTCharset::kUtf8, &tree);
  std::vector<uint32_t> links;
  uint32_t lastTextEnd = 0;
  bool ordered = true;
  lvt_html_testing::Walk(tree, [&](const HtmlTreeNode& node, const HtmlTreeNode*, std::size_t) {
    if (node.KeywordId() == LVTParser::kTextKeyword)
      lastTextEnd = node.End();
    else if (node.Offset() < lastTextEnd)
      ordered = false;
    if (node.KeywordId() == LVTParser::kLinkKeyword) links.push_back(node.Offset());
  });
  EXPECT_TRUE(ordered);
  ASSERT_GE(links.size(), 2u);
  EXPECT_EQ(page.find("<a"), links[0]);
  EXPECT_EQ(page.find("two"), links[1]);  // the re-opened link begins at its text
}

TEST(HtmlDocParserTest, OffsetsCountBytesOfTheGivenStream) {
  const std::string page = lvt_testing::ReadFile(lvt_testing::DataPath("html/latin1.html"));
  HtmlDocTree tree(1252);
  Parse(page, 1252, &tree);
  std::vector<TextNode> texts = TextNodes(tree);
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ("caf\xC3\xA9 \xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D ", texts[0].text);
  EXPECT_EQ(page.find("caf"), texts[0].offset);
  EXPECT_EQ(page.find("<b>") - page.find("caf"), texts[0].length);
  EXPECT_EQ("na\xC3\xAFve", texts[1].text);
  EXPECT_EQ(5u, texts[1].length);
  ExpectFaithfulTextSpans(page, 1252, tree, "latin1");

  // Parsing from a read position: offsets still count from the stream start.
  const std::string prefix = "0123456789";
  HtmlDocTree later;
  Parse(prefix + "<p>x&amp;y</p>", LVTCharset::kUtf8, &later, 10);
  std::vector<TextNode> shifted = TextNodes(later);
  ASSERT_EQ(1u, shifted.size());
  EXPECT_EQ(13u, shifted[0].offset);
  EXPECT_EQ(7u, shifted[0].length);
  EXPECT_EQ(10u, (*later.TopLevel().begin())->Offset());

  // Shift_JIS: two bytes per kanji.
  const std::string sjis = "<p>\x93\xfa\x96\x7b<b>\x8c\xea</b></p>";
  HtmlDocTree japanese(932);
  Parse(sjis, 932, &japanese);
  std::vector<TextNode> ja = TextNodes(japanese);
  ASSERT_EQ(2u, ja.size());
  EXPECT_EQ("\xE6\x97\xA5\xE6\x9C\xAC", ja[0].text);
  EXPECT_EQ(3u, ja[0].offset);
  EXPECT_EQ(4u, ja[0].length);
  EXPECT_EQ(10u, ja[1].offset);
  EXPECT_EQ(2u, ja[1].length);
}

TEST(HtmlDocParserTest, MessyPagesKeepEveryTextSpanFaithful) {
  const std::string page = lvt_testing::ReadFile(lvt_testing::DataPath("html/messy.html"));
  HtmlDocTree tree;
  Parse(page, LVTCharset::kUtf8, &tree);
  EXPECT_GT(ExpectFaithfulTextSpans(page, LVTCharset::kUtf8, tree, "messy"), 20u);
  std::vector<std::string> texts = Texts(tree);
  auto has = [&](const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  EXPECT_TRUE(has("stray text after a row"));
  EXPECT_FALSE(has("verbatim <b>tags</b> &amp; refs"));  // raw text is not marked up
  EXPECT_FALSE(has("svg text"));                         // foreign content is not page text
  EXPECT_FALSE(has("Messy & old"));                      // the title is in the head
  EXPECT_FALSE(has("hidden <text>"));
  for (const std::string& text : texts) {
    EXPECT_EQ(std::string::npos, text.find("not text"));
    EXPECT_EQ(std::string::npos, text.find("cdata"));
  }
  const std::string latin1 = lvt_testing::ReadFile(lvt_testing::DataPath("html/latin1.html"));
  HtmlDocTree latinTree(28591);
  Parse(latin1, 28591, &latinTree);
  ExpectFaithfulTextSpans(latin1, 28591, latinTree, "latin1 as iso-8859-1");
}

TEST(HtmlDocParserTest, CorpusPagesKeepEveryTextSpanFaithful) {
  const std::string corpus = lvt_testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  std::size_t pages = 0;
  for (const std::string& path : lvt_testing::ListFiles(corpus + "/pages")) {
    if (path.find(".htm") == std::string::npos) continue;
    const std::string page = lvt_testing::ReadFile(path);
    LVTCharset::CHARSET charset = LVTCharset::DetectCharset(page);
    HtmlDocTree tree(charset);
    Parse(page, charset, &tree);
    EXPECT_GT(ExpectFaithfulTextSpans(page, charset, tree, path), 10u) << path;
    ++pages;
  }
  EXPECT_GE(pages, 10u);
}

TEST(HtmlDocParserTest, DeepNestingParsesAndReleasesWithoutRecursion) {
  const std::size_t levels = 200000;
  for (const char* opener : {"<div>", "<span>", "<b>", "<table><tr><td>", "<li><ul>"}) {
    SCOPED_TRACE(opener);
    std::string page;
    for (std::size_t i = 0; i < levels; ++i) page += std::string(opener) + "x";
    {
      HtmlDocTree tree;
      Parse(page, LVTCharset::kUtf8, &tree);
      EXPECT_EQ(levels, TextNodes(tree).size());
      EXPECT_LE(lvt_html_testing::TreeDepth(tree), LVTParser::kMaxNestingDepth + 16);
    }  // the tree is released here
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

}  // namespace

namespace {

// Random pages from the pieces that trouble tree builders: stray and
// misnested tags, tables with loose text, references, comments, doctypes.
TEST(HtmlDocParserTest, RandomMessyPagesKeepEveryTextSpanFaithful) {
  static const char* const kPieces[] = {"<table>",
                                        "</table>",
                                        "<tr>",
                                        "<td>",
                                        "</td>",
                                        "text ",
                                        "more",
                                        "&amp;",
                                        "&eacute",
                                        "&#x41;",
                                        "<b>",
                                        "</b>",
                                        "<i>",
                                        "</i>",
                                        "<a href=x>",
                                        "</a>",
                                        "<p>",
                                        "</p>",
                                        "</foo>",
                                        "<!-- c -->",
                                        "<!DOCTYPE html>",
                                        "<html lang=x>",
                                        "</body>",
                                        "</html>",
                                        "<div>",
                                        "</div>",
                                        "<li>",
                                        "<select>",
                                        "<option>",
                                        "<br>",
                                        "\r\n",
                                        "  ",
                                        "<font color=red>",
                                        "</font>",
                                        "<pre>\n",
                                        "</pre>",
                                        "<svg><text>s</text></svg>",
                                        "<xmp>a<b></xmp>",
                                        "<caption>",
                                        "<script>x<y</script>",
                                        "<LumivantChanges>",
                                        "</LumivantChanges>",
                                        "< 3",
                                        "a<>b"};
  uint64_t state = 0x2545F4914F6CDD1Dull;
  auto next = [&state](uint32_t bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<uint32_t>(state % bound);
  };
  for (int round = 0; round < 400; ++round) {
    std::string page;
    const uint32_t pieces = 5 + next(60);
    for (uint32_t i = 0; i < pieces; ++i)
      page += kPieces[next(sizeof(kPieces) / sizeof(kPieces[0]))];
    HtmlDocTree tree;
    Parse(page, LVTCharset::kUtf8, &tree);
    ExpectFaithfulTextSpans(page, LVTCharset::kUtf8, tree, page);
    if (HasFailure()) break;
  }
}

}  // namespace
