#include "foundation/language/stemmer_snowball.h"

#include <libstemmer.h>

#include <atomic>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace LVTLanguage {

struct SnowballStemmer::Token {
  std::atomic<bool> m_Alive{true};
};

namespace {

// libstemmer reads and writes UTF-8; our words are UTF-16. A lone surrogate
// is carried in its own three-byte form so that nothing is lost on the way
// back.
void AssignUtf8(const std::u16string& input, std::string& out) {
  out.clear();
  const std::size_t n = input.size();
  for (std::size_t i = 0; i < n; ++i) {
    uint32_t c = input[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && input[i + 1] >= 0xDC00 &&
        input[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (input[++i] - 0xDC00);
    }
    if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Decodes what libstemmer returns: the UTF-8 it was given, shortened or
// rewritten by the algorithm. A malformed sequence becomes U+FFFD.
void AssignUtf16(const unsigned char* bytes, std::size_t n, std::u16string& out) {
  out.clear();
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    const unsigned char lead = bytes[i];
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    bool valid = extra != 0 && i + extra < n;
    uint32_t c = lead & (0x3F >> extra);
    for (std::size_t k = 1; valid && k <= extra; ++k) {
      valid = (bytes[i + k] & 0xC0) == 0x80;
      c = (c << 6) | (bytes[i + k] & 0x3F);
    }
    if (!valid || c > 0x10FFFF) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
}

sb_stemmer* NewStemmer(const char* algorithm) {
  sb_stemmer* stemmer = sb_stemmer_new(algorithm, "UTF_8");
  if (stemmer == nullptr) throw std::bad_alloc();  // the name was checked before
  return stemmer;
}

void RunStemmer(sb_stemmer* stemmer, const std::string& utf8, std::u16string& output) {
  const sb_symbol* stem = sb_stemmer_stem(stemmer, reinterpret_cast<const sb_symbol*>(utf8.data()),
                                          static_cast<int>(utf8.size()));
  if (stem == nullptr) throw std::bad_alloc();  // libstemmer's only failure
  AssignUtf16(stem, static_cast<std::size_t>(sb_stemmer_length(stemmer)), output);
}

// The libstemmer objects of one thread, one per SnowballStemmer it used,
// and its conversion buffer. Entries of stemmers that no longer exist are
// dropped on the next miss, so a thread holds few.
class ThreadStemmers {
 public:
  ThreadStemmers() = default;
  ThreadStemmers(const ThreadStemmers&) = delete;
  ThreadStemmers& operator=(const ThreadStemmers&) = delete;
  ~ThreadStemmers() {
    for (Entry& entry : m_Entries) sb_stemmer_delete(entry.m_pStemmer);
  }

  sb_stemmer* Find(const LVT::RefCount<SnowballStemmer::Token>& token, const char* algorithm) {
    for (Entry& entry : m_Entries)
      if (entry.m_Token.Get() == token.Get()) return entry.m_pStemmer;
    DropDead();
    sb_stemmer* stemmer = NewStemmer(algorithm);
    try {
      m_Entries.push_back(Entry{token, stemmer});
    } catch (...) {
      sb_stemmer_delete(stemmer);
      throw;
    }
    return stemmer;
  }

  std::string& Buffer() { return m_Buffer; }

 private:
  struct Entry {
    // Holding the token keeps its address from being reused by a newer
    // stemmer while this entry exists.
    LVT::RefCount<SnowballStemmer::Token> m_Token;
    sb_stemmer* m_pStemmer;
  };

  void DropDead() {
    std::size_t kept = 0;
    for (Entry& entry : m_Entries) {
      if (entry.m_Token->m_Alive.load(std::memory_order_acquire)) {
        if (&m_Entries[kept] != &entry) m_Entries[kept] = std::move(entry);
        ++kept;
      } else {
        sb_stemmer_delete(entry.m_pStemmer);
      }
    }
    m_Entries.erase(m_Entries.begin() + static_cast<std::ptrdiff_t>(kept), m_Entries.end());
  }

  std::vector<Entry> m_Entries;
  std::string m_Buffer;
};

thread_local ThreadStemmers t_Stemmers;

}  // namespace

SnowballStemmer::SnowballStemmer(const char* algorithm, Sharing sharing)
    : m_pAlgorithm(algorithm), m_Sharing(sharing) {
  if (algorithm == nullptr || !IsAvailable(algorithm))
    throw std::invalid_argument(std::string("no stemming algorithm named ") +
                                (algorithm == nullptr ? "(null)" : algorithm));
  m_Token = LVT::MakeRefCount<Token>();
  if (m_Sharing == Sharing::kGuarded) m_pShared = NewStemmer(algorithm);
}

SnowballStemmer::~SnowballStemmer() {
  m_Token->m_Alive.store(false, std::memory_order_release);
  if (m_pShared != nullptr) sb_stemmer_delete(m_pShared);
}

bool SnowballStemmer::IsAvailable(const char* algorithm) {
  for (const char** name = sb_stemmer_list(); *name != nullptr; ++name)
    if (std::strcmp(*name, algorithm) == 0) return true;
  return false;
}

void SnowballStemmer::Stem(const std::u16string& input, std::u16string& output) const {
  if (m_Sharing == Sharing::kPerThread) {
    StemPerThread(input, output);
  } else {
    StemGuarded(input, output);
  }
}

void SnowballStemmer::StemPerThread(const std::u16string& input, std::u16string& output) const {
  ThreadStemmers& stemmers = t_Stemmers;
  sb_stemmer* stemmer = stemmers.Find(m_Token, m_pAlgorithm);
  std::string& utf8 = stemmers.Buffer();
  AssignUtf8(input, utf8);
  RunStemmer(stemmer, utf8, output);
}

void SnowballStemmer::StemGuarded(const std::u16string& input, std::u16string& output) const {
  std::string utf8;
  AssignUtf8(input, utf8);
  std::lock_guard<std::mutex> lock(m_Mutex);
  RunStemmer(m_pShared, utf8, output);
}

}  // namespace LVTLanguage
