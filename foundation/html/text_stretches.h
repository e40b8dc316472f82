// Cutting a text node of the tokenizer library at the markup it skipped.
//
// The library joins the characters of neighbouring text into one node even
// when markup it ignored stands between them (an end tag without an open
// element, a stray <body> or <!DOCTYPE>, the </body></html> before trailing
// white space), and reports one raw span that covers that markup. Writers
// copy pages by these spans, so a text node must cover text only: the span
// is cut into stretches of text, each with its own decoded text.
#ifndef LUMIVANT_FOUNDATION_HTML_TEXT_STRETCHES_H_
#define LUMIVANT_FOUNDATION_HTML_TEXT_STRETCHES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace LVTParser {

struct TextStretch {
  uint32_t offset = 0;  // in the parsed buffer
  uint32_t length = 0;
  std::string text;  // decoded, UTF-8
};

// Length of the markup that starts at *p == '<' (a tag, a comment, a
// doctype, "</>"), as the tokenizer reads it in page text; 0 when the '<'
// is a literal character.
std::size_t MarkupLength(const char* p, const char* end);

// The text a raw stretch of page text decodes to (character references,
// line breaks and NUL characters handled as in page text), in UTF-8.
std::string DecodePageText(std::string_view raw);

// Cuts the raw span [offset, offset + length) of buffer, a text node whose
// decoded text is decodedText, at the markup inside it. rawContext: the
// node lies in an element whose content is not markup (xmp, plaintext);
// the span is then one stretch. Appends stretches with non-empty text.
void SplitTextSpan(const char* buffer, uint32_t offset, uint32_t length, const char* decodedText,
                   bool rawContext, std::vector<TextStretch>* out);

}  // namespace LVTParser

#endif  // LUMIVANT_FOUNDATION_HTML_TEXT_STRETCHES_H_
