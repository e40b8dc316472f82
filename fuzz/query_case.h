// Fuzz case for query preparation, parsing and CreateSimpleQuery. Input: a
// control byte (bit 0: the query is raw UTF-16LE units rather than UTF-8,
// which reaches surrogates and every folding), the query, "|||", and a
// document text whose words the query is evaluated against.
//
// Invariants: CreateSimpleQuery either returns an evaluator or raises one of
// the documented exceptions, the same one that preparing and parsing by hand
// gives, with or without an occurrence map; a query that prepares to
// nothing is rejected; every tree fits the node catalogue; evaluation leaves
// its groups non-empty, ascending and apart, every grouped word has a
// query term, and the map cut down to the tree's lookup keys gives the
// same evaluation.
#ifndef LUMIVANT_FUZZ_QUERY_CASE_H_
#define LUMIVANT_FUZZ_QUERY_CASE_H_

#include <antlr/AST.hpp>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "eval/lookup_keys.h"
#include "foundation/charset/transcode.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/query_outcome.h"
#include "lumivant/code_page.h"
#include "lumivant/create_simple_query.h"
#include "lumivant/language.h"
#include "lumivant/raw_text_extractor.h"
#include "lumivant/ref_count.h"
#include "lumivant/term_document_evaluator_ex.h"
#include "lumivant/word_occurences_extractor.h"
#include "query/dt_query_parser_token_types.h"
#include "query/parse_query.h"
#include "query/query_preparation.h"

