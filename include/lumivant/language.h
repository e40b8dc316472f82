// Language: word-level knowledge of one language — its stemmer — plus the
// class-wide character tables that decide how characters fold and which
// characters stand alone as words.
//
// A Language is built from a StemmingType (0 is English) and owns its
// stemmer. It also says which characters make up words: by default digits,
// ASCII and Latin-1 letters, with ideographs, kana and Hangul standing
// alone; with Unicode words, the letters, marks and digits of every script.
// Stem may be called from several threads on one shared Language. The
// tables are filled before main runs and never change afterwards; they are
// read without locks. (The library folds characters correctly even during
// static initialisation.)
//
// Not copyable, not movable: callers hold a Language by reference and it
// must outlive every object it is given to.
#ifndef LUMIVANT_LANGUAGE_H_
#define LUMIVANT_LANGUAGE_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lumivant/export.h"
#include "lumivant/ref_count.h"
#include "lumivant/stemmer.h"

namespace LVTLanguage {

// Four forms of a character with a code up to 255.
struct CharacterRepresentation {
  enum Form { kSelf = 0, kUpper = 1, kFolded = 2, kLower = 3 };
  // kSelf: the character; kUpper, kLower: its simple case mappings;
  // kFolded: lower case without diacritics ('É' gives 'e').
  char16_t m_Forms[4];
  constexpr char16_t operator[](std::size_t form) const { return m_Forms[form]; }
};

// The set of characters that stand alone as words (ideographs, kana, Hangul
// syllables). A bit per 16-bit character, filled at compile time, with the
// lookups of a std::set<char16_t>.
class UnbreakableCharSet {
 public:
  struct Range {
    char16_t m_First;
    char16_t m_Last;  // inclusive
  };

  template <std::size_t N>
  constexpr explicit UnbreakableCharSet(const Range (&ranges)[N]) : m_Bits{}, m_Size(0) {
    for (std::size_t r = 0; r < N; ++r) {
      for (uint32_t c = ranges[r].m_First; c <= ranges[r].m_Last; ++c) {
        uint64_t bit = uint64_t{1} << (c & 63);
        if ((m_Bits[c >> 6] & bit) == 0) ++m_Size;
        m_Bits[c >> 6] |= bit;
      }
    }
  }

  // 1 when c is in the set, else 0.
  constexpr std::size_t count(char16_t c) const { return (m_Bits[c >> 6] >> (c & 63)) & 1; }
  constexpr bool contains(char16_t c) const { return count(c) != 0; }
  constexpr std::size_t size() const { return m_Size; }
  constexpr bool empty() const { return m_Size == 0; }

 private:
  uint64_t m_Bits[65536 / 64];
  std::size_t m_Size;
};

class LVT_EXPORT Language {
 public:
  // What a Language stems with. Values are stable; 0 is English. kNone
  // leaves every word as it is; the others are libstemmer's algorithms.
  enum StemmingType : int {
    kEnglish = 0,
    kNone = 1,
    kPorter = 2,  // the original English algorithm
    kArabic,
    kArmenian,
    kBasque,
    kCatalan,
    kDanish,
    kDutch,
    kFinnish,
    kFrench,
    kGerman,
    kGreek,
    kHindi,
    kHungarian,
    kIndonesian,
    kIrish,
    kItalian,
    kLithuanian,
    kNepali,
    kNorwegian,
    kPortuguese,
    kRomanian,
    kRussian,
    kSerbian,
    kSpanish,
    kSwedish,
    kTamil,
    kTurkish,
    kYiddish,
    kStemmingTypeCount
  };

  // Character code -> (case-keeping expansion, folded expansion), for the
  // characters whose fold is not one character of CharArray: ß, æ, œ, ĳ,
  // the f-ligatures, the letters of Latin Extended-A.
  using HighCharMap = std::map<char16_t, std::pair<std::u16string, std::u16string>>;

  struct LVT_EXPORT CharArray {
    static const CharacterRepresentation m_CharArray[256];
  };
  static const HighCharMap m_msHighCharMap;
  static const UnbreakableCharSet m_ssUnbreakableChar;

  // Throws std::invalid_argument for a value outside StemmingType or an
  // algorithm that the installed libstemmer lacks.
  // Unicode words as UnicodeWordsByDefault(type) says.
  explicit Language(StemmingType type = kEnglish);
  // Unicode words exactly when unicodeWords is true.
  Language(StemmingType type, bool unicodeWords);
  Language(const Language&) = delete;
  Language& operator=(const Language&) = delete;
  virtual ~Language();

  StemmingType GetStemmingType() const { return m_Type; }
  const Stemmer& GetStemmer() const { return *m_Stemmer; }
  // Whether words are those of every script (letters, marks, digits) rather
  // than of Latin-1; queries and pages must be read with the same rule.
  bool HasUnicodeWords() const { return m_bUnicodeWords; }

  // Replaces output with the stem of input (which may be output itself).
  // Safe from several threads at once.
  void Stem(const std::u16string& input, std::u16string& output) const {
    m_Stemmer->Stem(input, output);
  }

  // The name of a type ("english", "none", "french", ...).
  static const char* StemmingTypeName(StemmingType type);
  // The type named name (exact, lower case); false when there is none or the
  // installed libstemmer lacks it.
  static bool StemmingTypeFromName(const std::string& name, StemmingType* type);
  // Every name StemmingTypeFromName accepts: "english", "none", then the
  // others in alphabetical order.
  static std::vector<std::string> StemmingTypeNames();
  // True for the languages whose script is not Latin (arabic, greek,
  // russian, ...): their words have no character in Latin-1.
  static bool UnicodeWordsByDefault(StemmingType type);

 protected:
  // A language with a stemmer of its own (stemmer must not be empty); type
  // is only reported back.
  Language(StemmingType type, LVT::RefCount<Stemmer> stemmer);

 private:
  StemmingType m_Type;
  bool m_bUnicodeWords;
  LVT::RefCount<Stemmer> m_Stemmer;
};

}  // namespace LVTLanguage

#endif  // LUMIVANT_LANGUAGE_H_
