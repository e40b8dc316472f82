#include "foundation/charset/offsets.h"

#include "foundation/charset/decoder.h"
#include "foundation/charset/utf.h"

namespace LVTCharset {

namespace {

// UTF-8 with repairs: sequences are decoded one at a time only around the
// ill-formed ones; the rest is copied in runs.
void RepairUtf8(std::string_view bytes, std::string* utf8, std::vector<uint32_t>* offsets) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const std::size_t valid = ValidUtf8Prefix(bytes.data() + i, n - i);
    if (valid > 0) {
      utf8->append(bytes.data() + i, valid);
      for (std::size_t k = 0; k < valid; ++k) offsets->push_back(static_cast<uint32_t>(i + k));
      i += valid;
      continue;
    }
    const Utf8Step step = NextUtf8(s + i, n - i);
    utf8->append("\xEF\xBF\xBD");
    offsets->insert(offsets->end(), 3, static_cast<uint32_t>(i));
    i += step.length;
  }
}

void DecodeTable(const CharsetDecoder& decoder, std::string_view bytes, std::string* utf8,
                 std::vector<uint32_t>* offsets) {
  // Sized exactly first, then decoded straight into the outputs.
  std::size_t room = 0;
  for (unsigned char b : bytes) room += decoder.Utf8Length(b);
  utf8->resize(room);
  offsets->resize(room);
  std::size_t used = 0;
  const std::size_t written = decoder.DecodeTableToUtf8(bytes.data(), bytes.size(), &(*utf8)[0],
                                                        room, offsets->data(), 0, &used);
  utf8->resize(written);
  offsets->resize(written);
}

void DecodeThroughUnits(CharsetDecoder& decoder, std::string_view bytes, std::string* utf8,
                        std::vector<uint32_t>* offsets) {
  constexpr std::size_t kUnits = 2048;
  char16_t units[kUnits];
  int32_t unitOffsets[kUnits];
  char encoded[kUnits * 3];
  uint32_t encodedOffsets[kUnits * 3];
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t used = 0;
    const std::size_t count = decoder.Decode(bytes.data() + pos, bytes.size() - pos, units, kUnits,
                                             unitOffsets, true, &used);
    if (used == 0) break;  // cannot happen with final input; never spin
    std::size_t usedUnits = 0;
    const std::size_t written =
        Utf16ToUtf8(units, count, encoded, sizeof encoded, true, &usedUnits, unitOffsets,
                    encodedOffsets, static_cast<uint32_t>(pos));
    utf8->append(encoded, written);
    offsets->insert(offsets->end(), encodedOffsets, encodedOffsets + written);
    decoder.Commit(bytes.data() + pos, used);
    pos += used;
  }
}

}  // namespace

bool DecodeToUtf8WithOffsets(CHARSET charset, std::string_view bytes, std::string* utf8,
                             std::vector<uint32_t>* sourceOffsets) {
  utf8->clear();
  sourceOffsets->clear();
  CharsetDecoder decoder(charset);
  if (!decoder.IsValid()) return false;
  if (decoder.GetCodec() == Codec::kUtf8 && IsValidUtf8(bytes)) {
    utf8->assign(bytes.data(), bytes.size());
    sourceOffsets->resize(bytes.size() + 1);
    for (std::size_t i = 0; i <= bytes.size(); ++i) (*sourceOffsets)[i] = static_cast<uint32_t>(i);
    return true;
  }
  utf8->reserve(bytes.size() + bytes.size() / 2);
  sourceOffsets->reserve(bytes.size() + bytes.size() / 2 + 1);
  if (decoder.GetCodec() == Codec::kUtf8) {
    RepairUtf8(bytes, utf8, sourceOffsets);
  } else if (decoder.GetCodec() == Codec::kTable) {
    DecodeTable(decoder, bytes, utf8, sourceOffsets);
  } else {
    DecodeThroughUnits(decoder, bytes, utf8, sourceOffsets);
  }
  sourceOffsets->push_back(static_cast<uint32_t>(bytes.size()));
  return true;
}

}  // namespace LVTCharset
