// SnowballStemmer: a Stemmer on one of libstemmer's algorithms.
//
// A libstemmer object may be used by one thread at a time only. With
// Sharing::kPerThread (the default, and the faster one under measurement)
// every thread that stems gets libstemmer objects of its own, made on its
// first call and freed when the thread ends or, for a stemmer destroyed
// earlier, on that thread's next miss. With Sharing::kGuarded one object
// serves every thread under a mutex.
//
// Not copyable, not movable: threads find their objects by this stemmer.
#ifndef LUMIVANT_FOUNDATION_LANGUAGE_STEMMER_SNOWBALL_H_
#define LUMIVANT_FOUNDATION_LANGUAGE_STEMMER_SNOWBALL_H_

#include <mutex>
#include <string>

#include "lumivant/export.h"
#include "lumivant/ref_count.h"
#include "lumivant/stemmer.h"

struct sb_stemmer;

namespace LVTLanguage {

class LVT_EXPORT SnowballStemmer final : public Stemmer {
 public:
  enum class Sharing { kPerThread, kGuarded };

  // algorithm is a libstemmer name ("english", "french", ...); it must be a
  // string that lives for the whole process (a literal). Throws
  // std::invalid_argument when libstemmer does not know it.
  explicit SnowballStemmer(const char* algorithm, Sharing sharing = Sharing::kPerThread);
  ~SnowballStemmer() override;

  void Stem(const std::u16string& input, std::u16string& output) const override;

  const char* Algorithm() const { return m_pAlgorithm; }
  Sharing GetSharing() const { return m_Sharing; }

  // Whether libstemmer offers the algorithm with this name.
  static bool IsAvailable(const char* algorithm);

  // Identifies this stemmer in the threads' caches; also tells them whether
  // it still exists.
  struct Token;

 private:
  void StemPerThread(const std::u16string& input, std::u16string& output) const;
  void StemGuarded(const std::u16string& input, std::u16string& output) const;

  const char* m_pAlgorithm;
  Sharing m_Sharing;
  LVT::RefCount<Token> m_Token;
  // Used only with Sharing::kGuarded.
  mutable std::mutex m_Mutex;
  sb_stemmer* m_pShared = nullptr;
};

}  // namespace LVTLanguage

#endif  // LUMIVANT_FOUNDATION_LANGUAGE_STEMMER_SNOWBALL_H_
