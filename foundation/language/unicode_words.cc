#include "foundation/language/unicode_words.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf16.h>

#include <algorithm>

#include "foundation/base/ascii.h"
#include "foundation/language/char_classes.h"
#include "lumivant/language.h"

namespace LVTDT {

namespace {

// The character at text[i] (a whole surrogate pair), its length in length.
UChar32 CharacterAt(const std::u16string& text, std::size_t i, std::size_t& length) {
  int32_t next = static_cast<int32_t>(i);
  UChar32 c;
  U16_NEXT(text.data(), next, static_cast<int32_t>(text.size()), c);
  length = static_cast<std::size_t>(next) - i;
  return c;
}

bool IsLetterOrDigit(UChar32 c) { return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_ND_MASK)) != 0; }
bool IsMark(UChar32 c) { return (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0; }
bool StandsAlone(UChar32 c) { return c <= 0xFFFF && IsUnbreakable(static_cast<char16_t>(c)); }
// Thai, Lao, Khmer, Myanmar and the like: no blanks between words.
bool IsCutByDictionary(UChar32 c) {
  return c >= 0x0E00 && u_getIntPropertyValue(c, UCHAR_LINE_BREAK) == U_LB_COMPLEX_CONTEXT;
}

bool StartsWordAt(UChar32 c) { return StandsAlone(c) || IsLetterOrDigit(c); }
bool GoesOnWith(UChar32 c) {
  return !StandsAlone(c) && !IsCutByDictionary(c) && (IsLetterOrDigit(c) || IsMark(c));
}

bool IsAscii(const std::u16string& text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

std::u16string Normalized(const icu::Normalizer2* form, const std::u16string& text) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString source(false, text.data(), static_cast<int32_t>(text.size()));
  const icu::UnicodeString result = form->normalize(source, status);
  if (U_FAILURE(status)) return text;
  return std::u16string(result.getBuffer(), static_cast<std::size_t>(result.length()));
}

// text without its diacritics: decomposed, nonspacing diacritical marks
// dropped, composed again.
std::u16string WithoutDiacritics(const std::u16string& text) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return text;
  const std::u16string decomposed = Normalized(nfd, text);
  std::u16string kept;
  kept.reserve(decomposed.size());
  for (std::size_t i = 0, length = 0; i < decomposed.size(); i += length) {
    const UChar32 c = CharacterAt(decomposed, i, length);
    if (U_GET_GC_MASK(c) & U_GC_MN_MASK && u_hasBinaryProperty(c, UCHAR_DIACRITIC)) continue;
    kept.append(decomposed, i, length);
  }
  return Normalized(nfc, kept);
}

}  // namespace

UnicodeWordScanner::UnicodeWordScanner() = default;
UnicodeWordScanner::~UnicodeWordScanner() = default;

bool UnicodeWordScanner::StartsWord(const std::u16string& text, std::size_t i) {
  std::size_t length;
  return i < text.size() && StartsWordAt(CharacterAt(text, i, length));
}

std::size_t UnicodeWordScanner::NextWordStart(const std::u16string& text, std::size_t i) {
  std::size_t length = 0;
  for (; i < text.size(); i += length) {
    if (StartsWordAt(CharacterAt(text, i, length))) break;
  }
  return std::min(i, text.size());
}

bool UnicodeWordScanner::ContinuesWord(const std::u16string& text, std::size_t i) {
  std::size_t length;
  return i < text.size() && GoesOnWith(CharacterAt(text, i, length));
}

std::size_t UnicodeWordScanner::WordEnd(const std::u16string& text, std::size_t start,
                                        bool continued, bool& mayContinue) {
  mayContinue = true;
  std::size_t position = start;
  std::size_t length = 0;
  if (!continued && position < text.size()) {
    const UChar32 first = CharacterAt(text, position, length);
    if (IsCutByDictionary(first) && !StandsAlone(first)) {
      mayContinue = false;
      return DictionaryCut(text, position);
    }
    position += length;
  }
  while (position < text.size() && GoesOnWith(CharacterAt(text, position, length)))
    position += length;
  return position;
}

std::size_t UnicodeWordScanner::DictionaryCut(const std::u16string& text, std::size_t start) {
  if (text.data() != m_pText || start < m_SegmentStart || start >= m_SegmentEnd) {
    // The segment: the run of dictionary-cut characters (and their marks)
    // around start, cut once as a whole.
    std::size_t end = start;
    std::size_t length = 0;
    while (end < text.size()) {
      const UChar32 c = CharacterAt(text, end, length);
      if (!IsCutByDictionary(c) && !IsMark(c)) break;
      end += length;
    }
    m_pText = text.data();
    m_SegmentStart = start;
    m_SegmentEnd = end;
    m_Cuts.clear();
    UErrorCode status = U_ZERO_ERROR;
    if (!m_Breaker)
      m_Breaker.reset(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    if (m_Breaker && U_SUCCESS(status)) {
      UText segment = UTEXT_INITIALIZER;
      utext_openUChars(&segment, text.data() + start, static_cast<int64_t>(end - start), &status);
      m_Breaker->setText(&segment, status);  // keeps a shallow clone
      utext_close(&segment);
      if (U_SUCCESS(status)) {
        for (int32_t cut = m_Breaker->next(); cut != icu::BreakIterator::DONE;
             cut = m_Breaker->next())
          m_Cuts.push_back(start + static_cast<std::size_t>(cut));
      }
    }
    if (m_Cuts.empty() || m_Cuts.back() != end) m_Cuts.push_back(end);
  }
  return *std::upper_bound(m_Cuts.begin(), m_Cuts.end(), start);
}

bool IsUnicodeWordUnit(const std::u16string& text, std::size_t i) {
  UChar32 c;
  U16_GET(text.data(), 0, static_cast<int32_t>(i), static_cast<int32_t>(text.size()), c);
  return StandsAlone(c) || IsLetterOrDigit(c) || IsMark(c);
}

void UnicodeWordKey(const std::u16string& word, const LVTLanguage::Language& language,
                    std::u16string& key) {
  std::u16string folded;
  if (IsAscii(word)) {
    folded = word;
    LVTBase::LowerAsciiInPlace(folded);
  } else {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* foldCase = icu::Normalizer2::getNFKCCasefoldInstance(status);
    folded = U_SUCCESS(status) ? Normalized(foldCase, word) : word;
  }
  // Stemmed before the diacritics go: stemmers know the accents of their
  // language (Russian й, French é) and cut endings by them.
  language.Stem(folded, key);
  if (IsAscii(key) || IsUnbreakable(word[0])) return;
  key = WithoutDiacritics(key);
}

}  // namespace LVTDT
