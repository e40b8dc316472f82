// A host program that uses the installed library's exported classes, with
// nothing but the installed headers and liblumivant.so (and the ANTLR 2
// runtime, whose exceptions a rejected query raises): built and run by
// scripts/test-install.sh. Exit status 0 when every check holds.
#include <lumivant/compare_html_documents.h>
#include <lumivant/html_query_highlighter.h>
#include <lumivant/memory_buffer.h>

#include <antlr/ANTLRException.hpp>
#include <cstdio>
#include <string>

int main() {
  LVTFile::MemoryBuffer oldPage(std::string("<p>ferry every ten minutes</p>"));
  LVTFile::MemoryBuffer newPage(std::string("<p>ferry every ten minutes</p><p>new pier</p>"));
  LVTFile::MemoryBuffer report;
  unsigned changes = 0, words = 0;
  double ratio = 0;
  LVTDT::CompareHtmlDocuments().DetectChanges(oldPage, 65001, newPage, 65001, report, changes,
                                              words, ratio);
  if (changes != 1 || words != 2) return std::printf("changes %u, words %u\n", changes, words), 1;

  LVTFile::MemoryBuffer page(report.Bytes());
  LVTFile::MemoryBuffer out;
  uint32_t anchors = 0;
  try {
    LVTDT::HtmlQueryHighlighter(u"pier ) ,").HighlightHtml(page, 65001, out, anchors, true);
    return std::printf("a rejected query raised nothing\n"), 1;
  } catch (const antlr::ANTLRException& e) {
    if (e.toString().find("line 1:") != 0) return std::printf("%s\n", e.toString().c_str()), 1;
  }
  const bool match =
      LVTDT::HtmlQueryHighlighter(u"pier").HighlightHtml(page, 65001, out, anchors, true);
  return match && anchors == 1 ? 0 : (std::printf("match %d, anchors %u\n", match, anchors), 1);
}
