// The head that the change report and the highlighted page start with, as
// the facade adjusts it: a policy that runs none of the page's scripts, or
// no head at all.
#ifndef LUMIVANT_FACADE_PAGE_HEADER_H_
#define LUMIVANT_FACADE_PAGE_HEADER_H_

#include <string>
#include <string_view>

namespace lumivant {

// What a report of an untrusted page carries so that a browser shows it
// without running the page's scripts or plug-ins.
inline constexpr std::string_view kNoScriptsPolicy =
    "<meta http-equiv=\"Content-Security-Policy\" content=\"script-src 'none'; object-src "
    "'none'\">";

// Puts the policy into the head that page starts with (a report's or a
// highlighted page's); a page without that head is left as it is.
void AddNoScriptsPolicy(std::string& page);

// Drops the head that a highlighted page starts with.
void RemoveHighlightHeader(std::string& page);

}  // namespace lumivant

#endif  // LUMIVANT_FACADE_PAGE_HEADER_H_
