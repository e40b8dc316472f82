// Pages whose text holds escaped markup, highlighted on words inside and
// around it and compared in change detection: what the library writes must
// hold no element the page did not have, apart from its own markers, colour
// tags or highlight strings and anchors. The pages go through the fuzz
// cases' own checks (fuzz/*_case.h), which parse input and output with the
// HTML5 tokenizer library directly and compare their elements and text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/changes_case.h"
#include "fuzz/element_list.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/highlight_case.h"
#include "lumivant/code_page.h"
#include "lumivant/compare_html_documents.h"
#include "lumivant/html_query_highlighter.h"
#include "reliability/browser.h"
#include "testing/test_util.h"

namespace {

// Escaped markup in the places a page may hold text: plain, in a link, in
// a table cell and loose in a table, in a list, as numeric and legacy
// references, escaped twice, and beside a NUL.
const char* const kPages[] = {
    "<p>Say &lt;script&gt;alert(1)&lt;/script&gt; and &lt;img src=x "
    "onerror=alert(1)&gt; here</p>",
    "<p><a href=\"/x\">&lt;img src=x onerror=alert(1)&gt; linked</a> after</p>",
    "<table><tr><td>&lt;script&gt;alert(1)&lt;/script&gt; "
    "cell</td></tr></table>",
    "<table>&lt;img src=x onerror=alert(1)&gt; "
    "loose<tr><td>cell</td></tr></table>",
    "<ul><li>&#60;script&#62;alert(1)&#60;/script&#62; "
    "item</li><li>&LT;b&GT;bold&lt/b&gt</li></ul>",
    "<div>&amp;lt;script&amp;gt;alert(1)&amp;lt;/script&amp;gt; twice</div>",
    "<p>a&lt;<b>script</b>&gt;alert(1)&lt;/script&gt;\0 nul</p>",
    "<p>&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;&lt;script&gt;alert(1)&lt;/"
    "script&gt; end</p>",
    "<p>&lt;!-- comment --&gt; and &lt;![CDATA[ x ]]&gt; and &lt;a "
    "href=javascript:alert(1)&gt;</p>",
};

// Words inside the escaped markup, around it, and phrases across it.
const char* const kQueries[] = {
    "script",           "alert", "img onerror",        "src",    "here linked cell",
    "\"script alert\"", "lt gt", "item twice end nul", "comment"};

std::string HighlightInput(bool highlightedInput, const std::string& query,
                           const std::string& page) {
  return std::string(1, highlightedInput ? '\1' : '\0') + std::string(1, '\0') + query + "|||" +
         page;
}

std::string ChangesInput(const std::string& oldPage, const std::string& newPage) {
  return std::string(3, '\0') + oldPage + "|||" + newPage;
}

TEST(Injection, HighlightingEscapedMarkupAddsNoElement) {
  int highlighted = 0;
  for (const char* page : kPages) {
    for (const char* query : kQueries) {
      const std::string input = HighlightInput(false, query, page);
      EXPECT_EQ("", lvt_fuzz::RunCase(lvt_fuzz::HighlightCase, input)) << query << " in " << page;
      // Highlighted input: the same page marked as a change report.
      const std::string marked = std::string("<LumivantChanges>") + page + "</LumivantChanges>";
      EXPECT_EQ("", lvt_fuzz::RunCase(lvt_fuzz::HighlightCase, HighlightInput(true, query, marked)))
          << query << " in marked " << page;
      const lvt_fuzz::Highlighted result = lvt_fuzz::RunHighlighter(
          LVTDT::HtmlQueryHighlighter(lvt_fuzz::Utf8ToWide(query)), page, LVTCharset::kUtf8, false);
      highlighted += result.anchors > 0;
    }
  }
  EXPECT_GT(highlighted, 30);  // the queries do meet the markup's words
}

TEST(Injection, ChangeReportsOfEscapedMarkupAddNoElement) {
  for (const char* page : kPages) {
    const std::string before = std::string("<p>An older paragraph.</p>") + page;
    const std::string after = std::string(page) + "<p>A newer paragraph.</p>";
    EXPECT_EQ("", lvt_fuzz::RunCase(lvt_fuzz::ChangesCase, ChangesInput(before, after))) << page;
    EXPECT_EQ("", lvt_fuzz::RunCase(lvt_fuzz::ChangesCase, ChangesInput("", page))) << page;
    EXPECT_EQ("", lvt_fuzz::RunCase(lvt_fuzz::ChangesCase, ChangesInput(page, before))) << page;
  }
}

// Text in foreign content is not touched: a tag written into it would end
// the svg in a browser, and what followed there as text would read as
// markup (here a CDATA section holding an image). That holds even where the
// tokenizer library and a browser disagree on where the svg ends (an end
// tag of an unknown name) or whether there is one (in a select, the library
// ignores it).
TEST(Injection, ForeignContentIsNeverMarked) {
  const std::string cdata = "<![CDATA[><img src=x onerror=alert(1)>]]>";
  const std::vector<std::string> pages = {
      "<p>x</p><svg><text>label words</text>" + cdata + "</svg>",
      "<math><mi>label</mi><mtext>words</mtext></math>" + cdata,
      "<x-card><svg></x-other>label words" + cdata + "</svg></x-card>",
      "<select><svg><text>label words</text>" + cdata + "</svg></select>",
  };
  for (const std::string& page : pages) {
    const lvt_fuzz::Highlighted hit = lvt_fuzz::RunHighlighter(
        LVTDT::HtmlQueryHighlighter(u"label words"), page, LVTCharset::kUtf8, false);
    EXPECT_EQ(0u, hit.anchors) << page;
    LVTDT::CompareHtmlDocuments comparer;
    const lvt_fuzz::ChangeReport report =
        lvt_fuzz::RunComparison(comparer, "<p>y</p>", LVTCharset::kUtf8, page, LVTCharset::kUtf8);
    for (const char* element : {"svg", "math"}) {
      const std::size_t start = report.page.find(std::string("<") + element);
      const std::size_t end = report.page.find(std::string("</") + element);
      if (start == std::string::npos) continue;
      EXPECT_EQ(std::string::npos, report.page.substr(start, end - start).find("<Lumivant"))
          << report.page;
    }
  }
}

// The same pages rendered by a real browser: the DOM it builds from what
// the library wrote has the elements of the DOM it builds from the page,
// apart from the library's own, and no script the page holds as text ran.
TEST(Injection, BrowserBuildsNoForeignElement) {
  if (!lvt_browser::Available()) GTEST_SKIP() << "no headless browser at " << lvt_browser::kPath;
  std::vector<lvt_browser::Rendering> renderings;
  const LVTDT::HtmlQueryHighlighter highlighter(u"script alert img onerror src here");
  std::string colourTags;
  for (const auto& tags : highlighter.ColourTagsUtf8()) colourTags += tags.first;
  for (const char* page : kPages) {
    const std::string armed = lvt_browser::Armed(page);
    const lvt_fuzz::Highlighted hit =
        lvt_fuzz::RunHighlighter(highlighter, armed, LVTCharset::kUtf8, false);
    renderings.push_back({"highlight", std::string(lvt_fuzz::kHighlightHeader) + armed, hit.page,
                          "lumivantquery", "Query", colourTags});
    LVTDT::CompareHtmlDocuments comparer;
    const lvt_fuzz::ChangeReport report = lvt_fuzz::RunComparison(
        comparer, "<p>older</p>", LVTCharset::kUtf8, armed, LVTCharset::kUtf8);
    renderings.push_back({"changes", std::string(lvt_fuzz::kReportHeader) + armed, report.page,
                          "lumivantchanges", "Change", lvt_fuzz::kHighlightChoices[0].startUtf8});
  }
  // An svg in a select: the library ignores it, a browser opens it, so its
  // text is foreign content all the same.
  const std::string select = lvt_browser::Armed(
      "<select><svg><text>label</text><![CDATA[><img src=x onerror=alert(1)>]]></svg></select>");
  const LVTDT::HtmlQueryHighlighter label(u"label");
  renderings.push_back({"highlight", std::string(lvt_fuzz::kHighlightHeader) + select,
                        lvt_fuzz::RunHighlighter(label, select, LVTCharset::kUtf8, false).page,
                        "lumivantquery", "Query", label.ColourTagsUtf8()[0].first});
  LVTDT::CompareHtmlDocuments comparer;
  renderings.push_back({"changes", std::string(lvt_fuzz::kReportHeader) + select,
                        lvt_fuzz::RunComparison(comparer, "<p>older</p>", LVTCharset::kUtf8, select,
                                                LVTCharset::kUtf8)
                            .page,
                        "lumivantchanges", "Change", lvt_fuzz::kHighlightChoices[0].startUtf8});
  // Two outputs the check must catch: markup added outright, and a change
  // marked inside an svg, where the highlight string ends the svg and the
  // CDATA section after it turns into a live image.
  const std::string svg =
      lvt_browser::Armed("<svg><text>label</text><![CDATA[><img src=x onerror=alert(1)>]]></svg>");
  std::string marked = svg;
  marked.replace(marked.find("label"), 5,
                 "<LumivantChanges><font color=#800000 "
                 "style=background-color:#FFFF00>label"
                 "</font></LumivantChanges>");
  renderings.push_back(
      {"canary-added", "<p>a</p>", "<p>a<img src=x></p>", "lumivantquery", "Query", ""});
  renderings.push_back({"canary-svg", svg, marked, "lumivantchanges", "Change",
                        lvt_fuzz::kHighlightChoices[0].startUtf8});
  std::vector<std::string> canaries;
  for (const std::string& fault : lvt_browser::CheckRenderings(renderings)) {
    if (fault.find("canary") != std::string::npos)
      canaries.push_back(fault);
    else
      ADD_FAILURE() << fault;
  }
  ASSERT_EQ(3u, canaries.size());  // the added image; the live image, and its script
  EXPECT_NE(std::string::npos, canaries[0].find("gained <img src=x>")) << canaries[0];
  EXPECT_NE(std::string::npos, canaries[1].find("script from the page's text ran")) << canaries[1];
}

// An anchor written where the page has a link element open or waiting to be
// re-opened (a link without "href" or "class"; a link the parser re-opens
// after a block) would make a browser close that link at the anchor: a
// later "</a>" of the page would then close nothing, an svg it closed in the
// page would stay open, and raw text of an HTML element would be read as
// svg markup (here a live image whose handler runs). Such anchors go before
// the link's start tag (checked in chromium as well).
TEST(Injection, AnchorsInOpenLinksKeepForeignContentOpen) {
  const std::string tail = "<svg></a><noembed><img src=x onerror=alert(1)></noembed>";
  const std::string open = "<p>intro</p><a name=x>new words" + tail;
  const std::string reopened = "<p><a name=x>text<p>new words" + tail;
  for (const std::string& page : {open, reopened}) {
    EXPECT_EQ("",
              lvt_fuzz::RunCase(lvt_fuzz::ChangesCase, std::string(3, '\0') + "<p>intro|||" + page))
        << page;
    EXPECT_EQ("",
              lvt_fuzz::RunCase(lvt_fuzz::HighlightCase, std::string(2, '\0') + "words|||" + page))
        << page;
  }
  // The same with a block between link and text: the parser moves the
  // content about, and the page's text reads "pt" instead of "tp".
  EXPECT_EQ("", lvt_fuzz::RunCase(lvt_fuzz::HighlightCase,
                                  std::string(1, '\0') + ">t|||<a><b><t><h><h><p>t<p>p"));
  if (!lvt_browser::Available()) return;
  std::vector<lvt_browser::Rendering> renderings;
  for (const std::string& page : {open, reopened}) {
    const std::string armed = lvt_browser::Armed(page);
    LVTDT::CompareHtmlDocuments comparer;
    const lvt_fuzz::ChangeReport report = lvt_fuzz::RunComparison(
        comparer, "<p>intro</p>", LVTCharset::kUtf8, armed, LVTCharset::kUtf8);
    renderings.push_back({"changes", std::string(lvt_fuzz::kReportHeader) + armed, report.page,
                          "lumivantchanges", "Change", lvt_fuzz::kHighlightChoices[0].startUtf8});
  }
  for (const std::string& fault : lvt_browser::CheckRenderings(renderings)) ADD_FAILURE() << fault;
}

// A report or highlighted page of an untrusted page, written with
// --no-scripts, runs none of the page's scripts in a browser: neither an
// inline script nor an event handler. Without it both run, as in the page.
TEST(Injection, NoScriptsHeaderKeepsThePagesScriptsFromRunning) {
  if (!lvt_browser::Available()) GTEST_SKIP() << "no browser";
  char pattern[] = "/tmp/lumivant-no-scripts-XXXXXX";
  const char* dir = mkdtemp(pattern);
  ASSERT_NE(nullptr, dir);
  const std::string oldPage = lvt_browser::WriteTemp(dir, "old", "<p>old</p>");
  for (const char* script :
       {"<script>alert(1)</script>", "<img src=missing.png onerror=\"alert(1)\">"}) {
    const std::string page = lvt_browser::WriteTemp(
        dir, "new", lvt_browser::Armed("<p>new words</p>" + std::string(script)));
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"diff", oldPage, page},
          std::vector<std::string>{"highlight", "words", page}}) {
      for (const bool noScripts : {false, true}) {
        std::vector<std::string> args = command;
        if (noScripts) args.insert(args.begin() + 1, "--no-scripts");
        const lvt_testing::RunResult run = lvt_testing::RunCli(args);
        const std::string name = command[0] + (noScripts ? "-safe" : "-plain");
        const std::string dom = lvt_browser::DumpDom(lvt_browser::WriteTemp(dir, name, run.out),
                                                     std::string(dir) + "/profile-" + name);
        ASSERT_FALSE(dom.empty()) << name;
        EXPECT_EQ(!noScripts, dom.find("data-injected") != std::string::npos) << name << script;
      }
    }
  }
  std::system(("rm -rf " + std::string(dir)).c_str());
}

}  // namespace
