// Picking the character set of a page as a browser does without transport
// information: byte-order mark, then a declaration found by the prescan of
// the first 1024 bytes (a <meta>, else the XML declaration of an XHTML
// page), then UTF-8 if the page is valid UTF-8, else windows-1252.
#include <string>

#include "foundation/base/ascii.h"
#include "foundation/charset/labels.h"
#include "foundation/charset/utf.h"

namespace LVTCharset {

namespace {

constexpr std::size_t kPrescanBytes = 1024;

// Case-insensitive: does text at pos start with the lower-case word?
bool StartsWith(std::string_view text, std::size_t pos, std::string_view word) {
  if (text.size() - pos < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (LVTBase::LowerAscii(text[pos + i]) != word[i]) return false;
  }
  return true;
}

struct Attribute {
  std::string name;
  std::string value;
};

// Reads one attribute at pos, as the prescan does (names and unquoted
// values are lower-cased). False at '>' or at the end of the text.
class AttributeReader {
 public:
  explicit AttributeReader(std::string_view text, std::size_t pos) : m_Text(text), m_Pos(pos) {}

  std::size_t Pos() const { return m_Pos; }

  bool Next(Attribute* attr) {
    attr->name.clear();
    attr->value.clear();
    while (More() && (LVTBase::IsHtmlSpace(Peek()) || Peek() == '/')) ++m_Pos;
    if (!More() || Peek() == '>') return false;
    // The name: up to '=', white space, '/' or '>'; a leading '=' belongs to it.
    while (More()) {
      const char c = Peek();
      if (c == '=' && !attr->name.empty()) break;
      if (LVTBase::IsHtmlSpace(c) || c == '/' || c == '>') break;
      attr->name += LVTBase::LowerAscii(c);
      ++m_Pos;
    }
    while (More() && LVTBase::IsHtmlSpace(Peek())) ++m_Pos;
    if (!More() || Peek() != '=') return true;
    ++m_Pos;
    while (More() && LVTBase::IsHtmlSpace(Peek())) ++m_Pos;
    if (!More()) return true;
    const char first = Peek();
    if (first == '"' || first == '\'') {
      ++m_Pos;
      while (More() && Peek() != first) attr->value += LVTBase::LowerAscii(m_Text[m_Pos++]);
      if (More()) ++m_Pos;
      return true;
    }
    while (More() && !LVTBase::IsHtmlSpace(Peek()) && Peek() != '>')
      attr->value += LVTBase::LowerAscii(m_Text[m_Pos++]);
    return true;
  }

 private:
  bool More() const { return m_Pos < m_Text.size(); }
  char Peek() const { return m_Text[m_Pos]; }

