#include "lumivant/language.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "foundation/language/stemmer_snowball.h"
#include "lumivant/mem_pool.h"

namespace LVTLanguage {

namespace {

// Indexed by StemmingType. Every name but "none" is libstemmer's.
constexpr const char* kNames[Language::kStemmingTypeCount] = {
    "english",    "none",    "porter",    "arabic",     "armenian", "basque",
    "catalan",    "danish",  "dutch",     "finnish",    "french",   "german",
    "greek",      "hindi",   "hungarian", "indonesian", "irish",    "italian",
    "lithuanian", "nepali",  "norwegian", "portuguese", "romanian", "russian",
    "serbian",    "spanish", "swedish",   "tamil",      "turkish",  "yiddish"};

bool IsValid(Language::StemmingType type) {
  return type >= 0 && type < Language::kStemmingTypeCount;
}

LVT::RefCount<Stemmer> MakeStemmer(Language::StemmingType type) {
  if (!IsValid(type))
    throw std::invalid_argument("unknown stemming type " + std::to_string(static_cast<int>(type)));
  if (type == Language::kNone) return LVT::RefCount<Stemmer>(LVTMem::Create<IdentityStemmer>());
  return LVT::RefCount<Stemmer>(LVTMem::Create<SnowballStemmer>(kNames[type]));
}

}  // namespace

Language::Language(StemmingType type) : Language(type, UnicodeWordsByDefault(type)) {}

Language::Language(StemmingType type, bool unicodeWords)
    : m_Type(type), m_bUnicodeWords(unicodeWords), m_Stemmer(MakeStemmer(type)) {}

Language::Language(StemmingType type, LVT::RefCount<Stemmer> stemmer)
    : m_Type(type), m_bUnicodeWords(UnicodeWordsByDefault(type)), m_Stemmer(std::move(stemmer)) {
  if (m_Stemmer.IsEmpty()) throw std::invalid_argument("a language needs a stemmer");
}

Language::~Language() = default;

const char* Language::StemmingTypeName(StemmingType type) {
  return IsValid(type) ? kNames[type] : "";
}

bool Language::StemmingTypeFromName(const std::string& name, StemmingType* type) {
  for (int i = 0; i < kStemmingTypeCount; ++i) {
    if (name != kNames[i]) continue;
    if (i != kNone && !SnowballStemmer::IsAvailable(kNames[i])) return false;
    *type = static_cast<StemmingType>(i);
    return true;
  }
  return false;
}

bool Language::UnicodeWordsByDefault(StemmingType type) {
  switch (type) {
    case kArabic:
    case kArmenian:
    case kGreek:
    case kHindi:
    case kNepali:
    case kRussian:
    case kSerbian:  // written in Cyrillic as much as in Latin
    case kTamil:
    case kYiddish:
      return true;
    default:
      return false;
  }
}

std::vector<std::string> Language::StemmingTypeNames() {
  std::vector<std::string> names;
  for (int i = 0; i < kStemmingTypeCount; ++i) {
    if (i == kNone || SnowballStemmer::IsAvailable(kNames[i])) names.emplace_back(kNames[i]);
  }
  // "english" and "none" (always there) first, then the rest by name.
  if (names.size() > 2) std::sort(names.begin() + 2, names.end());
  return names;
}

}  // namespace LVTLanguage
