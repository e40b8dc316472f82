#include <gumbo.h>

#include <algorithm>
#include <bitset>

#include "foundation/base/ascii.h"
#include "lumivant/html_keyword_table.h"

namespace LVTParser {

namespace {

struct NamedId {
  const char* name;
  uint8_t id;
};

// Elements that play the same part share an id. The inline ids are the ones
// word numbering relies on; the others only need to be non-zero and
// distinct from them.
const NamedId kNamedIds[] = {
    // Not page text: skipped with their content.
    {"head", 0},
    {"title", 0},
    {"base", 0},
    {"link", 0},
    {"meta", 0},
    {"style", 0},
    {"script", 0},
    {"noscript", 0},
    {"template", 0},
    {"textarea", 0},
    {"iframe", 0},
    {"noembed", 0},
    {"noframes", 0},
    {"datalist", 0},
    {"canvas", 0},
    {"video", 0},
    {"audio", 0},
    // Foreign content: a tag written into its text (a change marker, a hit's
    // colour tag) makes a browser leave the foreign content, and what
    // followed there as text (a CDATA section, say) may then read as markup.
    {"svg", 0},
    {"math", 0},
    // Raw text: shown as written, so a marker or colour tag written into it
    // would show as text, and escaped text would show its references.
    {"xmp", 0},
    {"plaintext", 0},
    // Structure.
    {"html", 2},
    {"body", 3},
    // Inline: they do not separate words.
    {"b", 6},
    {"strong", 6},
    {"i", 7},
    {"em", 7},
    {"u", 10},
    {"ins", 10},
    {"s", 13},
    {"strike", 13},
    {"del", 13},
    {"span", 19},
    {"font", 25},
    {"basefont", 25},
    {"small", 29},
    {"big", 29},
    {"sub", 30},
    {"sup", 30},
    {"a", kLinkKeyword},
    {"tt", 32},
    {"code", 32},
    {"kbd", 32},
    {"samp", 32},
    {"var", 32},
    {"cite", 34},
    {"dfn", 34},
    {"q", 34},
    {"abbr", 36},
    {"acronym", 36},
    {"mark", 38},
    {"bdi", 38},
    {"bdo", 38},
    {"time", 38},
    {"data", 38},
    {"label", 51},
    {"nobr", 51},
    {"blink", 51},
    {"output", 51},
    {"wbr", 52},
    {"ruby", 52},
    {"rb", 52},
    {"lumivantchanges", kChangesMarkerKeyword},
    {"lumivantquery", kQueryMarkerKeyword},
    // Blocks and everything else that separates words.
    {"div", 5},
    {"center", 5},
    {"main", 5},
    {"article", 5},
    {"section", 5},
    {"nav", 5},
    {"aside", 5},
    {"header", 5},
    {"footer", 5},
    {"address", 5},
    {"hgroup", 5},
    {"search", 5},
    {"p", 8},
    {"br", 9},
    {"hr", 11},
    {"h1", 12},
    {"h2", 12},
    {"h3", 12},
    {"h4", 12},
    {"h5", 12},
    {"h6", 12},
    {"ul", 14},
    {"ol", 14},
    {"dir", 14},
    {"menu", 14},
    {"li", 15},
    {"dl", 16},
    {"dt", 17},
    {"dd", 17},
    {"table", 18},
    {"caption", 20},
    {"thead", 21},
    {"tbody", 21},
    {"tfoot", 21},
    {"tr", 22},
    {"td", 23},
    {"th", 23},
    {"col", 24},
    {"colgroup", 24},
    {"img", 26},
    {"image", 26},
    {"form", 27},
    {"input", 28},
    {"button", 28},
    {"select", 28},
    {"option", 28},
    {"optgroup", 28},
    {"keygen", 28},
    {"meter", 28},
    {"progress", 28},
    {"fieldset", 28},
    {"legend", 28},
    {"menuitem", 28},
    {"isindex", 28},
    {"pre", 33},
    {"listing", 33},
    {"blockquote", 35},
    {"figure", 37},
    {"figcaption", 37},
    {"details", 37},
    {"summary", 37},
    {"dialog", 37},
    {"frameset", 39},
    {"frame", 39},
    {"object", 40},
    {"embed", 40},
    {"applet", 40},
    {"param", 40},
    {"source", 40},
    {"track", 40},
    {"map", 40},
    {"area", 40},
    {"bgsound", 40},
    {"rt", 42},
    {"rp", 42},
    {"rtc", 42},
    {"marquee", 43},
    {"multicol", 43},
    {"spacer", 43},
    {"nextid", 43},
};

// The ids of the inline groups above, sorted.
constexpr uint8_t kInlineIds[] = {6, 7, 10, 13, 19, 25, 29, 30, 31, 32, 34, 36, 38, 51, 52, 69, 70};

}  // namespace

HtmlKeywordTable::HtmlKeywordTable(int prtType)
    : m_PrtType(prtType), m_IdsByTag(GUMBO_TAG_LAST + 1, kUnknownElement) {
  m_IdsByName.reserve(sizeof(kNamedIds) / sizeof(kNamedIds[0]));
  for (const NamedId& entry : kNamedIds) {
    m_IdsByName.emplace(entry.name, entry.id);
    GumboTag tag = gumbo_tag_enum(entry.name);
    if (tag != GUMBO_TAG_UNKNOWN) m_IdsByTag[tag] = entry.id;
  }
}

uint8_t HtmlKeywordTable::IdForName(std::string_view name) const {
  std::string lower(name);
  LVTBase::LowerAsciiInPlace(lower);
  auto found = m_IdsByName.find(lower);
  return found == m_IdsByName.end() ? kUnknownElement : found->second;
}

uint8_t HtmlKeywordTable::IdForTag(int parserTag, std::string_view originalName) const {
  if (parserTag >= 0 && parserTag < GUMBO_TAG_UNKNOWN)
    return m_IdsByTag[static_cast<std::size_t>(parserTag)];
  return IdForName(originalName);
}

bool HtmlKeywordTable::IsInlineId(uint8_t id) {
  // Asked for every element of every page walked: one bit per id.
  static const std::bitset<256> kInline = [] {
    std::bitset<256> bits;
    for (uint8_t inlineId : kInlineIds) bits.set(inlineId);
    return bits;
  }();
  return kInline.test(id);
}

}  // namespace LVTParser
