// Transcoding between the caller's character set, UTF-8 and the library's
// 16-bit strings. Every function drives one converter in chunks through a
// 4096-byte target buffer on the stack; a stream is read 4096 bytes at a
// time and never held whole. Output is appended, never cleared, and nothing
// is rewound. Conversion ends where the converter consumes nothing: a
// sequence cut off at the very end of the input is dropped (neither
// converted nor counted); what was produced before stays. At the end the
// converter writes what it still holds (see CharsetConverter::Finish); a
// stream, whose end is the text's, also has a 16-bit unit that waited
// there for the other half of a surrogate pair converted, as U+FFFD.
//
// `flag` is handed to the converter unchanged (its `final` argument: true
// turns a cut-off last sequence into U+FFFD instead of dropping it).
// Converters and buffers are local to each call; the functions may run on
// several threads at once.
#ifndef LUMIVANT_FOUNDATION_CHARSET_TRANSCODE_H_
#define LUMIVANT_FOUNDATION_CHARSET_TRANSCODE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/charset/converter.h"
#include "lumivant/binary_stream_buf.h"
#include "lumivant/code_page.h"

namespace LVTCharset {

// Reads input from its read position with Get and writes the converted bytes
// at output's write position. Returns the input bytes consumed. With an
// unsupported pair nothing is read or written and the result is 0.
uint32_t TranscodeStream(CHARSET from, CHARSET to, LVTBase::BinaryStreamBuf& input,
                         LVTBase::BinaryStreamBuf& output, bool flag);

// Converts the 16-bit string (read as bytes in host order, 1201 or 1200)
// and appends the bytes to target. Returns the 16-bit characters consumed.
std::size_t WideToBytes(CHARSET from, CHARSET to, const std::u16string& source, std::string& target,
                        bool flag);

// Converts the byte string and appends to target, two bytes per 16-bit
// character (`to` is 1201 or 1200). Returns the bytes consumed.
std::size_t BytesToWide(CHARSET from, CHARSET to, const std::string& source, std::u16string& target,
                        bool flag);

// The same with a given two-stage converter, which keeps its shift state.
std::size_t WideToBytes(ConversionClass& converter, const std::u16string& source,
                        std::string& target, bool flag);
std::size_t BytesToWide(ConversionClass& converter, const std::string& source,
                        std::u16string& target, bool flag);

// UTF-8 as 16-bit characters and back, for text the library keeps in UTF-8
// (query trees, tags, command-line arguments): a cut-off sequence at the end
// is dropped, as above.
std::u16string Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(std::u16string_view text);

}  // namespace LVTCharset

#endif  // LUMIVANT_FOUNDATION_CHARSET_TRANSCODE_H_
