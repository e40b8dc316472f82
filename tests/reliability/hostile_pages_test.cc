// Pages and queries built to hurt: deep nesting, a huge text node, a tag
// with 100,000 attributes, broken UTF-8, NUL bytes, a huge table whose text
// is fostered out of it, unterminated markup, unrelated pages, queries of
// 100,000 terms or parentheses. Each page goes through text extraction,
// highlighting and change detection; each must come out right (the cheap
// invariants of the fuzz cases) within a bound on time and on memory.
//
// The bounds catch a hang or a blow-up (a walk that became quadratic, a
// copy per level), not a speed goal: those are in bench/. The time bounds
// are some ten times what a step takes on an idle machine, so that a busy
// one with two cores passes too. Each step prints its time and the growth
// of its resident memory at the peak.
// LUMIVANT_HOSTILE_FULL=1 runs the sizes that are too big for every CI run (a
// 50 MB text node of words highlighted); LUMIVANT_HOSTILE_SLOWDOWN=N
// multiplies the time bounds for machines slower still.
#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>

#include "fuzz/changes_case.h"
#include "fuzz/highlight_case.h"
#include "fuzz/query_case.h"
#include "fuzz/report_checks.h"
#include "fuzz/utf8_reference.h"
#include "lumivant/compare_html_documents.h"
#include "lumivant/create_simple_query.h"
#include "lumivant/html_query_highlighter.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"

