// The keys under which evaluating a query tree (TermDocumentEvaluatorEx)
// and numbering its terms (GetQueryTerms) look words up in an occurrence
// map. A page's map filed for these keys alone (keyed_occurrences.h) gives
// the same evaluation as the full map, without a record for every word.
#ifndef LUMIVANT_EVAL_LOOKUP_KEYS_H_
#define LUMIVANT_EVAL_LOOKUP_KEYS_H_

#include <antlr/AST.hpp>

#include "text/keyed_occurrences.h"

namespace LVTDT {

// Every form of every node's text that a lookup may use: the text itself
// (words), without its last blank (keyword tokens inside a phrase) and
// stripped of blanks at both ends (term numbering). A few more keys than
// needed cost nothing; one too few would lose hits.
OccurrenceKeys LookupKeys(const antlr::RefAST& tree);

}  // namespace LVTDT

#endif  // LUMIVANT_EVAL_LOOKUP_KEYS_H_