  std::string_view m_Text;
  std::size_t m_Pos;
};

// The charset named in a content attribute ("text/html; charset=x").
std::string CharsetFromContent(const std::string& content) {
  std::size_t pos = 0;
  for (;;) {
    pos = content.find("charset", pos);
    if (pos == std::string::npos) return std::string();
    pos += 7;
    while (pos < content.size() && LVTBase::IsHtmlSpace(content[pos])) ++pos;
    if (pos < content.size() && content[pos] == '=') break;
  }
  ++pos;
  while (pos < content.size() && LVTBase::IsHtmlSpace(content[pos])) ++pos;
  if (pos >= content.size()) return std::string();
  const char quote = content[pos];
  if (quote == '"' || quote == '\'') {
    const std::size_t end = content.find(quote, pos + 1);
    if (end == std::string::npos) return std::string();
    return content.substr(pos + 1, end - pos - 1);
  }
  std::size_t end = pos;
  while (end < content.size() && !LVTBase::IsHtmlSpace(content[end]) && content[end] != ';') ++end;
  return content.substr(pos, end - pos);
}

// The attributes of a <meta> at pos; the code page it declares, or 0.
CHARSET MetaCharset(std::string_view text, std::size_t* pos) {
  AttributeReader reader(text, *pos);
  Attribute attr;
  std::string seen = " ";
  bool gotPragma = false;
  int needPragma = -1;  // unknown, false, true
  std::string charset;
  while (reader.Next(&attr)) {
    if (seen.find(" " + attr.name + " ") != std::string::npos) continue;
    seen += attr.name + " ";
    if (attr.name == "http-equiv") {
      gotPragma = gotPragma || attr.value == "content-type";
    } else if (attr.name == "content" && charset.empty()) {
      charset = CharsetFromContent(attr.value);
      if (!charset.empty()) needPragma = 1;
    } else if (attr.name == "charset") {
      charset = attr.value;
      needPragma = 0;
    }
  }
  *pos = reader.Pos();
  if (needPragma < 0 || (needPragma == 1 && !gotPragma)) return 0;
  const CHARSET codePage = CodePageFromLabel(charset);
  // A page that can be read this far as ASCII is not in UTF-16.
  if (codePage == kUtf16LE) return kUtf8;
  return codePage;
}

// Skips a tag's name and attributes, leaving pos at its '>' or the end.
void SkipTag(std::string_view text, std::size_t* pos) {
  while (*pos < text.size() && !LVTBase::IsHtmlSpace(text[*pos]) && text[*pos] != '>') ++*pos;
  AttributeReader reader(text, *pos);
  Attribute attr;
  while (reader.Next(&attr)) {
  }
  *pos = reader.Pos();
}

CHARSET Prescan(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] != '<') {
      ++pos;
      continue;
    }
    if (StartsWith(text, pos, "<!--")) {
      const std::size_t end = text.find("-->", pos + 2);
      if (end == std::string_view::npos) return 0;
      pos = end + 3;
      continue;
    }
    if (StartsWith(text, pos, "<meta") && pos + 5 < text.size() &&
        (LVTBase::IsHtmlSpace(text[pos + 5]) || text[pos + 5] == '/')) {
      pos += 5;
      if (const CHARSET found = MetaCharset(text, &pos)) return found;
      continue;
    }
    const bool endTag = pos + 1 < text.size() && text[pos + 1] == '/';
    const std::size_t nameAt = pos + (endTag ? 2 : 1);
    if (nameAt < text.size() && LVTBase::IsAsciiAlpha(text[nameAt])) {
      pos = nameAt;
      SkipTag(text, &pos);
      continue;
    }
    if (nameAt < text.size() &&
        (text[pos + 1] == '!' || text[pos + 1] == '/' || text[pos + 1] == '?')) {
      const std::size_t end = text.find('>', pos + 1);
      if (end == std::string_view::npos) return 0;
      pos = end + 1;
      continue;
    }
    ++pos;
  }
  return 0;
}

// The encoding of a leading XML declaration (<?xml ... encoding="x"?>).
CHARSET XmlDeclarationCharset(std::string_view text) {
  if (text.substr(0, 5) != "<?xml") return 0;
  const std::size_t end = text.find('>');
  if (end == std::string_view::npos) return 0;
  const std::string_view decl = text.substr(0, end);
  std::size_t pos = decl.find("encoding");
  if (pos == std::string_view::npos) return 0;
  pos += 8;
  while (pos < decl.size() && static_cast<unsigned char>(decl[pos]) <= 0x20) ++pos;
  if (pos >= decl.size() || decl[pos] != '=') return 0;
  ++pos;
  while (pos < decl.size() && static_cast<unsigned char>(decl[pos]) <= 0x20) ++pos;
  if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\'')) return 0;
  const std::size_t close = decl.find(decl[pos], pos + 1);
  if (close == std::string_view::npos) return 0;
  const std::string_view label = decl.substr(pos + 1, close - pos - 1);
  for (char c : label) {
    if (static_cast<unsigned char>(c) <= 0x20) return 0;
  }
  const CHARSET codePage = CodePageFromLabel(label);
  return codePage == kUtf16LE ? kUtf8 : codePage;
}

}  // namespace

CHARSET DetectCharset(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return kUtf8;
  if (bytes.substr(0, 2) == "\xFF\xFE") return kUtf16LE;
  if (bytes.substr(0, 2) == "\xFE\xFF" && !kHostLittleEndian) return kWide;
  const std::string_view head = bytes.substr(0, kPrescanBytes);
  if (const CHARSET declared = Prescan(head)) return declared;
  if (const CHARSET declared = XmlDeclarationCharset(head)) return declared;
  return IsValidUtf8(bytes) ? kUtf8 : kWindows1252;
}

}  // namespace LVTCharset