namespace {

// Sanitizers slow the library down tens of times (more on a loaded machine)
// and inflate its memory: the time bounds grow, memory goes unchecked.
#if defined(LUMIVANT_SANITIZED) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kSanitizerSlowdown = 30.0;
constexpr bool kBoundMemory = false;
#else
constexpr double kSanitizerSlowdown = 1.0;
constexpr bool kBoundMemory = true;
#endif

double Slowdown() {
  const char* factor = std::getenv("LUMIVANT_HOSTILE_SLOWDOWN");
  return kSanitizerSlowdown *
         (factor != nullptr && std::atof(factor) > 1.0 ? std::atof(factor) : 1.0);
}

bool FullSizes() {
  const char* full = std::getenv("LUMIVANT_HOSTILE_FULL");
  return full != nullptr && std::string(full) == "1";
}

long ResidentKb(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::size_t length = std::strlen(field);
  for (std::string line; std::getline(status, line);)
    if (line.compare(0, length, field) == 0) return std::stol(line.substr(length));
  return -1;
}

// Gives the heap's free pages back to the system, so that what the next
// step touches counts again, and starts the peak of resident memory anew
// (Linux: clear_refs 5). Returns the resident memory now, in kB, or -1.
long StartPeak() {
  malloc_trim(0);
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  if (!clear.flush()) return -1;
  return ResidentKb("VmRSS:");
}

struct Bound {
  double seconds;
  long megabytes;  // growth of resident memory at its peak
};

// Runs step, prints what it cost and checks the bound.
void Within(const std::string& what, const Bound& bound, const std::function<void()>& step) {
  const long before = StartPeak();
  const auto start = std::chrono::steady_clock::now();
  step();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long megabytes = before < 0 ? -1 : (ResidentKb("VmHWM:") - before) / 1024;
  std::cout << "[ hostile  ] " << what << ": " << seconds << " s, peak memory +" << megabytes
            << " MB" << std::endl;
  EXPECT_LT(seconds, bound.seconds * Slowdown()) << what;
  if (kBoundMemory && megabytes >= 0) {
    EXPECT_LT(megabytes, bound.megabytes) << what;
  }
}

// The cheap invariants of a highlighted page: its header, and its anchors
// running Query1..QueryN.
void ExpectHighlighted(const std::string& what, const lvt_fuzz::Highlighted& result) {
  ASSERT_TRUE(result.outcome.ok()) << what << ": " << result.outcome.kind << result.outcome.fault;
  std::string body = result.page;
  EXPECT_TRUE(lvt_fuzz::TakeHeader(body, lvt_fuzz::kHighlightHeader)) << what;
  EXPECT_EQ("", lvt_fuzz::AnchorFault(body, "Query", result.anchors)) << what;
}

// The cheap invariants of a report: the new page in UTF-8, byte for byte,
// once anchors Change1..ChangeN and the marked pieces' markup are out.
void ExpectReport(const std::string& what, const lvt_fuzz::ChangeReport& report,
                  const std::string& newPage, LVTCharset::CHARSET charset) {
  std::string body = report.page;
  ASSERT_TRUE(lvt_fuzz::TakeHeader(body, lvt_fuzz::kReportHeader)) << what;
  EXPECT_EQ("", lvt_fuzz::AnchorFault(body, "Change", report.changes)) << what;
  std::string fault;
  const std::string stripped =
      lvt_fuzz::StripChanges(body, lvt_fuzz::kHighlightChoices[0].startUtf8,
                             lvt_fuzz::kHighlightChoices[0].endUtf8, &fault);
  EXPECT_EQ("", fault) << what;
  EXPECT_TRUE(stripped == lvt_fuzz::ExpectedCopy(newPage, charset))
      << what << ": the report without its markup is not the new page";
}

// Extraction, highlighting of query, and change detection against the page
// with a paragraph added at the end and at the start.
void Survive(const std::string& what, const std::string& page, const std::u16string& query,
             const Bound& bound, LVTCharset::CHARSET charset = LVTCharset::kUtf8) {
  Within(what + ", text extraction", bound, [&] {
    LVTFile::MemoryBuffer in(page);
    LVTDT::RawTextList runs;
    LVTDT::RawTextExtractor::GetRawTextFromHtml(in, charset, runs);
    // Runs lie in the page in its order, however the parser moved them.
    for (std::size_t i = 0; i < runs.size(); ++i)
      ASSERT_TRUE(runs[i]->m_Start + runs[i]->m_Length <= page.size() &&
                  (i == 0 || runs[i]->m_Start >= runs[i - 1]->m_Start + runs[i - 1]->m_Length))
          << what << ": run " << i;
  });
  Within(what + ", highlighting", bound, [&] {
    const lvt_fuzz::Highlighted result =
        lvt_fuzz::RunHighlighter(LVTDT::HtmlQueryHighlighter(query), page, charset, false);
    ExpectHighlighted(what, result);
  });
  const LVTDT::CompareHtmlDocuments comparer;
  std::string paragraph = "<p>an added paragraph</p>";
  if (charset == LVTCharset::kUtf16LE) {
    std::string wide;
    for (char c : paragraph) wide += std::string{c, '\0'};
    paragraph = wide;
  }
  const std::string appended = page + paragraph;
  Within(what + ", change detection", bound, [&] {
    const lvt_fuzz::ChangeReport report =
        lvt_fuzz::RunComparison(comparer, page, charset, appended, charset);
    ExpectReport(what, report, appended, charset);
    const lvt_fuzz::ChangeReport back =
        lvt_fuzz::RunComparison(comparer, appended, charset, page, charset);
    ExpectReport(what + " (back)", back, page, charset);
  });
}

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(HostilePages, TwoHundredThousandNestedElements) {
  const std::size_t n = 200000;
  const Bound bound{60.0, 600};
  Survive("200,000 open divs", Repeat("<div>", n) + "deep text", u"deep text", bound);
  Survive("200,000 closed spans",
          Repeat("<span>", n) + "deep text" + Repeat("</span>", n) + " after", u"deep after",
          bound);
  Survive("200,000 nested cells", Repeat("<table><tr><td>", n / 4) + "cell text", u"cell", bound);
  Survive("200,000 list items", Repeat("<ul><li>x ", n / 2), u"x", bound);
  Survive("200,000 formatting elements", Repeat("<b>w ", n), u"w", bound);
  Survive("200,000 links", Repeat("<a href=/x>y ", n), u"y", bound);
}

TEST(HostilePages, HugeTextNode) {
  // One word the size of the node, and a node of ordinary words. Words cost
  // the occurrence map some 450 bytes each, so the full 50 MB of words (10
  // million of them) are highlighted only in the full run.
  const std::size_t wordSize = FullSizes() ? 50u << 20 : 16u << 20;
  const std::size_t wordsSize = FullSizes() ? 50u << 20 : 4u << 20;
  std::string words = "<p>";
  words.reserve(wordsSize + 16);
  for (std::size_t i = 0; words.size() < wordsSize; ++i)
    words += (i % 1000 == 0) ? "needle " : "hay ";
  const double seconds = FullSizes() ? 400.0 : 120.0;
  Survive("one " + std::to_string(wordSize >> 20) + " MB word", "<p>" + std::string(wordSize, 'a'),
          u"needle", Bound{seconds, 1000});
  Survive(std::to_string(wordsSize >> 20) + " MB of words", words, u"needle",
          Bound{seconds, 100 + 150 * static_cast<long>(wordsSize >> 20)});
}

TEST(HostilePages, HundredThousandAttributes) {
  std::string attributes;
  for (int i = 0; i < 100000; ++i)
    attributes += " a" + std::to_string(i) + "=\"v>" + std::to_string(i) + "\"";
  const std::string page = "<p><a href=\"/first\"" + attributes + ">linked words</a> after" +
                           "<img" + attributes + "><b" + attributes + ">bold</b></p>";
  Survive("100,000 attributes", page, u"linked bold", Bound{30.0, 200});
  // The link keeps its first attributes: its text is one node, anchored
  // before the link.
  const lvt_fuzz::Highlighted result = lvt_fuzz::RunHighlighter(
      LVTDT::HtmlQueryHighlighter(u"linked"), page, LVTCharset::kUtf8, false);
  const std::string start = std::string(lvt_fuzz::kHighlightHeader) + "<p>" +
                            lvt_fuzz::Anchor("Query", 1) + "<a href=\"/first\"";
  EXPECT_EQ(start, result.page.substr(0, start.size()));
}

TEST(HostilePages, InvalidAndTruncatedUtf8) {
  std::mt19937 random(8);
  std::string page = "<html><body>";
  const char* const pieces[] = {"<p>",
                                "</p>",
                                "word ",
                                "\xC3\xA9t\xC3\xA9 ",
                                "\xC3",
                                "\xE2\x82",
                                "\xF0\x9F\x98",
                                "\xED\xA0\x80",
                                "\xC0\xAF",
                                "\xF8\x88\x80\x80\x80",
                                "\xFF\xFE",
                                "\x80\xBF",
                                "<a href=\"\xE2\x28\xA1\">",
                                "</a>",
                                "<b title='\xF4\x90\x80\x80'>",
                                "</b>"};
  for (int i = 0; i < 200000; ++i) page += pieces[random() % (sizeof(pieces) / sizeof(*pieces))];
  page += "\xF0\x9F";  // cut off at the very end
  Survive("broken UTF-8", page, u"word \u00e9t\u00e9", Bound{60.0, 600});
  // Declared as UTF-16 and as Shift_JIS, the same bytes are other garbage.
  Survive("broken UTF-8 read as UTF-16", page, u"word", Bound{60.0, 600}, LVTCharset::kUtf16LE);
  Survive("broken UTF-8 read as Shift_JIS", page, u"word", Bound{60.0, 600}, 932);
  // What the report copies is the page as the reference decoder reads it.
  const LVTDT::CompareHtmlDocuments comparer;
  const lvt_fuzz::ChangeReport report =
      lvt_fuzz::RunComparison(comparer, "", LVTCharset::kUtf8, page, LVTCharset::kUtf8);
  EXPECT_TRUE(lvt_fuzz::IsValidUtf8(report.page));
  EXPECT_EQ(lvt_fuzz::ReferenceUtf8(page), lvt_fuzz::ExpectedCopy(page, LVTCharset::kUtf8));
}

TEST(HostilePages, NulBytes) {
  const std::string nul(1, '\0');
  std::string page;
  for (int i = 0; i < 50000; ++i) {
    page += "<p class=\"a" + nul + "b\">wo" + nul + "rd " + nul + nul + " word</p><" + nul +
            "x>text" + nul + "<!--" + nul + "-->" + "<a href=" + nul + ">link" + nul + "</a>";
  }
  Survive("NUL bytes", page, u"word text link", Bound{60.0, 600});
}

TEST(HostilePages, HugeTableWithFosteredText) {
  std::string page = "<table>";
  for (int i = 0; i < 100000; ++i)
    page += "fostered " + std::to_string(i) + " <tr><td>cell " + std::to_string(i) + "</td>";
  page += "</table>after";
  Survive("100,000 rows with fostered text", page, u"fostered cell 99999", Bound{60.0, 800});
}

TEST(HostilePages, UnterminatedMarkup) {
  const std::string body = Repeat("<p>text before the end ", 8000);
  const char* const tails[] = {"<!-- a comment that never ends <p>hidden",
                               "<p title=\"an attribute that never ends>hidden",
                               "<p title='never ends",
                               "<script>var hidden = 1;",
                               "<textarea>hidden",
                               "<style>p { color: red }",
                               "<![CDATA[ hidden",
                               "<!DOCTYPE html",
                               "<a href=\"/x",
                               "<",
                               "</",
                               "<p",
                               "<title>hidden"};
  for (const char* tail : tails) {
    const std::string page = body + tail;
    Survive(std::string("ending in ") + tail, page, u"text before hidden", Bound{30.0, 300});
    // Small enough for every check of the fuzz cases.
    const std::string small = std::string("<p>text before the end ") + tail;
    EXPECT_EQ("", lvt_fuzz::RunCase(lvt_fuzz::HighlightCase,
                                    std::string(2, '\0') + "text hidden|||" + small));
    EXPECT_EQ(
        "", lvt_fuzz::RunCase(lvt_fuzz::ChangesCase, std::string(3, '\0') + "<p>text|||" + small));
  }
}

// Two pages with no text in common: every node of one is aligned against
// every node of the other.
std::string UnrelatedPage(std::size_t nodes, unsigned seed) {
  std::mt19937 random(seed);
  std::string page = "<html><body>";
  for (std::size_t i = 0; i < nodes; ++i) {
    page += "<p>";
    for (unsigned w = 1 + random() % 6; w > 0; --w)
      for (int c = 0; c < 4; ++c) page += static_cast<char>(c == 3 ? ' ' : 'a' + random() % 26);
    page += "</p>\n";
  }
  return page + "</body></html>";
}

TEST(HostilePages, TwentyThousandNodesAgainstUnrelatedOnes) {
  const std::string oldPage = UnrelatedPage(20000, 1);
  const std::string newPage = UnrelatedPage(20000, 2);
  const LVTDT::CompareHtmlDocuments comparer;
  Within("20,000 nodes against 20,000 unrelated", Bound{120.0, 300}, [&] {
    const lvt_fuzz::ChangeReport report =
        lvt_fuzz::RunComparison(comparer, oldPage, LVTCharset::kUtf8, newPage, LVTCharset::kUtf8);
    ExpectReport("unrelated pages", report, newPage, LVTCharset::kUtf8);
    EXPECT_GE(report.changes, 1u);
  });
}

// A near whose limit spans the page: every pair of the two words' hits is
// within it (100 million pairs, and 2.5 billion on the larger page, which
// the pairs once took 800 MB and more than 24 GB for), yet the groups kept
// are as many as the hits at most.
TEST(HostileQueries, NearWithALimitAsLongAsThePage) {
  struct Case {
    const char* what;
    const char* piece;
    std::size_t times;
    std::u16string query;
  };
  const Case cases[] = {
      {"20,000 words, aa near:20000 bb", "aa bb ", 10000, u"aa near:20000 bb"},
      {"600 KB, aa near:100000 bb", "aa xx bb yy ", 50000, u"aa near:100000 bb"},
  };
  for (const Case& c : cases) {
    Within(c.what, Bound{30.0, 300}, [&] {
      const lvt_fuzz::Highlighted result =
          lvt_fuzz::RunHighlighter(LVTDT::HtmlQueryHighlighter(c.query),
                                   "<p>" + Repeat(c.piece, c.times), LVTCharset::kUtf8, false);
      ExpectHighlighted(c.what, result);
      EXPECT_TRUE(result.match) << c.what;
    });
  }
}

// A query beyond the parser's bounds is rejected with the runtime's
// RecognitionException, whose message says why, from every entry point;
// within them, it is parsed or rejected as any other.
TEST(HostileQueries, HundredThousandTermsOrParentheses) {
  std::u16string terms, dashed, ors, quoted, nots;
  for (int i = 0; i < 100000; ++i) {
    const std::u16string word = u"w" + lvt_fuzz::Utf8ToWide(std::to_string(i));
    terms += word + u" ";
    dashed += word + u"-";
    ors += word + u" or ";
    quoted += u"\"" + word + u"\" ";
    nots += u"not ";
  }
  const std::u16string open(100000, u'('), close(100000, u')');
  struct Case {
    const char* what;
    std::u16string query;
    const char* kind;
  };
  const Case cases[] = {
      {"100,000 terms", terms, "TooComplex"},
      {"100,000 terms joined into one phrase", dashed, "TooComplex"},
      {"100,000 terms joined by or", ors, "TooComplex"},
      {"100,000 phrases", quoted, "TooComplex"},
      {"100,000 parentheses deep", open + u"a" + close, "TooComplex"},
      {"100,000 parentheses left open", open + u"a", "TooComplex"},
      {"100,000 parentheses closing nothing", u"a" + close, "ok"},
      {"100,000 negations", nots + u"a", "NoViableAlt"},
  };
  const lvt_fuzz::OccurrenceMapHandle map = lvt_fuzz::OccurrencesOf(u"w1 w2 a");
  for (const Case& c : cases) {
    Within(c.what, Bound{20.0, 100}, [&] {
      std::string message;
      const lvt_fuzz::QueryOutcome simple = lvt_fuzz::Outcome([&] {
        try {
          LVTDT::CreateSimpleQuery(c.query, map);
        } catch (const antlr::ANTLRException& e) {
          message = e.getMessage();
          throw;
        }
      });
      EXPECT_EQ(c.kind, simple.kind) << c.what << ": " << simple.fault;
      if (simple.kind == "TooComplex") {
        EXPECT_NE(std::string::npos, message.find("query too"));
      }
      const lvt_fuzz::Highlighted highlighted = lvt_fuzz::RunHighlighter(
          LVTDT::HtmlQueryHighlighter(c.query), "<p>w1 w2 a</p>", LVTCharset::kUtf8, false);
      EXPECT_EQ(c.kind, highlighted.outcome.kind) << c.what << ": " << highlighted.outcome.fault;
    });
  }
}

// Links re-opened around blocks: each "<a href>" while the last link is
// still open makes the parser take the misnested markup apart, leaving the
// block open, so the page nests one level deeper per link; the nesting
// limiter bounds it (unbounded, 100,000 links took 45 s).
TEST(HostilePages, LinksReopenedAroundBlocksStayLinear) {
  std::string page;
  for (int i = 0; i < 100000; ++i) page += "<a href=x>y<div>";
  LVTDT::RawTextList runs;
  Within("100,000 links re-opened around blocks", Bound{20.0, 400}, [&] {
    LVTFile::MemoryBuffer in(page);
    LVTDT::RawTextExtractor::GetRawTextFromHtml(in, LVTCharset::kUtf8, runs);
  });
  EXPECT_EQ(100000u, runs.size());
}

// Legacy pages full of unclosed <font>: the nesting limiter caps the
// formatting elements waiting to be re-opened, but never a link, which
// decides where text belongs and where its anchor goes.
TEST(HostilePages, LinksPastTwelveFormattingElementsStayLinks) {
  std::string fonts;
  for (int i = 0; i < 12; ++i) fonts += "<font size=" + std::to_string(i % 7 + 1) + ">";
  const std::string oldPage = fonts + "<a href=x>three</a>";
  const std::string newPage = fonts + "<a href=x>one <i>two</i></a>";
  LVTDT::CompareHtmlDocuments comparer;
  const lvt_fuzz::ChangeReport report =
      lvt_fuzz::RunComparison(comparer, oldPage, LVTCharset::kUtf8, newPage, LVTCharset::kUtf8);
  EXPECT_EQ(1u, report.changes);
  EXPECT_EQ(2u, report.changedWords);
  const std::string anchored = fonts + lvt_fuzz::Anchor("Change", 1) + "<a href=x>";
  EXPECT_NE(std::string::npos, report.page.find(anchored)) << report.page;
  LVTFile::MemoryBuffer in(newPage);
  LVTDT::RawTextList runs;
  LVTDT::RawTextExtractor::GetRawTextFromHtml(in, LVTCharset::kUtf8, runs);
  ASSERT_EQ(2u, runs.size());
  for (const auto& run : runs) EXPECT_EQ(fonts.size(), run->m_AnchorPos);
}

}  // namespace
