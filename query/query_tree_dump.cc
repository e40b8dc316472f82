#include "query/query_tree_dump.h"

#include <vector>

#include "query/dt_query_parser.h"

namespace LVTDT {

namespace {

using T = DTQueryParserTokenTypes;

void AppendLabel(const antlr::RefAST& node, std::string& out) {
  const int type = node->getType();
  if (type == T::WORD_) {
    out += node->getText();
    return;
  }
  if (type == T::AND_ && node->getText() == "And") {
    out += "And";
    return;
  }
  if (const char* name = DTQueryParser::TokenName(type)) {
    out += name;
  } else {
    out += "<" + std::to_string(type) + ">";
  }
  if (type == T::WEIGHTEDNEAR_) out += "[" + node->getText() + "]";
}

// One sibling list being printed: the node to print next, whether the list
// is a node's children (printed in parentheses) and whether it has printed
// anything yet.
struct ListFrame {
  antlr::RefAST next;
  bool children;
  bool started;
};

}  // namespace

std::string DumpQueryTree(const antlr::RefAST& tree) {
  std::string out;
  std::vector<ListFrame> stack;
  stack.push_back({tree, false, false});
  while (!stack.empty()) {
    ListFrame& frame = stack.back();
    if (!frame.next) {
      const bool children = frame.children;
      stack.pop_back();
      if (children) out += ')';
      continue;
    }
    const antlr::RefAST node = frame.next;
    frame.next = node->getNextSibling();
    if (frame.started) out += frame.children ? ", " : " ";
    frame.started = true;
    AppendLabel(node, out);
    if (antlr::RefAST child = node->getFirstChild()) {
      out += '(';
      stack.push_back({child, true, false});  // frame is not used after this
    }
  }
  return out;
}

}  // namespace LVTDT
