// The facade of the shared library against the command-line tool, at the
// boundary where a host program meets it: errors it can catch, threads.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "lumivant/lumivant.h"
#include "lumivant/memory_buffer.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/version.h"
#include "testing/test_util.h"

namespace {

std::string WithoutBlanks(const std::string& text) {
  std::string kept;
  for (const char c : text)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') kept += c;
  return kept;
}

// The text of each group as the report marks it (the runs inside change
// markers behind its anchor), blanks left out: what a reader sees
// highlighted, with character references decoded.
std::vector<std::string> MarkedTexts(const std::string& report, unsigned groups) {
  std::vector<std::size_t> anchors;
  for (unsigned k = 1; k <= groups; ++k)
    anchors.push_back(report.find("<a name=\"Change" + std::to_string(k) + "\">"));
  LVTFile::MemoryBuffer page{std::string(report)};
  LVTDT::RawTextList runs;
  LVTDT::RawTextExtractor::GetRawTextFromHighlightedHtml(page, 65001, runs);
  std::vector<std::string> texts(groups);
  for (const LVTDT::RawTextHandle& run : runs) {
    std::size_t group = 0;
    while (group < groups && anchors[group] <= run->m_Start) ++group;
    if (!run->m_Excluded && group > 0) {
      for (const char16_t c : run->m_Text)  // ASCII is enough to compare
        if (c < 0x80) texts[group - 1] += static_cast<char>(c);
    }
  }
  for (std::string& text : texts) text = WithoutBlanks(text);
  return texts;
}

// The facade gives what the tool prints for the same pages and options:
// reports, counts and highlighted pages, on the examples and every corpus
// pair and page.
TEST(Facade, EqualsTheTool) {
  std::vector<std::pair<std::string, std::string>> pairs = {
      {lvt_testing::ExamplePath("news-v1.html"), lvt_testing::ExamplePath("news-v2.html")}};
  std::vector<std::string> pages = {lvt_testing::ExamplePath("cafe-1252.html")};
  const std::string corpus = lvt_testing::CorpusDir();
  if (!corpus.empty()) {
    for (const std::string& dir : lvt_testing::ListDirs(corpus + "/pairs"))
      pairs.emplace_back(dir + "/old.html", dir + "/new.html");
    for (const std::string& page : lvt_testing::ListFiles(corpus + "/pages"))
      if (page.find(".htm") != std::string::npos) pages.push_back(page);
  }
  for (const auto& [oldPath, newPath] : pairs) {
    lumivant::DiffOptions options;
    options.ignore_case = true;
    const lumivant::DiffResult result =
        lumivant::Diff(lvt_testing::ReadFile(oldPath), lvt_testing::ReadFile(newPath), options);
    const std::string report = testing::TempDir() + "/facade-report.html";
    const auto tool = lvt_testing::RunCli(
        {"diff", "--json", "--details", "--ignore-case", "-o", report, oldPath, newPath});
    EXPECT_TRUE(result.report == lvt_testing::ReadFile(report)) << newPath;
    EXPECT_EQ(result.changed_words == 0 ? 0 : 1, tool.status) << newPath;
    EXPECT_EQ(0u, tool.out.find("{\"changes\":" + std::to_string(result.changes) +
                                ",\"changed_words\":" + std::to_string(result.changed_words)))
        << newPath;
    // The details tell in words what the report highlights.
    ASSERT_EQ(result.changes, result.groups.size()) << newPath;
    const std::vector<std::string> marked = MarkedTexts(result.report, result.changes);
    unsigned words = 0;
    for (std::size_t k = 0; k < result.groups.size(); ++k) {
      std::string ascii;
      for (const char c : result.groups[k].text)
        if (static_cast<unsigned char>(c) < 0x80) ascii += c;
      EXPECT_EQ(marked[k], WithoutBlanks(ascii)) << newPath << " group " << k + 1;
      EXPECT_EQ("Change" + std::to_string(k + 1), result.groups[k].anchor);
      words += result.groups[k].words;
    }
    EXPECT_LE(words, result.changed_words) << newPath;
    EXPECT_TRUE(result.changed_words == words || !result.removed.empty()) << newPath;
    const auto count = [&](const std::string& key) {
      std::size_t found = 0;
      for (std::size_t at = 0; (at = tool.out.find(key, at)) != std::string::npos; ++at) ++found;
      return found;
    };
    EXPECT_EQ(result.groups.size(), count("{\"anchor\":\"Change")) << newPath;
    EXPECT_EQ(result.removed.size(), count(",\"before\":")) << newPath;
    pages.push_back(newPath);
  }
  const char* const text = "the and (news or page) near:5 world";
  const lumivant::Query query(text);
  for (std::size_t k = 0; k < pages.size(); ++k) {
    const std::string& path = pages[k];
    const std::string bytes = lvt_testing::ReadFile(path);
    const lumivant::HighlightResult result = query.Highlight(bytes);
    const auto tool = lvt_testing::RunCli({"highlight", text, path});
    EXPECT_TRUE(result.page == tool.out) << path;
    EXPECT_EQ(result.match ? 0 : 1, tool.status) << path;
    EXPECT_EQ(result.match, query.Matches(bytes)) << path;
    // Without the page: the same answers, and none of the page kept.
    const lumivant::HighlightResult summary = query.HighlightSummary(bytes);
    EXPECT_TRUE(summary.page.empty()) << path;
    EXPECT_EQ(result.match, summary.match) << path;
    EXPECT_EQ(result.anchors, summary.anchors) << path;
    if (k % 10 == 0) {
      EXPECT_EQ("{\"match\":" + std::string(result.match ? "true" : "false") +
                    ",\"anchors\":" + std::to_string(result.anchors) + "}\n",
                lvt_testing::RunCli({"highlight", "--json", text, path}).out)
          << path;
    }
  }
}

// Rejected queries and unknown names come out as standard exceptions with
// the position, from the facade; the tool says the same.
TEST(Facade, ErrorsAHostCanCatch) {
  try {
    lumivant::Query("price ) ,");
    FAIL() << "no error";
  } catch (const lumivant::QueryError& e) {
    EXPECT_EQ("line 1:" + std::to_string(e.column()) + ": unexpected token: \"", e.what());
    EXPECT_NE(std::string::npos, lvt_testing::RunCli({"parse", "price ) ,"}).err.find(e.what()));
  }
  lumivant::QueryOptions klingon;
  klingon.language = "klingon";
  EXPECT_THROW(lumivant::Query("price", klingon), lumivant::QueryError);
  const lumivant::Query query("price");
  lumivant::PageOptions martian;
  martian.charset = "martian-8";
  EXPECT_THROW(query.Matches("<p>price</p>", martian), std::invalid_argument);
  lumivant::DiffOptions diff;
  diff.new_charset = "martian-8";
  EXPECT_THROW(lumivant::Diff("", "", diff), std::invalid_argument);
  // Pages over the limit, named with it; 0 lifts it.
  diff = {};
  diff.max_size = 4;
  const auto refused = [](auto call) {
    try {
      call();
    } catch (const lumivant::PageTooLarge& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ("new page: page larger than 4 bytes",
            refused([&] { lumivant::Diff("", "<p>x</p>", diff); }));
  lumivant::PageOptions small;
  small.max_size = 1024;
  EXPECT_EQ("page larger than 1 KB",
            refused([&] { query.Highlight(std::string(1025, ' '), small); }));
  small.max_size = 0;
  EXPECT_EQ("accepted", refused([&] { query.CountHits(std::string(1025, ' '), small); }));
}

// Charsets by label, number or detection; the head and its policy; changed
// regions of a report only.
TEST(Facade, OptionsShapeTheOutput) {
  EXPECT_EQ("utf-16le", lumivant::DetectCharset("\xff\xfe<\0p\0>\0"));
  EXPECT_EQ("shift_jis", lumivant::DetectCharset("<meta charset=sjis>"));
  EXPECT_EQ("windows-1252", lumivant::DetectCharset("caf\xe9"));
  EXPECT_EQ(LUMIVANT_VERSION, std::string(lumivant::Version()));

  const std::string policy = "<meta http-equiv=\"Content-Security-Policy\"";
  lumivant::DiffOptions options;
  options.no_scripts = true;
  options.old_charset = "1252";
  options.new_charset = "windows-1252";
  const lumivant::DiffResult diff =
      lumivant::Diff("<p>caf\xe9 ferry</p>", "<p>caf\xe9 ferry</p><p>fast</p>", options);
  EXPECT_EQ(1u, diff.changes);
  ASSERT_EQ(1u, diff.groups.size());
  EXPECT_EQ("fast", diff.groups[0].text);
  // What the old page lost, with the anchor of the group it goes with.
  const std::pair<const char*, const char*> kLosses[][2] = {
      {{"<p>x</p><p>two</p><p>y</p>", "<p>x</p><p>y</p>"}, {"two@", ""}},
      {{"<p>x</p><p>£12 each</p><p>y</p>", "<p>x</p><p>£15 each</p><p>y</p>"},
       {"£12 each@Change1", ""}},
      {{"<p>x</p><p>gone</p><p>y</p><p>old</p>", "<p>x</p><p>y</p><p>new</p>"},
       {"gone@Change1", "old@Change1"}},
      {{"<p>x</p><p>tail</p><p>end</p>", "<p>x</p>"}, {"tail end@", ""}},
  };
  for (const auto& loss : kLosses) {
    const lumivant::DiffResult result = lumivant::Diff(loss[0].first, loss[0].second);
    std::string removed[2];
    for (std::size_t k = 0; k < result.removed.size() && k < 2; ++k)
      removed[k] = result.removed[k].text + "@" + result.removed[k].before;
    EXPECT_EQ(loss[1].first, removed[0]) << loss[0].second;
    EXPECT_EQ(loss[1].second, removed[1]) << loss[0].second;
  }
  EXPECT_LT(diff.report.find(policy), diff.report.find("</head>"));
  EXPECT_NE(std::string::npos, diff.report.find("caf\xc3\xa9"));

  const lumivant::Query query("ferry");
  lumivant::PageOptions page;
  page.header = false;
  EXPECT_EQ(0u, query.Highlight("<p>ferry</p>", page).page.find("<p><a name=\"Query1\">"));
  page.header = true;
  page.no_scripts = true;
  EXPECT_NE(std::string::npos, query.Highlight("<p>ferry</p>", page).page.find(policy));
  lumivant::PageOptions changes;
  changes.changes_only = true;
  EXPECT_EQ(1u, query.CountHits(diff.report));
  EXPECT_FALSE(query.Matches(diff.report, changes));
  EXPECT_TRUE(lumivant::Query("fast").Matches(diff.report, changes));

  // Words of every script: with unicode_words, and always for russian.
  const std::string dvorak = "<p>Dvo\u0159\u00e1k</p>";
  lumivant::QueryOptions words;
  EXPECT_FALSE(lumivant::Query("Dvorak", words).Matches(dvorak));
  words.unicode_words = true;
  EXPECT_TRUE(lumivant::Query("DVORAK", words).Matches(dvorak));
  words = {};
  words.language = "russian";
  EXPECT_EQ("\u043c\u0430\u0440",
            lumivant::Query("\u041c\u0430\u0440\u0438\u044f", words).Prepared());
}

// One query shared by threads gives every thread what it gives one.
TEST(Facade, OneQueryServesManyThreads) {
  const lumivant::Query query("ferry near:8 weekdays or lobster");
  const std::string page = lvt_testing::ReadFile(lvt_testing::ExamplePath("news-v2.html"));
  const lumivant::HighlightResult alone = query.Highlight(page);
  const unsigned hits = query.CountHits(page);
  std::vector<std::future<bool>> runs;
  for (int t = 0; t < 8; ++t)
    runs.push_back(std::async(std::launch::async, [&] {
      bool same = true;
      for (int i = 0; i < 20; ++i) {
        const lumivant::HighlightResult result = query.Highlight(page);
        same = same && result.page == alone.page && query.CountHits(page) == hits;
      }
      return same;
    }));
  for (auto& run : runs) EXPECT_TRUE(run.get());
}

}  // namespace