namespace lvt_fuzz {

// Query and document together; the evaluation's near operator is quadratic
// in the occurrences of its two words.
inline constexpr std::size_t kQueryMaxInput = 4096;

using LVTDT::TermDocumentEvaluatorEx;
using OccurrenceMapHandle = TermDocumentEvaluatorEx::OccurrenceMapHandle;

inline const LVTLanguage::Language& English() {
  static const LVTLanguage::Language language(LVTLanguage::Language::kEnglish);
  return language;
}

inline std::u16string Utf8ToWide(const std::string& bytes) {
  std::u16string wide;
  LVTCharset::BytesToWide(LVTCharset::kUtf8, LVTCharset::kWide, bytes, wide, true);
  return wide;
}

inline std::u16string RawUnits(const std::string& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                     static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  return units;
}

inline OccurrenceMapHandle OccurrencesOf(const std::u16string& text) {
  LVTDT::RawTextList runs;
  LVTDT::RawTextExtractor::GetRawTextFromText(text, runs);
  OccurrenceMapHandle map = LVT::MakeRefCount<TermDocumentEvaluatorEx::OccurrenceMap>();
  LVTDT::WordOccurencesExtractor::GetWordOccurences(runs, *map, English());
  return map;
}

// A node and its next siblings, in order.
inline std::vector<antlr::RefAST> SiblingsFrom(antlr::RefAST node) {
  std::vector<antlr::RefAST> nodes;
  for (; node; node = node->getNextSibling()) nodes.push_back(node);
  return nodes;
}

// What the node catalogue says of one node with these children; "" when
// it allows them.
inline std::string NodeFault(const antlr::RefAST& node,
                             const std::vector<antlr::RefAST>& children) {
  using T = LVTDT::DTQueryParserTokenTypes;
  const int type = node->getType();
  const bool near = type == T::NEAR_ || type == T::WEIGHTEDNEAR_;
  if (type == T::WORD_)
    return children.empty() && !node->getText().empty() ? "" : "a word with children or no text";
  if ((type == T::AND_ || type == T::OR_) && children.size() < 2) return "and/or with one operand";
  if (type == T::NOT_ && children.empty()) return "not without operand";
  if (near && children.size() != 2) return "near without exactly two operands";
  for (const antlr::RefAST& c : children) {
    if (near && c->getType() != T::WORD_ && c->getType() != T::DQUOTE_)
      return "near operand neither word nor phrase";
    if (type == T::DQUOTE_ && c->getFirstChild()) return "phrase member with children";
  }
  // Parentheses between quotes make no node: '"( )"' is a phrase of
  // nothing but its closing quote.
  if (type == T::DQUOTE_ && (children.empty() || children.back()->getType() != T::DQUOTE_))
    return "phrase without closing quote";
  if (type != T::AND_ && type != T::OR_ && type != T::NOT_ && !near && type != T::DQUOTE_)
    return "node of type " + std::to_string(type) + " outside the catalogue";
  return "";
}

// The first node of the tree (and its siblings) that the node catalogue
// does not allow, described; "".
inline std::string CatalogueFault(const antlr::RefAST& tree) {
  std::vector<antlr::RefAST> pending = SiblingsFrom(tree);
  while (!pending.empty()) {
    const antlr::RefAST node = pending.back();
    pending.pop_back();
    const std::vector<antlr::RefAST> children = SiblingsFrom(node->getFirstChild());
    if (const std::string fault = NodeFault(node, children); !fault.empty()) return fault;
    // A phrase's members are leaves, checked with it.
    if (node->getType() != LVTDT::DTQueryParserTokenTypes::DQUOTE_)
      pending.insert(pending.end(), children.begin(), children.end());
  }
  return "";
}

// Groups as the evaluator promises them, and a term for every grouped word.
inline std::string GroupsFault(const TermDocumentEvaluatorEx::GroupVector& groups,
                               const TermDocumentEvaluatorEx::QueryTermMap& terms) {
  long previousLast = -2;
  for (const auto& group : groups) {
    if (!group || group->size() == 0) return "an empty group";
    long last = -1;
    for (const auto& occurrence : *group) {
      const long index = occurrence->m_WordIndex;
      if (index <= last) return "a group not ascending by word index";
      if (terms.find(occurrence->m_WordIndex) == terms.end()) return "a grouped word without term";
      last = index;
    }
    if (static_cast<long>((*group)[0]->m_WordIndex) <= previousLast + 1)
      return "groups that overlap, touch or are out of order";
    previousLast = last;
  }
  return "";
}

// What evaluating tree on map gives: the match, the word indexes of each
// group, then the query terms.
struct Evaluation {
  bool match = false;
  std::vector<std::vector<unsigned>> groups;
  TermDocumentEvaluatorEx::QueryTermMap terms;
  bool operator==(const Evaluation& o) const {
    return match == o.match && groups == o.groups && terms == o.terms;
  }
};

inline Evaluation Evaluate(const antlr::RefAST& tree, const OccurrenceMapHandle& map,
                           std::string* fault = nullptr) {
  Evaluation result;
  TermDocumentEvaluatorEx evaluator(tree, map);
  result.match = evaluator.EvaluateNode();
  TermDocumentEvaluatorEx::GetQueryTerms(result.terms, tree, map);
  if (fault != nullptr) *fault = GroupsFault(evaluator.HighlightedWords(), result.terms);
  for (const auto& group : evaluator.HighlightedWords()) {
    result.groups.emplace_back();
    if (group)
      for (const auto& occurrence : *group) result.groups.back().push_back(occurrence->m_WordIndex);
  }
  return result;
}

// map without the keys that tree never looks up.
inline OccurrenceMapHandle KeyedMap(const antlr::RefAST& tree, const OccurrenceMapHandle& map) {
  OccurrenceMapHandle keyed = LVT::MakeRefCount<TermDocumentEvaluatorEx::OccurrenceMap>();
  for (const std::u16string& key : LVTDT::LookupKeys(tree)) {
    const auto found = map->find(key);
    if (found != map->end()) keyed->emplace(*found);
  }
  return keyed;
}

inline std::string EvaluationFault(const antlr::RefAST& tree, const OccurrenceMapHandle& map) {
  if (const std::string fault = CatalogueFault(tree); !fault.empty()) return fault;
  std::string fault;
  const Evaluation full = Evaluate(tree, map, &fault);
  if (!fault.empty() || !map) return fault;
  if (!(Evaluate(tree, KeyedMap(tree, map)) == full))
    return "the map of the lookup keys alone evaluates otherwise";
  return "";
}

inline std::string QueryCase(const uint8_t* data, std::size_t size) {
  if (size > kQueryMaxInput) return "";
  FuzzInput input(data, size);
  const bool raw = input.TakeByte() & 1;
  const std::string queryBytes = input.TakeText();
  const std::u16string query = raw ? RawUnits(queryBytes) : Utf8ToWide(queryBytes);
  const OccurrenceMapHandle map = OccurrencesOf(Utf8ToWide(input.TakeRest()));

  LVT::RefCount<TermDocumentEvaluatorEx> simple;
  const QueryOutcome viaSimple = Outcome([&] { simple = LVTDT::CreateSimpleQuery(query, map); });
  if (!viaSimple.fault.empty()) return "CreateSimpleQuery: " + viaSimple.fault;

  std::u16string prepared;
  LVTDT::PrepareQueryStemMap stems;
  const bool holds = LVTDT::PrepareQuery(query, prepared, stems, English());
  antlr::RefAST tree;
  const QueryOutcome byHand = Outcome([&] { tree = LVTDT::ParsePreparedQuery(prepared); });
  if (!byHand.fault.empty()) return "parsing the prepared query: " + byHand.fault;
  if (byHand.kind != viaSimple.kind)
    return "CreateSimpleQuery gave " + viaSimple.kind + ", preparing and parsing " + byHand.kind;
  if (!holds && byHand.ok()) return "a query prepared to nothing was accepted";

  LVT::RefCount<TermDocumentEvaluatorEx> unmapped;
  const QueryOutcome withoutMap =
      Outcome([&] { unmapped = LVTDT::CreateSimpleQuery(query, OccurrenceMapHandle()); });
  if (withoutMap.kind != viaSimple.kind) return "the occurrence map changed the outcome";
  if (unmapped) return "an evaluator without an occurrence map";

  if (!byHand.ok()) return "";
  if (!simple) return "no evaluator for an accepted query";
  if (!tree) return "no tree for an accepted query";
  simple->EvaluateNode();
  return EvaluationFault(tree, map);
}

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_QUERY_CASE_H_
