// lumivant: change detection and query highlighting on HTML pages.
#include <unicode/uvernum.h>

#include <cstdio>
#include <cstring>
#include <string>
#if defined(__GLIBC__)  // set by the headers above
#include <malloc.h>
#endif

#include "lumivant/lumivant.h"
#include "tools/cli.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const lumivant_cli::Args&);
  const char* summary;
};

const Command kCommands[] = {
    {"batch", lumivant_cli::RunBatch, "compare many pairs of pages on every core"},
    {"diff", lumivant_cli::RunDiff,
     "mark what changed between two versions of a page, or tell it\n"
     "             in words (--json --details) or as text (--text)"},
    {"highlight", lumivant_cli::RunHighlight,
     "highlight the hits of a query in a page, or in its text (--text)"},
    {"match", lumivant_cli::RunMatch, "list the pages that match a query"},
    {"parse", lumivant_cli::RunParse, "show how a query is prepared and parsed"},
    {"text", lumivant_cli::RunText, "print the runs of text found in a page"},
    {"words", lumivant_cli::RunWords, "print the words found in a page"},
};

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "usage: lumivant COMMAND [options] ...\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(to, "  %-10s %s\n", c.name, c.summary);
  std::fprintf(to,
               "\n'lumivant COMMAND --help' describes a command; every command takes\n"
               "--max-size SIZE (default 256M, 0 for none) for the pages it reads.\n"
               "'lumivant --version' names the versions it was built with.\n");
}

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // A fixed threshold for mapping blocks of their own: glibc raises it to the
  // largest block freed so far, and then keeps the page's large, short-lived
  // buffers in its heap after they are freed (a 4.7 MB text node diffed
  // against itself peaked at 88 MB instead of 74 MB).
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
  if (argc < 2) {
    PrintUsage(stderr);
    return lumivant_cli::kExitTrouble;
  }
  std::string name = argv[1];
  if (name == "--version" || name == "-V") {
    std::printf("lumivant %s (ICU %s, Gumbo %s, Snowball %s)\n", lumivant::Version(), U_ICU_VERSION,
                LUMIVANT_GUMBO_VERSION, LUMIVANT_SNOWBALL_VERSION);
    return 0;
  }
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(stdout);
    return 0;
  }
  lumivant_cli::Args args(argv + 2, argv + argc);
  for (const Command& c : kCommands) {
    if (name == c.name) {
      try {
        return c.run(args);
      } catch (const std::exception& e) {
        return lumivant_cli::Fail(std::string("internal error: ") + e.what());
      }
    }
  }
  lumivant_cli::Fail("unknown command '" + name + "' (try lumivant --help)");
  return lumivant_cli::kExitTrouble;
}
