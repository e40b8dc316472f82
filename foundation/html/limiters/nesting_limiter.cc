#include "foundation/html/limiters/nesting_limiter.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/base/ascii.h"
#include "foundation/html/limiters/attribute_limiter.h"
#include "foundation/html/text_stretches.h"

namespace LVTParser {

namespace {

// Scans of the model's stack look at most this many entries from the top,
// which keeps the model itself linear.
constexpr std::size_t kScanLimit = 4096;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

const GumboTag kFormatting[] = {GUMBO_TAG_A,  GUMBO_TAG_B,     GUMBO_TAG_BIG,    GUMBO_TAG_CODE,
                                GUMBO_TAG_EM, GUMBO_TAG_FONT,  GUMBO_TAG_I,      GUMBO_TAG_NOBR,
                                GUMBO_TAG_S,  GUMBO_TAG_SMALL, GUMBO_TAG_STRIKE, GUMBO_TAG_STRONG,
                                GUMBO_TAG_TT, GUMBO_TAG_U};
constexpr int kFormattingKinds = sizeof(kFormatting) / sizeof(kFormatting[0]);

// A set of tags with one bit per tag: the model asks which sets a tag is in
// several times for every tag of the page.
class TagSet {
 public:
  TagSet(std::initializer_list<GumboTag> tags) {
    for (GumboTag tag : tags) {
      const auto bit = static_cast<uint32_t>(tag);
      m_Bits[bit / 64] |= uint64_t{1} << (bit % 64);
    }
  }
  // False for keys of unknown tags, which lie beyond every tag's number.
  bool Has(uint32_t key) const { return key < kBits && (m_Bits[key / 64] >> (key % 64)) & 1; }

