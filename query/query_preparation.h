// Query text preparation: the rewriting a query string gets before it is
// converted to UTF-8 and parsed, so that its words can only meet words in
// the form in which documents store them. Every character is folded, the
// parentheses and quotes are balanced, words joined by punctuation become
// quoted phrases ("e-mail" -> "\"e mail\""), and every word is replaced by
// its stem.
//
// All functions work on strings of 16-bit characters, are pure apart from
// their string and stem-map arguments, and may run on several threads at
// once (the Language is only read). None of them throws, except std::bad_alloc.
#ifndef LUMIVANT_QUERY_QUERY_PREPARATION_H_
#define LUMIVANT_QUERY_QUERY_PREPARATION_H_

#include <map>
#include <string>

namespace LVTLanguage {
class Language;
}

namespace LVTDT {

// Stem -> the word of the query that first produced it. Entries are only
// added, never replaced.
using PrepareQueryStemMap = std::map<std::u16string, std::u16string>;

// prepared = query without a leading '!' (which has no other effect), then
// NormalizeQuery, SplitSeparatorWords and StemQuery on it, always all four.
// stems gains the stems of the query's words. Returns whether the prepared
// query holds anything (an empty one is rejected by the parser). query and
// prepared may be the same string.
bool PrepareQuery(const std::u16string& query, std::u16string& prepared, PrepareQueryStemMap& stems,
                  const LVTLanguage::Language& language);

// Folds every character (FoldCharacter) except '"', '(' and ')' (unless
// fold is false: under Unicode words each word folds whole when stemmed);
// drops each ')' that closes nothing and closes every '(' left open at the
// end; drops the last '"' when their number is odd.
void NormalizeQuery(std::u16string& query, bool fold = true);

// Turns the separators _ - , . / : into blanks and makes each word they
// split a quoted phrase ("a.b.c" -> "\"a b c\""); inside an existing phrase
// they only become blanks. Kept as they are: '.' between digits after a
// comparison ("x>3.5"), '/' between digits ("1/2"), ':' after a non-blank
// and before a digit ("10:30", "near:5"). unicodeWords: the words are those
// of Unicode words.
void SplitSeparatorWords(std::u16string& query, bool unicodeWords = false);

// Replaces every word (a run of word characters, which an unbreakable
// character may start but never continue) by its stem, entering
// stem -> word in stems unless the stem is there already. Other characters
// are copied. The default word rule; PrepareQuery does the same for a
// language with Unicode words, by that rule, and makes touching words a
// phrase.
void StemQuery(std::u16string& query, PrepareQueryStemMap& stems,
               const LVTLanguage::Language& language);

}  // namespace LVTDT

#endif  // LUMIVANT_QUERY_QUERY_PREPARATION_H_
