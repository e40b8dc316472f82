// The one-line notation of a query tree, as `lumivant parse` prints it and
// as tests compare trees:
//   - a WORD_ node prints as its text;
//   - the juxtaposition node (AND_ with the text "And") as And;
//   - a WEIGHTEDNEAR_ node as WEIGHTEDNEAR_[its text], e.g. WEIGHTEDNEAR_[near:5];
//   - every other node as its token type name (AND_, OR_, NOT_, NEAR_, DQUOTE_);
//   - a node with children adds them in parentheses, separated by ", ";
//   - siblings at the top level are separated by one blank.
// So "a b c" prints as And(And(a, b), c) and "a b ) +" as "a b".
#ifndef LUMIVANT_QUERY_QUERY_TREE_DUMP_H_
#define LUMIVANT_QUERY_QUERY_TREE_DUMP_H_

#include <antlr/AST.hpp>
#include <string>

namespace LVTDT {

// The notation of tree and its next siblings; empty for a null tree. Walks
// with an explicit stack, so any depth is fine.
std::string DumpQueryTree(const antlr::RefAST& tree);

}  // namespace LVTDT

#endif  // LUMIVANT_QUERY_QUERY_TREE_DUMP_H_