 private:
  static constexpr uint32_t kBits = 256;
  static_assert(GUMBO_TAG_LAST < kBits, "a tag number beyond the set");
  uint64_t m_Bits[kBits / 64] = {};
};

bool OneOf(uint32_t key, const TagSet& tags) { return tags.Has(key); }

bool OneOf(uint32_t key, std::initializer_list<GumboTag> tags) {
  for (GumboTag tag : tags)
    if (static_cast<uint32_t>(tag) == key) return true;
  return false;
}

// The index of the tag in kFormatting, or -1.
int FormattingKind(uint32_t key) {
  static const std::array<int8_t, 256> kinds = [] {
    std::array<int8_t, 256> table;
    table.fill(-1);
    for (int k = 0; k < kFormattingKinds; ++k)
      table[static_cast<std::size_t>(kFormatting[k])] = static_cast<int8_t>(k);
    return table;
  }();
  return key < kinds.size() ? kinds[key] : -1;
}

const TagSet kVoid = {GUMBO_TAG_AREA,   GUMBO_TAG_BASE,  GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND,
                      GUMBO_TAG_BR,     GUMBO_TAG_COL,   GUMBO_TAG_EMBED,    GUMBO_TAG_FRAME,
                      GUMBO_TAG_HR,     GUMBO_TAG_IMAGE, GUMBO_TAG_IMG,      GUMBO_TAG_INPUT,
                      GUMBO_TAG_KEYGEN, GUMBO_TAG_LINK,  GUMBO_TAG_META,     GUMBO_TAG_PARAM,
                      GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK, GUMBO_TAG_WBR,      GUMBO_TAG_ISINDEX};
const TagSet kRawText = {GUMBO_TAG_SCRIPT,  GUMBO_TAG_STYLE,   GUMBO_TAG_TEXTAREA,
                         GUMBO_TAG_TITLE,   GUMBO_TAG_XMP,     GUMBO_TAG_IFRAME,
                         GUMBO_TAG_NOEMBED, GUMBO_TAG_NOFRAMES};
const TagSet kScopeBoundary = {GUMBO_TAG_HTML,   GUMBO_TAG_TABLE,   GUMBO_TAG_TD,
                               GUMBO_TAG_TH,     GUMBO_TAG_CAPTION, GUMBO_TAG_MARQUEE,
                               GUMBO_TAG_OBJECT, GUMBO_TAG_APPLET,  GUMBO_TAG_TEMPLATE};
const TagSet kMarkerElements = {GUMBO_TAG_TD,      GUMBO_TAG_TH,      GUMBO_TAG_CAPTION,
                                GUMBO_TAG_APPLET,  GUMBO_TAG_MARQUEE, GUMBO_TAG_OBJECT,
                                GUMBO_TAG_TEMPLATE};
const TagSet kTableParts = {GUMBO_TAG_CAPTION, GUMBO_TAG_COL,   GUMBO_TAG_COLGROUP,
                            GUMBO_TAG_TBODY,   GUMBO_TAG_TD,    GUMBO_TAG_TFOOT,
                            GUMBO_TAG_TH,      GUMBO_TAG_THEAD, GUMBO_TAG_TR};
const TagSet kHeadings = {GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_H3,
                          GUMBO_TAG_H4, GUMBO_TAG_H5, GUMBO_TAG_H6};
// Start tags that close an open <p>.
const TagSet kClosesP = {
    GUMBO_TAG_ADDRESS, GUMBO_TAG_ARTICLE,  GUMBO_TAG_ASIDE,      GUMBO_TAG_BLOCKQUOTE,
    GUMBO_TAG_CENTER,  GUMBO_TAG_DETAILS,  GUMBO_TAG_DIR,        GUMBO_TAG_DIV,
    GUMBO_TAG_DL,      GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,
    GUMBO_TAG_FOOTER,  GUMBO_TAG_HEADER,   GUMBO_TAG_HGROUP,     GUMBO_TAG_MAIN,
    GUMBO_TAG_MENU,    GUMBO_TAG_NAV,      GUMBO_TAG_OL,         GUMBO_TAG_P,
    GUMBO_TAG_SECTION, GUMBO_TAG_SUMMARY,  GUMBO_TAG_UL,         GUMBO_TAG_H1,
    GUMBO_TAG_H2,      GUMBO_TAG_H3,       GUMBO_TAG_H4,         GUMBO_TAG_H5,
    GUMBO_TAG_H6,      GUMBO_TAG_PRE,      GUMBO_TAG_LISTING,    GUMBO_TAG_FORM,
    GUMBO_TAG_TABLE,   GUMBO_TAG_HR,       GUMBO_TAG_XMP,        GUMBO_TAG_PLAINTEXT,
    GUMBO_TAG_LI,      GUMBO_TAG_DD,       GUMBO_TAG_DT};
// Start tags before which open formatting elements are not re-opened.
const TagSet kNoReconstruct = {
    GUMBO_TAG_HTML,  GUMBO_TAG_HEAD,     GUMBO_TAG_BODY,   GUMBO_TAG_FRAMESET, GUMBO_TAG_BASE,
    GUMBO_TAG_LINK,  GUMBO_TAG_META,     GUMBO_TAG_SCRIPT, GUMBO_TAG_STYLE,    GUMBO_TAG_TEMPLATE,
    GUMBO_TAG_TITLE, GUMBO_TAG_TEXTAREA, GUMBO_TAG_IFRAME, GUMBO_TAG_NOEMBED,  GUMBO_TAG_RB,
    GUMBO_TAG_RP,    GUMBO_TAG_RT,       GUMBO_TAG_RTC,    GUMBO_TAG_PARAM,    GUMBO_TAG_SOURCE,
    GUMBO_TAG_TRACK};
// Elements whose end tags are not passed by end tags of ordinary elements.
const TagSet kSpecial = {
    GUMBO_TAG_ADDRESS, GUMBO_TAG_APPLET,     GUMBO_TAG_AREA,       GUMBO_TAG_ARTICLE,
    GUMBO_TAG_ASIDE,   GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BODY,       GUMBO_TAG_BUTTON,
    GUMBO_TAG_CAPTION, GUMBO_TAG_CENTER,     GUMBO_TAG_COLGROUP,   GUMBO_TAG_DD,
    GUMBO_TAG_DETAILS, GUMBO_TAG_DIR,        GUMBO_TAG_DIV,        GUMBO_TAG_DL,
    GUMBO_TAG_DT,      GUMBO_TAG_FIELDSET,   GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,
    GUMBO_TAG_FOOTER,  GUMBO_TAG_FORM,       GUMBO_TAG_H1,         GUMBO_TAG_H2,
    GUMBO_TAG_H3,      GUMBO_TAG_H4,         GUMBO_TAG_H5,         GUMBO_TAG_H6,
    GUMBO_TAG_HEADER,  GUMBO_TAG_HGROUP,     GUMBO_TAG_HTML,       GUMBO_TAG_LI,
    GUMBO_TAG_LISTING, GUMBO_TAG_MAIN,       GUMBO_TAG_MARQUEE,    GUMBO_TAG_MENU,
    GUMBO_TAG_NAV,     GUMBO_TAG_OBJECT,     GUMBO_TAG_OL,         GUMBO_TAG_P,
    GUMBO_TAG_PRE,     GUMBO_TAG_SECTION,    GUMBO_TAG_SELECT,     GUMBO_TAG_SUMMARY,
    GUMBO_TAG_TABLE,   GUMBO_TAG_TBODY,      GUMBO_TAG_TD,         GUMBO_TAG_TEMPLATE,
    GUMBO_TAG_TFOOT,   GUMBO_TAG_TH,         GUMBO_TAG_THEAD,      GUMBO_TAG_TR,
    GUMBO_TAG_UL,      GUMBO_TAG_XMP};

// Elements whose content is read as HTML again: in svg, and in math.
const TagSet kSvgIntegrationPoints = {GUMBO_TAG_FOREIGNOBJECT, GUMBO_TAG_DESC, GUMBO_TAG_TITLE};
// (and annotation-xml with an HTML encoding).
const TagSet kMathIntegrationPoints = {GUMBO_TAG_MI, GUMBO_TAG_MO, GUMBO_TAG_MN, GUMBO_TAG_MS,
                                       GUMBO_TAG_MTEXT};

// One start or end tag as the model needs it.
struct Tag {
  uint32_t key = 0;             // the parser's tag number, or a hash of an unknown name
  std::string_view attributes;  // the text after the name
  std::string name;             // lower case
  bool end = false;
  bool selfClosing = false;
  bool fontBreaksOut = false;  // a <font> with color, face or size
  bool htmlEncoding = false;   // an <annotation-xml> whose content is HTML
};

constexpr uint32_t kUnknownKeyBit = 0x80000000u;

// Start tags that take the parser out of svg and math (<font> only with one
// of the attributes below).
const TagSet kBreakout = {
    GUMBO_TAG_B,      GUMBO_TAG_BIG,    GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BODY,  GUMBO_TAG_BR,
    GUMBO_TAG_CENTER, GUMBO_TAG_CODE,   GUMBO_TAG_DD,         GUMBO_TAG_DIV,   GUMBO_TAG_DL,
    GUMBO_TAG_DT,     GUMBO_TAG_EM,     GUMBO_TAG_EMBED,      GUMBO_TAG_H1,    GUMBO_TAG_H2,
    GUMBO_TAG_H3,     GUMBO_TAG_H4,     GUMBO_TAG_H5,         GUMBO_TAG_H6,    GUMBO_TAG_HEAD,
    GUMBO_TAG_HR,     GUMBO_TAG_I,      GUMBO_TAG_IMG,        GUMBO_TAG_LI,    GUMBO_TAG_LISTING,
    GUMBO_TAG_MENU,   GUMBO_TAG_META,   GUMBO_TAG_NOBR,       GUMBO_TAG_OL,    GUMBO_TAG_P,
    GUMBO_TAG_PRE,    GUMBO_TAG_RUBY,   GUMBO_TAG_S,          GUMBO_TAG_SMALL, GUMBO_TAG_SPAN,
    GUMBO_TAG_STRONG, GUMBO_TAG_STRIKE, GUMBO_TAG_SUB,        GUMBO_TAG_SUP,   GUMBO_TAG_TABLE,
    GUMBO_TAG_TT,     GUMBO_TAG_U,      GUMBO_TAG_UL,         GUMBO_TAG_VAR};

// The attribute text of a tag, lower case, for looking up names and values.
std::string LowerAttributes(const char* from, const char* stop) {
  std::string attributes(from, stop);
  LVTBase::LowerAsciiInPlace(attributes);
  return attributes;
}

bool HasHtmlEncoding(const char* from, const char* stop) {
  const std::string attributes = LowerAttributes(from, stop);
  return attributes.find("text/html") != std::string::npos ||
         attributes.find("application/xhtml+xml") != std::string::npos;
}

bool HasFontBreakoutAttribute(const char* from, const char* stop) {
  const std::string attributes = LowerAttributes(from, stop);
  for (const char* name : {"color", "face", "size"}) {
    const std::size_t length = std::strlen(name);
    for (std::size_t at = attributes.find(name); at != std::string::npos;
         at = attributes.find(name, at + 1)) {
      const char before = at == 0 ? ' ' : attributes[at - 1];
      const char after = at + length < attributes.size() ? attributes[at + length] : '>';
      if ((LVTBase::IsHtmlSpace(before) || before == '/') &&
          (LVTBase::IsHtmlSpace(after) || after == '=' || after == '/' || after == '>'))
        return true;
    }
  }
  return false;
}

// A hash of text read in lower case: of the attributes of a formatting
// element, which tells its clones apart, and of an unknown tag's name.
uint32_t LowerCaseHash(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (char c : text)
    hash = (hash ^ static_cast<unsigned char>(LVTBase::LowerAscii(c))) * 16777619u;
  return hash;
}

Tag ReadTag(const char* p, std::size_t length) {
  Tag tag;
  const char* q = p + 1;
  const char* stop = p + length - 1;  // the closing '>'
  if (*q == '/') {
    tag.end = true;
    ++q;
  }
  while (q < stop && !LVTBase::IsHtmlSpace(*q) && *q != '/')
    tag.name.push_back(LVTBase::LowerAscii(*q++));
  tag.attributes = std::string_view(q, static_cast<std::size_t>(stop - q));
  tag.selfClosing = stop > p + 1 && stop[-1] == '/';
  GumboTag known = gumbo_tagn_enum(tag.name.data(), static_cast<unsigned>(tag.name.size()));
  if (known != GUMBO_TAG_UNKNOWN) {
    tag.key = known;
    if (known == GUMBO_TAG_FONT) tag.fontBreaksOut = HasFontBreakoutAttribute(q, stop);
    if (known == GUMBO_TAG_ANNOTATION_XML) tag.htmlEncoding = HasHtmlEncoding(q, stop);
  } else {
    tag.key = kUnknownKeyBit | LowerCaseHash(tag.name);
  }
  return tag;
}

class NestingModel {
 public:
  NestingModel(char* text, uint32_t size, const HtmlKeywordTable& table,
               AttributeLimiter* attributes)
      : m_pText(text),
        m_pEnd(text + size),
        m_Table(table),
        m_pAttributes(attributes),
        m_OpenCount(GUMBO_TAG_LAST + 1, 0),
        m_Budget(65536 + size / 32) {
    Push(GUMBO_TAG_HTML, false);
    Push(GUMBO_TAG_BODY, false);
  }

