#include "query/dt_query_parser.h"

#include <antlr/NoViableAltException.hpp>
#include <antlr/RecognitionException.hpp>
#include <string>

namespace LVTDT {

namespace {

const char* const kTokenNames[DTQueryParser::kNumTokens] = {
    "<0>",     "EOF",     "<2>",           "NULL_TREE_LOOKAHEAD",
    "AND_",    "OR_",     "WS_",           "NOT_",
    "WORD_",   "NEAR_",   "WEIGHTEDNEAR_", "LPAREN_",
    "RPAREN_", "DQUOTE_", "PLUS_",         "MINUS_",
    "NUMBER_", "LETTER_", "SEMI_",
};

using T = DTQueryParserTokenTypes;

// Tokens that can begin a term.
bool IsTermStart(int type) {
  return type == T::NOT_ || type == T::WORD_ || type == T::LPAREN_ || type == T::DQUOTE_;
}

// Tokens that may follow a juxtaposed term: all the lexer makes but
// '+', '-' and ':'.
bool IsContinuation(int type) {
  switch (type) {
    case T::EOF_:
    case T::AND_:
    case T::OR_:
    case T::WS_:
    case T::NOT_:
    case T::WORD_:
    case T::NEAR_:
    case T::WEIGHTEDNEAR_:
    case T::LPAREN_:
    case T::RPAREN_:
    case T::DQUOTE_:
      return true;
    default:
      return false;
  }
}

antlr::RefAST LastSibling(antlr::RefAST node) {
  while (node->getNextSibling()) node = node->getNextSibling();
  return node;
}

}  // namespace

DTQueryParser::DTQueryParser(antlr::TokenStream& lexer) : antlr::LLkParser(lexer, kLookahead) {
  // The runtime's factory must know the largest node type before it makes
  // a node, and the parser must have one before any rule runs.
  initializeASTFactory(m_Factory);
  setASTFactory(&m_Factory);
}

DTQueryParser::~DTQueryParser() = default;

void DTQueryParser::initializeASTFactory(antlr::ASTFactory& factory) {
  factory.setMaxNodeType(kNumTokens - 1);
}

const char* DTQueryParser::TokenName(int type) {
  if (type < 0 || type >= kNumTokens) return nullptr;
  return kTokenNames[type];
}

const char* DTQueryParser::getTokenName(int type) const { return TokenName(type); }

const char* const* DTQueryParser::getTokenNames() const { return kTokenNames; }

int DTQueryParser::getNumTokens() const { return kNumTokens; }

void DTQueryParser::NoViableAlt() { throw antlr::NoViableAltException(LT(1), getFilename()); }

void DTQueryParser::TooComplex(const char* why) {
  const antlr::RefToken next = LT(1);
  throw antlr::RecognitionException(why, getFilename(), next->getLine(), next->getColumn());
}

void DTQueryParser::CountNode() {
  if (++m_NodeCount > kMaxQueryNodes) {
    TooComplex(
        ("query too long: more than " + std::to_string(kMaxQueryNodes) + " words and operators")
            .c_str());
  }
}

antlr::RefAST DTQueryParser::NodeFromToken() {
  CountNode();
  antlr::RefAST node = astFactory->create(LT(1));
  consume();
  return node;
}

antlr::RefAST DTQueryParser::NewNode(int type, const char* text) {
  CountNode();
  return astFactory->create(type, text);
}

void DTQueryParser::query() {
  returnAST = antlr::RefAST();
  m_NodeCount = 0;
  m_GroupDepth = 0;
  antlr::RefAST first = Expression();
  // Whatever follows the last term-starting token is left unread.
  ExpressionList(first);
  returnAST = first;
}

void DTQueryParser::ExpressionList(antlr::RefAST first) {
  antlr::RefAST tail = LastSibling(first);
  while (IsTermStart(LA(1))) {
    antlr::RefAST next = Expression();
    tail->setNextSibling(next);
    tail = LastSibling(next);
  }
}

antlr::RefAST DTQueryParser::Expression() {
  antlr::RefAST current = Juxtaposition();
  while (LA(1) == AND_ || LA(1) == OR_) {
    antlr::RefAST op = NodeFromToken();
    op->addChild(current);
    op->addChild(Juxtaposition());
    current = op;
  }
  return current;
}

bool DTQueryParser::JuxtapositionContinues() {
  if (!IsTermStart(LA(1))) return false;
  // Positions are asked for in order, so no token past the first failing
  // one is ever scanned.
  for (unsigned i = 2; i <= static_cast<unsigned>(kLookahead); ++i) {
    if (!IsContinuation(LA(i))) return false;
  }
  return true;
}

antlr::RefAST DTQueryParser::Juxtaposition() {
  antlr::RefAST current = Negation();
  while (JuxtapositionContinues()) {
    antlr::RefAST right = Negation();
    antlr::RefAST node = NewNode(AND_, "And");
    node->addChild(current);
    node->addChild(right);
    current = node;
  }
  return current;
}

antlr::RefAST DTQueryParser::Negation() {
  switch (LA(1)) {
    case NOT_: {
      antlr::RefAST node = NodeFromToken();
      node->addChild(Proximity());
      return node;
    }
    case WORD_:
    case LPAREN_:
    case DQUOTE_:
      return Proximity();
    default:
      NoViableAlt();
  }
}

antlr::RefAST DTQueryParser::Proximity() {
  switch (LA(1)) {
    case WORD_:
    case DQUOTE_:
      break;
    case LPAREN_:
      return Group();
    default:
      NoViableAlt();
  }
  antlr::RefAST left = LA(1) == WORD_ ? NodeFromToken() : Phrase();
  switch (LA(1)) {
    case NEAR_:
    case WEIGHTEDNEAR_: {
      antlr::RefAST node = NodeFromToken();
      node->addChild(left);
      if (LA(1) == WORD_) {
        node->addChild(NodeFromToken());
      } else if (LA(1) == DQUOTE_) {
        node->addChild(Phrase());
      } else {
        NoViableAlt();
      }
      return node;
    }
    case EOF_:
    case AND_:
    case OR_:
    case NOT_:
    case WORD_:
    case LPAREN_:
    case RPAREN_:
    case DQUOTE_:
      return left;
    default:
      NoViableAlt();
  }
}

antlr::RefAST DTQueryParser::Group() {
  if (m_GroupDepth >= kMaxGroupDepth) {
    TooComplex(
        ("query too deep: more than " + std::to_string(kMaxGroupDepth) + " nested parentheses")
            .c_str());
  }
  ++m_GroupDepth;
  match(LPAREN_);
  antlr::RefAST first = Expression();
  ExpressionList(first);
  match(RPAREN_);
  --m_GroupDepth;
  return first;
}

antlr::RefAST DTQueryParser::Phrase() {
  antlr::RefAST root = NodeFromToken();
  antlr::RefAST tail;
  for (int taken = 0;; ++taken) {
    const int type = LA(1);
    if (type == WORD_ || type == NOT_ || type == OR_ || type == AND_ || type == NEAR_) {
      antlr::RefAST leaf = NodeFromToken();
      if (tail) {
        tail->setNextSibling(leaf);
      } else {
        root->setFirstChild(leaf);
      }
      tail = leaf;
    } else if (type == LPAREN_ || type == RPAREN_) {
      consume();
    } else if (taken == 0) {
      NoViableAlt();
    } else {
      break;
    }
  }
  antlr::RefAST close = astFactory->create(LT(1));
  match(DQUOTE_);
  CountNode();
  if (tail) {
    tail->setNextSibling(close);
  } else {
    root->setFirstChild(close);  // only "(" and ")" stood inside
  }
  return root;
}

}  // namespace LVTDT
