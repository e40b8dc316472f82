// gumbo_parse FILE...: parses each file with Gumbo, with the options the
// library parses with, and does nothing else. A process of this is the floor
// that bench/process_bench.py puts beside each lumivant process on the same
// bytes: start-up, reading and parsing, no transcoding and no tree of ours.
#include <gumbo.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: gumbo_parse FILE...\n", stderr);
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "gumbo_parse: cannot read %s\n", argv[i]);
      return 2;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboOutput* output = gumbo_parse_with_options(&options, bytes.data(), bytes.size());
    gumbo_destroy_output(&options, output);
  }
  return 0;
}