  NestingReport Run() {
    const char* p = m_pText;
    while (p < m_pEnd) {
      const void* hit = std::memchr(p, '<', static_cast<std::size_t>(m_pEnd - p));
      const char* lt = hit == nullptr ? m_pEnd : static_cast<const char*>(hit);
      if (lt > p) Reconstruct();  // text
      if (lt == m_pEnd) break;
      p = Markup(lt);
    }
    if (m_Foreign > 0)
      m_Report.foreignRanges.back().second = static_cast<uint32_t>(m_pEnd - m_pText);
    return m_Report;
  }

 private:
  struct Open {
    uint32_t key;
    uint32_t serial;
    bool phantom;      // rewritten away: the parser never sees it
    bool renamed;      // a <main> the parser reads as <div>
    bool htmlContent;  // an element of svg or math whose content is HTML again
    bool foreignRoot;  // an svg or math opened from HTML content
  };
  // An entry of the list of formatting elements waiting to be re-opened.
  struct Entry {
    uint32_t key;
    uint32_t attrs;
    uint32_t born;    // serial of the start tag
    uint32_t serial;  // serial of the element that stands for it now
    std::size_t index;
    uint32_t position;  // of the start tag in the text
    uint32_t length;
    bool marker;
  };

  // Handles the markup at lt; returns where scanning goes on.
  const char* Markup(const char* lt) {
    if (m_Foreign > 0 && m_pEnd - lt > 9 && std::memcmp(lt, "<![CDATA[", 9) == 0) {
      static constexpr char kCdataEnd[] = "]]>";
      const char* close = std::search(lt + 9, m_pEnd, kCdataEnd, kCdataEnd + 3);
      return close == m_pEnd ? m_pEnd : close + 3;
    }
    const std::size_t length = MarkupLength(lt, m_pEnd);
    const char* past = HandleMarkup(lt, length);
    // Once the model is done with it: a later rewrite of the tag keeps its
    // length, so the attribute limiter steps over it as it would afterwards.
    if (m_pAttributes != nullptr) m_pAttributes->Reach(m_pText + (lt - m_pText), length);
    return past;
  }

