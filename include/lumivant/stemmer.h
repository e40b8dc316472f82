// Stemmer: turns a word into its stem. A Language owns one and reaches it
// for every word of a page or a query, possibly from several threads at
// once, so Stem must be safe to call concurrently on one object.
//
// Stemmers are shared through LVT::RefCount<Stemmer> and freed through a
// Stemmer pointer: a derived stemmer derives from Stemmer alone.
#ifndef LUMIVANT_STEMMER_H_
#define LUMIVANT_STEMMER_H_

#include <string>

#include "lumivant/export.h"

namespace LVTLanguage {

class LVT_EXPORT Stemmer {
 public:
  Stemmer() = default;
  // A stemmer is owned by handle, never copied.
  Stemmer(const Stemmer&) = delete;
  Stemmer& operator=(const Stemmer&) = delete;
  virtual ~Stemmer();

  // Replaces output with the stem of input. input and output may be the same
  // string. Safe to call from several threads on one stemmer.
  virtual void Stem(const std::u16string& input, std::u16string& output) const = 0;
};

// The stemmer of a language without stemming: every word is its own stem.
class LVT_EXPORT IdentityStemmer final : public Stemmer {
 public:
  void Stem(const std::u16string& input, std::u16string& output) const override;
};

}  // namespace LVTLanguage

#endif  // LUMIVANT_STEMMER_H_
