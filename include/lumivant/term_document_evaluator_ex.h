// TermDocumentEvaluatorEx: decides whether a document matches one node of a
// parsed query and collects the words that make the match, so that a
// highlighter can mark them.
//
// The document is seen only through its occurrence map (stem -> occurrences in
// document order, see word_occurences_extractor.h); all positions and
// distances are word indexes. The evaluator shares the map and the query tree
// through counted handles, so both live at least as long as the evaluator.
//
// Highlight groups: HighlightedWords() is a vector of shared lists of
// occurrences. Each list is one hit (a word, a phrase instance, or hits merged
// because they overlap or touch), is never empty, is ascending by word index,
// and is never changed once it is in a vector: combining groups always makes a
// new list, so an operand's groups can be shared with its parent's. After
// EvaluateNode the groups are ascending by first word index and no two overlap
// or touch.
//
// Threads: an evaluator, the occurrence map and its records belong to one
// thread at a time (the records' counts are not atomic). m_sStopWords is built
// when the library is loaded and only read afterwards.
//
// Not copyable: evaluators are shared through LVT::RefCount handles.
#ifndef LUMIVANT_TERM_DOCUMENT_EVALUATOR_EX_H_
#define LUMIVANT_TERM_DOCUMENT_EVALUATOR_EX_H_

#include <antlr/AST.hpp>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lumivant/export.h"
#include "lumivant/ref_count.h"
#include "lumivant/ref_count_vector.h"
#include "lumivant/word_occurences_extractor.h"

namespace LVTLanguage {
class StopWords;
}

namespace LVTDT {

class TermDocumentEvaluatorExPeer;

class LVT_EXPORT TermDocumentEvaluatorEx {
 public:
  using WordOccurence = WordOccurencesExtractor::WordOccurence;
  using OccurrenceList = WordOccurencesExtractor::OccurrenceList;
  using OccurrenceListHandle = WordOccurencesExtractor::OccurrenceListHandle;
  using OccurrenceMap = WordOccurencesExtractor::OccurrenceMap;
  using OccurrenceMapHandle = LVT::RefCount<OccurrenceMap>;
  // One highlight group is an occurrence list; the groups of a node are a
  // vector of shared handles on such lists.
  using GroupHandle = OccurrenceListHandle;
  using GroupVector = LVT::RefCountVector<OccurrenceList, GroupHandle>;
  // Word index -> term number (see GetQueryTerms).
  using QueryTermMap = std::map<unsigned, unsigned>;

  enum OperatorType { NotAnOperator = -1, UnaryOperator = 0, BinaryOperator = 1 };

  // Evaluates nothing yet. node may be empty (the evaluation is then false);
  // an empty occurrences handle behaves as an empty map. Shares both.
  TermDocumentEvaluatorEx(const antlr::RefAST& node, const OccurrenceMapHandle& occurrences);
  ~TermDocumentEvaluatorEx();

  TermDocumentEvaluatorEx(const TermDocumentEvaluatorEx&) = delete;
  TermDocumentEvaluatorEx& operator=(const TermDocumentEvaluatorEx&) = delete;

  // Evaluates the node given to the constructor (not its next siblings) and
  // returns whether the document matches it. Call once. Deeply nested queries
  // are walked with an explicit stack.
  bool EvaluateNode();

  // The groups of the node; meaningful after EvaluateNode.
  const GroupVector& HighlightedWords() const { return m_HighlightedWords; }

  // Numbers the terms of the tree under node, depth first and left to right
  // from 0 (each word outside quotes, each quoted phrase as a whole, negated
  // terms too), and adds word index -> term number for every occurrence of a
  // term's words. Only adds: a word index already present keeps its number.
  static void GetQueryTerms(QueryTermMap& terms, const antlr::RefAST& node,
                            const OccurrenceMapHandle& occurrences);

  // The stop words the evaluator consults: occurrences of a plain query word
  // that is a stop word count for matching but are not highlighted.
  static LVTLanguage::StopWords m_sStopWords;

 private:
  friend class TermDocumentEvaluatorExPeer;  // reaches the operators in tests

  // A phrase word's occurrence list and its required distance in word
  // indexes from the previous phrase word (unused for the first).
  using PhraseEntry = std::pair<OccurrenceListHandle, unsigned>;
  using PhraseList = std::vector<PhraseEntry>;
  using Cursor = const WordOccurencesExtractor::OccurrenceHandle*;

  // Evaluated at once by ConstructFromTerm; its groups are not merged.
  TermDocumentEvaluatorEx(const std::u16string& term, const OccurrenceMapHandle& occurrences);

  void ConstructFromTerm(const std::u16string& term);
  void ConstructExactPhrase();
  void RemoveWordOverlaps();

  // The occurrence list of a key, or null.
  const OccurrenceListHandle* FindList(const std::u16string& key) const;

  static bool ValidateTree(const antlr::RefAST& node);
  static OperatorType GetOperatorType(int tokenType);
  static bool IsStopWord(const std::u16string& word);
  static bool GetText(const antlr::RefAST& node, std::u16string& text);

  static void And(TermDocumentEvaluatorEx& result, const TermDocumentEvaluatorEx& left,
                  const TermDocumentEvaluatorEx& right);
  static void Or(TermDocumentEvaluatorEx& result, const TermDocumentEvaluatorEx& left,
                 const TermDocumentEvaluatorEx& right);
  static void Not(TermDocumentEvaluatorEx& result, const TermDocumentEvaluatorEx& operand);
  static void PerformUnaryOperation(TermDocumentEvaluatorEx& result,
                                    const TermDocumentEvaluatorEx& operand);
  static void PerformBinaryOperation(TermDocumentEvaluatorEx& result,
                                     const TermDocumentEvaluatorEx& left,
                                     const TermDocumentEvaluatorEx& right);
  static void Near(TermDocumentEvaluatorEx& result, const TermDocumentEvaluatorEx& left,
                   const TermDocumentEvaluatorEx& right);
  static unsigned GetNearDistance(const antlr::RefAST& node);
  static bool IsExactPhrase(const PhraseList& phrase, GroupVector& groups);
  static bool FindOccurence(Cursor& cursor, Cursor end, unsigned index);
  static void GetPhraseBoundaries(const OccurrenceList& group, unsigned& first, unsigned& last);
  static void MergePhrases(const OccurrenceList& a, const OccurrenceList& b, OccurrenceList& out);

  static void GetQueryTerms(QueryTermMap& terms, const antlr::RefAST& node,
                            const OccurrenceMapHandle& occurrences, unsigned& counter);
  static void FetchWordOccurences(QueryTermMap& terms, unsigned termNumber,
                                  const std::u16string& word,
                                  const OccurrenceMapHandle& occurrences);

  // Steps of the explicit-stack evaluation: Begin evaluates a leaf (and
  // returns false) or makes the operand evaluators of an operator node;
  // Finish combines them.
  bool BeginEvaluation(LVT::RefCount<TermDocumentEvaluatorEx>& left,
                       LVT::RefCount<TermDocumentEvaluatorEx>& right);
  void FinishEvaluation(const TermDocumentEvaluatorEx* left, const TermDocumentEvaluatorEx* right);

  antlr::RefAST m_Query;
  bool m_bStopWord = false;
  bool m_bResult = false;
  GroupVector m_HighlightedWords;
  OccurrenceMapHandle m_WordOccurences;
  bool m_bIgnoreStopWords = true;
  bool m_bSkipStopWordsInPhrases = false;
};

}  // namespace LVTDT

#endif  // LUMIVANT_TERM_DOCUMENT_EVALUATOR_EX_H_