  const char* HandleMarkup(const char* lt, std::size_t length) {
    if (length == 0) {
      Reconstruct();  // a literal '<'
      return lt + 1;
    }
    const char next = lt[1];
    const bool tag = next != '!' && next != '?' && (next != '/' || length > 3);
    if (!tag || lt[length - 1] != '>') return lt + length;
    if (next == '/' && !LVTBase::IsAsciiAlpha(lt[2])) return lt + length;  // a bogus comment
    Tag parsed = ReadTag(lt, length);
    const uint32_t position = static_cast<uint32_t>(lt - m_pText);
    m_TagAt = position;
    if (parsed.end) {
      EndTag(parsed, position, static_cast<uint32_t>(length));
      return lt + length;
    }
    return StartTag(parsed, position, static_cast<uint32_t>(length), lt + length);
  }

  bool Is(uint32_t key, GumboTag tag) const { return key == static_cast<uint32_t>(tag); }
  bool Known(uint32_t key) const { return (key & kUnknownKeyBit) == 0; }

  const char* StartTag(Tag tag, uint32_t position, uint32_t length, const char* after) {
    // In svg or math most tags open elements of theirs; the others leave
    // the foreign content first.
    bool brokeOut = false;
    if (const std::size_t foreign = ForeignContentRoot(); foreign != kNone) {
      const bool breaksOut = (Known(tag.key) && OneOf(tag.key, kBreakout)) ||
                             (Is(tag.key, GUMBO_TAG_FONT) && tag.fontBreaksOut);
      if (!breaksOut) return ForeignStartTag(tag, m_Stack[foreign].key, position, length, after);
      LeaveForeignContent();
      brokeOut = true;
    }
    // The tokenizer library predates <main> as a special element: it lets
    // end tags of inline elements close it and leaves it inside a link that
    // a later </a> closes. <div> is built exactly like <main> outside svg
    // and math, so the library reads it under that name.
    const bool renamed = Is(tag.key, GUMBO_TAG_MAIN);
    if (renamed) {
      RenameMain(position + 1);
      tag.key = GUMBO_TAG_DIV;
    }
    const uint32_t key = tag.key;
    if (Is(key, GUMBO_TAG_PLAINTEXT)) return m_pEnd;  // the rest is text
    if (Is(key, GUMBO_TAG_HTML) || Is(key, GUMBO_TAG_HEAD) || Is(key, GUMBO_TAG_BODY) ||
        Is(key, GUMBO_TAG_FRAMESET))
      return after;
    if (Known(key) && OneOf(key, kTableParts) && m_OpenCount[GUMBO_TAG_TABLE] == 0) return after;
    const bool reconstructs = !Known(key) || !(OneOf(key, kNoReconstruct) || OneOf(key, kClosesP) ||
                                               OneOf(key, kTableParts));
    if (Known(key) && OneOf(key, kVoid)) {
      if (reconstructs) Reconstruct();
      return after;
    }
    if (Known(key) && OneOf(key, kRawText)) return SkipRawText(tag.name, after);
    CloseImplied(key);
    OpenImpliedTableParts(key);
    if (Is(key, GUMBO_TAG_A) || Is(key, GUMBO_TAG_NOBR)) CloseActive(key);
    if (reconstructs) Reconstruct();
    const int kind = FormattingKind(key);
    if (m_Real >= kMaxNestingDepth) {
      Rewrite(position, length, Separates(tag.name));
      Push(key, true);
      return after;
    }
    // A link is never rewritten away: it decides where text belongs and
    // where its anchors go. Nor is a tag that took the parser out of svg or
    // math: rewritten, it would leave the page's text there.
    if (kind >= 0 && !Is(key, GUMBO_TAG_A) && !brokeOut && ActiveCount() >= kMaxActiveFormatting) {
      Rewrite(position, length, false);
      m_Ghosts[kind].push_back(++m_Serial);
      return after;
    }
    Push(key, false, renamed);
    if (kind >= 0) {
      const uint32_t attrs = LowerCaseHash(tag.attributes);
      NoahsArk(key, attrs);
      m_List.push_back(
          Entry{key, attrs, m_Serial, m_Serial, m_Stack.size() - 1, position, length, false});
    }
    if (Known(key) && OneOf(key, kMarkerElements))
      m_List.push_back(Entry{key, 0, m_Serial, m_Serial, m_Stack.size() - 1, 0, 0, true});
    return after;
  }

