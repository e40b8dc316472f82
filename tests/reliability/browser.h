// Rendering pages in a real browser (Debian's chromium, headless) and
// comparing the DOM it builds from a page with the one it builds from what
// the library wrote. Used by the injection tests; skipped where no browser
// is installed (scripts/browser-check.sh insists on one).
#ifndef LUMIVANT_TESTS_RELIABILITY_BROWSER_H_
#define LUMIVANT_TESTS_RELIABILITY_BROWSER_H_

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/element_list.h"

namespace lvt_browser {

inline constexpr char kPath[] = "/usr/bin/chromium";

// What script hidden in a page's text would do if it ever ran: mark the
// document, so that the rendered DOM shows it.
inline constexpr char kPayload[] = "document.documentElement.dataset.injected=1";

// LUMIVANT_REQUIRE_BROWSER=1 turns a missing browser into a failure.
inline bool Available() {
  if (access(kPath, X_OK) == 0) return true;
  const char* require = std::getenv("LUMIVANT_REQUIRE_BROWSER");
  return require != nullptr && std::string(require) == "1";
}

// page with every "alert(1)" replaced by the payload.
inline std::string Armed(std::string page) {
  const std::string alert = "alert(1)";
  for (std::size_t at = page.find(alert); at != std::string::npos; at = page.find(alert, at + 1))
    page.replace(at, alert.size(), kPayload);
  return page;
}

struct Rendering {
  std::string name;
  std::string input;   // the page as the library's output should render it
  std::string output;  // what the library wrote
  std::string marker;  // own elements: "lumivantquery" or "lumivantchanges"
  std::string anchorPrefix;
  std::string innerTags;  // the colour tags or highlight strings written
};

struct PipeCloser {
  void operator()(FILE* pipe) const { pclose(pipe); }
};

// The DOM the browser builds from the file, serialized; "" when it failed.
inline std::string DumpDom(const std::string& file, const std::string& profile) {
  const std::string command = std::string("timeout 90 ") + kPath +
                              " --headless --no-sandbox --disable-gpu "
                              "--dump-dom --disable-background-networking"
                              " --disable-component-update --disable-sync "
                              "--no-first-run --user-data-dir=" +
                              profile + " file://" + file + " 2>/dev/null";
  std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
  if (!pipe) return "";
  std::string dom;
  char block[65536];
  for (std::size_t got; (got = std::fread(block, 1, sizeof(block), pipe.get())) != 0;)
    dom.append(block, got);
  return dom;
}

inline std::string WriteTemp(const std::string& dir, const std::string& name,
                             const std::string& bytes) {
  const std::string path = dir + "/" + name + ".html";
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// Faults found: an element the output's DOM has and the input's lacks (or
// the reverse), or the payload having run.
inline std::vector<std::string> CheckRenderings(const std::vector<Rendering>& renderings) {
  std::vector<std::string> faults;
  char pattern[] = "/tmp/lumivant-browser-XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (dir == nullptr) return {"cannot make a temporary folder"};
  for (std::size_t i = 0; i < renderings.size(); ++i) {
    const Rendering& r = renderings[i];
    const std::string id = std::to_string(i) + "-" + r.name;
    const std::string profile = std::string(dir) + "/profile-" + id;
    const std::string before = DumpDom(WriteTemp(dir, id + "-in", r.input), profile + "-in");
    const std::string after = DumpDom(WriteTemp(dir, id + "-out", r.output), profile + "-out");
    if (before.empty() || after.empty()) {
      faults.push_back(id + ": the browser rendered nothing");
      continue;
    }
    if (before.find("data-injected") != std::string::npos)
      faults.push_back(id + ": the page itself runs its script; the check sees nothing");
    if (after.find("data-injected") != std::string::npos)
      faults.push_back(id + ": script from the page's text ran");
    lvt_fuzz::OwnMarkup own{r.marker, r.anchorPrefix, {}};
    own.AddInnerTags(r.innerTags);
    const std::string difference = lvt_fuzz::ElementDifference(before, after, own);
    if (!difference.empty()) faults.push_back(id + ": " + difference);
  }
  std::system(("rm -rf " + std::string(dir)).c_str());
  return faults;
}

}  // namespace lvt_browser

#endif  // LUMIVANT_TESTS_RELIABILITY_BROWSER_H_
