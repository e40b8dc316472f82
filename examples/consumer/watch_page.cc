// Compares two versions of a page and looks for a query in what changed,
// through the library's facade alone:
//   watch_page OLD NEW QUERY [REPORT]
// Prints the counts and whether the changes match; writes the report with
// the hits highlighted to REPORT when given. Exit status as diff's: 0 no
// change, 1 changed, 2 trouble.
#include <lumivant/lumivant.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

std::string Read(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot read ") + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: watch_page OLD NEW QUERY [REPORT]\n";
    return 2;
  }
  try {
    const std::string oldPage = Read(argv[1]);
    const std::string newPage = Read(argv[2]);
    lumivant::DiffOptions diffOptions;
    diffOptions.no_scripts = true;  // the report may be of an untrusted page
    const lumivant::DiffResult diff = lumivant::Diff(oldPage, newPage, diffOptions);

    const lumivant::Query query(argv[3]);
    lumivant::PageOptions changes;
    changes.changes_only = true;
    const lumivant::HighlightResult hits = query.Highlight(diff.report, changes);
    std::cout << "lumivant " << lumivant::Version() << ", new page in "
              << lumivant::DetectCharset(newPage) << "\n"
              << "changes " << diff.changes << ", changed words " << diff.changed_words
              << ", ratio " << diff.change_ratio << "\n"
              << "query '" << query.Prepared()
              << "': " << (query.Matches(diff.report, changes) ? "matches" : "no match") << ", "
              << query.CountHits(diff.report, changes) << " hits, " << hits.anchors << " anchors\n";
    if (argc > 4) std::ofstream(argv[4], std::ios::binary) << hits.page;
    return diff.changed_words == 0 ? 0 : 1;
  } catch (const lumivant::QueryError& e) {
    std::cerr << "watch_page: bad query at column " << e.column() << ": " << e.what() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "watch_page: " << e.what() << "\n";
  }
  return 2;
}