  // A start tag that opens an element of svg or math: none of HTML's
  // implied end tags or formatting elements apply.
  const char* ForeignStartTag(const Tag& tag, uint32_t root, uint32_t position, uint32_t length,
                              const char* after) {
    if (tag.selfClosing) return after;
    const bool phantom = m_Real >= kMaxNestingDepth;
    if (phantom) Rewrite(position, length, Separates(tag.name));
    Push(tag.key, phantom, false, true);
    m_Stack.back().htmlContent =
        Is(root, GUMBO_TAG_SVG) ? OneOf(tag.key, kSvgIntegrationPoints)
                                : OneOf(tag.key, kMathIntegrationPoints) ||
                                      (Is(tag.key, GUMBO_TAG_ANNOTATION_XML) && tag.htmlEncoding);
    return after;
  }

  void EndTag(Tag tag, uint32_t position, uint32_t length) {
    if (EndForeign(tag.key, position, length)) return;
    if (Is(tag.key, GUMBO_TAG_MAIN) && MainIsRenamed()) {
      RenameMain(position + 2);
      tag.key = GUMBO_TAG_DIV;
    }
    const uint32_t key = tag.key;
    if (Is(key, GUMBO_TAG_HTML) || Is(key, GUMBO_TAG_BODY) || Is(key, GUMBO_TAG_HEAD) ||
        Is(key, GUMBO_TAG_BR))
      return;
    const int kind = FormattingKind(key);
    if (kind >= 0 && EndFormatting(key, kind, position, length, tag.name)) return;
    if (Is(key, GUMBO_TAG_FORM) && CloseForm()) return;
    const bool special = Known(key) && OneOf(key, kSpecial);
    bool passedUnknown = false;
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > 0 && seen < kScanLimit; ++seen) {
      const Open& open = m_Stack[i];
      if (open.key == key) {
        if (open.phantom) Rewrite(position, length, Separates(tag.name));
        PopTo(i);
        return;
      }
      if (Known(open.key) && OneOf(open.key, kScopeBoundary)) break;
      if (!special && Known(open.key) && OneOf(open.key, kSpecial)) break;
      passedUnknown = passedUnknown || !Known(open.key);
    }
    // An end tag of an unknown name that closes nothing: a browser ignores
    // it, while the tokenizer library closes the nearest open element of any
    // unknown name, and may so end an svg early that a browser keeps open
    // (what the library would then take for page text, a browser reads as
    // foreign content). Rewritten, the library ignores it too.
    if (!Known(key) && passedUnknown) Rewrite(position, length, false);
  }

  // The end tag of a formatting element closes the newest of its kind:
  // one rewritten away (its end tag goes too) or a real one.
  bool EndFormatting(uint32_t key, int kind, uint32_t position, uint32_t length,
                     const std::string& name) {
    std::size_t phantom = kNone;
    for (std::size_t i = m_Stack.size(), seen = 0;
         i-- > 0 && m_Stack[i].phantom && seen < kScanLimit; ++seen) {
      if (m_Stack[i].key == key) {
        phantom = i;
        break;
      }
    }
    std::size_t entry = kNone;
    for (std::size_t i = m_List.size(); i-- > 0 && !m_List[i].marker;) {
      if (m_List[i].key == key) {
        entry = i;
        break;
      }
    }
    const uint32_t ghost = m_Ghosts[kind].empty() ? 0 : m_Ghosts[kind].back();
    const uint32_t phantomBorn = phantom == kNone ? 0 : m_Stack[phantom].serial;
    const uint32_t entryBorn = entry == kNone ? 0 : m_List[entry].born;
    if (phantomBorn == 0 && ghost == 0 && entryBorn == 0) return false;
    if (phantomBorn > ghost && phantomBorn > entryBorn) {
      Rewrite(position, length, Separates(name));
      PopTo(phantom);
    } else if (ghost > entryBorn && ForeignContentRoot() == kNone) {
      Rewrite(position, length, false);
      m_Ghosts[kind].pop_back();
    } else if (ghost > entryBorn && entry == kNone) {
      // In svg or math the end tag of a rewritten element takes a browser
      // out of the svg. With no real element of its kind to close, a line
      // break (a start tag that leaves the svg) is the nearest reading.
      Rewrite(position, length, true);
      LeaveForeignContent();
      m_Ghosts[kind].pop_back();
    } else {
      // There, left as it is, the end tag closes the newest real element
      // of its kind, and the library leaves the svg too.
      if (ghost > entryBorn) m_Ghosts[kind].pop_back();
      const Entry& closed = m_List[entry];
      // With a block opened inside it, the element alone leaves the stack
      // (see CloseActive).
      if (IsOpen(closed)) {
        if (BlockAbove(closed.index))
          RemoveOpen(closed.index);
        else
          PopTo(closed.index);
      }
      m_List.erase(m_List.begin() + static_cast<std::ptrdiff_t>(entry));
    }
    return true;
  }

