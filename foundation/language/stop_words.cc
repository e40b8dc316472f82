#include "lumivant/stop_words.h"

#include "foundation/language/stemmer_snowball.h"

namespace LVTLanguage {

namespace {

// Common English function words, folded.
constexpr const char16_t* kEnglish[] = {
    u"a",      u"about",     u"above",     u"after",   u"again",      u"against", u"all",
    u"am",     u"an",        u"and",       u"any",     u"are",        u"as",      u"at",
    u"be",     u"because",   u"been",      u"before",  u"being",      u"below",   u"between",
    u"both",   u"but",       u"by",        u"can",     u"could",      u"did",     u"do",
    u"does",   u"doing",     u"down",      u"during",  u"each",       u"few",     u"for",
    u"from",   u"further",   u"had",       u"has",     u"have",       u"having",  u"he",
    u"her",    u"here",      u"hers",      u"herself", u"him",        u"himself", u"his",
    u"how",    u"i",         u"if",        u"in",      u"into",       u"is",      u"it",
    u"its",    u"itself",    u"just",      u"me",      u"more",       u"most",    u"my",
    u"myself", u"no",        u"nor",       u"not",     u"now",        u"of",      u"off",
    u"on",     u"once",      u"only",      u"or",      u"other",      u"ought",   u"our",
    u"ours",   u"ourselves", u"out",       u"over",    u"own",        u"same",    u"shall",
    u"she",    u"should",    u"so",        u"some",    u"such",       u"than",    u"that",
    u"the",    u"their",     u"theirs",    u"them",    u"themselves", u"then",    u"there",
    u"these",  u"they",      u"this",      u"those",   u"through",    u"to",      u"too",
    u"under",  u"until",     u"up",        u"upon",    u"very",       u"was",     u"we",
    u"were",   u"what",      u"when",      u"where",   u"which",      u"while",   u"who",
    u"whom",   u"why",       u"will",      u"with",    u"would",      u"you",     u"your",
    u"yours",  u"yourself",  u"yourselves"};

}  // namespace

StopWords::StopWords(bool english) {
  if (!english) return;
  // Prepared queries carry stems, so each word is listed as its English
  // stem too ("being" as "be", "only" as "onli"). A guarded stemmer leaves
  // nothing behind in the loading thread.
  SnowballStemmer stemmer("english", SnowballStemmer::Sharing::kGuarded);
  std::u16string stem;
  for (const char16_t* word : kEnglish) {
    std::u16string folded(word);
    stemmer.Stem(folded, stem);
    m_Words.insert(folded);
    m_Words.insert(stem);
  }
}

bool StopWords::IsStopWord(const std::u16string& word) const { return m_Words.count(word) != 0; }

}  // namespace LVTLanguage
