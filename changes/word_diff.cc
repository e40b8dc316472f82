#include "changes/word_diff.h"

#include <algorithm>
#include <unordered_map>

#include "changes/count_words.h"
#include "foundation/base/string_utils.h"

namespace LVTDT {

namespace {

bool IsBlank(char16_t c) { return LVTBase::IsBlank(c, true); }

bool IsSeparator(char16_t c) { return IsBlank(c) || IsWordDelimiter(c); }

struct Token {
  std::size_t first;
  std::size_t last;  // one past
  bool word;
  int key;  // equal keys, equal tokens
};

class Tokenizer {
 public:
  std::vector<Token> Cut(const std::u16string& text) {
    std::vector<Token> tokens;
    std::size_t at = 0;
    std::size_t end = text.size();
    while (at < end && IsBlank(text[at])) ++at;
    while (end > at && IsBlank(text[end - 1])) --end;
    while (at < end) {
      const bool word = !IsSeparator(text[at]);
      std::size_t next = at + 1;
      while (next < end && IsSeparator(text[next]) != word) ++next;
      std::u16string key;
      if (word) {
        key.assign(text, at, next - at);
      } else {
        LVTBase::BeautifyString(text.substr(at, next - at), key, false, true);
        for (char16_t& c : key) {
          if (c == u'\n') c = u' ';
        }
      }
      // Blanks alone only part words, which the tokens around say already;
      // left out, they can take no match away from a word.
      if (key != u" ") {
        const auto entry = m_Keys.emplace(std::move(key), static_cast<int>(m_Keys.size()));
        tokens.push_back(Token{at, next, word, entry.first->second});
      }
      at = next;
    }
    return tokens;
  }

 private:
  std::unordered_map<std::u16string, int> m_Keys;
};

// Marks in keptA and keptB the tokens of a shortest edit script's common
// subsequence; false beyond kMaxEdits edits.
bool Align(const std::vector<Token>& a, const std::vector<Token>& b, std::vector<bool>& keptA,
           std::vector<bool>& keptB) {
  const int n = static_cast<int>(a.size());
  const int m = static_cast<int>(b.size());
  const int most = static_cast<int>(std::min<std::size_t>(a.size() + b.size(), kMaxEdits));
  const int offset = most + 1;
  std::vector<int> v(2 * static_cast<std::size_t>(most) + 3, 0);
  // trace[d]: the furthest x on diagonals -d..d after d edits.
  std::vector<std::vector<int>> trace;
  int edits = -1;
  for (int d = 0; d <= most && edits < 0; ++d) {
    for (int k = -d; k <= d; k += 2) {
      int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]))
                  ? v[offset + k + 1]
                  : v[offset + k - 1] + 1;
      int y = x - k;
      while (x < n && y < m && a[x].key == b[y].key) ++x, ++y;
      v[offset + k] = x;
      if (x >= n && y >= m) {
        edits = d;
        break;
      }
    }
    trace.emplace_back(v.begin() + offset - d, v.begin() + offset + d + 1);
  }
  if (edits < 0) return false;
  keptA.assign(a.size(), false);
  keptB.assign(b.size(), false);
  int x = n;
  int y = m;
  for (int d = edits; d > 0; --d) {
    const std::vector<int>& before = trace[d - 1];
    const auto furthest = [&](int k) { return before[k + d - 1]; };
    const int k = x - y;
    const bool down = k == -d || (k != d && furthest(k - 1) < furthest(k + 1));
    const int fromK = down ? k + 1 : k - 1;
    const int fromX = furthest(fromK);
    const int snakeX = down ? fromX : fromX + 1;
    while (x > snakeX) keptA[--x] = true, keptB[--y] = true;
    x = fromX;
    y = fromX - fromK;
  }
  while (x > 0) keptA[--x] = true, keptB[--y] = true;
  return true;
}

// The stretches of tokens not kept, joined across blanks; a stretch never
// starts or ends with a blank.
std::vector<TextRange> Stretches(const std::u16string& text, const std::vector<Token>& tokens,
                                 const std::vector<bool>& kept) {
  std::vector<TextRange> stretches;
  bool open = false;  // the last stretch may still grow
  for (std::size_t t = 0; t < tokens.size(); ++t) {
    std::size_t first = tokens[t].first;
    std::size_t last = tokens[t].last;
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    if (kept[t]) {
      open = false;
      continue;
    }
    if (open) {
      stretches.back().second = last;
    } else {
      stretches.emplace_back(first, last);
    }
    open = true;
  }
  return stretches;
}

}  // namespace

WordDiff DiffWords(const std::u16string& oldText, const std::u16string& newText) {
  WordDiff diff;
  Tokenizer tokenizer;
  const std::vector<Token> a = tokenizer.Cut(oldText);
  const std::vector<Token> b = tokenizer.Cut(newText);
  std::vector<bool> keptA;
  std::vector<bool> keptB;
  if (!Align(a, b, keptA, keptB)) return diff;
  diff.m_Complete = true;
  diff.m_Inserted = Stretches(newText, b, keptB);
  diff.m_Removed = Stretches(oldText, a, keptA);
  // Walk both token lists together; kept words close a gap of removed and
  // inserted words, in which each inserted word takes a removed one's place.
  uint32_t removed = 0;
  uint32_t inserted = 0;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && !keptA[i]) {
      removed += a[i++].word;
    } else if (j < b.size() && !keptB[j]) {
      inserted += b[j++].word;
    } else {
      if (b[j].word) {
        diff.m_RemovedWords += removed > inserted ? removed - inserted : 0;
        diff.m_InsertedWords += inserted;
        ++diff.m_KeptWords;
        removed = inserted = 0;
      }
      ++i;
      ++j;
    }
  }
  diff.m_RemovedWords += removed > inserted ? removed - inserted : 0;
  diff.m_InsertedWords += inserted;
  return diff;
}

}  // namespace LVTDT
