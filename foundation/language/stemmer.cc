#include "lumivant/stemmer.h"

namespace LVTLanguage {

Stemmer::~Stemmer() = default;

void IdentityStemmer::Stem(const std::u16string& input, std::u16string& output) const {
  if (&input != &output) output = input;
}

}  // namespace LVTLanguage