  // An end tag in svg or math closes the nearest element of its name there;
  // with none, a browser handles it as in HTML. </br> and a </p> that closes
  // no paragraph take a browser back to HTML (a line break, an empty
  // paragraph), while the library stays in the svg and reads what follows as
  // svg: a <br> start tag leaves it there too.
  bool EndForeign(uint32_t key, uint32_t position, uint32_t length) {
    const std::size_t foreign = ForeignContentRoot();
    if (foreign == kNone) return false;
    if (Is(key, GUMBO_TAG_BR) ||
        (Is(key, GUMBO_TAG_P) && FindInScope(GUMBO_TAG_P, true) == kNone)) {
      Rewrite(position, length, true);
      LeaveForeignContent();
      return true;
    }
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > foreign && seen < kScanLimit; ++seen) {
      if (m_Stack[i].key != key) continue;
      if (m_Stack[i].phantom) Rewrite(position, length, false);
      PopTo(i);
      return true;
    }
    return false;
  }

  // </form> takes the form alone off the stack: what was opened in it (an
  // svg, say) stays open.
  bool CloseForm() {
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > 0 && seen < kScanLimit; ++seen) {
      const Open& open = m_Stack[i];
      if (Is(open.key, GUMBO_TAG_FORM)) {
        if (open.phantom) return false;
        RemoveOpen(i);
        return true;
      }
      if (Known(open.key) && OneOf(open.key, kScopeBoundary)) return false;
    }
    return false;
  }

  // End tags a start tag implies.
  void CloseImplied(uint32_t key) {
    if (!Known(key)) return;
    if (OneOf(key, kClosesP) && m_OpenCount[GUMBO_TAG_P] > 0) {
      std::size_t p = FindInScope(GUMBO_TAG_P, true);
      if (p != kNone) PopTo(p);
    }
    const GumboTag tag = static_cast<GumboTag>(key);
    if (tag == GUMBO_TAG_LI) {
      PopToListItem(GUMBO_TAG_LI, GUMBO_TAG_LI);
    } else if (tag == GUMBO_TAG_DD || tag == GUMBO_TAG_DT) {
      PopToListItem(GUMBO_TAG_DD, GUMBO_TAG_DT);
    } else if (OneOf(key, kHeadings)) {
      if (OneOf(m_Stack.back().key, kHeadings)) PopTo(m_Stack.size() - 1);
    } else if (tag == GUMBO_TAG_OPTION || tag == GUMBO_TAG_OPTGROUP) {
      if (Is(m_Stack.back().key, GUMBO_TAG_OPTION)) PopTo(m_Stack.size() - 1);
    } else if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) {
      PopToFirst({GUMBO_TAG_TD, GUMBO_TAG_TH}, {GUMBO_TAG_TR, GUMBO_TAG_TABLE});
    } else if (tag == GUMBO_TAG_TR) {
      PopToFirst({GUMBO_TAG_TR},
                 {GUMBO_TAG_TBODY, GUMBO_TAG_THEAD, GUMBO_TAG_TFOOT, GUMBO_TAG_TABLE});
    } else if (tag == GUMBO_TAG_TBODY || tag == GUMBO_TAG_THEAD || tag == GUMBO_TAG_TFOOT) {
      PopToFirst({GUMBO_TAG_TBODY, GUMBO_TAG_THEAD, GUMBO_TAG_TFOOT}, {GUMBO_TAG_TABLE});
    } else if (tag == GUMBO_TAG_TABLE) {
      PopToFirst({GUMBO_TAG_TABLE}, {GUMBO_TAG_TD, GUMBO_TAG_TH, GUMBO_TAG_CAPTION});
    } else if (tag == GUMBO_TAG_BUTTON) {
      std::size_t button = FindInScope(GUMBO_TAG_BUTTON, false);
      if (button != kNone) PopTo(button);
    }
  }

  // A row opens a table body and a cell a row where the page left them out.
  void OpenImpliedTableParts(uint32_t key) {
    if (m_Real >= kMaxNestingDepth) return;
    const uint32_t top = m_Stack.back().key;
    const bool cell = Is(key, GUMBO_TAG_TD) || Is(key, GUMBO_TAG_TH);
    if ((Is(key, GUMBO_TAG_TR) || cell) && Is(top, GUMBO_TAG_TABLE)) Push(GUMBO_TAG_TBODY, false);
    const uint32_t now = m_Stack.back().key;
    if (cell && (Is(now, GUMBO_TAG_TBODY) || Is(now, GUMBO_TAG_THEAD) || Is(now, GUMBO_TAG_TFOOT)))
      Push(GUMBO_TAG_TR, false);
  }

  void PopToFirst(std::initializer_list<GumboTag> wanted, std::initializer_list<GumboTag> stops) {
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > 0 && seen < kScanLimit; ++seen) {
      const uint32_t key = m_Stack[i].key;
      if (OneOf(key, wanted)) {
        PopTo(i);
        return;
      }
      if (Is(key, GUMBO_TAG_HTML) || OneOf(key, stops)) return;
    }
  }

  void PopToListItem(GumboTag first, GumboTag second) {
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > 0 && seen < kScanLimit; ++seen) {
      const uint32_t key = m_Stack[i].key;
      if (Is(key, first) || Is(key, second)) {
        PopTo(i);
        return;
      }
      if (Known(key) && OneOf(key, kSpecial) && !Is(key, GUMBO_TAG_ADDRESS) &&
          !Is(key, GUMBO_TAG_DIV) && !Is(key, GUMBO_TAG_P))
        return;
    }
  }

  std::size_t FindInScope(GumboTag wanted, bool buttonScope) const {
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > 0 && seen < kScanLimit; ++seen) {
      const uint32_t key = m_Stack[i].key;
      if (Is(key, wanted)) return i;
      if (Known(key) && OneOf(key, kScopeBoundary)) return kNone;
      if (buttonScope && Is(key, GUMBO_TAG_BUTTON)) return kNone;
    }
    return kNone;
  }

  // A new <a> (or <nobr>) first closes the one still active. When a block
  // was opened inside the old one, the parser takes the misnested markup
  // apart and the block stays open (with a closed clone of the old element
  // inside): only the old element leaves the stack, and links re-opened
  // around blocks nest deeper with every link.
  void CloseActive(uint32_t key) {
    for (std::size_t i = m_List.size(); i-- > 0 && !m_List[i].marker;) {
      if (m_List[i].key != key) continue;
      const Entry entry = m_List[i];
      m_List.erase(m_List.begin() + static_cast<std::ptrdiff_t>(i));
      if (!IsOpen(entry)) return;
      if (BlockAbove(entry.index))
        RemoveOpen(entry.index);
      else
        PopTo(entry.index);
      return;
    }
  }

  bool BlockAbove(std::size_t index) const {
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > index + 1 && seen < kScanLimit; ++seen) {
      const Open& open = m_Stack[i];
      if (!open.phantom && Known(open.key) && OneOf(open.key, kSpecial)) return true;
    }
    return false;
  }

  // Takes one real, non-marker element out of the middle of the stack.
  void RemoveOpen(std::size_t index) {
    const Open open = m_Stack[index];
    m_Stack.erase(m_Stack.begin() + static_cast<std::ptrdiff_t>(index));
    if (Known(open.key)) --m_OpenCount[open.key];
    if (open.foreignRoot) CloseForeignRoot();
    --m_Real;
    // Serials tell a moved entry from a stale one (IsOpen).
    for (Entry& entry : m_List)
      if (entry.index > index) --entry.index;
  }

  // At most three equal formatting elements wait to be re-opened.
  void NoahsArk(uint32_t key, uint32_t attrs) {
    std::size_t equal = 0;
    std::size_t earliest = kNone;
    for (std::size_t i = m_List.size(); i-- > 0 && !m_List[i].marker;) {
      if (m_List[i].key != key || m_List[i].attrs != attrs) continue;
      ++equal;
      earliest = i;
    }
    if (equal >= 3) m_List.erase(m_List.begin() + static_cast<std::ptrdiff_t>(earliest));
  }

  std::size_t ActiveCount() const {
    std::size_t count = 0;
    for (std::size_t i = m_List.size(); i-- > 0 && !m_List[i].marker;) ++count;
    return count;
  }

  bool IsOpen(const Entry& entry) const {
    return entry.index < m_Stack.size() && m_Stack[entry.index].serial == entry.serial;
  }

  // Re-opens the formatting elements that text or a tag is about to go in,
  // unless that would nest too deep or clone too much: then their start
  // tags are rewritten away instead.
  void Reconstruct() {
    std::size_t first = m_List.size();
    while (first > 0 && !m_List[first - 1].marker && !IsOpen(m_List[first - 1])) --first;
    const std::size_t count = m_List.size() - first;
    if (count == 0) return;
    if (m_Real + count > kMaxNestingDepth || m_Clones + count > m_Budget) {
      for (std::size_t i = first; i < m_List.size(); ++i) {
        const Entry& entry = m_List[i];
        Rewrite(entry.position, entry.length, false);
        std::vector<uint32_t>& ghosts = m_Ghosts[FormattingKind(entry.key)];
        ghosts.insert(std::upper_bound(ghosts.begin(), ghosts.end(), entry.born), entry.born);
      }
      m_List.resize(first);
      return;
    }
    for (std::size_t i = first; i < m_List.size(); ++i) {
      Push(m_List[i].key, false);
      m_List[i].serial = m_Serial;
      m_List[i].index = m_Stack.size() - 1;
    }
    m_Clones += count;
  }

  // foreign: an element of svg or math (an <svg> in svg is svg's own).
  void Push(uint32_t key, bool phantom, bool renamed = false, bool foreign = false) {
    const bool root = !foreign && (Is(key, GUMBO_TAG_SVG) || Is(key, GUMBO_TAG_MATH));
    m_Stack.push_back(Open{key, ++m_Serial, phantom, renamed, false, root});
    if (Known(key)) ++m_OpenCount[key];
    if (root && m_Foreign++ == 0) m_Report.foreignRanges.emplace_back(m_TagAt, m_TagAt);
    if (!phantom) m_Report.maxDepth = std::max<uint32_t>(m_Report.maxDepth, ++m_Real);
  }

  // The svg or math content a browser reads ends where the last root closes.
  void CloseForeignRoot() {
    if (--m_Foreign == 0) m_Report.foreignRanges.back().second = m_TagAt;
  }

  // Pops the stack down to and including index (html and body stay).
  void PopTo(std::size_t index) {
    index = std::max<std::size_t>(index, 2);
    while (m_Stack.size() > index) {
      const Open open = m_Stack.back();
      m_Stack.pop_back();
      if (Known(open.key)) --m_OpenCount[open.key];
      if (open.foreignRoot) CloseForeignRoot();
      if (open.phantom) continue;
      --m_Real;
      if (Known(open.key) && OneOf(open.key, kMarkerElements)) ClearToMarker();
    }
  }

  void ClearToMarker() {
    while (!m_List.empty()) {
      const Entry entry = m_List.back();
      m_List.pop_back();
      if (!entry.marker) continue;
      for (std::vector<uint32_t>& ghosts : m_Ghosts)
        while (!ghosts.empty() && ghosts.back() > entry.born) ghosts.pop_back();
      return;
    }
  }

  // The innermost open svg or math when the parser is in its foreign
  // content (not in an element whose content is HTML again), else kNone.
  std::size_t ForeignContentRoot() const {
    if (m_Foreign == 0) return kNone;
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > 0 && seen < kScanLimit; ++seen) {
      if (m_Stack[i].htmlContent) return kNone;
      if (m_Stack[i].foreignRoot) return i;
    }
    return kNone;
  }

  // A tag that leaves svg and math closes their elements up to HTML
  // content: an element whose content is HTML again, or HTML around the svg.
  void LeaveForeignContent() {
    for (std::size_t root; (root = ForeignContentRoot()) != kNone;) PopTo(root);
  }

  // Whether the innermost open <main> is one the parser reads as <div>.
  bool MainIsRenamed() const {
    for (std::size_t i = m_Stack.size(), seen = 0; i-- > 0 && seen < kScanLimit; ++seen) {
      if (m_Stack[i].renamed) return true;
      if (Is(m_Stack[i].key, GUMBO_TAG_MAIN)) return false;
    }
    return false;
  }

  // "main" becomes "div " (same length); the tree gets its name back.
  void RenameMain(uint32_t at) {
    std::memcpy(m_pText + at, "div ", 4);
    m_Report.renamedMain.push_back(at);
  }

  const char* SkipRawText(const std::string& name, const char* from) {
    for (const char* p = from; p < m_pEnd; ++p) {
      const void* hit = std::memchr(p, '<', static_cast<std::size_t>(m_pEnd - p));
      if (hit == nullptr) break;
      p = static_cast<const char*>(hit);
      const std::size_t need = name.size() + 2;
      if (static_cast<std::size_t>(m_pEnd - p) <= need || p[1] != '/') continue;
      bool same = true;
      for (std::size_t i = 0; i < name.size() && same; ++i)
        same = LVTBase::LowerAscii(p[2 + i]) == name[i];
      if (same && (LVTBase::IsHtmlSpace(p[need]) || p[need] == '/' || p[need] == '>')) return p;
    }
    return m_pEnd;
  }

  bool Separates(const std::string& name) const {
    return !HtmlKeywordTable::IsInlineId(m_Table.IdForName(name));
  }

  // Same length: "<br   >" keeps the word break of a block element, "<!xx>"
  // is an empty comment.
  void Rewrite(uint32_t position, uint32_t length, bool separates) {
    char* tag = m_pText + position;
    if (separates && length >= 4) {
      std::memcpy(tag, "<br", 3);
      std::memset(tag + 3, ' ', length - 4);
    } else {
      tag[1] = '!';
      std::memset(tag + 2, 'x', length - 3);
    }
    tag[length - 1] = '>';
    ++m_Report.rewrittenTags;
  }

  char* m_pText;
  const char* m_pEnd;
  const HtmlKeywordTable& m_Table;
  AttributeLimiter* m_pAttributes;  // driven along, when given
  std::vector<Open> m_Stack;
  std::vector<uint32_t> m_OpenCount;
  std::vector<Entry> m_List;
  // Start tags of formatting elements rewritten away whose end tag is still
  // to come, by kind, oldest first.
  std::vector<uint32_t> m_Ghosts[kFormattingKinds];
  uint32_t m_Serial = 0;
  uint32_t m_Real = 0;
  uint32_t m_Foreign = 0;
  uint64_t m_Clones = 0;
  uint64_t m_Budget;
  NestingReport m_Report;
  uint32_t m_TagAt = 0;  // where the tag being read begins
};

}  // namespace

NestingReport LimitNesting(char* text, uint32_t size, const HtmlKeywordTable& table,
                           AttributeLimiter* attributes) {
  return NestingModel(text, size, table, attributes).Run();
}

void RestoreRenamedTags(char* text, const NestingReport& report) {
  // A renamed tag that was rewritten after all keeps its rewriting.
  for (uint32_t at : report.renamedMain)
    if (std::memcmp(text + at, "div ", 4) == 0) std::memcpy(text + at, "main", 4);
}

}  // namespace LVTParser
