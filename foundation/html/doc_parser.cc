#include "foundation/html/doc_parser.h"

#include <gumbo.h>

#include <string>
#include <vector>

#include "foundation/charset/offsets.h"
#include "foundation/html/gumbo_arena.h"
#include "foundation/html/limiters/attribute_limiter.h"
#include "foundation/html/limiters/nesting_limiter.h"
#include "foundation/html/tree_builder.h"
#include "foundation/html/tree_fixup.h"

namespace LVTParser {

namespace {

std::string ReadRest(LVTBase::BinaryStreamBuf& stream) {
  std::string bytes;
  const uint32_t from = stream.NextReadOffset();
  const uint32_t size = stream.GetSize();
  if (size > from) bytes.reserve(size - from);
  char block[65536];
  for (uint32_t got; (got = stream.Get(block, sizeof(block))) != 0;) bytes.append(block, got);
  return bytes;
}

// The page as UTF-8 text, with where each byte came from when the stream
// is in another character set (empty when bytes map one to one).
struct Utf8Page {
  std::string text;
  std::vector<uint32_t> sourceOffsets;
  bool charsetKnown = true;
};

Utf8Page ToUtf8(std::string bytes, LVTCharset::CHARSET charset) {
  Utf8Page page;
  // UTF-8 goes to the parser as it is: it replaces ill-formed bytes itself
  // and its positions are then already those of the stream.
  if (charset == LVTCharset::kUtf8) {
    page.text = std::move(bytes);
    return page;
  }
  if (!LVTCharset::DecodeToUtf8WithOffsets(charset, bytes, &page.text, &page.sourceOffsets)) {
    page.text = std::move(bytes);
    page.sourceOffsets.clear();
    page.charsetKnown = false;
  }
  return page;
}

}  // namespace

HtmlDocParser::HtmlDocParser(LVTBase::BinaryStreamBuf& stream, const HtmlKeywordTable& table,
                             HtmlDocTree& tree)
    : m_Stream(stream), m_Table(table), m_Tree(tree) {}

bool HtmlDocParser::Parse() {
  const uint32_t base = m_Stream.NextReadOffset();
  std::string bytes = ReadRest(m_Stream);
  const uint32_t total = static_cast<uint32_t>(bytes.size());
  Utf8Page page = ToUtf8(std::move(bytes), m_Tree.Charset());

  // A byte-order mark is not page text.
  const uint32_t shift = page.text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  char* text = &page.text[0] + shift;
  const uint32_t size = static_cast<uint32_t>(page.text.size()) - shift;
  AttributeLimiter attributes(text, size);
  const NestingReport nesting = LimitNesting(text, size, m_Table, &attributes);
  attributes.Finish();

  GumboArena arena;
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;  // error records cost time and memory we never use
  arena.Install(&options);
  GumboOutput* output = gumbo_parse_with_options(&options, text, size);
  RestoreRenamedTags(text, nesting);

  BuiltTree built = BuildTree(output->document, text, size, m_Table, nesting.foreignRanges);
  ReturnFosteredNodes(*built.root);
  SettleSpans(*built.root, base, shift, page.sourceOffsets);
  built.root->SetSpan(base, total);
  for (HtmlDocTree::LinkSpan& span : built.linkSpans) {
    span.first = MapOffset(span.first, base, shift, page.sourceOffsets);
    span.second = MapOffset(span.second, base, shift, page.sourceOffsets);
  }

  std::vector<HtmlNodeHandle> topLevel;
  topLevel.push_back(std::move(built.root));
  m_Tree.Reset(std::move(topLevel), built.nodeCount, std::move(built.linkSpans));
  return page.charsetKnown;
}

}  // namespace LVTParser
