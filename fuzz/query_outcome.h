// How a call that parses a query ended: normally, or with one of the
// exceptions the interface documents for a rejected query. Anything else
// (another ANTLR exception, a standard one, anything at all) is a fault.
#ifndef LUMIVANT_FUZZ_QUERY_OUTCOME_H_
#define LUMIVANT_FUZZ_QUERY_OUTCOME_H_

#include <antlr/ANTLRException.hpp>
#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>
#include <antlr/RecognitionException.hpp>
#include <antlr/TokenStreamException.hpp>
#include <antlr/TokenStreamIOException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>
#include <exception>
#include <string>
#include <typeinfo>

namespace lvt_fuzz {

struct QueryOutcome {
  // "ok", or the documented exception: "NoViableAlt", "MismatchedToken",
  // "TokenStreamRecognition", "TokenStream", "TooComplex".
  std::string kind;
  // Set when the call broke its interface; then kind is empty.
  std::string fault;

  bool ok() const { return kind == "ok"; }
};

// The kind of an exception the query interfaces document, or "" for any
// other. The exact class counts: a subclass that escapes unwrapped (the
// lexer's character exceptions, say) is not what the interface promises.
inline std::string DocumentedKind(const antlr::ANTLRException& e) {
  const std::type_info& type = typeid(e);
  if (type == typeid(antlr::NoViableAltException)) return "NoViableAlt";
  if (type == typeid(antlr::MismatchedTokenException)) return "MismatchedToken";
  if (type == typeid(antlr::TokenStreamRecognitionException)) return "TokenStreamRecognition";
  if (type == typeid(antlr::TokenStreamException) || type == typeid(antlr::TokenStreamIOException))
    return "TokenStream";
  // The parser's own bound on nesting and size: the base class itself,
  // with a message that says why.
  if (type == typeid(antlr::RecognitionException)) {
    const std::string why = e.getMessage();
    return why.find("query too") == std::string::npos ? "" : "TooComplex";
  }
  return "";
}

template <class Call>
QueryOutcome Outcome(Call call) {
  QueryOutcome outcome;
  try {
    call();
    outcome.kind = "ok";
  } catch (const antlr::ANTLRException& e) {
    outcome.kind = DocumentedKind(e);
    if (outcome.kind.empty())
      outcome.fault = std::string("undocumented ") + typeid(e).name() + ": " + e.toString();
  } catch (const std::exception& e) {
    outcome.fault = std::string("standard exception ") + typeid(e).name() + ": " + e.what();
  } catch (...) {
    outcome.fault = "unknown exception";
  }
  return outcome;
}

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_QUERY_OUTCOME_H_
